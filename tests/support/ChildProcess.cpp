#include "support/ChildProcess.h"

#include <stdexcept>
#include <vector>

namespace test_support {

namespace {

struct Handle {
    HANDLE h = nullptr;
    ~Handle()
    {
        if (h) CloseHandle(h);
    }
};

}  // namespace

ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    Handle readEnd, writeEnd;
    if (!CreatePipe(&readEnd.h, &writeEnd.h, &inherit, 0) || !SetHandleInformation(readEnd.h, HANDLE_FLAG_INHERIT, 0)) {
        throw std::runtime_error("RunProcess: no pipe");
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.h;
    startup.hStdError = writeEnd.h;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info{};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        throw std::runtime_error("RunProcess: the program did not start");
    }
    Handle process{info.hProcess}, thread{info.hThread};
    CloseHandle(writeEnd.h);
    writeEnd.h = nullptr;

    ProcessResult result;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(readEnd.h, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        result.Output.append(buffer, read);
    }
    if (WaitForSingleObject(process.h, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.h, 1);
        throw std::runtime_error("RunProcess: the program did not end in time");
    }
    GetExitCodeProcess(process.h, &result.ExitCode);
    return result;
}

std::wstring TestBinDir()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, length);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

}  // namespace test_support
