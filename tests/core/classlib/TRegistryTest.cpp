#include "classlib/Exception.h"
#include "classlib/TRegistry.h"

#include "support/RegistryFixture.h"

#include <gtest/gtest.h>

using namespace classlib;
using namespace test_support;

namespace {

class TRegistryTest : public CleanRegistryTest {
protected:
    void SetUp() override
    {
        CleanRegistryTest::SetUp();
        ASSERT_TRUE(reg.OpenKey(kScratchKey, true));
    }
    TRegistry reg;
};

// The registry error of a typed read names the value it was asked for.
template <typename Read>
void ExpectRegistryError(Read read, const std::wstring& name)
{
    try {
        read();
        ADD_FAILURE() << "no error for " << testing::PrintToString(name);
    } catch (const ERegistryException& error) {
        EXPECT_NE(error.Message().find(L"'" + name + L"'"), std::wstring::npos) << testing::PrintToString(error.Message());
    }
}

}  // namespace

TEST_F(TRegistryTest, OpenKeyCreatesWholePathsOnlyWhenAllowed)
{
    TRegistry other;
    EXPECT_FALSE(other.OpenKey(L"Software\\VaroqTest\\A\\B\\C", false));
    EXPECT_EQ(other.CurrentKey(), HKEY_CURRENT_USER);
    EXPECT_FALSE(KeyExists(L"Software\\VaroqTest\\A"));

    ASSERT_TRUE(other.OpenKey(L"Software\\VaroqTest\\A\\B\\C", true));
    EXPECT_TRUE(KeyExists(L"Software\\VaroqTest\\A\\B\\C"));
    EXPECT_EQ(other.CurrentPath(), L"Software\\VaroqTest\\A\\B\\C");
}

TEST_F(TRegistryTest, PathsAreRelativeToTheOpenKeyUnlessTheyStartWithABackslash)
{
    ASSERT_TRUE(reg.OpenKey(L"Sub", true));
    EXPECT_EQ(reg.CurrentPath(), L"Software\\VaroqTest\\Sub");
    EXPECT_TRUE(KeyExists(L"Software\\VaroqTest\\Sub"));

    ASSERT_TRUE(reg.OpenKey(L"\\Software\\VaroqTest", false));
    EXPECT_EQ(reg.CurrentPath(), L"Software\\VaroqTest");

    // A failed open keeps the key that was open.
    EXPECT_FALSE(reg.OpenKey(L"Missing", false));
    EXPECT_EQ(reg.CurrentPath(), L"Software\\VaroqTest");
    reg.WriteInteger(L"Here", 1);
    EXPECT_TRUE(GetValue(kScratchKey, L"Here").has_value());

    reg.CloseKey();
    EXPECT_EQ(reg.CurrentPath(), L"");
    EXPECT_EQ(reg.CurrentKey(), HKEY_CURRENT_USER);
}

TEST_F(TRegistryTest, BinaryValuesComeBackByteForByte)
{
    Bytes large(100000);
    for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<uint8_t>(i * 7 + 3);
    const std::vector<Bytes> cases = {{}, {0x00}, {0xff, 0x00, 0x10}, large};
    for (const Bytes& data : cases) {
        SCOPED_TRACE(data.size());
        reg.WriteBinaryData(L"Bin", data.data(), static_cast<int>(data.size()));
        EXPECT_EQ(reg.GetDataType(L"Bin"), TRegDataType::rdBinary);
        ASSERT_EQ(reg.GetDataSize(L"Bin"), static_cast<int>(data.size()));
        Bytes back(data.size() + 4, 0xee);
        EXPECT_EQ(reg.ReadBinaryData(L"Bin", back.data(), static_cast<int>(back.size())), static_cast<int>(data.size()));
        back.resize(data.size());
        EXPECT_EQ(back, data);
        DWORD type = 0;
        EXPECT_EQ(GetValue(kScratchKey, L"Bin", &type), data);
        EXPECT_EQ(type, DWORD{REG_BINARY});
    }
}

