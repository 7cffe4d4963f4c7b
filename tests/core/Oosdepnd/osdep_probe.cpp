// Test helper: makes a TMyOSDependent and prints what it got, as UTF-8 on standard output:
// "<major> <TrayNotify key>" (exit code 0), or "refused: <message>" (exit code 2).
#include "Oosdepnd/TMyOSDependent.h"
#include "classlib/Exception.h"
#include "support/ChildProcess.h"

#include <windows.h>

#include <string>

int main()
{
    try {
        const TMyOSDependent os;
        test_support::PrintUtf8(std::to_wstring(os.GetMajorVersion()) + L" " + os.GetTrayNotifyKey());
        return 0;
    } catch (const classlib::Exception& error) {
        test_support::PrintUtf8(L"refused: " + error.Message());
        return 2;
    }
}
