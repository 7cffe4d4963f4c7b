// The library's main unit: the exported functions, the library-wide objects and the failure
// frame that turns every failure into one structured exception for the caller. No C++
// exception leaves an export.
#include "VaroqCore.h"

#include "Oicnstrm/TMyIconStreams.h"
#include "classlib/Exception.h"
#include "classlib/TApplication.h"

#include <windows.h>

#include <cstddef>
#include <exception>
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

constexpr DWORD kFailureCode = 0x100;

TMyHostValues g_host;
std::unique_ptr<TMyIconStreams> g_model;

// The text of the failure being reported. Library-owned, so it outlives the caller's filter
// and is not lost (nor leaked) when the caller unwinds past the export without running any
// of the library's code again; the next failure reuses it.
std::wstring g_failureText;

std::wstring FromAnsi(const char* text)
{
    if (!text || !*text) {
        return std::wstring();
    }
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    wide.resize(wide.find(L'\0'));
    return wide;
}

void RaiseFailure(std::wstring message)
{
    g_failureText = std::move(message);
    const ULONG_PTR argument = reinterpret_cast<ULONG_PTR>(g_failureText.c_str());
    RaiseException(kFailureCode, 0, 1, &argument);
}

// Runs the work of an export; a failure is raised to the caller, and when the caller
// resumes, the export returns its after-failure result.
template <typename Result, typename Work>
Result Frame(const wchar_t* exportName, Result afterFailure, Work work) noexcept
{
    std::wstring message;
    try {
        return work();
    } catch (const classlib::Exception& error) {
        message = error.Message();
    } catch (const std::exception& error) {
        message = FromAnsi(error.what());
    } catch (...) {
        message = classlib::Format(L"%sで不明の例外が発生しました", {exportName});
    }
    try {
        RaiseFailure(std::move(message));
    } catch (...) {
        // Not even the text could be kept: the caller still hears of the failure.
        RaiseException(kFailureCode, 0, 1, reinterpret_cast<const ULONG_PTR*>(&L""));
    }
    return afterFailure;
}

template <typename Work>
void FrameVoid(const wchar_t* exportName, Work work) noexcept
{
    Frame<int>(exportName, 0, [&] {
        work();
        return 0;
    });
}

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
    FrameVoid(L"Load", [] { Model().Load(); });
}

void WINAPI Save()
{
    FrameVoid(L"Save", [] { Model().Save(true); });
}

bool WINAPI IsLoadDirty()
{
    return Frame(L"IsLoadDirty", false, [] { return Model().IsLoadDirty(); });
}

bool WINAPI IsSaveDirty()
{
    return Frame(L"IsSaveDirty", false, [] { return Model().IsSaveDirty(); });
}

double WINAPI SnapshotDateTime()
{
    return Frame(L"SnapshotDateTime", 0.0, [] { return Model().SnapshotDateTime(); });
}

bool WINAPI IsBusy()
{
    return Frame(L"IsBusy", false, [] { return Model().IsBusy(); });
}

int WINAPI GetCount()
{
    return Frame(L"GetCount", 0, [] { return Model().GetCount(); });
}

// The record travels through the caller's buffer, whose address comes as a hidden first
// argument that this function removes with the index and returns.
TMyIconItem* WINAPI GetIcon(TMyIconItem* result, int index)
{
    *result = Frame(L"GetIcon", TMyIconItem{}, [index] { return Model().GetIcon(index); });
    return result;
}

void WINAPI DeleteIcons(const uint32_t* positions, int count)
{
    FrameVoid(L"DeleteIcons", [positions, count] {
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
    return Frame<void*>(L"GetImageList", nullptr, [] { return static_cast<void*>(Model().GetImageList()); });
}

void WINAPI RestoreRegistry(const wchar_t* fileName)
{
    FrameVoid(L"RestoreRegistry", [fileName] { Model().RestoreRegistry(fileName ? fileName : L""); });
}

void WINAPI AutomaticExec(uint32_t restart)
{
    FrameVoid(L"AutomaticExec", [restart] {
        (void)(restart & 0xFF);
        throw classlib::Exception(L"この機能はまだ使えません");
    });
}

int WINAPI AutomaticExecIsBusy()
{
    return Frame(L"AutomaticExecIsBusy", 0, [] { return 0; });
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
