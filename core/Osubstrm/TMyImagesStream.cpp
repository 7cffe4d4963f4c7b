#include "Osubstrm/TMyImagesStream.h"

#include "Oosdepnd/TMyOSDependent.h"
#include "classlib/Exception.h"
#include "classlib/SysInit.h"

#include <cstring>

using classlib::TBitmap;
using classlib::TMemoryStream;

namespace {

constexpr size_t kHeaderSize = 20;
constexpr size_t kImageCountOffset = 12;
constexpr size_t kListOffsetOffset = 16;
constexpr size_t kListHeaderSize = 28;
constexpr size_t kListCurrentCount = 4;
constexpr size_t kListMaxCount = 6;
constexpr size_t kListIconWidth = 10;
constexpr size_t kListIconHeight = 12;
// Within a BMP file: the pixel-data offset, and the image size of the info header.
constexpr size_t kBmpPixelOffset = 10;
constexpr size_t kBmpImageSize = 34;
constexpr int kDefaultPictureId = 1;
constexpr int kDefaultMaskId = 2;
// Windows' image lists lay their pictures out four to a row.
constexpr uint32_t kNewGridColumns = 4;

[[noreturn]] void RaiseInvalid()
{
    throw classlib::Exception(L"PastIconsStreamレジストリデータが不正です");
}

uint32_t Get32(const TMemoryStream& stream, uint64_t offset)
{
    uint32_t value;
    std::memcpy(&value, stream.Memory() + offset, sizeof value);
    return value;
}

uint16_t Get16(const uint8_t* bytes)
{
    uint16_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

void Put32(uint8_t* bytes, uint32_t value)
{
    std::memcpy(bytes, &value, sizeof value);
}

void Put16(uint8_t* bytes, uint16_t value)
{
    std::memcpy(bytes, &value, sizeof value);
}

}  // namespace

class TMyImagesStream::Impl {
public:
    explicit Impl(TMemoryStream& stream);
    virtual ~Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    std::shared_ptr<TBitmap> Extract(const TBitmap& grid, uint32_t columns, uint32_t index, int defaultId) const;
    void Rebuild(const Bitmaps& pictures, const Bitmaps& masks);

    TMemoryStream& Stream;
    TBitmap ImageGrid;
    TBitmap MaskGrid;
    uint32_t IconWidth = 0;
    uint32_t IconHeight = 0;
    uint32_t ImageColumns = 0;
    uint32_t MaskColumns = 0;

protected:
    virtual void WriteTrailer(const Bitmaps& pictures, const Bitmaps& masks) = 0;

private:
    void Validate() const;
    TBitmap ComposeGrid(const Bitmaps& bitmaps, uint32_t columns, const TBitmap& current) const;

