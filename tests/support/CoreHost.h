// VaroqCore.dll as a host sees it: loaded by file name, its exports bound by name with
// explicit standard-call prototypes, and its failures (structured exception 0x100) caught
// by a vectored handler that copies the text and resumes, so that each export returns its
// after-failure result.
#pragma once

#include "VaroqCore.h"

#include <windows.h>

#include <string>
#include <vector>

namespace test_support {

class CoreHost {
public:
    using Notify = void(WINAPI*)();
    using ErrorNotify = void(WINAPI*)(const wchar_t*);

    explicit CoreHost(const std::wstring& dllPath);
    ~CoreHost();  // unloads the library
    CoreHost(const CoreHost&) = delete;
    CoreHost& operator=(const CoreHost&) = delete;

    // The failure texts raised since the last call, oldest first.
    std::vector<std::wstring> TakeFailures();

    void(WINAPI* Init)(Notify, Notify, uint32_t, ErrorNotify);
    void(WINAPI* Uninit)();
    void(WINAPI* Load)();
    void(WINAPI* Save)();
    bool(WINAPI* IsLoadDirty)();
    bool(WINAPI* IsSaveDirty)();
    double(WINAPI* SnapshotDateTime)();
    bool(WINAPI* IsBusy)();
    int(WINAPI* GetCount)();
    TMyIconItem(WINAPI* GetIcon)(int);
    void(WINAPI* DeleteIcons)(const uint32_t*, int);
    void*(WINAPI* GetImageList)();
    void(WINAPI* RestoreRegistry)(const wchar_t*);
    void(WINAPI* AutomaticExec)(uint32_t);
    int(WINAPI* AutomaticExecIsBusy)();
    void(WINAPI* ProcessMessages)();

    HMODULE Module() const { return module_; }
    FARPROC Address(const char* name) const;

private:
    HMODULE module_;
    PVOID handler_;
};

// VaroqCore.dll beside the running program.
std::wstring CoreDllPath();

}  // namespace test_support
