// A second process for the tests, using the library's code:
//   test_helper hold   acquire the exclusive access, print "held", keep it until standard
//                      input ends (or the process is killed), then release it
//   test_helper try    acquire it once with the configured wait; print "acquired" or the
//                      error message (UTF-8)
//   test_helper sleep  print "sleeping" and sleep until killed
#include "Oicnstrm/TMyMutexManager.h"
#include "classlib/Exception.h"

#include <windows.h>

#include <memory>
#include <string>

namespace {

void Print(const std::wstring& text)
{
    std::string utf8(text.size() * 3 + 1, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0],
                                    static_cast<int>(utf8.size()), nullptr, nullptr));
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    FlushFileBuffers(GetStdHandle(STD_OUTPUT_HANDLE));
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    try {
        if (mode == L"hold") {
            const auto lock = std::make_shared<TMyMutexManager>();
            Print(L"held\n");
            char buffer[16];
            DWORD read = 0;
            while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) && read > 0) {
            }
            return 0;
        }
        if (mode == L"try") {
            const auto lock = std::make_shared<TMyMutexManager>();
            Print(L"acquired");
            return 0;
        }
        if (mode == L"sleep") {
            Print(L"sleeping\n");
            Sleep(INFINITE);
        }
    } catch (const classlib::Exception& error) {
        Print(error.Message());
        return 2;
    }
    return 1;
}
