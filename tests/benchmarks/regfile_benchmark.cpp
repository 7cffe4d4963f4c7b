// Times exporting and importing a key with one 1 MiB binary value and a key with 10,000
// small values, with the library's TMyRegFile and with Wine's own regedit (/e and /s) on
// the same keys, and prints them side by side. Not a test: run it with scripts/benchmark.sh.
#include "Oregfile/TMyRegFile.h"

#include "support/RegistryFixture.h"
#include "support/TempFolder.h"

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

using namespace test_support;

namespace {

double Seconds(const std::function<void()>& work)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Run(const std::wstring& commandLine)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        std::printf("cannot start regedit\n");
        return;
    }
    WaitForSingleObject(info.hProcess, INFINITE);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

struct Row {
    double Export;
    double Import;
};

Row MeasureOurs(const std::wstring& key, const std::wstring& file)
{
    TMyRegFile regFile;
    Row row{};
    row.Export = Seconds([&] { regFile.Export(key, file); });
    DeleteTree(key);
    row.Import = Seconds([&] { regFile.Import(file); });
    return row;
}

Row MeasureRegedit(const std::wstring& regedit, const std::wstring& key, const std::wstring& file)
{
    Row row{};
    row.Export = Seconds([&] { Run(L"\"" + regedit + L"\" /e \"" + file + L"\" \"HKEY_CURRENT_USER\\" + key + L"\""); });
    DeleteTree(key);
    row.Import = Seconds([&] { Run(L"\"" + regedit + L"\" /s \"" + file + L"\""); });
    return row;
}

void Report(const char* what, const Row& ours, const Row& regedit, const char* regeditName)
{
    std::printf("%-28s export %8.3f s  import %8.3f s\n", what, ours.Export, ours.Import);
    std::printf("%-28s export %8.3f s  import %8.3f s\n", regeditName, regedit.Export, regedit.Import);
    std::printf("%-28s export %8.2f    import %8.2f   (regedit time / ours; above 1: ours is faster)\n", "  ratio",
                regedit.Export / ours.Export, regedit.Import / ours.Import);
}

}  // namespace

int main()
{
    const std::wstring big = L"Software\\VaroqBench\\Big";
    const std::wstring many = L"Software\\VaroqBench\\Many";
    DeleteTree(L"Software\\VaroqBench");
    Bytes data(1 << 20);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 131 + (i >> 9));
    SetBinary(big, L"PastIconsStream", data);
    for (int i = 0; i < 10000; ++i) {
        const std::wstring name = L"value" + std::to_wstring(i);
        switch (i % 3) {
        case 0: SetDword(many, name, static_cast<DWORD>(i) * 2654435761u); break;
        case 1: SetString(many, name, L"C:\\Program Files\\Program " + std::to_wstring(i) + L"\\program.exe"); break;
        default: SetBinary(many, name, Bytes(40, static_cast<uint8_t>(i))); break;
        }
    }

    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    // The 32-bit regedit runs the way our own 32-bit code does; the 64-bit one is shown too.
    const std::wstring regedit32 = std::wstring(windows) + L"\\syswow64\\regedit.exe";
    const std::wstring regedit64 = std::wstring(windows) + L"\\regedit.exe";

    TempFolder folder;
    std::printf("registry export files: times of one export and one import (the regedit times include\n"
                "starting its process)\n");
    const Row oursBig = MeasureOurs(big, folder / L"ours-big.reg");
    const Row ours32Big = MeasureRegedit(regedit32, big, folder / L"regedit-big.reg");
    const Row ours64Big = MeasureRegedit(regedit64, big, folder / L"regedit64-big.reg");
    Report("1 MiB binary value, ours", oursBig, ours32Big, "  regedit (32-bit)");
    std::printf("%-28s export %8.3f s  import %8.3f s\n", "  regedit (64-bit)", ours64Big.Export, ours64Big.Import);

    const Row oursMany = MeasureOurs(many, folder / L"ours-many.reg");
    const Row ours32Many = MeasureRegedit(regedit32, many, folder / L"regedit-many.reg");
    const Row ours64Many = MeasureRegedit(regedit64, many, folder / L"regedit64-many.reg");
    Report("10,000 small values, ours", oursMany, ours32Many, "  regedit (32-bit)");
    std::printf("%-28s export %8.3f s  import %8.3f s\n", "  regedit (64-bit)", ours64Many.Export, ours64Many.Import);
    DeleteTree(L"Software\\VaroqBench");
    return 0;
}
