// The library's main unit: the exported functions, the library-wide objects and the failure
// frame that turns every failure into one structured exception for the caller. No C++
// exception leaves an export.
#include "VaroqCore.h"

#include "FailureFrame.h"
#include "Oicnstrm/TMyIconStreams.h"
#include "classlib/Exception.h"
#include "classlib/TApplication.h"

#include <windows.h>

#include <cstddef>
#include <memory>
#include <set>
#include <string>

// The record that GetIcon hands over, laid out as hosts read it.
static_assert(sizeof(TMyIconItem) == 24, "TMyIconItem is 24 bytes");
static_assert(offsetof(TMyIconItem, ExePath) == 0 && offsetof(TMyIconItem, EntryText) == 4 &&
                  offsetof(TMyIconItem, Word520) == 8 && offsetof(TMyIconItem, Flag524) == 12 &&
                  offsetof(TMyIconItem, Padding) == 13 && offsetof(TMyIconItem, Word528) == 16 &&
                  offsetof(TMyIconItem, ImageIndex) == 20,
              "TMyIconItem field offsets");
static_assert(sizeof(void*) == 4 && sizeof(wchar_t) == 2 && sizeof(bool) == 1 && sizeof(double) == 8,
              "the exports pass 32-bit addresses, UTF-16 texts, one-byte booleans and 8-byte doubles");

namespace {

TMyHostValues g_host;
std::unique_ptr<TMyIconStreams> g_model;

using failure_frame::Run;
using failure_frame::RunVoid;

TMyIconStreams& Model()
{
    if (!g_model) {
        g_model = std::make_unique<TMyIconStreams>(g_host);
    }
    return *g_model;
}

}  // namespace

extern "C" {

void WINAPI Init(TMyHostValues::Notify onLoaded, TMyHostValues::Notify onRestarted,
                                       uint32_t reserved, TMyHostValues::ErrorNotify onError)
{
    g_host = TMyHostValues{onLoaded, onRestarted, reserved, onError};
}

void WINAPI Uninit()
{
    try {
        g_model.reset();
    } catch (...) {
        // No frame to report through; the model is gone either way.
    }
}

void WINAPI Load()
{
    RunVoid(L"Load", [] { Model().Load(); });
}

void WINAPI Save()
{
    RunVoid(L"Save", [] { Model().Save(true); });
}

bool WINAPI IsLoadDirty()
{
    return Run(L"IsLoadDirty", false, [] { return Model().IsLoadDirty(); });
}

bool WINAPI IsSaveDirty()
{
    return Run(L"IsSaveDirty", false, [] { return Model().IsSaveDirty(); });
}

double WINAPI SnapshotDateTime()
{
    return Run(L"SnapshotDateTime", 0.0, [] { return Model().SnapshotDateTime(); });
}

bool WINAPI IsBusy()
{
    return Run(L"IsBusy", false, [] { return Model().IsBusy(); });
}

int WINAPI GetCount()
{
    return Run(L"GetCount", 0, [] { return Model().GetCount(); });
}

// The record travels through the caller's buffer, whose address comes as a hidden first
// argument that this function removes with the index and returns.
TMyIconItem* WINAPI GetIcon(TMyIconItem* result, int index)
{
    *result = Run(L"GetIcon", TMyIconItem{}, [index] { return Model().GetIcon(index); });
    return result;
}

void WINAPI DeleteIcons(const uint32_t* positions, int count)
{
    RunVoid(L"DeleteIcons", [positions, count] {
        TMyIconStreams& model = Model();
        if (count < 0) {
            throw classlib::Exception(classlib::Format(L"削除するアイコンの数%sが不正です", {std::to_wstring(count)}));
        }
        const std::set<unsigned> set(positions, positions + count);
        model.DeleteIcons(set);
    });
}

void* WINAPI GetImageList()
{
    return Run<void*>(L"GetImageList", nullptr, [] { return static_cast<void*>(Model().GetImageList()); });
}

void WINAPI RestoreRegistry(const wchar_t* fileName)
{
    RunVoid(L"RestoreRegistry", [fileName] { Model().RestoreRegistry(fileName ? fileName : L""); });
}

// The restart flag is a bool in the low byte of its 32-bit argument.
void WINAPI AutomaticExec(uint32_t /*restart*/)
{
    RunVoid(L"AutomaticExec", [] { throw classlib::Exception(L"この機能はまだ使えません"); });
}

int WINAPI AutomaticExecIsBusy()
{
    return Run(L"AutomaticExecIsBusy", 0, [] { return 0; });
}

void WINAPI ProcessMessages()
{
    classlib::ProcessMessages();
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    // On FreeLibrary the model goes before the library's statics (its windows, its mutex
    // handle); when the process is ending, threads and windows are already gone or going
    // and nothing is torn down.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        Uninit();
    }
    return TRUE;
}
