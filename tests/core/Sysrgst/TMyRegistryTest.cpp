#include "Sysrgst/TMyRegistry.h"

#include "classlib/Exception.h"
#include "support/RegistryFixture.h"

#include <gtest/gtest.h>

using namespace test_support;

using TMyRegistryTest = CleanRegistryTest;

TEST_F(TMyRegistryTest, CreatesTheWholePathAndOpensItAgainLater)
{
    const std::wstring path = L"Software\\VaroqTest\\One\\Two\\Three";
    {
        TMyRegistry key(path);
        EXPECT_TRUE(KeyExists(path));
        key->WriteString(L"Kept", L"yes");
    }
    TMyRegistry again(path);
    EXPECT_EQ(again->CurrentPath(), path);
    EXPECT_EQ(again->ReadString(L"Kept"), L"yes");
}

TEST_F(TMyRegistryTest, ACopyKeepsTheKeyOpenAfterTheOriginalIsGone)
{
    auto original = std::make_unique<TMyRegistry>(L"Software\\VaroqTest\\Shared");
    const TMyRegistry copy = *original;
    const HKEY handle = (*original)->CurrentKey();
    original.reset();
    EXPECT_EQ(copy->CurrentKey(), handle);
    copy->WriteInteger(L"AfterOriginal", 5);
    EXPECT_EQ(GetValue(L"Software\\VaroqTest\\Shared", L"AfterOriginal"), (Bytes{5, 0, 0, 0}));
}

TEST_F(TMyRegistryTest, AKeyThatCannotBeCreatedNamesThePathAsGiven)
{
    // A volatile key cannot have lasting children, so creating one below it fails.
    HKEY volatileKey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\VaroqTest\\Volatile", 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &volatileKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatileKey);

    const std::wstring paths[] = {
        L"Software\\VaroqTest\\Volatile\\Child",
        L"Software\\VaroqTest\\" + std::wstring(300, L'x'),  // longer than a key name may be
    };
    for (const std::wstring& path : paths) {
        try {
            TMyRegistry key(path);
            ADD_FAILURE() << "opened " << testing::PrintToString(path);
        } catch (const classlib::ERegistryException& error) {
            EXPECT_EQ(error.Message(), L"レジストリキー'" + path + L"'が開けません");
        }
        EXPECT_FALSE(KeyExists(path));
    }
}
