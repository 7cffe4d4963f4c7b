// The running Explorer, found through its desktop window of class "Progman": opened so that
// it can be told to end and waited for, with an event that interrupts the wait.
#pragma once

#include "classlib/UniqueHandle.h"

class TMyExplorerProcess {
public:
    using ProcessHandle = classlib::KernelHandle;

    // Finds the "Progman" window and opens its process; raises the OS error (or, when the
    // system gives no error code for a missing window, "エクスプローラが見つかりません").
    explicit TMyExplorerProcess(HANDLE interruptEvent);
    // The same for a known process, without a window.
    TMyExplorerProcess(HANDLE interruptEvent, DWORD processId);

    // TerminateProcess with exit code 1; raises the OS error.
    void Terminate();
    // Waits for the process to end: returns when it has, raises Exception
    // "エクスプローラ強制停止待ちが中断されました" when the interrupt event comes first,
    // "エクスプローラ強制停止待ちがタイムアウトしました" after waitTime milliseconds, and the OS
    // error when the wait fails.
    void WaitForExit(int waitTime);

private:
    void Open(DWORD processId);

    HANDLE Event;  // borrowed from the worker
    HWND ProgmanWindow = nullptr;
    ProcessHandle Handle;
};
