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

RunningProcess::RunningProcess(const std::wstring& commandLine)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE childIn = nullptr, childOut = nullptr;
    if (!CreatePipe(&childIn, &input_, &inherit, 0) || !CreatePipe(&output_, &childOut, &inherit, 0)) {
        throw std::runtime_error("RunningProcess: no pipe");
    }
    SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = childOut;
    PROCESS_INFORMATION info{};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
    CloseHandle(childIn);
    CloseHandle(childOut);
    if (!started) {
        throw std::runtime_error("RunningProcess: the program did not start");
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
}

RunningProcess::~RunningProcess()
{
    CloseInput();
    if (process_) {
        if (WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0) {
            TerminateProcess(process_, 1);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
    }
    if (output_) CloseHandle(output_);
}

std::string RunningProcess::ReadUntil(const std::string& text)
{
    char buffer[256];
    DWORD read = 0;
    while (read_.find(text) == std::string::npos && ReadFile(output_, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        read_.append(buffer, read);
    }
    return read_;
}

void RunningProcess::CloseInput()
{
    if (input_) {
        CloseHandle(input_);
        input_ = nullptr;
    }
}

void RunningProcess::Kill()
{
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 10000);
}

DWORD RunningProcess::Wait(DWORD timeoutMs)
{
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process_, &code);
    }
    return code;
}

std::string Utf8(const std::wstring& text)
{
    std::string out(text.size() * 3 + 1, '\0');
    out.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0],
                                                       static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

void PrintUtf8(const std::wstring& text)
{
    const std::string utf8 = Utf8(text);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    FlushFileBuffers(GetStdHandle(STD_OUTPUT_HANDLE));
}

std::wstring TestBinDir()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, length);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

}  // namespace test_support
