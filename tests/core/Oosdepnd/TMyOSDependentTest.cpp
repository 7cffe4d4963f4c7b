#include "Oosdepnd/TMyOSDependent.h"

#include "support/ChildProcess.h"
#include "support/RegistryFixture.h"

#include <gtest/gtest.h>

using namespace test_support;

TEST(TMyOSDependentTest, ThisFamilyGetsItsVersionAndKey)
{
    const TMyOSDependent os;
    EXPECT_EQ(os.GetMajorVersion(), ExpectedOsMajor());
    EXPECT_EQ(std::wstring(os.GetTrayNotifyKey()), ExpectedTrayNotifyKey());
}

TEST(TMyOSDependentTest, InstancesAndCopiesShareTheVariantAndItCanBeMadeAgain)
{
    const wchar_t* key = nullptr;
    {
        auto first = std::make_unique<TMyOSDependent>();
        const TMyOSDependent second;
        const TMyOSDependent copy = *first;
        key = first->GetTrayNotifyKey();
        EXPECT_EQ(second.GetTrayNotifyKey(), key);
        first.reset();
        // The variant outlives the first instance while others hold it.
        EXPECT_EQ(copy.GetTrayNotifyKey(), key);
        EXPECT_EQ(second.GetMajorVersion(), ExpectedOsMajor());
    }
    // After the last one, a new instance checks the version again.
    const TMyOSDependent again;
    EXPECT_EQ(again.GetMajorVersion(), ExpectedOsMajor());
    EXPECT_EQ(std::wstring(again.GetTrayNotifyKey()), ExpectedTrayNotifyKey());
}

namespace {

const wchar_t* const kProbeDefaults = L"Software\\Wine\\AppDefaults\\osdep_probe.exe";

struct VersionCase {
    const wchar_t* WineVersion;
    int ExpectedMajor;  // 0: refused
};

void PrintTo(const VersionCase& c, std::ostream* out)
{
    *out << "Wine version " << testing::PrintToString(std::wstring(c.WineVersion));
}

// Wine answers GetVersionExW per program as set under AppDefaults; the probe (which declares
// itself fit for Windows 10, so that Wine does not cap the version at 6.2) reports what
// TMyOSDependent makes of it.
class UnsupportedVersionsTest : public testing::TestWithParam<VersionCase> {
protected:
    void TearDown() override { DeleteTree(kProbeDefaults); }
};


}  // namespace

TEST_P(UnsupportedVersionsTest, OnlyMajorVersionsFiveAndSixAreServed)
{
    SetString(kProbeDefaults, L"Version", GetParam().WineVersion);
    const ProcessResult result = RunProcess(L"\"" + TestBinDir() + L"osdep_probe.exe\"");
    const int major = GetParam().ExpectedMajor;
    if (major == 0) {
        EXPECT_EQ(result.Output, Utf8(L"refused: このバージョンのOSには対応しません"));
        EXPECT_EQ(result.ExitCode, 2u);
    } else {
        EXPECT_EQ(result.Output, std::to_string(major) + " " + Utf8(major == 5 ? kXpTrayNotify : kVistaTrayNotify));
        EXPECT_EQ(result.ExitCode, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    WineVersions, UnsupportedVersionsTest,
    testing::Values(VersionCase{L"nt40", 0}, VersionCase{L"win2k", 5}, VersionCase{L"winxp", 5},
                    VersionCase{L"win2003", 5}, VersionCase{L"vista", 6}, VersionCase{L"win7", 6},
                    VersionCase{L"win8", 6}, VersionCase{L"win81", 6}, VersionCase{L"win10", 0}),
    [](const testing::TestParamInfo<VersionCase>& param) { return Utf8(param.param.WineVersion); });
