// VaroqMain, the manager, in its first form: a command-line host of VaroqCore.dll that uses
// nothing but the library's exports.
//   VaroqMain list           loads the tray history and prints every entry
//   VaroqMain icons FOLDER   writes every entry's picture to FOLDER as a BMP file
#include "VaroqCore.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void Write(HANDLE to, const std::wstring& text)
{
    std::string utf8(text.size() * 3 + 1, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0],
                                    static_cast<int>(utf8.size()), nullptr, nullptr));
    DWORD written = 0;
    WriteFile(to, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

void Out(const std::wstring& text) { Write(GetStdHandle(STD_OUTPUT_HANDLE), text); }
void Err(const std::wstring& text) { Write(GetStdHandle(STD_ERROR_HANDLE), text); }

// The library reports a failure as exception 0x100 whose one argument is its message: take
// the text and let the export return.
std::wstring g_failure;
LONG CALLBACK OnLibraryFailure(EXCEPTION_POINTERS* info)
{
    if (info->ExceptionRecord->ExceptionCode != 0x100 || info->ExceptionRecord->NumberParameters != 1) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    if (g_failure.empty()) {
        g_failure = reinterpret_cast<const wchar_t*>(info->ExceptionRecord->ExceptionInformation[0]);
    }
    return EXCEPTION_CONTINUE_EXECUTION;
}

struct Core {
    HMODULE Module = nullptr;
    void(WINAPI* Init)(void*, void*, uint32_t, void*) = nullptr;
    void(WINAPI* Uninit)() = nullptr;
    void(WINAPI* Load)() = nullptr;
    int(WINAPI* GetCount)() = nullptr;
    TMyIconItem(WINAPI* GetIcon)(int) = nullptr;
    void*(WINAPI* GetImageList)() = nullptr;

    template <typename F>
    bool Bind(const char* name, F& function)
    {
        function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Module, name)));
        return function != nullptr;
    }
};

std::wstring Beside(const wchar_t* file)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, length);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1) + file;
}

bool Failed()
{
    if (g_failure.empty()) {
        return false;
    }
    Err(L"VaroqMain: " + g_failure + L"\n");
    return true;
}

int List(Core& core)
{
    const int count = core.GetCount();
    if (Failed()) return 1;
    Out(std::to_wstring(count) + L" entries\n");
    for (int k = 0; k < count; ++k) {
        const TMyIconItem item = core.GetIcon(k);
        if (Failed()) return 1;
        wchar_t words[80];
        swprintf(words, 80, L"%08x %u %08x", item.Word520, item.Flag524, item.Word528);
        Out(std::to_wstring(k) + L"\t" + item.ExePath + L"\t" + item.EntryText + L"\t" + words + L"\n");
    }
    return 0;
}

// Image k drawn onto the window colour, saved as a 24-bit BMP file.
bool SavePicture(HIMAGELIST list, int k, const std::wstring& file)
{
    int width = 16, height = 16;
    ImageList_GetIconSize(list, &width, &height);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
    ImageList_Draw(list, k, dc, 0, 0, ILD_NORMAL);
    GdiFlush();
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER header{0x4D42, 14 + 40 + imageSize, 0, 0, 14 + 40};
    info.bmiHeader.biSizeImage = imageSize;
    bool ok = false;
    const HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ok = WriteFile(out, &header, 14, &written, nullptr) && WriteFile(out, &info.bmiHeader, 40, &written, nullptr) &&
             WriteFile(out, bits, imageSize, &written, nullptr);
        CloseHandle(out);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return ok;
}

int Icons(Core& core, const std::wstring& folder)
{
    const int count = core.GetCount();
    void* list = core.GetImageList();
    if (Failed()) return 1;
    CreateDirectoryW(folder.c_str(), nullptr);
    const HIMAGELIST handle = *static_cast<HIMAGELIST*>(list);  // the list's first member
    for (int k = 0; k < count; ++k) {
        wchar_t name[32];
        swprintf(name, 32, L"entry%03d.bmp", k);
        if (!SavePicture(handle, k, folder + L"\\" + name)) {
            Err(L"VaroqMain: cannot write " + folder + L"\\" + name + L"\n");
            return 1;
        }
    }
    Out(std::to_wstring(count) + L" pictures written to " + folder + L"\n");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (!(command == L"list" && argc == 2) && !(command == L"icons" && argc == 3)) {
        Err(L"usage: VaroqMain list | VaroqMain icons FOLDER\n");
        return 2;
    }
    Core core;
    core.Module = LoadLibraryW(Beside(L"VaroqCore.dll").c_str());
    if (!core.Module || !core.Bind("Init", core.Init) || !core.Bind("Uninit", core.Uninit) ||
        !core.Bind("Load", core.Load) || !core.Bind("GetCount", core.GetCount) || !core.Bind("GetIcon", core.GetIcon) ||
        !core.Bind("GetImageList", core.GetImageList)) {
        Err(L"VaroqMain: VaroqCore.dll cannot be loaded from this program's folder\n");
        return 1;
    }
    const PVOID handler = AddVectoredExceptionHandler(1, OnLibraryFailure);
    core.Init(nullptr, nullptr, 0, nullptr);
    core.Load();
    int result = Failed() ? 1 : (command == L"list" ? List(core) : Icons(core, argv[2]));
    core.Uninit();
    RemoveVectoredExceptionHandler(handler);
    FreeLibrary(core.Module);
    return result;
}
