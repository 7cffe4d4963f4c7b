#include "Ttaskbar/TMyRecreateTaskbar.h"

#include "Ttaskbar/TMyExplorerProcess.h"
#include "classlib/AllocateHWnd.h"
#include "classlib/Exception.h"
#include "classlib/TThread.h"

#include <shellapi.h>

#include <string>

using classlib::Exception;
using classlib::KernelHandle;
using classlib::TThread;

namespace {

constexpr UINT_PTR kTaskbarWaitTimer = 1;

static_assert(sizeof(SHELLEXECUTEINFOW) == 60, "the shell is given the plain structure");

}  // namespace

class TMyRecreateTaskbar::Impl : public std::enable_shared_from_this<Impl> {
public:
    Impl(Handler stopped, Handler taskbarCreated, ErrorHandlerFn error, Handler finished);
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    void Start(int waitTime, bool restart);

    // The hidden window, made on the constructing thread and destroyed with this object.
    class MyAllocateHWnd {
    public:
        explicit MyAllocateHWnd(Impl& owner);
        ~MyAllocateHWnd() { classlib::DeallocateHWnd(Handle); }
        MyAllocateHWnd(const MyAllocateHWnd&) = delete;
        MyAllocateHWnd& operator=(const MyAllocateHWnd&) = delete;
        const HWND Handle;
    };

    // Points the library's wake-up hook at the hidden window, so that every synchronised
    // call of a worker arrives there as WM_MYSYNCHRONIZE; puts the previous hook back.
    class DLLSynchronizer {
    public:
        explicit DLLSynchronizer(HWND window);
        ~DLLSynchronizer() { classlib::SetWakeMainThread(SavedWakeMainThread); }
        DLLSynchronizer(const DLLSynchronizer&) = delete;
        DLLSynchronizer& operator=(const DLLSynchronizer&) = delete;

    private:
        static void Wake(void* window) { PostMessageW(static_cast<HWND>(window), WM_MYSYNCHRONIZE, 0, 0); }
        HWND Window;
        classlib::TWakeMainThread SavedWakeMainThread;
    };

    class MyThread;

    Handler StoppedHandler;
    Handler TaskbarCreatedHandler;
    ErrorHandlerFn ErrorHandler;
    Handler FinishedHandler;
    MyAllocateHWnd Window;
    MyThread* Thread = nullptr;  // not owning: the worker frees itself
    bool Busy = false;
    UINT TaskbarCreatedMessage;
    DLLSynchronizer Synchronizer;
    // Tags WM_MYFINISHED, so that each cycle finishes once and a late message of an earlier
    // cycle cannot end a later one.
    WPARAM Cycle = 0;
    DWORD TaskbarWait = DefaultTaskbarWait;

private:
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void PostFinished(WPARAM cycle) { PostMessageW(Window.Handle, WM_MYFINISHED, cycle, 0); }
    void OnWorkerEnded(bool restart, bool failed, WPARAM cycle);
};

// The worker of one cycle. It reaches its Impl only through synchronised calls, which check
// that the Impl still exists, and through messages to its window.
class TMyRecreateTaskbar::Impl::MyThread final : public TThread {
public:
    using EventHandle = KernelHandle;

    MyThread(int waitTime, bool restart);

    EventHandle Event;  // interrupts the wait for Explorer to end
    const int WaitTime;
    const bool Restart;
    std::function<void()> OnExplorerStopped;
    std::function<void()> OnThreadError;
    std::wstring ErrorMessage;
    bool Failed = false;

protected:
    void Execute() override;

private:
    void Report(const std::wstring& message);
};

namespace {

KernelHandle NewInterruptEvent()
{
    KernelHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!event) {
        classlib::RaiseLastOSError();
    }
    return event;
}

// Stopping Explorer and, once it is down, starting it again when asked.
class ExplorerProcessMgr {
public:
    ExplorerProcessMgr(TMyExplorerProcess& process, bool restart, int waitTime) : Process(process), Restart(restart)
    {
        Process.Terminate();
        Process.WaitForExit(waitTime);
    }

    void StartAgain()
    {
        if (!Restart) {
            return;
        }
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof info;
        info.lpFile = L"explorer.exe";
        info.nShow = SW_SHOWNORMAL;
        classlib::Win32Check(ShellExecuteExW(&info));
    }

private:
    TMyExplorerProcess& Process;
    const bool Restart;
};

}  // namespace

TMyRecreateTaskbar::Impl::MyThread::MyThread(int waitTime, bool restart)
    : Event(NewInterruptEvent()), WaitTime(waitTime), Restart(restart)
{
    FreeOnTerminate = true;
}

void TMyRecreateTaskbar::Impl::MyThread::Execute()
{
    try {
        TMyExplorerProcess process(Event.get());
        ExplorerProcessMgr explorer(process, Restart, WaitTime);
        // Explorer is down: whatever the owner's write does, Explorer is started again.
        std::exception_ptr stoppedFailure;
        try {
            Synchronize(OnExplorerStopped);
        } catch (...) {
            stoppedFailure = std::current_exception();
        }
        explorer.StartAgain();
        if (stoppedFailure) {
            std::rethrow_exception(stoppedFailure);
        }
    } catch (const Exception& error) {
        Report(error.Message());
    } catch (...) {
        Report(L"エクスプローラの強制停止と再起動中に不明の例外が発生しました");
    }
}

void TMyRecreateTaskbar::Impl::MyThread::Report(const std::wstring& message)
{
    ErrorMessage = message;
    Failed = true;
    try {
        Synchronize(OnThreadError);
    } catch (...) {
        // The owner's error handler failing leaves nothing more to report to.
    }
}

