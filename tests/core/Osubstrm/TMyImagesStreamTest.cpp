#include "Osubstrm/TMyImagesStream.h"

#include "classlib/Exception.h"
#include "support/BmpBuilder.h"

#include "support/StreamBytes.h"

#include <gtest/gtest.h>

#include <cstring>

using classlib::TBitmap;
using classlib::TMemoryStream;
using classlib::TPixelFormat;
using namespace test_support;

namespace {



// A pixel of a bitmap as the builder describes pixels.
uint32_t PixelAt(const TBitmap& bitmap, int x, int y)
{
    const uint8_t* row = bitmap.ScanLine(y);
    switch (classlib::BitsPerPixel(bitmap.PixelFormat())) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return (row[x / 2] >> (x % 2 ? 0 : 4)) & 15;
    case 8: return row[x];
    case 24: return row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
    default: {
        uint32_t p;
        std::memcpy(&p, row + 4 * x, 4);
        return p;
    }
    }
}

// Every pixel of picture k is told apart from those of other pictures and other places,
// alpha byte included.
uint32_t Colour32(uint32_t k, int x, int y)
{
    return ((k * 37 + x * 5 + y) & 0xFF) << 24 | (k & 0xFF) << 16 | (x * 16) << 8 | (y * 16);
}
uint32_t MaskBit(uint32_t k, int x, int y)
{
    return (x + 3 * y + k) % 5 == 0 ? 1 : 0;
}

PastIconsLayout Layout(uint32_t count, int imageColumns = 4, int maskColumns = 4)
{
    PastIconsLayout layout;
    layout.ImageCount = count;
    layout.Images = GridLayout{imageColumns, 32, {}, Colour32};
    layout.Masks = GridLayout{maskColumns, 1, {0x000000, 0xFFFFFF}, MaskBit};
    return layout;
}

void ExpectPicture(const TBitmap& bitmap, int width, int height, TPixelFormat format, const CellFn& cell, uint32_t k)
{
    ASSERT_EQ(bitmap.Width(), width);
    ASSERT_EQ(bitmap.Height(), height);
    ASSERT_EQ(bitmap.PixelFormat(), format);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(PixelAt(bitmap, x, y), cell(k, x, y)) << "picture " << k << " at " << x << "," << y;
}

std::wstring LoadFailure(const Bytes& value)
{
    TMemoryStream stream = StreamOf(value);
    try {
        TMyImagesStream images(stream, 5);
        return L"";
    } catch (const classlib::Exception& error) {
        return error.Message();
    }
}

const std::wstring kInvalid = L"PastIconsStreamレジストリデータが不正です";

}  // namespace

TEST(TMyImagesStreamTest, EachValidationTestRefusesOnItsOwn)
{
    const Bytes valid = MakePastIconsStream(Layout(3));
    ASSERT_EQ(LoadFailure(valid), L"");
    const size_t e = MaskGridAt(valid);

    struct Case {
        const char* name;
        std::function<Bytes()> make;
    };
    const auto with = [&](size_t offset, uint32_t value) {
        Bytes v = valid;
        Put32(v, offset, value);
        return v;
    };
    const auto cut = [&](size_t length) { return Bytes(valid.begin(), valid.begin() + length); };
    const Case cases[] = {
        {"1: empty", [] { return Bytes{}; }},
        {"1: 19 bytes", [&] { return cut(19); }},
        {"2: exactly 20 bytes", [&] { return cut(20); }},
        {"2: list header past the end", [&] { return with(16, static_cast<uint32_t>(valid.size()) - 27); }},
        {"2: list offset that wraps", [&] { return with(16, 0xFFFFFFF0); }},
        {"4: colour file header cut", [&] { return cut(20 + 41); }},
        {"5: pixel offset past the end", [&] { return with(kImageGridAt + 10, static_cast<uint32_t>(valid.size())); }},
        {"5: pixel offset that wraps", [&] { return with(kImageGridAt + 10, 0xFFFFFFF0); }},
        {"6: image size past the end", [&] { return with(kImageGridAt + 34, static_cast<uint32_t>(valid.size())); }},
        {"6: image size that wraps", [&] { return with(kImageGridAt + 34, 0xFFFFFFE0); }},
        {"7: mask file header cut", [&] { return cut(e + 13); }},
        {"8: mask pixel offset past the end", [&] { return with(e + 10, static_cast<uint32_t>(valid.size())); }},
        {"8: mask pixel offset that wraps", [&] { return with(e + 10, 0xFFFFFFF8); }},
        {"9: mask image size past the end", [&] { return with(e + 34, Get32(valid, e + 34) + 1); }},
        {"9: mask image size that wraps", [&] { return with(e + 34, 0xFFFFFFFF); }},
        // A colour grid header so short that its image size lies past the value.
        {"5/6: image size beyond the value", [&] {
             Bytes v = cut(20 + 28 + 40);
             Put32(v, kImageGridAt + 10, 0);
             return v;
         }},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LoadFailure(c.make()), kInvalid) << c.name;
    }
}

