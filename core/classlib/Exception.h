// The error types of the library: every failure inside VaroqCore is an Exception carrying
// a message; the exported functions turn it into the structured exception their callers see.
#pragma once

#include <windows.h>

#include <string>

namespace classlib {

class Exception {
public:
    explicit Exception(std::wstring message) : message_(std::move(message)) {}
    virtual ~Exception() = default;
    Exception(const Exception&) = default;
    Exception& operator=(const Exception&) = default;

    const std::wstring& Message() const noexcept { return message_; }

private:
    std::wstring message_;
};

// A failed system call; the message is the system's own text for the error code.
class EOSError : public Exception {
public:
    explicit EOSError(DWORD errorCode);
    DWORD ErrorCode() const noexcept { return errorCode_; }

private:
    DWORD errorCode_;
};

// Raised by TRegistry for its own failures and by TMyRegistry when a key cannot be opened.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// The system's text for an error code, without the trailing line end.
std::wstring SysErrorMessage(DWORD errorCode);

[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(DWORD errorCode);

// For BOOL-and-last-error calls: returns the result, raises EOSError when it is FALSE.
BOOL Win32Check(BOOL result);

// Replaces each "%s" of the pattern, in order, with the next argument. Only what the
// library's fixed texts use; "%%" stands for a single '%'.
std::wstring Format(const std::wstring& pattern, std::initializer_list<std::wstring> args);

}  // namespace classlib
