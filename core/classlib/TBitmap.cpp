#include "TBitmap.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace classlib {

namespace {

// Larger pictures than this are taken for a damaged file rather than allocated.
constexpr uint64_t kMaxPixelBytes = 256u * 1024 * 1024;
constexpr int kMaxDimension = 1 << 16;

#pragma pack(push, 2)
struct FileHeader {
    char Signature[2];
    uint32_t FileSize;
    uint16_t Reserved1;
    uint16_t Reserved2;
    uint32_t PixelOffset;
};
#pragma pack(pop)
static_assert(sizeof(FileHeader) == 14, "BMP file header");
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BMP info header");

[[noreturn]] void Invalid(const wchar_t* why)
{
    throw EInvalidGraphic(Format(L"Bitmap image is not valid: %s", {why}));
}

bool FormatOfBits(int bits, TPixelFormat& format) noexcept
{
    switch (bits) {
    case 1: format = TPixelFormat::pf1bit; return true;
    case 4: format = TPixelFormat::pf4bit; return true;
    case 8: format = TPixelFormat::pf8bit; return true;
    case 16: format = TPixelFormat::pf16bit; return true;
    case 24: format = TPixelFormat::pf24bit; return true;
    case 32: format = TPixelFormat::pf32bit; return true;
    default: return false;
    }
}

size_t TableSize(TPixelFormat format) noexcept
{
    const int bits = BitsPerPixel(format);
    return bits <= 8 ? size_t{1} << bits : 0;
}

uint64_t StrideOf(uint64_t width, int bits) noexcept
{
    return (width * static_cast<uint64_t>(bits) + 31) / 32 * 4;
}

RGBQUAD Rgb(uint8_t r, uint8_t g, uint8_t b) noexcept
{
    return RGBQUAD{b, g, r, 0};
}

// The sixteen standard colours for 4-bit pictures; 8-bit ones get these followed by a
// 6 x 6 x 6 colour cube and a grey ramp.
std::vector<RGBQUAD> DefaultColorTable(TPixelFormat format)
{
    std::vector<RGBQUAD> colors;
    switch (format) {
    case TPixelFormat::pf1bit:
        colors = {Rgb(0, 0, 0), Rgb(255, 255, 255)};
        break;
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit:
        colors = {Rgb(0, 0, 0),       Rgb(128, 0, 0),   Rgb(0, 128, 0),   Rgb(128, 128, 0),
                  Rgb(0, 0, 128),     Rgb(128, 0, 128), Rgb(0, 128, 128), Rgb(192, 192, 192),
                  Rgb(128, 128, 128), Rgb(255, 0, 0),   Rgb(0, 255, 0),   Rgb(255, 255, 0),
                  Rgb(0, 0, 255),     Rgb(255, 0, 255), Rgb(0, 255, 255), Rgb(255, 255, 255)};
        if (format == TPixelFormat::pf8bit) {
            for (int r = 0; r < 6; ++r)
                for (int g = 0; g < 6; ++g)
                    for (int b = 0; b < 6; ++b)
                        colors.push_back(Rgb(static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51),
                                             static_cast<uint8_t>(b * 51)));
            for (int i = 0; colors.size() < 256; ++i) {
                const uint8_t v = static_cast<uint8_t>(8 + i * 10);
                colors.push_back(Rgb(v, v, v));
            }
        }
        break;
    default:
        break;
    }
    return colors;
}

// A BITMAPINFO with room for the largest colour table.
struct InfoWithTable {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[256];
};

}  // namespace

int BitsPerPixel(TPixelFormat format) noexcept
{
    switch (format) {
    case TPixelFormat::pf1bit: return 1;
    case TPixelFormat::pf4bit: return 4;
    case TPixelFormat::pf8bit: return 8;
    case TPixelFormat::pf16bit: return 16;
    case TPixelFormat::pf24bit: return 24;
    case TPixelFormat::pf32bit: return 32;
    }
    return 24;
}