TEST(TMyImagesStreamTest, AValueWithoutPicturesGivesTheDefaultsForEveryIndex)
{
    PastIconsLayout layout = Layout(0);
    layout.IconWidth = 0;  // nothing is cut out, so no cell size is needed
    const Bytes value = MakePastIconsStream(layout);
    ASSERT_EQ(value.size(), 48u);
    TMemoryStream stream = StreamOf(value);
    const TMyImagesStream images(stream, 5);
    for (uint32_t index : {0u, 1u, 0xFFFFFFFFu}) {
        const auto picture = images.GetImage(index);
        const auto mask = images.GetMask(index);
        EXPECT_EQ(picture->Width(), 16);
        EXPECT_EQ(picture->PixelFormat(), TPixelFormat::pf24bit);
        EXPECT_EQ(mask->Height(), 16);
        EXPECT_EQ(mask->PixelFormat(), TPixelFormat::pf1bit);
        // The corner is transparent and the window frame is not.
        EXPECT_EQ(PixelAt(*mask, 0, 0), 1u);
        EXPECT_EQ(PixelAt(*mask, 1, 1), 0u);
        EXPECT_EQ(PixelAt(*picture, 1, 1), 0x404040u);
    }
    EXPECT_EQ(BytesOf(stream), value);
}

TEST(TMyImagesStreamTest, IndicesAtAndPastTheCountGetTheSmallDefaultsEvenForLargeIcons)
{
    PastIconsLayout layout = Layout(3);
    layout.IconWidth = layout.IconHeight = 32;
    TMemoryStream stream = StreamOf(MakePastIconsStream(layout));
    const TMyImagesStream images(stream, 6);
    ExpectPicture(*images.GetImage(2), 32, 32, TPixelFormat::pf32bit, Colour32, 2);
    for (uint32_t index : {3u, 4u, 1000u}) {
        EXPECT_EQ(images.GetImage(index)->Width(), 16);
        EXPECT_EQ(images.GetImage(index)->PixelFormat(), TPixelFormat::pf24bit);
        EXPECT_EQ(images.GetMask(index)->Width(), 16);
    }
}

TEST(TMyImagesStreamTest, PicturesAndMasksComeOutPixelForPixelFromGridsOfTheirOwnWidth)
{
    // Six pictures: the colour grid has 4 columns, the mask grid 3.
    const Bytes value = MakePastIconsStream(Layout(6, 4, 3));
    TMemoryStream stream = StreamOf(value);
    const TMyImagesStream images(stream, 5);
    for (uint32_t k = 0; k < 6; ++k) {
        ExpectPicture(*images.GetImage(k), 16, 16, TPixelFormat::pf32bit, Colour32, k);
        ExpectPicture(*images.GetMask(k), 16, 16, TPixelFormat::pf1bit, MaskBit, k);
    }
    EXPECT_EQ(BytesOf(stream), value);
}

