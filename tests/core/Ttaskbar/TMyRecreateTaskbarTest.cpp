#include "Ttaskbar/TMyRecreateTaskbar.h"

#include "classlib/Exception.h"
#include "support/MessagePump.h"
#include "support/RegistryFixture.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

using namespace test_support;

namespace {

const std::wstring kStandin = L"Software\\VaroqTest\\Standin";
const Bytes kLoaded = {1, 1, 1};   // in the registry when the first Explorer starts
const Bytes kLater = {2, 2, 2};    // written while it runs
const Bytes kWritten = {3, 3, 3};  // written while it is stopped

DWORD Counter(const wchar_t* name)
{
    const auto value = GetValue(kStandin, name);
    return value && value->size() == 4 ? *reinterpret_cast<const DWORD*>(value->data()) : 0;
}

// Closes every running stand-in the way a user's logoff would, so that it writes back.
void CloseExplorers()
{
    while (HWND progman = FindWindowW(L"Progman", nullptr)) {
        DWORD id = 0;
        GetWindowThreadProcessId(progman, &id);
        const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
        PostMessageW(progman, WM_CLOSE, 0, 0);
        WaitForSingleObject(process, 20000);
        CloseHandle(process);
    }
}

class TMyRecreateTaskbarTest : public CleanRegistryTest {
protected:
    void SetUp() override
    {
        CloseExplorers();
        CleanRegistryTest::SetUp();
        trayNotify = ExpectedTrayNotifyKey();
    }
    void TearDown() override
    {
        recreator.reset();
        CloseExplorers();
        CleanRegistryTest::TearDown();
    }

    // Starts Explorer as the library does and waits until it has announced its taskbar.
    void StartExplorer()
    {
        const DWORD announced = Counter(L"Announced");
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof info;
        info.lpFile = L"explorer.exe";
        info.nShow = SW_SHOWNORMAL;
        ASSERT_TRUE(ShellExecuteExW(&info));
        ASSERT_TRUE(PumpUntil([&] { return Counter(L"Announced") > announced; }, 60000));
        PumpFor(100);  // its broadcast is gone before a test's window exists
    }

    void Make(std::function<void()> onStopped = {})
    {
        recreator = std::make_unique<TMyRecreateTaskbar>(
            [this, onStopped] {
                events.push_back(L"stopped");
                if (onStopped) onStopped();
            },
            [this] { events.push_back(recreator && recreator->IsBusy() ? L"taskbar while busy" : L"taskbar while idle"); },
            [this](const wchar_t* message) { events.push_back(std::wstring(L"error: ") + message); },
            [this] {
                events.push_back(L"finished");
                if (onFinished) onFinished();
            });
    }

    bool Finished(DWORD timeoutMs = 60000)
    {
        return PumpUntil([this] { return !events.empty() && events.back() == L"finished"; }, timeoutMs);
    }

    std::wstring trayNotify;
    std::vector<std::wstring> events;
    std::function<void()> onFinished;
    std::unique_ptr<TMyRecreateTaskbar> recreator;
};

using Events = std::vector<std::wstring>;

}  // namespace

TEST_F(TMyRecreateTaskbarTest, AFullCycleStopsExplorerLetsTheOwnerWriteAndStartsItAgain)
{
    SetBinary(trayNotify, L"IconStreams", kLoaded);
    StartExplorer();
    SetBinary(trayNotify, L"IconStreams", kLater);

    HWND progmanWhileStopped = reinterpret_cast<HWND>(1);
    std::optional<Bytes> valueWhileStopped;
    Make([&] {
        progmanWhileStopped = FindWindowW(L"Progman", nullptr);
        valueWhileStopped = GetValue(trayNotify, L"IconStreams");
        SetBinary(trayNotify, L"IconStreams", kWritten);
    });
    recreator->Start(20000, true);
    EXPECT_TRUE(recreator->IsBusy());
    ASSERT_TRUE(Finished());

    EXPECT_EQ(events, (Events{L"stopped", L"taskbar while busy", L"finished"}));
    EXPECT_FALSE(recreator->IsBusy());
    EXPECT_EQ(progmanWhileStopped, nullptr);
    // Terminated, the first Explorer did not write its copy back.
    EXPECT_EQ(valueWhileStopped, kLater);
    EXPECT_EQ(Counter(L"Starts"), 2u);
    // The new Explorer read what the owner wrote, and keeps it on a normal close.
    CloseExplorers();
    EXPECT_EQ(GetValue(trayNotify, L"IconStreams"), kWritten);
}

