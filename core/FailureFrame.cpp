#include "FailureFrame.h"

#include <windows.h>

namespace failure_frame {

namespace {

std::wstring g_text;

}  // namespace

std::wstring FromAnsi(const char* text)
{
    if (!text || !*text) {
        return std::wstring();
    }
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length) - 1);
    return wide;
}

void Raise(std::wstring message) noexcept
{
    const wchar_t* text = L"";
    try {
        g_text = std::move(message);
        text = g_text.c_str();
    } catch (...) {
        // Not even the text could be kept: the caller still hears of the failure.
    }
    const ULONG_PTR argument = reinterpret_cast<ULONG_PTR>(text);
    RaiseException(FailureCode, 0, 1, &argument);
}

}  // namespace failure_frame
