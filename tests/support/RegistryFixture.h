// Registry helpers for tests, written against the raw Win32 API so that they never depend on
// the code under test, and a fixture that gives every test a clean set of keys.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

using Bytes = std::vector<uint8_t>;

constexpr const wchar_t* kScratchKey = L"Software\\VaroqTest";
constexpr const wchar_t* kManagerKey = L"Software\\Brenlow";
constexpr const wchar_t* kXpTrayNotify = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify";
constexpr const wchar_t* kVistaTrayNotify =
    L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\TrayNotify";

// Deletes a key below HKEY_CURRENT_USER with everything under it; a missing key is fine.
void DeleteTree(const std::wstring& path);
bool KeyExists(const std::wstring& path);
void CreateKey(const std::wstring& path);
// Each setter creates the key when it is missing.
void SetValue(const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size);
void SetBinary(const std::wstring& path, const std::wstring& name, const Bytes& data);
void SetDword(const std::wstring& path, const std::wstring& name, DWORD value);
void SetString(const std::wstring& path, const std::wstring& name, const std::wstring& value);
void DeleteValue(const std::wstring& path, const std::wstring& name);
// The raw bytes of a value, or nothing when it (or its key) does not exist.
std::optional<Bytes> GetValue(const std::wstring& path, const std::wstring& name, DWORD* type = nullptr);
std::vector<std::wstring> ValueNames(const std::wstring& path);

// The OS family the test run was started for by scripts/wine-run: 5 (XP) or 6 (Vista).
int ExpectedOsMajor();
// That family's TrayNotify key.
std::wstring ExpectedTrayNotifyKey();

// Clears the keys the tests touch before and after each test.
class CleanRegistryTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace test_support
