#include "Ttaskbar/TMyExplorerProcess.h"

#include "classlib/Exception.h"

using classlib::Exception;
using classlib::RaiseLastOSError;

TMyExplorerProcess::TMyExplorerProcess(HANDLE interruptEvent) : Event(interruptEvent)
{
    SetLastError(ERROR_SUCCESS);
    ProgmanWindow = FindWindowW(L"Progman", nullptr);
    if (!ProgmanWindow) {
        const DWORD error = GetLastError();
        // A window that is simply not there leaves no error code; its text would then read
        // as a success.
        if (error == ERROR_SUCCESS) {
            throw Exception(L"エクスプローラが見つかりません");
        }
        RaiseLastOSError(error);
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(ProgmanWindow, &processId);
    Open(processId);
}

TMyExplorerProcess::TMyExplorerProcess(HANDLE interruptEvent, DWORD processId) : Event(interruptEvent)
{
    Open(processId);
}

void TMyExplorerProcess::Open(DWORD processId)
{
    Handle.reset(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
    if (!Handle) {
        RaiseLastOSError();
    }
}

void TMyExplorerProcess::Terminate()
{
    classlib::Win32Check(TerminateProcess(Handle.get(), 1));
}

void TMyExplorerProcess::WaitForExit(int waitTime)
{
    const HANDLE handles[] = {Handle.get(), Event};
    switch (WaitForMultipleObjects(2, handles, FALSE, static_cast<DWORD>(waitTime))) {
    case WAIT_OBJECT_0:
        return;
    case WAIT_OBJECT_0 + 1:
        throw Exception(L"エクスプローラ強制停止待ちが中断されました");
    case WAIT_TIMEOUT:
        throw Exception(L"エクスプローラ強制停止待ちがタイムアウトしました");
    default:
        RaiseLastOSError();
    }
}
