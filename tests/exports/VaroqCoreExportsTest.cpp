#include "support/BmpBuilder.h"
#include "support/ChildProcess.h"
#include "support/CoreHost.h"
#include "support/IconStreamsBuilder.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cmath>
#include <cstring>

using namespace test_support;

extern "C" uint32_t StackDelta(const void* function, int count, const uint32_t* arguments, int popsDouble);

namespace {

int g_loaded = 0;
int g_loadedOther = 0;
void WINAPI OnLoaded() { ++g_loaded; }
void WINAPI OnLoadedOther() { ++g_loadedOther; }

const std::wstring kOption = L"Software\\Brenlow\\VaroqMain\\Option";

// Picture k: opaque colours that differ per picture; picture 2 carries alpha.
uint32_t Colour(uint32_t k, int x, int y)
{
    const uint32_t alpha = k == 2 ? 0x80000000u : 0;
    return alpha | (0x102030u * (k + 1) + static_cast<uint32_t>(x * 4 + y)) % 0xFFFFFF;
}

// Five records: record 4 names picture 99, which the three pictures do not hold; records 1
// and 3 share picture 1.
void WriteHistory(const std::wstring& trayNotify)
{
    const int32_t pictureOf[] = {0, 1, 2, 1, 99};
    std::vector<Bytes> records;
    for (int i = 0; i < 5; ++i) {
        records.push_back(MakeRecord({L"C:\\Programs\\app" + std::to_wstring(i) + L".exe", L"エントリ" + std::to_wstring(i),
                                      static_cast<uint32_t>(100 + i), static_cast<uint32_t>(i % 2), static_cast<uint32_t>(200 + i),
                                      pictureOf[i], static_cast<uint8_t>(i)}));
    }
    SetBinary(trayNotify, L"IconStreams", MakeIconStreams(records));
    PastIconsLayout pictures;
    pictures.ImageCount = 3;
    pictures.Images = GridLayout{4, 32, {}, Colour};
    pictures.Masks = GridLayout{4, 1, {0, 0xFFFFFF}, [](uint32_t, int, int) { return 0u; }};
    SetBinary(trayNotify, L"PastIconsStream", MakePastIconsStream(pictures));
}

HIMAGELIST ListOf(void* address)
{
    return *static_cast<HIMAGELIST*>(address);  // the documented first member
}

// Image k of the list drawn onto white, as 0xRRGGBB pixels.
std::vector<uint32_t> Drawn(HIMAGELIST list, int k)
{
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::memset(bits, 0xFF, 16 * 16 * 4);
    ImageList_Draw(list, k, dc, 0, 0, ILD_NORMAL);
    GdiFlush();
    std::vector<uint32_t> pixels(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + 256);
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return pixels;
}

class ExportsTest : public CleanRegistryTest {
protected:
    void SetUp() override
    {
        CleanRegistryTest::SetUp();
        g_loaded = g_loadedOther = 0;
        trayNotify = ExpectedTrayNotifyKey();
        core = std::make_unique<CoreHost>(CoreDllPath());
    }
    void TearDown() override
    {
        core.reset();
        CleanRegistryTest::TearDown();
    }
    std::vector<std::wstring> Failures() { return core->TakeFailures(); }

    std::wstring trayNotify;
    std::unique_ptr<CoreHost> core;
};

using Texts = std::vector<std::wstring>;

}  // namespace

TEST_F(ExportsTest, AFreshModelIsEmptyAndDirty)
{
    EXPECT_EQ(core->GetCount(), 0);
    EXPECT_TRUE(core->IsLoadDirty());
    EXPECT_TRUE(core->IsSaveDirty());
    EXPECT_EQ(core->SnapshotDateTime(), 0.0);
    EXPECT_FALSE(core->IsBusy());
    EXPECT_EQ(core->AutomaticExecIsBusy(), 0);
    void* list = core->GetImageList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(ListOf(list)), 0);
    EXPECT_TRUE(Failures().empty());
}

