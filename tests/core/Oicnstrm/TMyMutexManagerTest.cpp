#include "Oicnstrm/TMyMutexManager.h"

#include "classlib/Exception.h"
#include "support/ChildProcess.h"
#include "support/RegistryFixture.h"

#include <gtest/gtest.h>

#include <memory>

using namespace test_support;

namespace {

const std::wstring kOption = L"Software\\Brenlow\\VaroqMain\\Option";
const std::wstring kTimeOut =
    L"競合していたTrayNotifyレジストリ処理が\nオプション設定された待ち時間内に終了しないため、\n処理を中止しました\n";
const std::wstring kAbandoned = L"競合していたTrayNotifyレジストリ処理が\n異常終了した可能性があるため、\n処理を中止しました\n";

std::wstring Helper(const wchar_t* mode)
{
    return L"\"" + TestBinDir() + L"test_helper.exe\" " + mode;
}


// What acquiring gives in this process: empty when acquired (and released again).
std::wstring AcquireFailure()
{
    try {
        const auto lock = std::make_shared<TMyMutexManager>();
        return L"";
    } catch (const classlib::Exception& error) {
        return error.Message();
    }
}

using TMyMutexManagerTest = CleanRegistryTest;

}  // namespace

TEST_F(TMyMutexManagerTest, AnotherProcessHoldingItMakesUsGiveUpAfterTheConfiguredWait)
{
    RunningProcess holder(Helper(L"hold"));
    ASSERT_NE(holder.ReadUntil("held").find("held"), std::string::npos);

    // No value: the default of 1000 ms.
    DWORD start = GetTickCount();
    EXPECT_EQ(AcquireFailure(), kTimeOut);
    EXPECT_GE(GetTickCount() - start, 900u);

    SetDword(kOption, L"ExclusiveAccessWait", 0);
    EXPECT_EQ(AcquireFailure(), kTimeOut);

    // Once the holder lets go, the same call succeeds.
    holder.CloseInput();
    EXPECT_EQ(holder.Wait(), 0u);
    EXPECT_EQ(AcquireFailure(), L"");
}

TEST_F(TMyMutexManagerTest, TheOwningThreadAcquiresAgainAndOthersWaitForTheLastRelease)
{
    SetDword(kOption, L"ExclusiveAccessWait", 0);
    auto first = std::make_shared<TMyMutexManager>();
    auto second = std::make_shared<TMyMutexManager>();  // at once, on the same thread
    auto shared = second;
    second.reset();
    EXPECT_EQ(RunProcess(Helper(L"try")).Output, Utf8(kTimeOut));
    first.reset();
    EXPECT_EQ(RunProcess(Helper(L"try")).Output, Utf8(kTimeOut));  // the copy still holds it
    shared.reset();
    EXPECT_EQ(RunProcess(Helper(L"try")).Output, "acquired");
}

TEST_F(TMyMutexManagerTest, ReleasingTheLastHoldingLetsOtherProcessesIn)
{
    SetDword(kOption, L"ExclusiveAccessWait", 0);
    {
        const auto lock = std::make_shared<TMyMutexManager>();
    }
    EXPECT_EQ(RunProcess(Helper(L"try")).Output, "acquired");
}

TEST_F(TMyMutexManagerTest, AKilledHolderIsReportedOnceAndLocksNobodyOut)
{
    SetDword(kOption, L"ExclusiveAccessWait", 5000);
    {
        RunningProcess holder(Helper(L"hold"));
        ASSERT_NE(holder.ReadUntil("held").find("held"), std::string::npos);
        holder.Kill();
    }
    EXPECT_EQ(AcquireFailure(), kAbandoned);
    // The abandoned ownership was handed back: another process gets in without waiting.
    SetDword(kOption, L"ExclusiveAccessWait", 0);
    EXPECT_EQ(RunProcess(Helper(L"try")).Output, "acquired");
    EXPECT_EQ(AcquireFailure(), L"");
}

TEST_F(TMyMutexManagerTest, AnOptionOfTheWrongTypeStopsBeforeWaiting)
{
    SetString(kOption, L"ExclusiveAccessWait", L"1000");
    EXPECT_THROW(TMyMutexManager(), classlib::ERegistryException);
}
