// A registry key of the current user's branch, opened by path, with typed reads and writes
// of its values. Failures of the value operations raise ERegistryException with the value's
// name; opening a key reports success or failure instead.
#pragma once

#include "UniqueHandle.h"

#include <string>
#include <vector>

namespace classlib {

enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

class TRegistry {
public:
    // Rooted at HKEY_CURRENT_USER; keys are opened with the given access.
    explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const noexcept { return HKEY_CURRENT_USER; }
    // The open key, or the root while none is open.
    HKEY CurrentKey() const noexcept;
    // The path of the open key below the root, without leading or trailing backslash.
    const std::wstring& CurrentPath() const noexcept { return currentPath_; }

    // A path starting with '\' is taken from the root, any other from the open key (or the
    // root). With canCreate every missing key along the path is created. Returns false,
    // leaving the previous key open, when the key cannot be opened or created.
    bool OpenKey(const std::wstring& key, bool canCreate);
    void CloseKey() noexcept;

    bool ValueExists(const std::wstring& name) const;
    // rdUnknown for a missing value and for the types without a typed read.
    TRegDataType GetDataType(const std::wstring& name) const;
    // The value's size in bytes, or -1 when it does not exist.
    int GetDataSize(const std::wstring& name) const;

    // Binary values (and values of types without a typed read); the buffer must hold the
    // whole value. Returns the number of bytes read.
    int ReadBinaryData(const std::wstring& name, void* buffer, int bufferSize) const;
    void WriteBinaryData(const std::wstring& name, const void* buffer, int size);

    // REG_SZ or REG_EXPAND_SZ, up to the first NUL, unexpanded.
    std::wstring ReadString(const std::wstring& name) const;
    void WriteString(const std::wstring& name, const std::wstring& value);

    // REG_DWORD, as a signed 32-bit number.
    int ReadInteger(const std::wstring& name) const;
    void WriteInteger(const std::wstring& name, int value);

    // A REG_DWORD where any value other than 0 is true.
    bool ReadBool(const std::wstring& name) const;
    void WriteBool(const std::wstring& name, bool value);

    bool DeleteValue(const std::wstring& name);

    // The names in the order the registry enumerates them.
    std::vector<std::wstring> GetValueNames() const;

    // Every value of the open key with its type and data, in the order the registry
    // enumerates them, read in one pass (one system call a value). DataSize is -1 for a value
    // whose data could not be had because it kept growing while it was read.
    struct TValueData {
        std::wstring Name;
        TRegDataType DataType = TRegDataType::rdUnknown;
        int DataSize = 0;
        std::vector<BYTE> Data;
    };
    std::vector<TValueData> GetValues() const;
    std::vector<std::wstring> GetKeyNames() const;

private:
    struct ValueInfo {
        bool exists = false;
        DWORD type = REG_NONE;
        DWORD size = 0;
    };
    ValueInfo QueryValue(const std::wstring& name) const;
    void ReadRaw(const std::wstring& name, DWORD expectedType1, DWORD expectedType2,
                 std::vector<BYTE>& data) const;
    void WriteRaw(const std::wstring& name, DWORD type, const void* data, DWORD size);

    REGSAM access_;
    RegKey currentKey_;
    std::wstring currentPath_;
};

}  // namespace classlib
