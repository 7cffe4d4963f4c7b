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

// The folder of the running test program, with a trailing backslash; helper programs lie
// there too.
std::wstring TestBinDir();

}  // namespace test_support
