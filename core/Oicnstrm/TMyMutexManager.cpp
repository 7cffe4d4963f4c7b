#include "Oicnstrm/TMyMutexManager.h"

#include "Oicnstrm/TMyOptionParameter.h"
#include "classlib/Exception.h"

namespace {

// Made while the library's statics are built (at load) and closed with them (at unload).
const TMyMutexManager::MyMutex g_mutex;

}  // namespace

TMyMutexManager::MyMutex::MyMutex() noexcept
{
    handle_.reset(CreateMutexW(nullptr, FALSE, MutexName));
    if (!handle_) {
        createError_ = GetLastError();
    }
}

HANDLE TMyMutexManager::MyMutex::Handle() const
{
    if (!handle_) {
        classlib::RaiseLastOSError(createError_);
    }
    return handle_.get();
}

TMyMutexManager::TMyMutexManager()
{
    const HANDLE mutex = g_mutex.Handle();
    DWORD result;
    DWORD waitError = ERROR_SUCCESS;
    {
        const TMyOptionParameter options;
        result = WaitForSingleObject(mutex, static_cast<DWORD>(options.ExclusiveAccessWait()));
        if (result == WAIT_FAILED) {
            waitError = GetLastError();
        }
    }
    switch (result) {
    case WAIT_OBJECT_0:
        return;
    case WAIT_ABANDONED:
        // The system has made this thread the owner. Keeping that ownership while refusing
        // the operation would lock every other process out until this thread ends.
        ReleaseMutex(mutex);
        throw classlib::Exception(
            L"競合していたTrayNotifyレジストリ処理が\n異常終了した可能性があるため、\n処理を中止しました\n");
    case WAIT_TIMEOUT:
        throw classlib::Exception(
            L"競合していたTrayNotifyレジストリ処理が\nオプション設定された待ち時間内に終了しないため、\n処理を中止しました\n");
    default:
        classlib::RaiseLastOSError(waitError);
    }
}

TMyMutexManager::~TMyMutexManager()
{
    ReleaseMutex(g_mutex.RawHandle());
}
