#include "TThread.h"

#include "TCriticalSection.h"

#include <algorithm>
#include <deque>

namespace classlib {

namespace {

// Initialised while the module's statics are built: in the DLL that is during the load, on
// the loading thread.
const DWORD g_mainThreadId = GetCurrentThreadId();

struct SyncCall {
    const std::function<void()>* Call;
    std::exception_ptr Error;
    KernelHandle Done;
};

TCriticalSection g_lock;  // guards the queue and the hook
std::deque<SyncCall*> g_queue;
TWakeMainThread g_wake;

KernelHandle NewEvent(BOOL manualReset)
{
    KernelHandle event(CreateEventW(nullptr, manualReset, FALSE, nullptr));
    if (!event) {
        RaiseLastOSError();
    }
    return event;
}

}  // namespace

DWORD MainThreadID() noexcept
{
    return g_mainThreadId;
}

TWakeMainThread GetWakeMainThread()
{
    const TCriticalSection::Lock guard(g_lock);
    return g_wake;
}

void SetWakeMainThread(TWakeMainThread hook)
{
    const TCriticalSection::Lock guard(g_lock);
    g_wake = hook;
}

bool CheckSynchronize(int /*timeout*/)
{
    if (GetCurrentThreadId() != g_mainThreadId) {
        throw EThread(L"CheckSynchronize called from a thread other than the main thread");
    }
    bool ran = false;
    for (;;) {
        SyncCall* next = nullptr;
        {
            const TCriticalSection::Lock guard(g_lock);
            if (g_queue.empty()) {
                return ran;
            }
            next = g_queue.front();
            g_queue.pop_front();
        }
        try {
            (*next->Call)();
        } catch (...) {
            next->Error = std::current_exception();
        }
        ran = true;
        // The worker owns the entry: once Done is set it may go at any moment.
        SetEvent(next->Done.get());
    }
}

TThread::TThread() : terminateEvent_(NewEvent(TRUE)) {}

TThread::~TThread() = default;

void TThread::Start()
{
    // The system thread is made only now, so that an object whose construction failed
    // halfway never leaves a suspended thread behind. Nothing of this object is touched
    // after CreateThread: a thread that frees itself may already be gone.
    DWORD id = 0;
    const KernelHandle thread(CreateThread(nullptr, 0, &TThread::ThreadProc, this, 0, &id));
    if (!thread) {
        RaiseLastOSError();
    }
}

void TThread::Terminate() noexcept
{
    terminated_ = true;
    // Last touch of this object: the thread may free itself once it sees the event.
    SetEvent(terminateEvent_.get());
}

bool TThread::Synchronize(const std::function<void()>& call)
{
    if (terminated_) {
        return false;
    }
    SyncCall entry{&call, nullptr, NewEvent(FALSE)};
    TWakeMainThread wake;
    {
        const TCriticalSection::Lock guard(g_lock);
        g_queue.push_back(&entry);
        wake = g_wake;
    }
    if (wake.Wake) {
        wake.Wake(wake.Context);
    }
    const HANDLE handles[] = {entry.Done.get(), terminateEvent_.get()};
    if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0) {
        // Terminated: take the call back unless the main thread has already taken it, in
        // which case it is running now and has to be waited for.
        {
            const TCriticalSection::Lock guard(g_lock);
            const auto it = std::find(g_queue.begin(), g_queue.end(), &entry);
            if (it != g_queue.end()) {
                g_queue.erase(it);
                return false;
            }
        }
        WaitForSingleObject(entry.Done.get(), INFINITE);
    }
    if (entry.Error) {
        std::rethrow_exception(entry.Error);
    }
    return true;
}

DWORD WINAPI TThread::ThreadProc(void* self) noexcept
{
    auto* thread = static_cast<TThread*>(self);
    try {
        thread->Execute();
    } catch (...) {
        // Execute reports its own failures; nothing may leave the thread routine.
    }
    if (thread->OnTerminate) {
        try {
            thread->Synchronize(thread->OnTerminate);
        } catch (...) {
        }
    }
    if (thread->FreeOnTerminate) {
        delete thread;
    }
    return 0;
}

}  // namespace classlib