TEST_F(TRegistryTest, TypedValuesRoundTripAsTheRegistryStoresThem)
{
    reg.WriteString(L"", L"default value");
    reg.WriteString(L"Text", L"日本語 \"quoted\" back\\slash");
    reg.WriteInteger(L"Negative", -1);
    reg.WriteInteger(L"High", static_cast<int>(0x80000000u));
    reg.WriteBool(L"Flag", true);

    EXPECT_EQ(reg.ReadString(L""), L"default value");
    EXPECT_EQ(reg.ReadString(L"Text"), L"日本語 \"quoted\" back\\slash");
    EXPECT_EQ(reg.ReadInteger(L"Negative"), -1);
    EXPECT_EQ(GetValue(kScratchKey, L"Negative"), (Bytes{0xff, 0xff, 0xff, 0xff}));
    EXPECT_EQ(static_cast<unsigned>(reg.ReadInteger(L"High")), 0x80000000u);
    EXPECT_TRUE(reg.ReadBool(L"Flag"));
    EXPECT_EQ(reg.GetDataType(L"Text"), TRegDataType::rdString);
    EXPECT_EQ(reg.GetDataType(L"High"), TRegDataType::rdInteger);

    // Booleans are integers where anything but 0 is true.
    SetDword(kScratchKey, L"Seven", 7);
    SetDword(kScratchKey, L"Zero", 0);
    EXPECT_TRUE(reg.ReadBool(L"Seven"));
    EXPECT_FALSE(reg.ReadBool(L"Zero"));
}

TEST_F(TRegistryTest, StringsAreReadUpToTheFirstNulAndExpandableOnesUnexpanded)
{
    const wchar_t raw[] = L"abc\0def";  // stored with the embedded NUL and no terminator
    SetValue(kScratchKey, L"Embedded", REG_SZ, raw, 7 * sizeof(wchar_t));
    EXPECT_EQ(reg.ReadString(L"Embedded"), L"abc");
    const wchar_t unterminated[] = {L'x', L'y'};
    SetValue(kScratchKey, L"Unterminated", REG_SZ, unterminated, sizeof unterminated);
    EXPECT_EQ(reg.ReadString(L"Unterminated"), L"xy");
    const std::wstring expand = L"%SystemRoot%\\x";
    SetValue(kScratchKey, L"Expand", REG_EXPAND_SZ, expand.c_str(), static_cast<DWORD>((expand.size() + 1) * 2));
    EXPECT_EQ(reg.ReadString(L"Expand"), expand);
    EXPECT_EQ(reg.GetDataType(L"Expand"), TRegDataType::rdExpandString);
}

TEST_F(TRegistryTest, ReadingAValueOfAnotherTypeRaisesTheRegistryError)
{
    SetString(kScratchKey, L"Str", L"12");
    SetDword(kScratchKey, L"Dword", 12);
    SetBinary(kScratchKey, L"Bin4", {1, 2, 3, 4});
    const DWORD64 quad = 5;
    SetValue(kScratchKey, L"Qword", REG_QWORD, &quad, sizeof quad);
    uint8_t buffer[64];

    ExpectRegistryError([&] { reg.ReadInteger(L"Str"); }, L"Str");
    ExpectRegistryError([&] { reg.ReadBool(L"Str"); }, L"Str");
    ExpectRegistryError([&] { reg.ReadInteger(L"Bin4"); }, L"Bin4");
    ExpectRegistryError([&] { reg.ReadInteger(L"Qword"); }, L"Qword");
    ExpectRegistryError([&] { reg.ReadString(L"Dword"); }, L"Dword");
    ExpectRegistryError([&] { reg.ReadString(L"Bin4"); }, L"Bin4");
    ExpectRegistryError([&] { reg.ReadBinaryData(L"Str", buffer, sizeof buffer); }, L"Str");
    ExpectRegistryError([&] { reg.ReadBinaryData(L"Dword", buffer, sizeof buffer); }, L"Dword");
    // A buffer smaller than the value is refused rather than filled in part.
    ExpectRegistryError([&] { reg.ReadBinaryData(L"Bin4", buffer, 3); }, L"Bin4");
}

