// Stands in for Explorer in the test prefixes (installed as syswow64\explorer.exe while the
// tests run). Like Explorer with the tray history it reads IconStreams and PastIconsStream
// when it starts, keeps them, and writes its copy back when it is closed normally, but not
// when it is terminated. It owns a window of class "Progman" and announces its taskbar with
// a broadcast "TaskbarCreated".
//
// Settings under HKCU\Software\VaroqTest\Standin, read at start:
//   AnnounceDelay (DWORD, ms): wait before announcing; NeverAnnounce (DWORD): do not announce.
// It counts its starts and its announcements in the DWORD values Starts and Announced of
// the same key.
//   explorer_standin --warm-up: only touches user32 (starting Wine's desktop) and ends.
// The stand-in may use what Windows Vista and later offer; it is no part of the product.
#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0600
#define _WIN32_WINNT 0x0600
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const wchar_t* const kSettings = L"Software\\VaroqTest\\Standin";
const wchar_t* const kValues[] = {L"IconStreams", L"PastIconsStream"};
constexpr UINT_PTR kAnnounceTimer = 1;

struct Copy {
    bool Present = false;
    std::vector<BYTE> Data;
};
Copy g_copies[2];
std::wstring g_trayNotify;

DWORD ReadSetting(const wchar_t* name, DWORD fallback)
{
    DWORD value = fallback, size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, kSettings, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

void Count(const wchar_t* name)
{
    const DWORD count = ReadSetting(name, 0) + 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettings, name, REG_DWORD, &count, sizeof count);
}

void ReadHistory()
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&info);
#pragma GCC diagnostic pop
    g_trayNotify = info.dwMajorVersion == 5
                       ? L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify"
                       : L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\TrayNotify";
    for (int i = 0; i < 2; ++i) {
        DWORD size = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, g_trayNotify.c_str(), kValues[i], RRF_RT_REG_BINARY, nullptr, nullptr,
                         &size) != ERROR_SUCCESS) {
            continue;
        }
        g_copies[i].Data.resize(size);
        if (RegGetValueW(HKEY_CURRENT_USER, g_trayNotify.c_str(), kValues[i], RRF_RT_REG_BINARY, nullptr,
                         g_copies[i].Data.data(), &size) == ERROR_SUCCESS) {
            g_copies[i].Data.resize(size);
            g_copies[i].Present = true;
        }
    }
}

void WriteHistory()
{
    for (int i = 0; i < 2; ++i) {
        if (g_copies[i].Present) {
            RegSetKeyValueW(HKEY_CURRENT_USER, g_trayNotify.c_str(), kValues[i], REG_BINARY, g_copies[i].Data.data(),
                            static_cast<DWORD>(g_copies[i].Data.size()));
        }
    }
}

LRESULT CALLBACK ProgmanProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == kAnnounceTimer) {
            KillTimer(window, kAnnounceTimer);
            PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
            Count(L"Announced");
        }
        return 0;
    case WM_CLOSE:
        WriteHistory();
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    if (std::wcsstr(commandLine, L"--warm-up")) {
        FindWindowW(L"Progman", nullptr);
        return 0;
    }
    Count(L"Starts");
    ReadHistory();

    WNDCLASSW wc{};
    wc.lpfnWndProc = ProgmanProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"Progman";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, L"Progman", L"Program Manager", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, nullptr);
    if (!window) {
        return 1;
    }
    if (!ReadSetting(L"NeverAnnounce", 0)) {
        SetTimer(window, kAnnounceTimer, ReadSetting(L"AnnounceDelay", 0) + 1, nullptr);
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