TBitmap::TBitmap(TBitmap&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      format_(other.format_),
      colors_(std::move(other.colors_)),
      dib_(std::move(other.dib_)),
      bits_(std::exchange(other.bits_, nullptr))
{
}

TBitmap& TBitmap::operator=(TBitmap&& other) noexcept
{
    if (this != &other) {
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        format_ = other.format_;
        colors_ = std::move(other.colors_);
        dib_ = std::move(other.dib_);
        bits_ = std::exchange(other.bits_, nullptr);
    }
    return *this;
}

size_t TBitmap::RowBytes() const noexcept
{
    return static_cast<size_t>(StrideOf(static_cast<uint64_t>(width_), BitsPerPixel(format_)));
}

uint8_t* TBitmap::ScanLine(int y)
{
    GdiFlush();  // GDI may still be drawing into the bits
    return Row(y);
}

const uint8_t* TBitmap::ScanLine(int y) const
{
    GdiFlush();
    return Row(y);
}

void TBitmap::Recreate(int width, int height, TPixelFormat format, std::vector<RGBQUAD> colors)
{
    if (width < 0 || height < 0 || width > kMaxDimension || height > kMaxDimension ||
        StrideOf(static_cast<uint64_t>(width), BitsPerPixel(format)) * static_cast<uint64_t>(height) > kMaxPixelBytes) {
        Invalid(L"size out of range");
    }
    GdiObject dib;
    uint8_t* bits = nullptr;
    if (width > 0 && height > 0) {
        InfoWithTable info{};
        info.Header.biSize = sizeof(BITMAPINFOHEADER);
        info.Header.biWidth = width;
        info.Header.biHeight = height;  // bottom-up, as BMP files store their rows
        info.Header.biPlanes = 1;
        info.Header.biBitCount = static_cast<WORD>(BitsPerPixel(format));
        info.Header.biCompression = BI_RGB;
        info.Header.biClrUsed = static_cast<DWORD>(colors.size());
        if (!colors.empty()) {
            std::memcpy(info.Colors, colors.data(), colors.size() * sizeof(RGBQUAD));
        }
        void* raw = nullptr;
        SetLastError(ERROR_SUCCESS);
        dib.reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &raw, nullptr, 0));
        if (!dib) {
            const DWORD error = GetLastError();
            RaiseLastOSError(error != ERROR_SUCCESS ? error : ERROR_NOT_ENOUGH_MEMORY);
        }
        bits = static_cast<uint8_t*>(raw);
    }
    dib_ = std::move(dib);
    bits_ = bits;
    width_ = width;
    height_ = height;
    format_ = format;
    colors_ = std::move(colors);
}

void TBitmap::SetSize(int width, int height)
{
    Recreate(width, height, format_, colors_);
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    Recreate(width_, height_, format, DefaultColorTable(format));
}

void TBitmap::Assign(int width, int height, TPixelFormat format, const std::vector<RGBQUAD>& colors)
{
    if (colors.size() > TableSize(format)) {
        Invalid(L"colour table larger than the pixel format allows");
    }
    Recreate(width, height, format, colors.empty() ? DefaultColorTable(format) : colors);
}

void TBitmap::SetColorTable(const std::vector<RGBQUAD>& colors)
{
    if (colors.size() > TableSize(format_)) {
        Invalid(L"colour table larger than the pixel format allows");
    }
    Recreate(width_, height_, format_, colors);
}

