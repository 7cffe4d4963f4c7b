#include "support/RegistryFixture.h"

#include <cstdlib>
#include <stdexcept>

namespace test_support {

namespace {

struct Key {
    HKEY handle = nullptr;
    ~Key()
    {
        if (handle) RegCloseKey(handle);
    }
};

}  // namespace

void DeleteTree(const std::wstring& path)
{
    {
        Key key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key.handle) != ERROR_SUCCESS) {
            return;
        }
        wchar_t name[512];
        for (;;) {
            DWORD length = 512;
            if (RegEnumKeyExW(key.handle, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
                break;
            }
            DeleteTree(path + L"\\" + name);
        }
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
}

bool KeyExists(const std::wstring& path)
{
    Key key;
    return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key.handle) == ERROR_SUCCESS;
}

void CreateKey(const std::wstring& path)
{
    Key key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.handle,
                        nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("test setup: cannot create a key");
    }
}

void SetValue(const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size)
{
    Key key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.handle,
                        nullptr) != ERROR_SUCCESS ||
        RegSetValueExW(key.handle, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS) {
        throw std::runtime_error("test setup: cannot write a value");
    }
}

void SetBinary(const std::wstring& path, const std::wstring& name, const Bytes& data)
{
    SetValue(path, name, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
}

void SetDword(const std::wstring& path, const std::wstring& name, DWORD value)
{
    SetValue(path, name, REG_DWORD, &value, sizeof value);
}

void SetString(const std::wstring& path, const std::wstring& name, const std::wstring& value)
{
    SetValue(path, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void DeleteValue(const std::wstring& path, const std::wstring& name)
{
    Key key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key.handle) == ERROR_SUCCESS) {
        RegDeleteValueW(key.handle, name.c_str());
    }
}

std::optional<Bytes> GetValue(const std::wstring& path, const std::wstring& name, DWORD* type)
{
    Key key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key.handle) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD size = 0;
    DWORD valueType = 0;
    if (RegQueryValueExW(key.handle, name.c_str(), nullptr, &valueType, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    Bytes data(size);
    if (RegQueryValueExW(key.handle, name.c_str(), nullptr, &valueType, data.data(), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    data.resize(size);
    if (type) *type = valueType;
    return data;
}

std::vector<std::wstring> ValueNames(const std::wstring& path)
{
    std::vector<std::wstring> names;
    Key key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key.handle) != ERROR_SUCCESS) {
        return names;
    }
    wchar_t name[16384];
    for (DWORD i = 0;; ++i) {
        DWORD length = 16384;
        if (RegEnumValueW(key.handle, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            return names;
        }
        names.emplace_back(name, length);
    }
}

int ExpectedOsMajor()
{
    const char* family = std::getenv("VAROQ_TEST_OS_MAJOR");
    if (!family) {
        throw std::runtime_error("VAROQ_TEST_OS_MAJOR is not set: run the tests through scripts/wine-run");
    }
    return std::atoi(family);
}

std::wstring ExpectedTrayNotifyKey()
{
    return ExpectedOsMajor() == 5 ? kXpTrayNotify : kVistaTrayNotify;
}

void CleanRegistryTest::SetUp()
{
    for (const wchar_t* path : {kScratchKey, kManagerKey, kXpTrayNotify, kVistaTrayNotify}) {
        DeleteTree(path);
    }
}

void CleanRegistryTest::TearDown()
{
    CleanRegistryTest::SetUp();
}

}  // namespace test_support
