#include "classlib/TThread.h"

#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

using namespace classlib;

namespace {

// A worker whose body is a test's function; it tells when it is gone.
class LambdaThread final : public TThread {
public:
    LambdaThread(std::function<void(LambdaThread&)> body, std::atomic<bool>& destroyed)
        : body_(std::move(body)), destroyed_(destroyed)
    {
    }
    ~LambdaThread() override { destroyed_ = true; }
    using TThread::Synchronize;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(LambdaThread&)> body_;
    std::atomic<bool>& destroyed_;
};

}  // namespace

TEST(TThreadTest, SynchronisedCallsRunOnTheMainThreadAndTheirErrorsComeBackToTheWorker)
{
    ASSERT_EQ(MainThreadID(), GetCurrentThreadId());
    std::atomic<bool> destroyed{false};
    DWORD callThread = 0, endThread = 0;
    std::wstring caught;
    auto* thread = new LambdaThread(
        [&](LambdaThread& self) {
            self.Synchronize([&] { callThread = GetCurrentThreadId(); });
            try {
                self.Synchronize([] { throw Exception(L"呼び出し失敗"); });
            } catch (const Exception& error) {
                caught = error.Message();
            }
        },
        destroyed);
    thread->FreeOnTerminate = true;
    thread->OnTerminate = [&] { endThread = GetCurrentThreadId(); };
    thread->Start();

    // No wake-up hook is set here: the test runs the queue itself.
    ASSERT_TRUE(test_support::PumpUntil(
        [&] {
            CheckSynchronize();
            return destroyed.load();
        },
        30000));
    EXPECT_EQ(callThread, GetCurrentThreadId());
    EXPECT_EQ(endThread, GetCurrentThreadId());
    EXPECT_EQ(caught, L"呼び出し失敗");
}

TEST(TThreadTest, OnlyTheMainThreadMayRunTheQueue)
{
    std::atomic<bool> destroyed{false};
    std::atomic<bool> refused{false};
    auto* thread = new LambdaThread(
        [&](LambdaThread&) {
            try {
                CheckSynchronize();
            } catch (const EThread&) {
                refused = true;
            }
        },
        destroyed);
    thread->FreeOnTerminate = true;
    thread->Start();
    ASSERT_TRUE(test_support::PumpUntil([&] { return destroyed.load(); }, 30000));
    EXPECT_TRUE(refused);
}

TEST(TThreadTest, ATerminatedWorkerDropsItsQueuedCallsAndItsEndOfThreadEvent)
{
    std::atomic<bool> destroyed{false};
    std::atomic<bool> ran{false}, returned{false}, result{true}, ended{false};
    HANDLE queued = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto* thread = new LambdaThread(
        [&](LambdaThread& self) {
            SetEvent(queued);
            result = self.Synchronize([&] { ran = true; });
            returned = true;
        },
        destroyed);
    thread->FreeOnTerminate = true;
    thread->OnTerminate = [&] { ended = true; };
    thread->Start();
    ASSERT_EQ(WaitForSingleObject(queued, 30000), WAIT_OBJECT_0);
    Sleep(200);  // the call is (most likely) in the queue now; either way it must not run
    thread->Terminate();
    ASSERT_TRUE(test_support::PumpUntil([&] { return destroyed.load(); }, 30000));
    CheckSynchronize();
    EXPECT_TRUE(returned);
    EXPECT_FALSE(result);
    EXPECT_FALSE(ran);
    EXPECT_FALSE(ended);
    CloseHandle(queued);
}