void TBitmap::LoadFromStream(TMemoryStream& stream)
{
    const size_t start = stream.Position();
    const size_t available = start < stream.Size() ? stream.Size() - start : 0;
    const uint8_t* file = stream.Memory() + start;

    FileHeader fileHeader;
    if (available < sizeof fileHeader + sizeof(uint32_t)) {
        Invalid(L"truncated header");
    }
    std::memcpy(&fileHeader, file, sizeof fileHeader);
    if (fileHeader.Signature[0] != 'B' || fileHeader.Signature[1] != 'M') {
        Invalid(L"no BM signature");
    }
    uint32_t infoSize;
    std::memcpy(&infoSize, file + sizeof fileHeader, sizeof infoSize);
    // The 40-byte header and its later extensions (V4, V5) begin alike; the older 12-byte
    // OS/2 header is not used by Windows' own image lists.
    if (infoSize < sizeof(BITMAPINFOHEADER) || infoSize > 1024) {
        Invalid(L"unsupported info header");
    }
    if (available < sizeof fileHeader + uint64_t{infoSize}) {
        Invalid(L"truncated header");
    }
    BITMAPINFOHEADER info;
    std::memcpy(&info, file + sizeof fileHeader, sizeof info);

    TPixelFormat format;
    if (info.biPlanes != 1 || !FormatOfBits(info.biBitCount, format)) {
        Invalid(L"unsupported pixel format");
    }
    if (info.biCompression != BI_RGB) {
        Invalid(L"compressed pixels are not supported");
    }
    if (info.biWidth <= 0 || info.biHeight == 0 || info.biHeight == std::numeric_limits<LONG>::min()) {
        Invalid(L"size out of range");
    }
    const bool topDown = info.biHeight < 0;
    const int width = info.biWidth;
    const int height = topDown ? -info.biHeight : info.biHeight;
    if (width > kMaxDimension || height > kMaxDimension) {
        Invalid(L"size out of range");
    }
    const uint64_t stride = StrideOf(static_cast<uint64_t>(width), info.biBitCount);
    const uint64_t pixelBytes = stride * static_cast<uint64_t>(height);
    if (pixelBytes > kMaxPixelBytes) {
        Invalid(L"size out of range");
    }

    std::vector<RGBQUAD> colors;
    const size_t maxColors = TableSize(format);
    if (maxColors != 0) {
        const size_t used = info.biClrUsed == 0 ? maxColors : info.biClrUsed;
        if (used > maxColors) {
            Invalid(L"colour table larger than the pixel format allows");
        }
        const uint64_t tableStart = sizeof fileHeader + uint64_t{infoSize};
        const uint64_t tableEnd = tableStart + used * sizeof(RGBQUAD);
        if (tableEnd > fileHeader.PixelOffset || tableEnd > available) {
            Invalid(L"colour table does not fit");
        }
        colors.resize(used);
        std::memcpy(colors.data(), file + tableStart, used * sizeof(RGBQUAD));
    }

    // The file ends where its image size says; a zero image size means exactly the rows.
    const uint64_t imageSize = info.biSizeImage != 0 ? info.biSizeImage : pixelBytes;
    if (imageSize < pixelBytes) {
        Invalid(L"image size smaller than its rows");
    }
    if (fileHeader.PixelOffset < sizeof fileHeader + uint64_t{infoSize} ||
        uint64_t{fileHeader.PixelOffset} + imageSize > available) {
        Invalid(L"truncated pixel data");
    }

    TBitmap loaded;
    loaded.Recreate(width, height, format, std::move(colors));
    const uint8_t* rows = file + fileHeader.PixelOffset;
    for (int y = 0; y < height; ++y) {
        // Stored bottom-up unless the height is negative.
        const int sourceRow = topDown ? y : height - 1 - y;
        std::memcpy(loaded.Row(y), rows + static_cast<size_t>(sourceRow) * stride, static_cast<size_t>(stride));
    }

    *this = std::move(loaded);
    stream.SetPosition(start + static_cast<size_t>(fileHeader.PixelOffset + imageSize));
}

void TBitmap::SaveToStream(TMemoryStream& stream) const
{
    const size_t tableBytes = TableSize(format_) ? colors_.size() * sizeof(RGBQUAD) : 0;
    const size_t imageSize = RowBytes() * static_cast<size_t>(height_);
    const uint32_t pixelOffset = static_cast<uint32_t>(sizeof(FileHeader) + sizeof(BITMAPINFOHEADER) + tableBytes);

    FileHeader fileHeader{{'B', 'M'}, static_cast<uint32_t>(pixelOffset + imageSize), 0, 0, pixelOffset};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width_;
    info.biHeight = height_;
    info.biPlanes = 1;
    info.biBitCount = static_cast<WORD>(BitsPerPixel(format_));
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(imageSize);
    info.biClrUsed = static_cast<DWORD>(tableBytes / sizeof(RGBQUAD));

    stream.Write(&fileHeader, sizeof fileHeader);
    stream.Write(&info, sizeof info);
    if (tableBytes) {
        stream.Write(colors_.data(), tableBytes);
    }
    if (imageSize) {
        GdiFlush();
        stream.Write(bits_, imageSize);  // the DIB section keeps its rows bottom-up already
    }
}

