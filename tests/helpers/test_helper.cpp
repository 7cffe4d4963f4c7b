// A second process for the tests, using the library's code:
//   test_helper hold   acquire the exclusive access, print "held", keep it until standard
//                      input ends (or the process is killed), then release it
//   test_helper try    acquire it once with the configured wait; print "acquired" or the
//                      error message (UTF-8)
//   test_helper sleep  print "sleeping" and sleep until killed
#include "Oicnstrm/TMyMutexManager.h"
#include "classlib/Exception.h"
#include "support/ChildProcess.h"

#include <windows.h>

#include <memory>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    try {
        if (mode == L"hold") {
            const auto lock = std::make_shared<TMyMutexManager>();
            test_support::PrintUtf8(L"held\n");
            char buffer[16];
            DWORD read = 0;
            while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) && read > 0) {
            }
            return 0;
        }
        if (mode == L"try") {
            const auto lock = std::make_shared<TMyMutexManager>();
            test_support::PrintUtf8(L"acquired");
            return 0;
        }
        if (mode == L"sleep") {
            test_support::PrintUtf8(L"sleeping\n");
            Sleep(INFINITE);
        }
    } catch (const classlib::Exception& error) {
        test_support::PrintUtf8(error.Message());
        return 2;
    }
    return 1;
}
