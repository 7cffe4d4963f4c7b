// One Explorer restart cycle for its owner: a worker thread stops the running Explorer, the
// owner writes its values while Explorer is down, Explorer is started again when asked, and
// the owner hears when the cycle is over or has failed. Every handler runs on the owner's
// thread (the thread that loaded the library), which must keep dispatching messages.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

class TMyRecreateTaskbar {
public:
    using Handler = std::function<void()>;
    using ErrorHandlerFn = std::function<void(const wchar_t* message)>;

    static constexpr UINT WM_MYSYNCHRONIZE = WM_USER + 100;
    static constexpr UINT WM_MYFINISHED = WM_USER + 512;
    // How long a restarted Explorer may take to announce its taskbar before the cycle ends
    // as failed.
    static constexpr DWORD DefaultTaskbarWait = 60000;

    // stopped: while Explorer is down (its error fails the cycle); taskbarCreated: on every
    // "TaskbarCreated"; error: once for a failed cycle; finished: once when a cycle is over,
    // and it may destroy this object. Raises the OS error when the message cannot be
    // registered.
    TMyRecreateTaskbar(Handler stopped, Handler taskbarCreated, ErrorHandlerFn error, Handler finished);

    // Starts a cycle and returns at once; waitTime is how long to wait for Explorer to end
    // (milliseconds, -1 without limit). Raises when the worker cannot be made, leaving the
    // object idle.
    void Start(int waitTime, bool restart);
    // From Start until just before the finished handler runs.
    bool IsBusy() const;

    void SetTaskbarWait(DWORD milliseconds);

    class Impl;

private:
    std::shared_ptr<Impl> impl_;
};