void TBitmap::LoadFromResourceID(HMODULE module, int id)
{
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) {
        RaiseLastOSError();
    }
    // A bitmap resource is a BMP file without its file header: give it one.
    const DWORD size = SizeofResource(module, resource);
    BITMAPINFOHEADER info;
    if (size < sizeof info) {
        Invalid(L"truncated resource");
    }
    std::memcpy(&info, data, sizeof info);
    TPixelFormat format;
    size_t tableBytes = 0;
    if (FormatOfBits(info.biBitCount, format) && TableSize(format)) {
        tableBytes = (info.biClrUsed ? info.biClrUsed : TableSize(format)) * sizeof(RGBQUAD);
    }
    const FileHeader fileHeader{{'B', 'M'}, static_cast<uint32_t>(sizeof(FileHeader) + size), 0, 0,
                                static_cast<uint32_t>(sizeof(FileHeader) + info.biSize + tableBytes)};
    TMemoryStream file;
    file.Write(&fileHeader, sizeof fileHeader);
    file.Write(data, size);
    file.SetPosition(0);
    LoadFromStream(file);
}

namespace {

bool SameTable(const std::vector<RGBQUAD>& a, const std::vector<RGBQUAD>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(RGBQUAD)) == 0);
}

}  // namespace

void TBitmap::CopyRect(TBitmap& target, int targetX, int targetY, const TBitmap& source, int sourceX, int sourceY,
                       int width, int height)
{
    // Clip the block to both bitmaps, in 64 bits so that no coordinate can wrap.
    int64_t sx = sourceX, sy = sourceY, tx = targetX, ty = targetY, w = width, h = height;
    const auto clip = [&](int64_t& a, int64_t& b, int64_t& size, int64_t limitA, int64_t limitB) {
        if (a < 0) { b -= a; size += a; a = 0; }
        if (b < 0) { a -= b; size += b; b = 0; }
        size = std::min(size, std::min(limitA - a, limitB - b));
    };
    clip(sx, tx, w, source.width_, target.width_);
    clip(sy, ty, h, source.height_, target.height_);
    if (w <= 0 || h <= 0) {
        return;
    }
    const int bits = BitsPerPixel(source.format_);
    const bool byteAligned = bits >= 8 || ((sx * bits) % 8 == 0 && (tx * bits) % 8 == 0 && (w * bits) % 8 == 0);
    if (source.format_ == target.format_ && SameTable(source.colors_, target.colors_) && byteAligned) {
        const size_t bytes = static_cast<size_t>(w * bits / 8);
        GdiFlush();
        for (int64_t row = 0; row < h; ++row) {
            std::memcpy(target.Row(static_cast<int>(ty + row)) + tx * bits / 8,
                        source.Row(static_cast<int>(sy + row)) + sx * bits / 8, bytes);
        }
        return;
    }
    const TBitmapCanvas from(source);
    const TBitmapCanvas to(target);
    SetLastError(ERROR_SUCCESS);
    if (!BitBlt(to.Handle(), static_cast<int>(tx), static_cast<int>(ty), static_cast<int>(w), static_cast<int>(h),
                from.Handle(), static_cast<int>(sx), static_cast<int>(sy), SRCCOPY)) {
        const DWORD error = GetLastError();
        RaiseLastOSError(error != ERROR_SUCCESS ? error : ERROR_INVALID_PARAMETER);
    }
}

namespace {

HDC CreateMemoryDC()
{
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
        RaiseLastOSError();
    }
    return dc;
}

}  // namespace

TBitmapCanvas::TBitmapCanvas(const TBitmap& bitmap)
    : dc_(CreateMemoryDC()), selection_(dc_.get(), bitmap.Handle())
{
    if (bitmap.Handle() && !selection_.Succeeded()) {
        RaiseLastOSError();
    }
}

}  // namespace classlib