TEST(TMyImagesStreamTest, PalettePicturesKeepTheirIndicesAndTable)
{
    for (int bits : {4, 8, 24}) {
        SCOPED_TRACE(bits);
        PastIconsLayout layout = Layout(5);
        layout.IconWidth = 24;
        layout.IconHeight = 12;
        std::vector<uint32_t> table;
        if (bits <= 8) {
            for (uint32_t i = 0; i < (1u << bits); ++i) table.push_back(i * 0x010203u & 0xFFFFFF);
        }
        const uint32_t limit = bits == 24 ? 0x1000000 : 1u << bits;
        const CellFn cell = [limit](uint32_t k, int x, int y) { return (k * 131 + x * 7 + y * 3) % limit; };
        layout.Images = GridLayout{2, bits, table, cell};
        TMemoryStream stream = StreamOf(MakePastIconsStream(layout));
        const TMyImagesStream images(stream, 5);
        const TPixelFormat format = bits == 4 ? TPixelFormat::pf4bit : bits == 8 ? TPixelFormat::pf8bit : TPixelFormat::pf24bit;
        for (uint32_t k = 0; k < 5; ++k) {
            ExpectPicture(*images.GetImage(k), 24, 12, format, cell, k);
        }
        EXPECT_EQ(images.GetImage(0)->ColorTable().size(), table.size());
    }
}

TEST(TMyImagesStreamTest, RebuildLaysOutCellsRowByRowWithTheHeaderAtOffset20)
{
    for (uint32_t n : {6u, 8u}) {
        SCOPED_TRACE(n);
        // The source holds ten pictures; the rebuild keeps n of them in reverse order.
        PastIconsLayout layout = Layout(10, 4, 4);
        layout.ListOffset = 36;
        TMemoryStream stream = StreamOf(MakePastIconsStream(layout));
        TMyImagesStream images(stream, 5);
        TMyImagesStream::Bitmaps pictures, masks;
        for (uint32_t k = 0; k < n; ++k) {
            pictures.push_back(images.GetImage(n - 1 - k));
            masks.push_back(images.GetMask(n - 1 - k));
        }
        images.Rebuild(pictures, masks);
        const Bytes out = BytesOf(stream);
        EXPECT_EQ(stream.Position(), out.size());

        const Bytes original = MakePastIconsStream(layout);
        EXPECT_EQ(Bytes(out.begin(), out.begin() + 12), Bytes(original.begin(), original.begin() + 12));
        EXPECT_EQ(Get32(out, 12), n);
        EXPECT_EQ(Get32(out, 16), 20u);
        EXPECT_EQ(Get16(out, 20 + 4), n);
        EXPECT_EQ(Get16(out, 20 + 6), n);
        EXPECT_EQ(out[20], 0xC0);   // untouched bytes of the image-list header
        EXPECT_EQ(out[20 + 27], 0xC0 + 27);
        // Grid geometry: 4 columns, 2 rows either way.
        EXPECT_EQ(Get32(out, kImageGridAt + 18), 64u);
        EXPECT_EQ(Get32(out, kImageGridAt + 22), 32u);
        const size_t maskAt = MaskGridAt(out);
        EXPECT_EQ(Get32(out, maskAt + 18), 64u);
        EXPECT_EQ(Get32(out, maskAt + 22), 32u);
        EXPECT_EQ(maskAt + Get32(out, maskAt + 10) + Get32(out, maskAt + 34), out.size());

        stream.SetPosition(0);
        TMyImagesStream reread(stream, 5);
        for (uint32_t k = 0; k < n; ++k) {
            ExpectPicture(*reread.GetImage(k), 16, 16, TPixelFormat::pf32bit, Colour32, n - 1 - k);
            ExpectPicture(*reread.GetMask(k), 16, 16, TPixelFormat::pf1bit, MaskBit, n - 1 - k);
        }
    }
}

