// One holding of the exclusive access to the tray history that all processes using the
// library share: a named mutex, waited for as long as the option ExclusiveAccessWait says.
// Ownership is counted per thread, so the holding thread can acquire again at once. Always
// kept through a shared pointer, so that a holding can outlive the call that made it.
#pragma once

#include "classlib/UniqueHandle.h"

class TMyMutexManager {
public:
    static constexpr const wchar_t* MutexName = L"{363BF05D-FDCA-4B76-AE4C-FAE844700D1F}";

    // Acquires or raises: Exception with the time-out or the abandoned text, the OS error
    // when the wait itself fails, the registry error when the option key cannot be opened.
    TMyMutexManager();
    // Releases this one acquisition.
    ~TMyMutexManager();
    TMyMutexManager(const TMyMutexManager&) = delete;
    TMyMutexManager& operator=(const TMyMutexManager&) = delete;

    // The process's handle to the named mutex, opened while the library loads and closed
    // when it unloads.
    class MyMutex {
    public:
        MyMutex() noexcept;
        HANDLE Handle() const;  // raises the OS error of the failed creation
        HANDLE RawHandle() const noexcept { return handle_.get(); }

    private:
        classlib::KernelHandle handle_;
        DWORD createError_ = ERROR_SUCCESS;
    };
};
