// The frame every export runs its work in: whatever fails inside is reported to the caller
// as one structured exception, code 0x100 with one argument, the address of the message.
// When the caller resumes, the export returns its after-failure result.
#pragma once

#include "classlib/Exception.h"

#include <exception>
#include <string>

namespace failure_frame {

constexpr unsigned long FailureCode = 0x100;

// Raises the exception for the message; returns only when the caller resumes. The text is
// kept by the library until the next failure, so it outlives the caller's filter and is not
// leaked when the caller unwinds past the export. Never a null address.
void Raise(std::wstring message) noexcept;

// The text of a std::exception: its what(), taken from the ANSI code page.
std::wstring FromAnsi(const char* text);

template <typename Result, typename Work>
Result Run(const wchar_t* exportName, Result afterFailure, Work work) noexcept
{
    std::wstring message;
    try {
        return work();
    } catch (const classlib::Exception& error) {
        message = error.Message();
    } catch (const std::exception& error) {
        try {
            message = FromAnsi(error.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            message = classlib::Format(L"%sで不明の例外が発生しました", {exportName});
        } catch (...) {
        }
    }
    Raise(std::move(message));
    return afterFailure;
}

template <typename Work>
void RunVoid(const wchar_t* exportName, Work work) noexcept
{
    Run<int>(exportName, 0, [&] {
        work();
        return 0;
    });
}

}  // namespace failure_frame
