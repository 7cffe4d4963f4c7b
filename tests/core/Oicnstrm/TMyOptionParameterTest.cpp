#include "Oicnstrm/TMyOptionParameter.h"

#include "classlib/Exception.h"
#include "support/RegistryFixture.h"

#include <gtest/gtest.h>

using namespace test_support;

namespace {

const std::wstring kOption = L"Software\\Brenlow\\VaroqMain\\Option";

using TMyOptionParameterTest = CleanRegistryTest;

}  // namespace

TEST_F(TMyOptionParameterTest, AnEmptyRegistryGivesTheDefaultsAndAnEmptyOptionKey)
{
    const TMyOptionParameter options;
    EXPECT_FALSE(options.BackupEnabled());
    EXPECT_EQ(options.BackupFolder(), L"");
    EXPECT_EQ(options.BackupMenuCount(), 10);
    EXPECT_EQ(options.ExplorerStopWait(), 1000);
    EXPECT_EQ(options.ExclusiveAccessWait(), 1000);
    EXPECT_TRUE(options.LoadAfterAutomaticExec());

    EXPECT_TRUE(KeyExists(kOption));
    EXPECT_TRUE(ValueNames(kOption).empty());
}

TEST_F(TMyOptionParameterTest, StoredValuesWinOverTheDefaults)
{
    SetDword(kOption, L"BackupEnabled", 1);
    SetString(kOption, L"BackupFolder", L"C:\\バックアップ\\");
    SetDword(kOption, L"BackupMenuCount", 3);
    SetDword(kOption, L"ExplorerStopWait", 0);
    SetDword(kOption, L"ExclusiveAccessWait", 0xFFFFFFFF);  // waits without limit
    SetDword(kOption, L"LoadAfterAutomaticExec", 0);

    const TMyOptionParameter options;
    EXPECT_TRUE(options.BackupEnabled());
    EXPECT_EQ(options.BackupFolder(), L"C:\\バックアップ\\");
    EXPECT_EQ(options.BackupMenuCount(), 3);
    EXPECT_EQ(options.ExplorerStopWait(), 0);
    EXPECT_EQ(options.ExclusiveAccessWait(), -1);
    EXPECT_EQ(static_cast<DWORD>(options.ExclusiveAccessWait()), DWORD{INFINITE});
    EXPECT_FALSE(options.LoadAfterAutomaticExec());
}

TEST_F(TMyOptionParameterTest, AnyNonZeroNumberSwitchesAFlagOn)
{
    SetDword(kOption, L"LoadAfterAutomaticExec", 7);
    SetDword(kOption, L"BackupEnabled", 0x80000000);
    const TMyOptionParameter options;
    EXPECT_TRUE(options.LoadAfterAutomaticExec());
    EXPECT_TRUE(options.BackupEnabled());
}

TEST_F(TMyOptionParameterTest, EveryReadSeesTheRegistryAsItIsNow)
{
    const TMyOptionParameter options;
    EXPECT_EQ(options.ExplorerStopWait(), 1000);
    SetDword(kOption, L"ExplorerStopWait", 250);
    EXPECT_EQ(options.ExplorerStopWait(), 250);
    DeleteValue(kOption, L"ExplorerStopWait");
    EXPECT_EQ(options.ExplorerStopWait(), 1000);
}

TEST_F(TMyOptionParameterTest, AValueOfTheWrongTypeRaisesTheRegistryError)
{
    SetString(kOption, L"ExclusiveAccessWait", L"1000");
    SetBinary(kOption, L"BackupEnabled", {1, 0, 0, 0});
    SetDword(kOption, L"BackupFolder", 1);
    const TMyOptionParameter options;
    EXPECT_THROW(options.ExclusiveAccessWait(), classlib::ERegistryException);
    EXPECT_THROW(options.BackupEnabled(), classlib::ERegistryException);
    EXPECT_THROW(options.BackupFolder(), classlib::ERegistryException);
}