    uint32_t ImageCount_ = 0;
    uint32_t ListOffset_ = 0;
};

namespace {

class TMyImagesStreamImplXP final : public TMyImagesStream::Impl {
public:
    using Impl::Impl;

protected:
    void WriteTrailer(const TMyImagesStream::Bitmaps&, const TMyImagesStream::Bitmaps&) override {}
};

class TMyImagesStreamImplVista final : public TMyImagesStream::Impl {
public:
    using Impl::Impl;

protected:
    void WriteTrailer(const TMyImagesStream::Bitmaps& pictures, const TMyImagesStream::Bitmaps&) override
    {
        const uint32_t n = static_cast<uint32_t>(pictures.size());
        std::vector<uint8_t> trailer(42 + 8 * size_t{n}, 0);
        Put32(&trailer[22], 1);
        Put32(&trailer[26], 8);
        Put32(&trailer[30], n);
        Put32(&trailer[34], 4);
        Put32(&trailer[38], 8 * n + 20);
        for (size_t i = 0; i < n; ++i) {
            Put32(&trailer[42 + 8 * i], 1);
        }
        Stream.Write(trailer.data(), trailer.size());
    }
};

}  // namespace

TMyImagesStream::Impl::Impl(TMemoryStream& stream) : Stream(stream)
{
    Validate();
    ImageCount_ = Get32(Stream, kImageCountOffset);
    ListOffset_ = Get32(Stream, kListOffsetOffset);
    const uint8_t* listHeader = Stream.Memory() + ListOffset_;
    IconWidth = Get16(listHeader + kListIconWidth);
    IconHeight = Get16(listHeader + kListIconHeight);
    if (ImageCount_ == 0) {
        return;  // no grids: every index gets the default picture
    }
    // Cells of no width or height cannot be cut out, and a grid narrower than one cell has
    // no columns to count pictures in.
    if (IconWidth == 0 || IconHeight == 0) {
        RaiseInvalid();
    }
    const uint64_t imageGridAt = uint64_t{ListOffset_} + kListHeaderSize;
    Stream.SetPosition(static_cast<size_t>(imageGridAt));
    ImageGrid.LoadFromStream(Stream);
    const uint64_t maskGridAt = imageGridAt + Get32(Stream, imageGridAt + kBmpPixelOffset) +
                                Get32(Stream, imageGridAt + kBmpImageSize);
    Stream.SetPosition(static_cast<size_t>(maskGridAt));
    MaskGrid.LoadFromStream(Stream);
    ImageColumns = static_cast<uint32_t>(ImageGrid.Width()) / IconWidth;
    MaskColumns = static_cast<uint32_t>(MaskGrid.Width()) / IconWidth;
    if (ImageColumns == 0 || MaskColumns == 0) {
        RaiseInvalid();
    }
}

// Each sum is made in 64 bits, so that a field near 2^32 cannot wrap into a small offset.
void TMyImagesStream::Impl::Validate() const
{
    const uint64_t s = Stream.Size();
    if (s < kHeaderSize) RaiseInvalid();
    const uint64_t o = Get32(Stream, kListOffsetOffset);
    if (o + kListHeaderSize > s) RaiseInvalid();
    if (Get32(Stream, kImageCountOffset) == 0) return;
    if (o + 42 > s) RaiseInvalid();
    const uint64_t p1 = Get32(Stream, o + 38);
    if (o + p1 + 28 > s) RaiseInvalid();
    // The colour grid's image size lies in its info header, past the 42 bytes checked so far.
    if (o + 28 + kBmpImageSize + 4 > s) RaiseInvalid();
    const uint64_t z1 = Get32(Stream, o + 62);
    if (o + p1 + z1 + 28 > s) RaiseInvalid();
    if (o + p1 + z1 + 42 > s) RaiseInvalid();
    const uint64_t e = o + p1 + z1;
    const uint64_t p2 = Get32(Stream, e + 38);
    if (e + p2 + 28 > s) RaiseInvalid();
    if (e + 28 + kBmpImageSize + 4 > s) RaiseInvalid();
    const uint64_t z2 = Get32(Stream, e + 62);
    if (e + p2 + z2 + 28 > s) RaiseInvalid();
}

std::shared_ptr<TBitmap> TMyImagesStream::Impl::Extract(const TBitmap& grid, uint32_t columns, uint32_t index,
                                                        int defaultId) const
{
    auto picture = std::make_shared<TBitmap>();
    if (index >= ImageCount_) {
        // Whatever the size of the history's pictures: the default is 16 x 16.
        picture->LoadFromResourceID(classlib::HInstance(), defaultId);
        return picture;
    }
    // The grid's own table keeps every pixel as it is.
    picture->Assign(static_cast<int>(IconWidth), static_cast<int>(IconHeight), grid.PixelFormat(), grid.ColorTable());
    const uint64_t left = uint64_t{index % columns} * IconWidth;
    const uint64_t top = uint64_t{index / columns} * IconHeight;
    if (left >= static_cast<uint64_t>(grid.Width()) || top >= static_cast<uint64_t>(grid.Height())) {
        return picture;  // a cell past the end of the grid has nothing to copy
    }
    TBitmap::CopyRect(*picture, 0, 0, grid, static_cast<int>(left), static_cast<int>(top), static_cast<int>(IconWidth),
                      static_cast<int>(IconHeight));
    return picture;
}

// Lays the bitmaps out C to a row in a new grid of the current grid's format. A value that
// had no pictures has no grid to take the layout from: then the new grid gets four columns
// and the format of the first bitmap given.
TBitmap TMyImagesStream::Impl::ComposeGrid(const Bitmaps& bitmaps, uint32_t columns, const TBitmap& current) const
{
    TBitmap grid;
    const TBitmap& model = columns == 0 && !bitmaps.empty() ? *bitmaps.front() : current;
    if (bitmaps.empty()) {
        // 0 x 0: saved as a BMP file of headers (and colour table) only.
        grid.Assign(0, 0, model.PixelFormat(), model.ColorTable());
        return grid;
    }
    if (columns == 0) {
        columns = kNewGridColumns;
    }
    const size_t m = bitmaps.size();
    const size_t rows = m / columns + (m % columns != 0 ? 1 : 0);
    grid.Assign(static_cast<int>(columns * IconWidth), static_cast<int>(rows * IconHeight), model.PixelFormat(),
                model.ColorTable());
    for (size_t k = 0; k < m; ++k) {
        TBitmap::CopyRect(grid, static_cast<int>(k % columns * IconWidth), static_cast<int>(k / columns * IconHeight),
                          *bitmaps[k], 0, 0, static_cast<int>(IconWidth), static_cast<int>(IconHeight));
    }
    return grid;
}

void TMyImagesStream::Impl::Rebuild(const Bitmaps& pictures, const Bitmaps& masks)
{
    if (pictures.size() != masks.size()) {
        throw classlib::Exception(L"画像とマスクの数が一致しません");
    }
    const uint32_t n = static_cast<uint32_t>(pictures.size());
    // A value without pictures may carry no cell size at all; then there is no way to lay
    // pictures out that Explorer would read back.
    if (n != 0 && (IconWidth == 0 || IconHeight == 0)) {
        RaiseInvalid();
    }

    uint8_t header[kHeaderSize];
    std::memcpy(header, Stream.Memory(), kHeaderSize);
    Put32(header + kImageCountOffset, n);
    // The image-list header is written right after this header, so the offset has to say
    // so; Explorer's own values have it there already.
    Put32(header + kListOffsetOffset, kHeaderSize);
    uint8_t listHeader[kListHeaderSize];
    std::memcpy(listHeader, Stream.Memory() + ListOffset_, kListHeaderSize);
    Put16(listHeader + kListCurrentCount, static_cast<uint16_t>(n));
    Put16(listHeader + kListMaxCount, static_cast<uint16_t>(n));

    // Everything that can fail is done before the stream is touched.
    const TBitmap imageGrid = ComposeGrid(pictures, ImageColumns, ImageGrid);
    const TBitmap maskGrid = ComposeGrid(masks, MaskColumns, MaskGrid);
    TMemoryStream rebuilt;
    rebuilt.Write(header, sizeof header);
    rebuilt.Write(listHeader, sizeof listHeader);
    imageGrid.SaveToStream(rebuilt);
    maskGrid.SaveToStream(rebuilt);

    Stream.Clear();
    Stream.Write(rebuilt.Memory(), rebuilt.Size());
    WriteTrailer(pictures, masks);
}

std::shared_ptr<TBitmap> TMyImagesStream::GetImage(uint32_t index) const
{
    return impl_->Extract(impl_->ImageGrid, impl_->ImageColumns, index, kDefaultPictureId);
}

std::shared_ptr<TBitmap> TMyImagesStream::GetMask(uint32_t index) const
{
    return impl_->Extract(impl_->MaskGrid, impl_->MaskColumns, index, kDefaultMaskId);
}

void TMyImagesStream::Rebuild(const Bitmaps& pictures, const Bitmaps& masks)
{
    impl_->Rebuild(pictures, masks);
}

TMyImagesStream::TMyImagesStream(TMemoryStream& stream) : TMyImagesStream(stream, TMyOSDependent().GetMajorVersion()) {}

TMyImagesStream::TMyImagesStream(TMemoryStream& stream, int majorVersion)
{
    if (majorVersion == 6) {
        impl_ = std::make_shared<TMyImagesStreamImplVista>(stream);
    } else {
        impl_ = std::make_shared<TMyImagesStreamImplXP>(stream);
    }
}
