#include "FailureFrame.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Raised {
    DWORD Flags;
    DWORD Parameters;
    bool NullText;
    std::wstring Text;
};
std::vector<Raised> g_raised;

LONG CALLBACK Catch(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode != failure_frame::FailureCode) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    const auto* text = reinterpret_cast<const wchar_t*>(record->ExceptionInformation[0]);
    g_raised.push_back({record->ExceptionFlags, record->NumberParameters, text == nullptr, text ? text : L""});
    return EXCEPTION_CONTINUE_EXECUTION;
}

class FailureFrameTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_raised.clear();
        handler_ = AddVectoredExceptionHandler(1, Catch);
    }
    void TearDown() override { RemoveVectoredExceptionHandler(handler_); }

private:
    PVOID handler_ = nullptr;
};

}  // namespace

TEST_F(FailureFrameTest, EachKindOfFailureBecomesOneContinuableExceptionWithItsText)
{
    struct Case {
        const char* kind;
        std::function<int()> work;
        std::wstring text;
    };
    const Case cases[] = {
        {"library error", []() -> int { throw classlib::Exception(L"ライブラリの失敗"); }, L"ライブラリの失敗"},
        {"OS error", []() -> int { classlib::RaiseLastOSError(ERROR_ACCESS_DENIED); },
         classlib::SysErrorMessage(ERROR_ACCESS_DENIED)},
        {"standard exception", []() -> int { throw std::runtime_error("disk full"); }, L"disk full"},
        {"anything else", []() -> int { throw 42; }, L"DeleteIconsで不明の例外が発生しました"},
        {"empty message", []() -> int { throw classlib::Exception(L""); }, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        g_raised.clear();
        EXPECT_EQ(failure_frame::Run(L"DeleteIcons", -7, c.work), -7);  // the after-failure result
        ASSERT_EQ(g_raised.size(), 1u);
        EXPECT_EQ(g_raised[0].Flags, 0u);
        EXPECT_EQ(g_raised[0].Parameters, 1u);
        EXPECT_FALSE(g_raised[0].NullText);
        EXPECT_EQ(g_raised[0].Text, c.text);
    }
}

TEST_F(FailureFrameTest, WorkThatSucceedsRaisesNothing)
{
    EXPECT_EQ(failure_frame::Run(L"GetCount", 0, [] { return 5; }), 5);
    bool ran = false;
    failure_frame::RunVoid(L"Load", [&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(g_raised.empty());
}

TEST(FailureFrameTextTest, StandardExceptionTextsComeFromTheAnsiCodePage)
{
    EXPECT_EQ(failure_frame::FromAnsi("plain ASCII"), L"plain ASCII");
    EXPECT_EQ(failure_frame::FromAnsi(""), L"");
    EXPECT_EQ(failure_frame::FromAnsi(nullptr), L"");
    // A byte above 127 means what the ANSI code page says it means.
    wchar_t expected[4] = {};
    MultiByteToWideChar(CP_ACP, 0, "\xE9", -1, expected, 4);
    EXPECT_EQ(failure_frame::FromAnsi("\xE9"), std::wstring(expected));
}
