#include "TRegistry.h"

#include "Exception.h"

#include <algorithm>
#include <climits>

namespace classlib {

namespace {

[[noreturn]] void RaiseInvalidType(const std::wstring& name)
{
    throw ERegistryException(Format(L"Invalid data type for '%s'", {name}));
}

[[noreturn]] void RaiseGetFailed(const std::wstring& name, LONG error)
{
    throw ERegistryException(
        Format(L"Failed to get data for '%s': %s", {name, SysErrorMessage(static_cast<DWORD>(error))}));
}

std::wstring TrimSlashes(std::wstring path)
{
    while (!path.empty() && path.front() == L'\\') {
        path.erase(path.begin());
    }
    while (!path.empty() && path.back() == L'\\') {
        path.pop_back();
    }
    return path;
}

}  // namespace

TRegistry::TRegistry(REGSAM access) : access_(access) {}

HKEY TRegistry::CurrentKey() const noexcept
{
    return currentKey_ ? currentKey_.get() : RootKey();
}

bool TRegistry::OpenKey(const std::wstring& key, bool canCreate)
{
    const bool fromRoot = !key.empty() && key.front() == L'\\';
    const std::wstring relative = TrimSlashes(key);
    const HKEY parent = fromRoot ? RootKey() : CurrentKey();

    RegKey opened;
    LONG error;
    if (canCreate) {
        error = RegCreateKeyExW(parent, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_,
                                nullptr, opened.put(), nullptr);
    } else {
        error = RegOpenKeyExW(parent, relative.c_str(), 0, access_, opened.put());
    }
    if (error != ERROR_SUCCESS) {
        return false;
    }

    std::wstring path;
    if (!fromRoot && !currentPath_.empty()) {
        path = relative.empty() ? currentPath_ : currentPath_ + L'\\' + relative;
    } else {
        path = relative;
    }
    currentKey_ = std::move(opened);
    currentPath_ = std::move(path);
    return true;
}

void TRegistry::CloseKey() noexcept
{
    currentKey_.reset();
    currentPath_.clear();
}

TRegistry::ValueInfo TRegistry::QueryValue(const std::wstring& name) const
{
    ValueInfo info;
    const LONG error = RegQueryValueExW(CurrentKey(), name.c_str(), nullptr, &info.type, nullptr, &info.size);
    info.exists = error == ERROR_SUCCESS;
    return info;
}

bool TRegistry::ValueExists(const std::wstring& name) const
{
    return QueryValue(name).exists;
}

namespace {

TRegDataType DataTypeOf(DWORD type) noexcept
{
    switch (type) {
    case REG_SZ: return TRegDataType::rdString;
    case REG_EXPAND_SZ: return TRegDataType::rdExpandString;
    case REG_DWORD: return TRegDataType::rdInteger;
    case REG_BINARY: return TRegDataType::rdBinary;
    default: return TRegDataType::rdUnknown;
    }
}

}  // namespace

TRegDataType TRegistry::GetDataType(const std::wstring& name) const
{
    const ValueInfo info = QueryValue(name);
    return info.exists ? DataTypeOf(info.type) : TRegDataType::rdUnknown;
}

int TRegistry::GetDataSize(const std::wstring& name) const
{
    const ValueInfo info = QueryValue(name);
    if (!info.exists || info.size > static_cast<DWORD>(INT_MAX)) {
        return -1;
    }
    return static_cast<int>(info.size);
}

// Reads the whole value, which must be of one of the two types. The size is asked first and
// asked again when the value grew in between (ERROR_MORE_DATA).
void TRegistry::ReadRaw(const std::wstring& name, DWORD expectedType1, DWORD expectedType2,
                        std::vector<BYTE>& data) const
{
    for (;;) {
        ValueInfo info = QueryValue(name);
        if (!info.exists) {
            RaiseGetFailed(name, ERROR_FILE_NOT_FOUND);
        }
        if (info.type != expectedType1 && info.type != expectedType2) {
            RaiseInvalidType(name);
        }
        data.resize(info.size);
        DWORD type = REG_NONE;
        DWORD size = info.size;
        const LONG error = RegQueryValueExW(CurrentKey(), name.c_str(), nullptr, &type,
                                            data.empty() ? nullptr : data.data(), &size);
        if (error == ERROR_MORE_DATA) {
            continue;
        }
        if (error != ERROR_SUCCESS) {
            RaiseGetFailed(name, error);
        }
        if (type != expectedType1 && type != expectedType2) {
            RaiseInvalidType(name);
        }
        data.resize(size);
        return;
    }
}

int TRegistry::ReadBinaryData(const std::wstring& name, void* buffer, int bufferSize) const
{
    const ValueInfo info = QueryValue(name);
    if (!info.exists) {
        RaiseGetFailed(name, ERROR_FILE_NOT_FOUND);
    }
    switch (info.type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_DWORD:
        RaiseInvalidType(name);
    default:
        break;
    }
    if (bufferSize < 0 || info.size > static_cast<DWORD>(bufferSize)) {
        throw ERegistryException(Format(L"Buffer too small for the data of '%s'", {name}));
    }
    DWORD size = static_cast<DWORD>(bufferSize);
    const LONG error = RegQueryValueExW(CurrentKey(), name.c_str(), nullptr, nullptr,
                                        static_cast<BYTE*>(buffer), &size);
    if (error != ERROR_SUCCESS) {
        RaiseGetFailed(name, error);
    }
    return static_cast<int>(size);
}

void TRegistry::WriteRaw(const std::wstring& name, DWORD type, const void* data, DWORD size)
{
    const LONG error = RegSetValueExW(CurrentKey(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    if (error != ERROR_SUCCESS) {
        throw ERegistryException(
            Format(L"Failed to set data for '%s': %s", {name, SysErrorMessage(static_cast<DWORD>(error))}));
    }
}

void TRegistry::WriteBinaryData(const std::wstring& name, const void* buffer, int size)
{
    if (size < 0) {
        throw ERegistryException(Format(L"Failed to set data for '%s': negative size", {name}));
    }
    WriteRaw(name, REG_BINARY, buffer, static_cast<DWORD>(size));
}

std::wstring TRegistry::ReadString(const std::wstring& name) const
{
    std::vector<BYTE> data;
    ReadRaw(name, REG_SZ, REG_EXPAND_SZ, data);
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    const size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos) {
        text.resize(nul);
    }
    return text;
}

void TRegistry::WriteString(const std::wstring& name, const std::wstring& value)
{
    WriteRaw(name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

int TRegistry::ReadInteger(const std::wstring& name) const
{
    std::vector<BYTE> data;
    ReadRaw(name, REG_DWORD, REG_DWORD, data);
    if (data.size() != sizeof(DWORD)) {
        RaiseInvalidType(name);
    }
    DWORD value;
    memcpy(&value, data.data(), sizeof value);
    return static_cast<int>(value);
}

void TRegistry::WriteInteger(const std::wstring& name, int value)
{
    const DWORD data = static_cast<DWORD>(value);
    WriteRaw(name, REG_DWORD, &data, sizeof data);
}

bool TRegistry::ReadBool(const std::wstring& name) const
{
    return ReadInteger(name) != 0;
}

void TRegistry::WriteBool(const std::wstring& name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}

bool TRegistry::DeleteValue(const std::wstring& name)
{
    return RegDeleteValueW(CurrentKey(), name.c_str()) == ERROR_SUCCESS;
}

namespace {

// Enumerates value or subkey names; the buffer grows when a name does not fit.
template <typename EnumFn>
std::vector<std::wstring> EnumerateNames(EnumFn enumerate)
{
    std::vector<std::wstring> names;
    std::vector<wchar_t> buffer(256);
    for (DWORD index = 0;; ) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG error = enumerate(index, buffer.data(), &length);
        if (error == ERROR_NO_MORE_ITEMS) {
            return names;
        }
        if (error == ERROR_MORE_DATA) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != ERROR_SUCCESS) {
            throw ERegistryException(Format(L"Failed to list the key: %s", {SysErrorMessage(static_cast<DWORD>(error))}));
        }
        names.emplace_back(buffer.data(), length);
        ++index;
    }
}

}  // namespace

std::vector<std::wstring> TRegistry::GetValueNames() const
{
    const HKEY key = CurrentKey();
    return EnumerateNames([key](DWORD index, wchar_t* name, DWORD* length) {
        return RegEnumValueW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

std::vector<TRegistry::TValueData> TRegistry::GetValues() const
{
    const HKEY key = CurrentKey();
    DWORD count = 0, maxName = 0, maxData = 0;
    LONG error = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxName, &maxData,
                                  nullptr, nullptr);
    if (error != ERROR_SUCCESS) {
        throw ERegistryException(Format(L"Failed to list the key: %s", {SysErrorMessage(static_cast<DWORD>(error))}));
    }
    std::vector<TValueData> values;
    values.reserve(count);
    std::vector<wchar_t> name(maxName + 1);
    std::vector<BYTE> data(maxData);
    int retries = 0;
    for (DWORD index = 0;;) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        error = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.empty() ? nullptr : data.data(),
                              &dataLength);
        if (error == ERROR_NO_MORE_ITEMS) {
            return values;
        }
        if (error == ERROR_MORE_DATA) {
            // The value grew since the key was measured: make room and read it again.
            if (++retries <= 4) {
                name.resize(name.size() * 2 + 16);
                data.resize(std::max<size_t>(dataLength, data.size() * 2 + 16));
                continue;
            }
            DWORD nameOnly = static_cast<DWORD>(name.size());
            if (RegEnumValueW(key, index, name.data(), &nameOnly, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) {
                throw ERegistryException(Format(L"Failed to list the key: %s", {SysErrorMessage(static_cast<DWORD>(error))}));
            }
            values.push_back({std::wstring(name.data(), nameOnly), DataTypeOf(type), -1, {}});
        } else if (error != ERROR_SUCCESS) {
            throw ERegistryException(Format(L"Failed to list the key: %s", {SysErrorMessage(static_cast<DWORD>(error))}));
        } else {
            values.push_back({std::wstring(name.data(), nameLength), DataTypeOf(type), static_cast<int>(dataLength),
                              std::vector<BYTE>(data.begin(), data.begin() + dataLength)});
        }
        retries = 0;
        ++index;
    }
}

std::vector<std::wstring> TRegistry::GetKeyNames() const
{
    const HKEY key = CurrentKey();
    return EnumerateNames([key](DWORD index, wchar_t* name, DWORD* length) {
        return RegEnumKeyExW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

}  // namespace classlib