TEST_F(ExportsTest, ALoadShowsEveryEntryWithItsPicture)
{
    WriteHistory(trayNotify);
    core->Init(OnLoaded, nullptr, 0, nullptr);
    core->Load();
    ASSERT_TRUE(Failures().empty());
    EXPECT_EQ(g_loaded, 1);
    ASSERT_EQ(core->GetCount(), 5);
    EXPECT_FALSE(core->IsLoadDirty());
    EXPECT_TRUE(core->IsSaveDirty());
    // Now, in days since 30 December 1899: 2026 lies beyond day 46,000.
    EXPECT_GT(core->SnapshotDateTime(), 46000.0);

    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        const TMyIconItem item = core->GetIcon(k);
        EXPECT_EQ(std::wstring(item.ExePath), L"C:\\Programs\\app" + std::to_wstring(k) + L".exe");
        EXPECT_EQ(std::wstring(item.EntryText), L"エントリ" + std::to_wstring(k));
        EXPECT_EQ(item.Word520, static_cast<uint32_t>(100 + k));
        EXPECT_EQ(item.Flag524, k % 2);
        EXPECT_EQ(item.Word528, static_cast<uint32_t>(200 + k));
        EXPECT_EQ(item.ImageIndex, k);
        EXPECT_EQ(item.Padding[0] | item.Padding[1] | item.Padding[2], 0);
    }
    const HIMAGELIST list = ListOf(core->GetImageList());
    ASSERT_EQ(ImageList_GetImageCount(list), 5);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    // Records 1 and 3 share a picture; each has its own image.
    EXPECT_EQ(Drawn(list, 1), Drawn(list, 3));
    EXPECT_NE(Drawn(list, 0), Drawn(list, 1));
    EXPECT_EQ(Drawn(list, 0)[16 * 2 + 3], Colour(0, 3, 2) & 0xFFFFFF);
    // Record 4 got the default picture: its corner is transparent, its frame dark grey.
    EXPECT_EQ(Drawn(list, 4)[0], 0xFFFFFFu);
    EXPECT_EQ(Drawn(list, 4)[16 + 1], 0x404040u);
    EXPECT_TRUE(Failures().empty());
}

