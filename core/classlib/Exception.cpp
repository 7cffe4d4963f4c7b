#include "Exception.h"

#include "UniqueHandle.h"

namespace classlib {

EOSError::EOSError(DWORD errorCode) : Exception(SysErrorMessage(errorCode)), errorCode_(errorCode) {}

std::wstring SysErrorMessage(DWORD errorCode)
{
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, errorCode, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const LocalMemory owner(buffer);
    if (length == 0) {
        // An error code the system has no text for still has to say which code it was.
        return Format(L"System error %s", {std::to_wstring(errorCode)});
    }
    std::wstring text(buffer, length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}

void RaiseLastOSError()
{
    RaiseLastOSError(GetLastError());
}

void RaiseLastOSError(DWORD errorCode)
{
    throw EOSError(errorCode);
}

BOOL Win32Check(BOOL result)
{
    if (!result) {
        RaiseLastOSError();
    }
    return result;
}

std::wstring Format(const std::wstring& pattern, std::initializer_list<std::wstring> args)
{
    std::wstring out;
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == L's' && next != args.end()) {
                out += *next++;
                ++i;
                continue;
            }
            if (pattern[i + 1] == L'%') {
                out += L'%';
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

}  // namespace classlib
