// Starting a real helper program from a test and collecting what it printed.
#pragma once

#include <windows.h>

#include <string>

namespace test_support {

struct ProcessResult {
    DWORD ExitCode = 0;
    std::string Output;  // the bytes written to standard output
};

// Runs the command line with standard output captured and waits for the end; fails the
// calling test (by throwing) when the program cannot start or does not end in time.
ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 120000);

// A helper program left running: its standard input and output are pipes of the test.
class RunningProcess {
public:
    explicit RunningProcess(const std::wstring& commandLine);
    ~RunningProcess();  // closes its input, then kills it if it has not ended
    RunningProcess(const RunningProcess&) = delete;
    RunningProcess& operator=(const RunningProcess&) = delete;

    // Reads until the output holds the text (or ends); returns all read so far.
    std::string ReadUntil(const std::string& text);
    // Ends its standard input, which a helper may take as the sign to finish.
    void CloseInput();
    void Kill();
    // Waits for the end; returns the exit code, or STILL_ACTIVE after the time-out.
    DWORD Wait(DWORD timeoutMs = 60000);
    HANDLE Process() const { return process_; }

private:
    HANDLE process_ = nullptr;
    HANDLE input_ = nullptr;
    HANDLE output_ = nullptr;
    std::string read_;
};

// Text as UTF-8, the form in which helper programs print.
std::string Utf8(const std::wstring& text);
// Writes the text as UTF-8 to standard output (helper programs' way of answering).
void PrintUtf8(const std::wstring& text);

// The folder of the running test program, with a trailing backslash; helper programs lie
// there too.
std::wstring TestBinDir();

}  // namespace test_support
