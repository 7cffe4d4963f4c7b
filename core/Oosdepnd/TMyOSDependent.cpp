#include "Oosdepnd/TMyOSDependent.h"

#include "classlib/Exception.h"
#include "classlib/UniqueHandle.h"

#include <windows.h>

using classlib::Exception;
using classlib::LoadedModule;
using classlib::RaiseLastOSError;

namespace {

static_assert(sizeof(OSVERSIONINFOW) == 276, "GetVersionExW is given the size of the plain structure");

// Declared by the SDK for Vista and later only; XP-level headers lack them.
constexpr DWORD kMsgFltAdd = 1;
constexpr DWORD kMsgFltRemove = 2;

class TMyImplBase {
public:
    virtual ~TMyImplBase() = default;
    virtual int GetMajorVersion() const = 0;
    virtual const wchar_t* GetTrayNotifyKey() const = 0;

    int UseCount = 0;
};

class TMyImplXP final : public TMyImplBase {
public:
    int GetMajorVersion() const override { return 5; }
    const wchar_t* GetTrayNotifyKey() const override
    {
        return L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify";
    }
};

class TMyImplVista final : public TMyImplBase {
public:
    int GetMajorVersion() const override { return 6; }
    const wchar_t* GetTrayNotifyKey() const override
    {
        return L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\TrayNotify";
    }

private:
    // Keeps "TaskbarCreated" on the process's message filter while it exists, so that the
    // broadcast still arrives when the process runs with raised integrity.
    class ChangeWindowMessageFilterMgr {
    public:
        ChangeWindowMessageFilterMgr();
        ~ChangeWindowMessageFilterMgr();
        ChangeWindowMessageFilterMgr(const ChangeWindowMessageFilterMgr&) = delete;
        ChangeWindowMessageFilterMgr& operator=(const ChangeWindowMessageFilterMgr&) = delete;

    private:
        // XP has no ChangeWindowMessageFilter, so it is looked up at run time rather than
        // imported: an import would keep the library from loading there.
        struct MyChangeWindowMessageFilter {
            using Function = BOOL(WINAPI*)(UINT message, DWORD flag);
            LoadedModule User32;
            Function Call = nullptr;
        };

        UINT TaskbarCreated_;
        MyChangeWindowMessageFilter Filter_;
    };

    ChangeWindowMessageFilterMgr FilterMgr_;
};

TMyImplVista::ChangeWindowMessageFilterMgr::ChangeWindowMessageFilterMgr()
{
    TaskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    const DWORD registerError = TaskbarCreated_ ? ERROR_SUCCESS : GetLastError();
    Filter_.User32.reset(LoadLibraryW(L"user32.dll"));
    const DWORD loadError = Filter_.User32 ? ERROR_SUCCESS : GetLastError();
    if (Filter_.User32) {
        Filter_.Call = reinterpret_cast<MyChangeWindowMessageFilter::Function>(
            reinterpret_cast<void*>(GetProcAddress(Filter_.User32.get(), "ChangeWindowMessageFilter")));
    }
    const DWORD lookupError = Filter_.Call ? ERROR_SUCCESS : GetLastError();

    if (!Filter_.User32) {
        RaiseLastOSError(loadError);
    }
    if (!Filter_.Call) {
        RaiseLastOSError(lookupError);
    }
    if (!TaskbarCreated_) {
        RaiseLastOSError(registerError);
    }
    if (!Filter_.Call(TaskbarCreated_, kMsgFltAdd)) {
        RaiseLastOSError();
    }
}

TMyImplVista::ChangeWindowMessageFilterMgr::~ChangeWindowMessageFilterMgr()
{
    Filter_.Call(TaskbarCreated_, kMsgFltRemove);
}

// The process-wide variant. Destroyed with the last TMyOSDependent, or at library unload.
std::unique_ptr<TMyImplBase> g_variant;

std::unique_ptr<TMyImplBase> CreateVariant()
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    classlib::Win32Check(GetVersionExW(&info));
#pragma GCC diagnostic pop
    switch (info.dwMajorVersion) {
    case 5: return std::make_unique<TMyImplXP>();
    case 6: return std::make_unique<TMyImplVista>();
    default: throw Exception(L"このバージョンのOSには対応しません");
    }
}

}  // namespace

class TMyOSDependent::Impl {
public:
    Impl()
    {
        if (!g_variant) {
            g_variant = CreateVariant();
        }
        ++g_variant->UseCount;
    }
    ~Impl()
    {
        if (--g_variant->UseCount == 0) {
            g_variant.reset();
        }
    }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    const TMyImplBase& Variant() const noexcept { return *g_variant; }
};

TMyOSDependent::TMyOSDependent() : impl_(std::make_shared<Impl>()) {}

int TMyOSDependent::GetMajorVersion() const
{
    return impl_->Variant().GetMajorVersion();
}

const wchar_t* TMyOSDependent::GetTrayNotifyKey() const
{
    return impl_->Variant().GetTrayNotifyKey();
}
