#include "Ttaskbar/TMyExplorerProcess.h"

#include "classlib/Exception.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>


using namespace test_support;

namespace {

std::wstring WaitFailure(TMyExplorerProcess& process, int waitTime)
{
    try {
        process.WaitForExit(waitTime);
        return L"";
    } catch (const classlib::Exception& error) {
        return error.Message();
    }
}

DWORD WINAPI SetLater(void* event)
{
    Sleep(200);
    SetEvent(static_cast<HANDLE>(event));
    return 0;
}

class TMyExplorerProcessTest : public testing::Test {
protected:
    void SetUp() override
    {
        event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        sleeper = std::make_unique<RunningProcess>(L"\"" + TestBinDir() + L"test_helper.exe\" sleep");
        ASSERT_NE(sleeper->ReadUntil("sleeping").find("sleeping"), std::string::npos);
    }
    void TearDown() override
    {
        sleeper->Kill();
        sleeper.reset();
        CloseHandle(event);
    }
    HANDLE event = nullptr;
    std::unique_ptr<RunningProcess> sleeper;
};

}  // namespace

TEST_F(TMyExplorerProcessTest, TheWaitEndsWithTheProcessOrTellsWhyItDidNot)
{
    TMyExplorerProcess process(event, GetProcessId(sleeper->Process()));
    EXPECT_EQ(WaitFailure(process, 0), L"エクスプローラ強制停止待ちがタイムアウトしました");

    // Another thread sets the event while the wait runs.
    const HANDLE interrupter = CreateThread(nullptr, 0, SetLater, event, 0, nullptr);
    EXPECT_EQ(WaitFailure(process, 30000), L"エクスプローラ強制停止待ちが中断されました");
    WaitForSingleObject(interrupter, INFINITE);
    CloseHandle(interrupter);

    process.Terminate();
    EXPECT_EQ(WaitFailure(process, 30000), L"");
    EXPECT_EQ(sleeper->Wait(0), 1u);  // ended with exit code 1
}

TEST_F(TMyExplorerProcessTest, AProcessThatCannotBeOpenedIsAnOSError)
{
    EXPECT_THROW(TMyExplorerProcess(event, 0xFFFFFFF0), classlib::EOSError);
}
