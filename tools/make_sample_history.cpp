// Writes a made-up tray history into the registry of the running (Wine) system, for the
// README's demonstration: 36 entries of 32-bit pictures, some with alpha and some without,
// two entries sharing a picture and one naming a picture the history lacks.
#include "Oosdepnd/TMyOSDependent.h"
#include "support/BmpBuilder.h"
#include "support/IconStreamsBuilder.h"

#include <windows.h>

#include <cstdio>

using namespace test_support;

namespace {

const wchar_t* const kPrograms[] = {
    L"Dropbox", L"メッセンジャー", L"Volume", L"Network", L"Power", L"Updater", L"天気", L"Backup", L"Sync",
    L"Printer", L"Antivirus", L"Chat", L"Mail", L"カレンダー", L"Music", L"Clock", L"Bluetooth", L"Battery",
    L"Display", L"Keyboard", L"VPN", L"Notes", L"Camera", L"翻訳", L"Cloud", L"Game", L"Radio", L"Scanner",
    L"Tasks", L"Timer", L"Remote", L"Monitor", L"Photos", L"Downloads", L"Search", L"Security"};
constexpr uint32_t kEntries = 36;
constexpr uint32_t kPictures = 34;

uint32_t Pixel(uint32_t k, int x, int y)
{
    // A rounded square in a colour of its own, with a lighter mark; odd pictures carry alpha
    // (a soft edge), even ones none.
    const int dx = x < 8 ? 7 - x : x - 8, dy = y < 8 ? 7 - y : y - 8;
    const bool inside = dx + dy < 11;
    const uint32_t hue = ((k + 1) * 0x3A5F17u) & 0xFFFFFF;
    const uint32_t colour = (x > 4 && x < 11 && y > 4 && y < 11) ? (hue | 0x808080) : (hue & 0x7F7F7F);
    if (k % 2 == 0) {
        return inside ? colour : 0;
    }
    const uint32_t alpha = inside ? (dx + dy > 8 ? 0x80u : 0xFFu) : 0;
    return alpha << 24 | colour;
}

}  // namespace

int main()
{
    // The key the library itself reads on this system.
    const std::wstring key = TMyOSDependent().GetTrayNotifyKey();

    std::vector<Bytes> records;
    for (uint32_t i = 0; i < kEntries; ++i) {
        // Entry 7 shares entry 6's picture; the last entry names a picture the list lacks.
        const int32_t picture = i == kEntries - 1 ? 500 : static_cast<int32_t>(i <= 6 ? i : i - 1);
        const std::wstring name = kPrograms[i];
        records.push_back(MakeRecord({L"C:\\Program Files\\" + name + L"\\" + name + L".exe", name + L" の通知",
                                      i * 3u, i % 3 == 0 ? 1u : 0u, 0x10000u + i, picture, 0}));
    }
    SetBinary(key, L"IconStreams", MakeIconStreams(records));
    PastIconsLayout pictures;
    pictures.ImageCount = kPictures;
    pictures.Images = GridLayout{4, 32, {}, Pixel};
    pictures.Masks = GridLayout{4, 1, {0, 0xFFFFFF}, [](uint32_t k, int x, int y) { return Pixel(k, x, y) == 0 ? 1u : 0u; }};
    SetBinary(key, L"PastIconsStream", MakePastIconsStream(pictures));
    std::printf("sample history written: %u entries, %u pictures\n", kEntries, kPictures);
    return 0;
}
