#include "support/CoreHost.h"

#include "support/ChildProcess.h"

#include <stdexcept>

namespace test_support {

namespace {

std::vector<std::wstring> g_failures;

LONG CALLBACK CatchCoreFailure(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode != 0x100) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    const auto* text = record->NumberParameters == 1 ? reinterpret_cast<const wchar_t*>(record->ExceptionInformation[0])
                                                     : nullptr;
    g_failures.push_back(text ? std::wstring(text) : std::wstring(L"<null text>"));
    return EXCEPTION_CONTINUE_EXECUTION;
}

template <typename Function>
void Bind(HMODULE module, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!function) {
        throw std::runtime_error(std::string("VaroqCore.dll has no export ") + name);
    }
}

}  // namespace

std::wstring CoreDllPath()
{
    return TestBinDir() + L"VaroqCore.dll";
}

CoreHost::CoreHost(const std::wstring& dllPath) : module_(LoadLibraryW(dllPath.c_str()))
{
    if (!module_) {
        throw std::runtime_error("VaroqCore.dll did not load");
    }
    handler_ = AddVectoredExceptionHandler(1, CatchCoreFailure);
    Bind(module_, "Init", Init);
    Bind(module_, "Uninit", Uninit);
    Bind(module_, "Load", Load);
    Bind(module_, "Save", Save);
    Bind(module_, "IsLoadDirty", IsLoadDirty);
    Bind(module_, "IsSaveDirty", IsSaveDirty);
    Bind(module_, "SnapshotDateTime", SnapshotDateTime);
    Bind(module_, "IsBusy", IsBusy);
    Bind(module_, "GetCount", GetCount);
    Bind(module_, "GetIcon", GetIcon);
    Bind(module_, "DeleteIcons", DeleteIcons);
    Bind(module_, "GetImageList", GetImageList);
    Bind(module_, "RestoreRegistry", RestoreRegistry);
    Bind(module_, "AutomaticExec", AutomaticExec);
    Bind(module_, "AutomaticExecIsBusy", AutomaticExecIsBusy);
    Bind(module_, "ProcessMessages", ProcessMessages);
    g_failures.clear();
}

CoreHost::~CoreHost()
{
    FreeLibrary(module_);
    RemoveVectoredExceptionHandler(handler_);
}

std::vector<std::wstring> CoreHost::TakeFailures()
{
    std::vector<std::wstring> taken;
    taken.swap(g_failures);
    return taken;
}

FARPROC CoreHost::Address(const char* name) const
{
    return GetProcAddress(module_, name);
}

}  // namespace test_support