TEST_F(TMyRecreateTaskbarTest, TheStandInOverwritesOnANormalCloseWhatWasWrittenWhileItRan)
{
    SetBinary(trayNotify, L"IconStreams", kLoaded);
    StartExplorer();
    SetBinary(trayNotify, L"IconStreams", kLater);
    CloseExplorers();
    EXPECT_EQ(GetValue(trayNotify, L"IconStreams"), kLoaded);
}

TEST_F(TMyRecreateTaskbarTest, WithoutRestartTheCycleEndsAfterTheWriteAndTheFinishedHandlerMayDestroyIt)
{
    StartExplorer();
    Make();
    onFinished = [this] { recreator.reset(); };
    recreator->Start(20000, false);
    ASSERT_TRUE(Finished());
    EXPECT_EQ(recreator, nullptr);
    PumpFor(1000);
    EXPECT_EQ(events, (Events{L"stopped", L"finished"}));
    EXPECT_EQ(FindWindowW(L"Progman", nullptr), nullptr);
    EXPECT_EQ(Counter(L"Starts"), 1u);
}

TEST_F(TMyRecreateTaskbarTest, WithoutExplorerTheCycleFailsAndStartsNothing)
{
    Make();
    recreator->Start(1000, true);
    ASSERT_TRUE(Finished());
    PumpFor(1000);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].rfind(L"error: ", 0), 0u);
    EXPECT_GT(events[0].size(), std::wstring(L"error: ").size());
    EXPECT_EQ(events[1], L"finished");
    EXPECT_EQ(Counter(L"Starts"), 0u);
    EXPECT_EQ(FindWindowW(L"Progman", nullptr), nullptr);
}

TEST_F(TMyRecreateTaskbarTest, AFailingWriteFailsTheCycleButExplorerComesBack)
{
    StartExplorer();
    Make([] { throw classlib::Exception(L"書き込めませんでした"); });
    recreator->Start(20000, true);
    ASSERT_TRUE(Finished());
    EXPECT_EQ(events, (Events{L"stopped", L"error: 書き込めませんでした", L"finished"}));
    // The restarted Explorer's announcement is a foreign one now.
    ASSERT_TRUE(PumpUntil([this] { return events.size() == 4; }, 60000));
    EXPECT_EQ(events[3], L"taskbar while idle");
    PumpFor(500);
    EXPECT_EQ(events.size(), 4u);
}

TEST_F(TMyRecreateTaskbarTest, ATaskbarAnnouncedWhileIdleOnlyCallsItsHandler)
{
    Make();
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    ASSERT_TRUE(PumpUntil([this] { return !events.empty(); }, 10000));
    PumpFor(500);
    EXPECT_EQ(events, (Events{L"taskbar while idle"}));
    EXPECT_FALSE(recreator->IsBusy());
}

TEST_F(TMyRecreateTaskbarTest, AnExplorerThatNeverAnnouncesItsTaskbarEndsTheCycleAsFailed)
{
    StartExplorer();
    SetDword(kStandin, L"NeverAnnounce", 1);  // for the Explorer that the cycle starts
    Make();
    recreator->SetTaskbarWait(2000);
    recreator->Start(20000, true);
    ASSERT_TRUE(Finished());
    EXPECT_EQ(events, (Events{L"stopped", L"error: エクスプローラ再起動待ちがタイムアウトしました", L"finished"}));
    EXPECT_FALSE(recreator->IsBusy());
    EXPECT_EQ(Counter(L"Starts"), 2u);
}

TEST_F(TMyRecreateTaskbarTest, AWorkerThatOutlivesItsObjectNeverCallsIntoIt)
{
    StartExplorer();
    DWORD destroyMs = 0;
    Make([&] {
        // Destroyed while its worker waits in this very call.
        const DWORD start = GetTickCount();
        recreator.reset();
        destroyMs = GetTickCount() - start;
    });
    recreator->Start(20000, true);
    ASSERT_TRUE(PumpUntil([this] { return recreator == nullptr; }, 60000));
    EXPECT_GE(destroyMs, 450u);  // it gave the worker its half second
    // The worker goes on and starts Explorer, but nothing reaches the destroyed object.
    ASSERT_TRUE(PumpUntil([] { return Counter(L"Announced") == 2; }, 60000));
    PumpFor(1000);
    EXPECT_EQ(events, (Events{L"stopped"}));
}