TEST(TMyImagesStreamTest, TheVistaValueIsTheXpValuePlusItsTrailer)
{
    for (uint32_t n : {0u, 3u}) {
        SCOPED_TRACE(n);
        const Bytes source = MakePastIconsStream(Layout(5));
        TMemoryStream xpStream = StreamOf(source), vistaStream = StreamOf(source);
        TMyImagesStream xp(xpStream, 5), vista(vistaStream, 6);
        TMyImagesStream::Bitmaps pictures, masks;
        for (uint32_t k = 0; k < n; ++k) {
            pictures.push_back(xp.GetImage(k));
            masks.push_back(xp.GetMask(k));
        }
        xp.Rebuild(pictures, masks);
        vista.Rebuild(pictures, masks);
        const Bytes x = BytesOf(xpStream), v = BytesOf(vistaStream);
        ASSERT_EQ(v.size(), x.size() + 42 + 8 * n);
        EXPECT_EQ(Bytes(v.begin(), v.begin() + x.size()), x);
        Bytes trailer(42 + 8 * n, 0);
        Put32(trailer, 22, 1);
        Put32(trailer, 26, 8);
        Put32(trailer, 30, n);
        Put32(trailer, 34, 4);
        Put32(trailer, 38, 8 * n + 20);
        for (uint32_t i = 0; i < n; ++i) Put32(trailer, 42 + 8 * i, 1);
        EXPECT_EQ(Bytes(v.begin() + x.size(), v.end()), trailer);
    }
}

TEST(TMyImagesStreamTest, TheRunningSystemChoosesTheVariant)
{
    const Bytes source = MakePastIconsStream(Layout(0));
    TMemoryStream stream = StreamOf(source);
    TMyImagesStream images(stream);
    images.Rebuild({}, {});
    const size_t xpSize = 48 + 2 * 54;  // two empty grids of headers only
    EXPECT_EQ(stream.Size(), ExpectedOsMajor() == 6 ? xpSize + 42 : xpSize);
}

TEST(TMyImagesStreamTest, RebuildWithoutPicturesWritesEmptyGridsThatLoadAgain)
{
    for (uint32_t count : {0u, 4u}) {
        SCOPED_TRACE(count);
        TMemoryStream stream = StreamOf(MakePastIconsStream(Layout(count)));
        TMyImagesStream images(stream, 5);
        images.Rebuild({}, {});
        const Bytes out = BytesOf(stream);
        EXPECT_EQ(Get32(out, 12), 0u);
        stream.SetPosition(0);
        const TMyImagesStream reread(stream, 5);
        EXPECT_EQ(reread.GetImage(0)->Width(), 16);  // the default
    }
}

TEST(TMyImagesStreamTest, RebuildWithPicturesOverEmptyGridsUsesFourColumns)
{
    TMemoryStream pictureSource = StreamOf(MakePastIconsStream(Layout(6)));
    const TMyImagesStream source(pictureSource, 5);
    TMyImagesStream::Bitmaps pictures, masks;
    for (uint32_t k = 0; k < 6; ++k) {
        pictures.push_back(source.GetImage(k));
        masks.push_back(source.GetMask(k));
    }

    TMemoryStream stream = StreamOf(MakePastIconsStream(Layout(0)));
    TMyImagesStream images(stream, 6);
    images.Rebuild(pictures, masks);
    const Bytes out = BytesOf(stream);
    EXPECT_EQ(Get32(out, kImageGridAt + 18), 64u);
    EXPECT_EQ(Get32(out, kImageGridAt + 22), 32u);
    stream.SetPosition(0);
    const TMyImagesStream reread(stream, 6);
    for (uint32_t k = 0; k < 6; ++k) {
        ExpectPicture(*reread.GetImage(k), 16, 16, TPixelFormat::pf32bit, Colour32, k);
        ExpectPicture(*reread.GetMask(k), 16, 16, TPixelFormat::pf1bit, MaskBit, k);
    }
}