TMyRecreateTaskbar::Impl::MyAllocateHWnd::MyAllocateHWnd(Impl& owner)
    : Handle(classlib::AllocateHWnd([&owner](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
          return owner.WindowProc(window, message, wParam, lParam);
      }))
{
}

TMyRecreateTaskbar::Impl::DLLSynchronizer::DLLSynchronizer(HWND window)
    : Window(window), SavedWakeMainThread(classlib::GetWakeMainThread())
{
    classlib::SetWakeMainThread({&DLLSynchronizer::Wake, Window});
}

namespace {

UINT RegisterTaskbarCreated()
{
    const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    if (!message) {
        classlib::RaiseLastOSError();
    }
    return message;
}

}  // namespace

TMyRecreateTaskbar::Impl::Impl(Handler stopped, Handler taskbarCreated, ErrorHandlerFn error, Handler finished)
    : StoppedHandler(std::move(stopped)),
      TaskbarCreatedHandler(std::move(taskbarCreated)),
      ErrorHandler(std::move(error)),
      FinishedHandler(std::move(finished)),
      Window(*this),
      TaskbarCreatedMessage(RegisterTaskbarCreated()),
      Synchronizer(Window.Handle)
{
}

TMyRecreateTaskbar::Impl::~Impl()
{
    if (Thread) {
        // The worker may be waiting for Explorer to end: interrupt it, and make sure that
        // nothing it still has to say reaches this object once it is gone.
        SetEvent(Thread->Event.get());
        Thread->Terminate();
        Thread = nullptr;
        Sleep(500);
    }
    KillTimer(Window.Handle, kTaskbarWaitTimer);
}

void TMyRecreateTaskbar::Impl::Start(int waitTime, bool restart)
{
    auto worker = std::make_unique<MyThread>(waitTime, restart);
    const std::weak_ptr<Impl> self = weak_from_this();
    const WPARAM cycle = Cycle + 1;
    MyThread* const raw = worker.get();
    // Handlers are called through copies, and without holding the object: a handler may
    // destroy it, and with it the member it was called through.
    worker->OnExplorerStopped = [self] {
        Handler stopped;
        if (const auto impl = self.lock()) {
            stopped = impl->StoppedHandler;
        }
        if (stopped) stopped();
    };
    worker->OnThreadError = [self, raw, cycle] {
        ErrorHandlerFn error;
        if (const auto impl = self.lock()) {
            impl->PostFinished(cycle);  // handled after this call, so after the error handler
            error = impl->ErrorHandler;
        }
        if (error) error(raw->ErrorMessage.c_str());
    };
    worker->OnTerminate = [self, raw, cycle] {
        if (const auto impl = self.lock()) {
            impl->OnWorkerEnded(raw->Restart, raw->Failed, cycle);
        }
    };
    Busy = true;
    Cycle = cycle;
    try {
        worker->Start();
    } catch (...) {
        Busy = false;
        throw;
    }
    Thread = worker.release();
}

void TMyRecreateTaskbar::Impl::OnWorkerEnded(bool restart, bool failed, WPARAM cycle)
{
    Thread = nullptr;
    if (failed || cycle != Cycle || !Busy) {
        return;  // a failure has posted its own end; a finished cycle needs none
    }
    if (!restart) {
        PostFinished(cycle);
        return;
    }
    // The cycle now ends with the new Explorer's "TaskbarCreated"; bound that wait, so that
    // an Explorer that never announces itself cannot keep the exclusive access for ever.
    SetTimer(Window.Handle, kTaskbarWaitTimer, TaskbarWait, nullptr);
}

LRESULT TMyRecreateTaskbar::Impl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MYSYNCHRONIZE: {
        try {
            classlib::CheckSynchronize(0);
        } catch (...) {
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    case WM_MYFINISHED:
        if (wParam != Cycle || !Busy) {
            return 0;
        }
        KillTimer(window, kTaskbarWaitTimer);
        Busy = false;
        if (const Handler finished = FinishedHandler) {
            finished();  // may destroy this object: nothing is touched afterwards
        }
        return 0;
    case WM_TIMER:
        if (wParam == kTaskbarWaitTimer) {
            KillTimer(window, kTaskbarWaitTimer);
            if (Busy) {
                PostFinished(Cycle);
                if (const ErrorHandlerFn error = ErrorHandler) {
                    error(L"エクスプローラ再起動待ちがタイムアウトしました");  // may destroy this object
                }
            }
            return 0;
        }
        break;
    default:
        break;
    }
    const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
    if (message == TaskbarCreatedMessage) {
        const std::weak_ptr<Impl> alive = weak_from_this();
        if (const Handler created = TaskbarCreatedHandler) {
            created();
        }
        if (!alive.expired() && Busy) {
            KillTimer(window, kTaskbarWaitTimer);
            PostFinished(Cycle);
        }
    }
    return result;
}

TMyRecreateTaskbar::TMyRecreateTaskbar(Handler stopped, Handler taskbarCreated, ErrorHandlerFn error, Handler finished)
    : impl_(std::make_shared<Impl>(std::move(stopped), std::move(taskbarCreated), std::move(error), std::move(finished)))
{
}

void TMyRecreateTaskbar::Start(int waitTime, bool restart)
{
    impl_->Start(waitTime, restart);
}

bool TMyRecreateTaskbar::IsBusy() const
{
    return impl_->Busy;
}

void TMyRecreateTaskbar::SetTaskbarWait(DWORD milliseconds)
{
    impl_->TaskbarWait = milliseconds;
}