TEST_F(TRegistryTest, MissingValuesAreToldApart)
{
    EXPECT_FALSE(reg.ValueExists(L"Nothing"));
    EXPECT_EQ(reg.GetDataSize(L"Nothing"), -1);
    EXPECT_EQ(reg.GetDataType(L"Nothing"), TRegDataType::rdUnknown);
    uint8_t buffer[4];
    ExpectRegistryError([&] { reg.ReadInteger(L"Nothing"); }, L"Nothing");
    ExpectRegistryError([&] { reg.ReadString(L"Nothing"); }, L"Nothing");
    ExpectRegistryError([&] { reg.ReadBinaryData(L"Nothing", buffer, sizeof buffer); }, L"Nothing");

    EXPECT_FALSE(reg.DeleteValue(L"Nothing"));
    reg.WriteInteger(L"Something", 0);
    EXPECT_TRUE(reg.ValueExists(L"Something"));
    EXPECT_TRUE(reg.DeleteValue(L"Something"));
    EXPECT_FALSE(GetValue(kScratchKey, L"Something").has_value());
}

TEST_F(TRegistryTest, ListsValueAndKeyNamesAsTheRegistryEnumeratesThem)
{
    const std::wstring longName(300, L'n');  // longer than the first buffer
    for (const std::wstring& name : {std::wstring(L"b"), std::wstring(L"a"), longName, std::wstring(L"")}) {
        SetDword(kScratchKey, name, 1);
    }
    CreateKey(L"Software\\VaroqTest\\Zeta");
    CreateKey(L"Software\\VaroqTest\\Alpha");
    CreateKey(std::wstring(L"Software\\VaroqTest\\") + std::wstring(255, L'k'));

    EXPECT_EQ(reg.GetValueNames(), ValueNames(kScratchKey));
    EXPECT_EQ(reg.GetValueNames().size(), 4u);

    std::vector<std::wstring> keys;
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kScratchKey, 0, KEY_READ, &raw), ERROR_SUCCESS);
    wchar_t name[512];
    for (DWORD i = 0;; ++i) {
        DWORD length = 512;
        if (RegEnumKeyExW(raw, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        keys.emplace_back(name, length);
    }
    RegCloseKey(raw);
    EXPECT_EQ(reg.GetKeyNames(), keys);
    EXPECT_EQ(keys.size(), 3u);
}

TEST_F(TRegistryTest, GetValuesGivesEveryValueWithItsTypeAndDataInOnePass)
{
    const Bytes large(70000, 0x5C);
    SetBinary(kScratchKey, L"large", large);
    SetDword(kScratchKey, L"dword", 0x01020304);
    SetString(kScratchKey, L"", L"text");
    const DWORD64 quad = 9;
    SetValue(kScratchKey, L"qword", REG_QWORD, &quad, sizeof quad);

    const auto values = reg.GetValues();
    ASSERT_EQ(values.size(), 4u);
    const std::vector<std::wstring> names = ValueNames(kScratchKey);
    for (size_t i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(values[i].Name, names[i]);
        DWORD type = 0;
        const Bytes raw = *GetValue(kScratchKey, names[i], &type);
        EXPECT_EQ(values[i].Data, raw);
        EXPECT_EQ(values[i].DataSize, static_cast<int>(raw.size()));
        EXPECT_EQ(values[i].DataType, type == REG_BINARY ? TRegDataType::rdBinary
                                      : type == REG_DWORD ? TRegDataType::rdInteger
                                      : type == REG_SZ    ? TRegDataType::rdString
                                                          : TRegDataType::rdUnknown);
    }
}