TEST(TMyImagesStreamTest, RebuildRefusesWhatItCouldNotWriteReadablyAndLeavesTheStream)
{
    const auto picture = std::make_shared<TBitmap>();
    picture->SetSize(16, 16);

    PastIconsLayout noCellSize = Layout(0);
    noCellSize.IconWidth = 0;
    TMemoryStream stream = StreamOf(MakePastIconsStream(noCellSize));
    TMyImagesStream images(stream, 5);
    try {
        images.Rebuild({picture}, {picture});
        FAIL() << "rebuilt without a cell size";
    } catch (const classlib::Exception& error) {
        EXPECT_EQ(error.Message(), kInvalid);
    }
    EXPECT_EQ(BytesOf(stream), MakePastIconsStream(noCellSize));
    EXPECT_THROW(images.Rebuild({picture}, {}), classlib::Exception);
    EXPECT_EQ(BytesOf(stream), MakePastIconsStream(noCellSize));
}

TEST(TMyImagesStreamTest, CellSizesThatCannotBeCutAreInvalidData)
{
    PastIconsLayout zeroWidth = Layout(2);
    PastIconsLayout zeroHeight = Layout(2);
    PastIconsLayout narrowGrid = Layout(2);
    zeroWidth.IconWidth = 0;
    zeroHeight.IconHeight = 0;
    zeroWidth.Images.Columns = zeroWidth.Masks.Columns = 1;
    Bytes narrow = MakePastIconsStream(narrowGrid);
    Put32(narrow, kListHeaderAt + 10, 100);  // wider cells than the 64-pixel grids
    EXPECT_EQ(LoadFailure(MakePastIconsStream(zeroWidth)), kInvalid);
    EXPECT_EQ(LoadFailure(MakePastIconsStream(zeroHeight)), kInvalid);
    EXPECT_EQ(LoadFailure(narrow), kInvalid);
}

TEST(TMyImagesStreamTest, AGridThatIsNoLoadableBitmapFailsCleanly)
{
    const Bytes valid = MakePastIconsStream(Layout(3));
    const size_t g = kImageGridAt;
    struct Case {
        const char* name;
        size_t offset;  // inside the colour grid's file
        uint32_t value;
        int width;      // bytes written
    };
    const Case cases[] = {
        {"signature", 0, 'X', 1},
        {"depth of 2 bits", 28, 2, 2},
        {"RLE compression", 30, 1, 4},
        {"no planes", 26, 0, 2},
        {"absurd width", 18, 0x7FFFFFFF, 4},
        {"absurd height", 22, 0x80000000, 4},
        {"zero width", 18, 0, 4},
        {"image size smaller than the rows", 34, 100, 4},
        {"info header size too small", 14, 12, 4},
    };
    for (const Case& c : cases) {
        Bytes v = valid;
        std::memcpy(&v[g + c.offset], &c.value, c.width);
        TMemoryStream stream = StreamOf(v);
        try {
            TMyImagesStream images(stream, 5);
            ADD_FAILURE() << c.name << ": loaded";
        } catch (const classlib::Exception& error) {
            EXPECT_FALSE(error.Message().empty()) << c.name;
        }
    }

    // A palette grid whose table claims more colours than its depth has, or runs past the
    // pixels.
    PastIconsLayout palette = Layout(3);
    palette.Images = GridLayout{4, 8, std::vector<uint32_t>(256, 0x123456), [](uint32_t, int, int) { return 1u; }};
    Bytes tooMany = MakePastIconsStream(palette);
    Put32(tooMany, g + 46, 257);
    Bytes overlapping = MakePastIconsStream(palette);
    Put32(overlapping, g + 14, 1000);  // a longer info header pushes the table into the pixels
    for (const Bytes& v : {tooMany, overlapping}) {
        TMemoryStream stream = StreamOf(v);
        EXPECT_THROW(TMyImagesStream(stream, 5), classlib::EInvalidGraphic);
    }
}
