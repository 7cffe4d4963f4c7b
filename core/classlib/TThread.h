// A worker thread in the style the library's Explorer restart needs: created suspended,
// optionally freeing itself when it ends, with an end-of-thread event and synchronised calls
// that run on the library's main thread while the worker waits. No C++ exception leaves the
// thread routine.
#pragma once

#include "Exception.h"
#include "UniqueHandle.h"

#include <atomic>
#include <exception>
#include <functional>

namespace classlib {

class EThread : public Exception {
public:
    using Exception::Exception;
};

// The thread that loaded the library (for a program that links the code directly: the
// thread that started it). Synchronised calls run only there.
DWORD MainThreadID() noexcept;

// The hook a worker calls after queueing a synchronised call, so that the main thread comes
// round to running the queue. One process-wide slot.
struct TWakeMainThread {
    void (*Wake)(void* context) = nullptr;
    void* Context = nullptr;
};
TWakeMainThread GetWakeMainThread();
void SetWakeMainThread(TWakeMainThread hook);

// Runs the queued synchronised calls on the main thread; raises EThread on any other
// thread. Returns whether any call ran. Only a time-out of 0 (do not wait) is supported.
bool CheckSynchronize(int timeout = 0);

class TThread {
public:
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Lets the thread run; raises the OS error when it cannot be created. After this, an
    // object with FreeOnTerminate set must not be touched by its creator except through what
    // it offers as safe below.
    void Start();

    // Asks the thread to end: sets Terminated and makes every synchronised call it has
    // queued, or queues later, return without running. Safe until the thread's end-of-thread
    // event has run; the thread may free itself as soon as this returns.
    void Terminate() noexcept;

    bool FreeOnTerminate = false;
    // Runs on the main thread, through the synchronised-call queue, after Execute returns.
    std::function<void()> OnTerminate;

protected:
    // Made suspended: the thread runs from Start on.
    TThread();
    virtual ~TThread();

    virtual void Execute() = 0;
    bool Terminated() const noexcept { return terminated_.load(); }

    // Runs the call on the main thread and waits for it; an error it raises is raised again
    // here. Returns false, without running it, once the thread has been terminated.
    bool Synchronize(const std::function<void()>& call);

private:
    static DWORD WINAPI ThreadProc(void* self) noexcept;

    KernelHandle terminateEvent_;
    std::atomic<bool> terminated_{false};
};

}  // namespace classlib
