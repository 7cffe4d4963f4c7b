// Test helper: makes a TMyOSDependent and prints what it got, as UTF-8 on standard output:
// "<major> <TrayNotify key>" (exit code 0), or "refused: <message>" (exit code 2).
#include "Oosdepnd/TMyOSDependent.h"
#include "classlib/Exception.h"

#include <windows.h>

#include <string>

namespace {

void Print(const std::wstring& text)
{
    std::string utf8(text.size() * 3 + 1, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0],
                                    static_cast<int>(utf8.size()), nullptr, nullptr));
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

int main()
{
    try {
        const TMyOSDependent os;
        Print(std::to_wstring(os.GetMajorVersion()) + L" " + os.GetTrayNotifyKey());
        return 0;
    } catch (const classlib::Exception& error) {
        Print(L"refused: " + error.Message());
        return 2;
    }
}