TEST_F(ExportsTest, AFailedLoadKeepsTheModelAndNotifiesNobody)
{
    WriteHistory(trayNotify);
    core->Init(OnLoaded, nullptr, 0, nullptr);
    core->Load();
    ASSERT_EQ(core->GetCount(), 5);
    const double snapshot = core->SnapshotDateTime();

    struct Case {
        const char* name;
        std::function<void()> spoil;
        std::wstring text;
    };
    const Case cases[] = {
        {"no key", [&] { DeleteTree(trayNotify); }, L"TrayNotifyレジストリが開けません"},
        {"bad IconStreams", [&] { SetBinary(trayNotify, L"IconStreams", Bytes(21)); }, L"IconStreamsレジストリデータが不正です"},
        {"no IconStreams", [&] { DeleteValue(trayNotify, L"IconStreams"); }, L"IconStreamsレジストリデータが不正です"},
        {"bad PastIconsStream", [&] { SetBinary(trayNotify, L"PastIconsStream", Bytes(19)); },
         L"PastIconsStreamレジストリデータが不正です"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteHistory(trayNotify);
        c.spoil();
        core->Load();
        EXPECT_EQ(Failures(), Texts{c.text});
        EXPECT_EQ(g_loaded, 1);
        EXPECT_EQ(core->GetCount(), 5);
        EXPECT_FALSE(core->IsLoadDirty());
        EXPECT_EQ(core->SnapshotDateTime(), snapshot);
    }
}

TEST_F(ExportsTest, DeletionsRenumberTheEntriesAndTheirImages)
{
    WriteHistory(trayNotify);
    core->Load();
    const uint32_t some[] = {3, 1, 3};
    core->DeleteIcons(some, 3);
    ASSERT_TRUE(Failures().empty());
    ASSERT_EQ(core->GetCount(), 3);
    EXPECT_TRUE(core->IsLoadDirty());
    const int former[] = {0, 2, 4};
    for (int k = 0; k < 3; ++k) {
        const TMyIconItem item = core->GetIcon(k);
        EXPECT_EQ(std::wstring(item.ExePath), L"C:\\Programs\\app" + std::to_wstring(former[k]) + L".exe");
        EXPECT_EQ(item.ImageIndex, k);
    }
    const HIMAGELIST list = ListOf(core->GetImageList());
    EXPECT_EQ(ImageList_GetImageCount(list), 3);
    EXPECT_EQ(Drawn(list, 2)[16 + 1], 0x404040u);  // the default picture moved with its entry

    core->Load();
    EXPECT_FALSE(core->IsLoadDirty());
    core->DeleteIcons(nullptr, 0);  // nothing, but the model counts as changed
    EXPECT_EQ(core->GetCount(), 5);
    EXPECT_TRUE(core->IsLoadDirty());
    const uint32_t all[] = {4, 0, 1, 2, 3};
    core->DeleteIcons(all, 5);
    EXPECT_EQ(core->GetCount(), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_TRUE(Failures().empty());
}

TEST_F(ExportsTest, PositionsOutsideTheEntriesAreRefusedWithoutHarm)
{
    WriteHistory(trayNotify);
    core->Load();
    for (int index : {5, -1, 1000}) {
        const TMyIconItem item = core->GetIcon(index);
        const Bytes zero(sizeof item, 0);
        EXPECT_EQ(std::memcmp(&item, zero.data(), sizeof item), 0);
        EXPECT_EQ(Failures(), Texts{L"アイコンの位置" + std::to_wstring(index) + L"は範囲外です"});
    }
    const uint32_t beyond[] = {1, 7};
    core->DeleteIcons(beyond, 2);
    EXPECT_EQ(Failures(), Texts{L"アイコンの位置7は範囲外です"});
    core->DeleteIcons(beyond, -1);
    EXPECT_EQ(Failures(), Texts{L"削除するアイコンの数-1が不正です"});
    EXPECT_EQ(core->GetCount(), 5);
}

TEST_F(ExportsTest, ATextThatFillsItsFieldIsHandedOutTerminated)
{
    const std::wstring fullPath(260, L'p'), fullText(264, L't');
    SetBinary(trayNotify, L"IconStreams", MakeIconStreams({MakeRecord({fullPath, fullText, 0, 0, 0, 0, 0x41})}));
    SetBinary(trayNotify, L"PastIconsStream", MakePastIconsStream({}));
    core->Load();
    const TMyIconItem item = core->GetIcon(0);
    EXPECT_EQ(std::wstring(item.ExePath), fullPath);
    EXPECT_EQ(std::wstring(item.EntryText), fullText);
    EXPECT_TRUE(Failures().empty());
}

TEST_F(ExportsTest, LargerPicturesStillGiveOneImageAnEntry)
{
    std::vector<Bytes> records;
    for (int i = 0; i < 3; ++i) records.push_back(MakeRecord({L"big" + std::to_wstring(i) + L".exe", L"big", 0, 0, 0, i}));
    SetBinary(trayNotify, L"IconStreams", MakeIconStreams(records));
    PastIconsLayout pictures;
    pictures.ImageCount = 3;
    pictures.IconWidth = pictures.IconHeight = 32;
    pictures.Images = GridLayout{4, 24, {}, [](uint32_t k, int, int) { return 0x203040u * (k + 1); }};
    pictures.Masks = GridLayout{4, 1, {0, 0xFFFFFF}, [](uint32_t, int, int) { return 0u; }};
    SetBinary(trayNotify, L"PastIconsStream", MakePastIconsStream(pictures));
    core->Load();
    ASSERT_TRUE(Failures().empty());
    const HIMAGELIST list = ListOf(core->GetImageList());
    ASSERT_EQ(ImageList_GetImageCount(list), 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(Drawn(list, k)[8 * 16 + 8], 0x203040u * (k + 1)) << k;
    }
}

TEST_F(ExportsTest, InitOnlyReachesModelsMadeAfterIt)
{
    WriteHistory(trayNotify);
    core->Init(OnLoaded, nullptr, 0, nullptr);
    EXPECT_EQ(core->GetCount(), 0);  // the model is made now, with OnLoaded
    core->Init(OnLoadedOther, nullptr, 0, nullptr);
    core->Load();
    EXPECT_EQ(g_loaded, 1);
    EXPECT_EQ(g_loadedOther, 0);

    core->Uninit();
    core->Uninit();  // nothing left to destroy
    EXPECT_EQ(core->GetCount(), 0);  // a fresh model
    core->Load();
    EXPECT_EQ(g_loadedOther, 1);
    EXPECT_EQ(g_loaded, 1);
    EXPECT_TRUE(Failures().empty());
}

TEST_F(ExportsTest, AForeignExplorerRestartMarksTheModelAndReloadsIfAsked)
{
    for (const bool reload : {true, false}) {
        SCOPED_TRACE(reload);
        SetDword(kOption, L"LoadAfterAutomaticExec", reload ? 1 : 0);
        WriteHistory(trayNotify);
        core->Uninit();
        core->Init(OnLoaded, nullptr, 0, nullptr);
        g_loaded = 0;
        core->Load();
        ASSERT_EQ(core->GetCount(), 5);
        // Someone else cleaned the history and restarted Explorer.
        SetBinary(trayNotify, L"IconStreams", MakeIconStreams({MakeRecord({L"only.exe", L"only"})}));
        PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
        for (int i = 0; i < 50 && (reload ? g_loaded < 2 : !core->IsLoadDirty()); ++i) {
            core->ProcessMessages();
            Sleep(20);
        }
        EXPECT_TRUE(Failures().empty());
        if (reload) {
            EXPECT_EQ(g_loaded, 2);
            EXPECT_EQ(core->GetCount(), 1);
            EXPECT_FALSE(core->IsLoadDirty());
        } else {
            EXPECT_EQ(g_loaded, 1);
            EXPECT_EQ(core->GetCount(), 5);
            EXPECT_TRUE(core->IsLoadDirty());
        }
        EXPECT_TRUE(core->IsSaveDirty());
    }
}

TEST_F(ExportsTest, EveryExportRemovesItsOwnArguments)
{
    WriteHistory(trayNotify);
    TMyIconItem buffer{};
    const uint32_t positions[] = {0};
    const wchar_t* file = L"none.reg";
    struct Case {
        const char* name;
        std::vector<uint32_t> arguments;
        bool popsDouble;
    };
    const Case cases[] = {
        {"Init", {0, 0, 0, 0}, false},
        {"Load", {}, false},
        {"IsLoadDirty", {}, false},
        {"IsSaveDirty", {}, false},
        {"SnapshotDateTime", {}, true},
        {"IsBusy", {}, false},
        {"GetCount", {}, false},
        {"GetIcon", {reinterpret_cast<uint32_t>(&buffer), 0}, false},
        {"GetIcon", {reinterpret_cast<uint32_t>(&buffer), 99}, false},  // failing
        {"DeleteIcons", {reinterpret_cast<uint32_t>(positions), 1}, false},
        {"GetImageList", {}, false},
        {"Save", {}, false},
        {"RestoreRegistry", {reinterpret_cast<uint32_t>(file)}, false},
        {"AutomaticExec", {0}, false},
        {"AutomaticExecIsBusy", {}, false},
        {"ProcessMessages", {}, false},
        {"Uninit", {}, false},
    };
    for (const Case& c : cases) {
        const FARPROC function = core->Address(c.name);
        ASSERT_NE(function, nullptr) << c.name;
        EXPECT_EQ(StackDelta(reinterpret_cast<const void*>(function), static_cast<int>(c.arguments.size()),
                             c.arguments.data(), c.popsDouble),
                  0u)
            << c.name;
    }
    core->TakeFailures();
    // GetIcon also hands the caller's buffer back in the result register.
    using Raw = TMyIconItem*(WINAPI*)(TMyIconItem*, int);
    EXPECT_EQ(reinterpret_cast<Raw>(reinterpret_cast<void*>(core->Address("GetIcon")))(&buffer, 0), &buffer);
}

namespace {

int g_dispatched = 0;

LRESULT CALLBACK CountingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP + 1) ++g_dispatched;
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

TEST_F(ExportsTest, ProcessMessagesDispatchesWhatWaitsAndDropsQuit)
{
    g_dispatched = 0;
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountingWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VaroqExportsTestWindow";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    PostMessageW(window, WM_APP + 1, 0, 0);
    PostQuitMessage(3);
    PostMessageW(window, WM_APP + 1, 0, 0);
    core->ProcessMessages();
    EXPECT_EQ(g_dispatched, 2);
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    DestroyWindow(window);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

TEST(ExportsUnsupportedSystemTest, EveryModelExportFailsWithTheVersionTextAndItsAfterFailureResult)
{
    const wchar_t* defaults = L"Software\\Wine\\AppDefaults\\export_probe.exe";
    SetString(defaults, L"Version", L"nt40");
    const ProcessResult result = RunProcess(L"\"" + TestBinDir() + L"export_probe.exe\"");
    DeleteTree(defaults);
    const std::string refused = "|\xE3\x81\x93\xE3\x81\xAE\xE3\x83\x90\xE3\x83\xBC\xE3\x82\xB8\xE3\x83\xA7\xE3\x83\xB3"
                                "\xE3\x81\xAEOS\xE3\x81\xAB\xE3\x81\xAF\xE5\xAF\xBE\xE5\xBF\x9C\xE3\x81\x97\xE3\x81\xBE"
                                "\xE3\x81\x9B\xE3\x82\x93\n";  // このバージョンのOSには対応しません
    EXPECT_EQ(result.Output, "Load -" + refused + "IsLoadDirty 0" + refused + "IsSaveDirty 0" + refused +
                                 "SnapshotDateTime 0.000000" + refused + "IsBusy 0" + refused + "GetCount 0" + refused +
                                 "GetIcon 1" + refused + "DeleteIcons -" + refused + "GetImageList 1" + refused +
                                 "RestoreRegistry -" + refused);
}
