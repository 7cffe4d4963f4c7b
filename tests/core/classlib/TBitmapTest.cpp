#include "classlib/TBitmap.h"

#include "support/BmpBuilder.h"

#include "support/StreamBytes.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace classlib;
using namespace test_support;

namespace {


}  // namespace

TEST(TBitmapTest, SavesCompleteFilesThatLoadBackForEveryDepth)
{
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        std::vector<uint32_t> table;
        if (bits <= 8) for (uint32_t i = 0; i < (1u << bits); ++i) table.push_back(0x0F0F0F * (i % 17));
        const uint32_t limit = bits >= 24 ? 0xFFFFFFFF : (1u << bits) - 1;
        // 13 pixels wide, so that every depth pads its rows.
        const Bytes file = MakeBmp({13, 5, bits, table, [limit](int x, int y) { return (x * 40503u + y * 977u) & limit; }, 0});

        TMemoryStream in = StreamOf(file);
        TBitmap bitmap;
        bitmap.LoadFromStream(in);
        EXPECT_EQ(in.Position(), file.size());
        EXPECT_EQ(bitmap.Width(), 13);
        EXPECT_EQ(bitmap.Height(), 5);
        EXPECT_EQ(BitsPerPixel(bitmap.PixelFormat()), bits);

        TMemoryStream out;
        bitmap.SaveToStream(out);
        const Bytes saved(out.Memory(), out.Memory() + out.Size());
        // Same pixels and table; the saved headers fill the sizes exactly.
        ASSERT_EQ(saved.size(), file.size());
        EXPECT_EQ(Get32(saved, 2), saved.size());
        EXPECT_EQ(Get32(saved, 10), 14 + 40 + 4 * table.size());
        EXPECT_EQ(Get32(saved, 34), saved.size() - Get32(saved, 10));
        EXPECT_EQ(Bytes(saved.begin() + Get32(saved, 10), saved.end()), Bytes(file.begin() + Get32(file, 10), file.end()));
        EXPECT_EQ(Bytes(saved.begin() + 54, saved.begin() + Get32(saved, 10)), Bytes(file.begin() + 54, file.begin() + Get32(file, 10)));
    }
}

TEST(TBitmapTest, LoadingReadsExactlyOneFileAndLeavesTheRestOfTheStream)
{
    // biSizeImage larger than the rows: the file goes on to the end of that size.
    Bytes two = MakeBmp({3, 2, 24, {}, [](int x, int y) { return 0x010101u * (x + 3 * y); }, 6});
    const size_t firstLength = two.size();
    const Bytes second = MakeBmp({2, 2, 1, {0, 0xFFFFFF}, [](int x, int y) { return (x ^ y) & 1u; }, 0});
    two.insert(two.end(), second.begin(), second.end());

    TMemoryStream stream = StreamOf(two);
    TBitmap first, next;
    first.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), firstLength);
    next.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), two.size());
    EXPECT_EQ(next.PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(first.ScanLine(1)[3], 0x04);  // pixel (1, 1): row 1 counted from the top
}

TEST(TBitmapTest, TopDownFilesKeepTheirRowOrder)
{
    Bytes file = MakeBmp({1, 3, 32, {}, [](int, int y) { return 0x11111111u * (y + 1); }, 0});
    // Turn the bottom-up file into a top-down one: negative height, rows reversed.
    Put32(file, 22, static_cast<uint32_t>(-3));
    const size_t at = Get32(file, 10);
    std::swap_ranges(file.begin() + at, file.begin() + at + 4, file.begin() + at + 8);
    TMemoryStream stream = StreamOf(file);
    TBitmap bitmap;
    bitmap.LoadFromStream(stream);
    ASSERT_EQ(bitmap.Height(), 3);
    for (int y = 0; y < 3; ++y) {
        uint32_t p;
        std::memcpy(&p, bitmap.ScanLine(y), 4);
        EXPECT_EQ(p, 0x11111111u * (y + 1));
    }
}

TEST(TBitmapTest, AFailedLoadLeavesTheBitmapAsItWas)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf32bit);
    bitmap.SetSize(4, 4);
    Bytes file = MakeBmp({2, 2, 24, {}, [](int, int) { return 0u; }, 0});
    file.resize(file.size() - 1);  // one byte of the last row missing
    TMemoryStream stream = StreamOf(file);
    EXPECT_THROW(bitmap.LoadFromStream(stream), EInvalidGraphic);
    EXPECT_EQ(bitmap.Width(), 4);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_EQ(stream.Position(), 0u);
}
