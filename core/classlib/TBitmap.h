// A device-independent bitmap (a DIB section) with the pixel formats Explorer's icon
// pictures use, read from and written to BMP files, loadable from a bitmap resource, and
// usable as the source and target of GDI block copies through TBitmapCanvas.
#pragma once

#include "Exception.h"
#include "TMemoryStream.h"
#include "UniqueHandle.h"

#include <cstdint>
#include <vector>

namespace classlib {

enum class TPixelFormat { pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit };

int BitsPerPixel(TPixelFormat format) noexcept;

// A BMP file or resource that cannot be loaded.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

class TBitmap {
public:
    // Empty (0 x 0), 24 bits per pixel.
    TBitmap() = default;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;
    TBitmap(TBitmap&& other) noexcept;
    TBitmap& operator=(TBitmap&& other) noexcept;

    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    TPixelFormat PixelFormat() const noexcept { return format_; }
    // The colour table of a format with one (1, 4 and 8 bits per pixel), else empty.
    const std::vector<RGBQUAD>& ColorTable() const noexcept { return colors_; }

    // Each of these starts the pixels afresh, all zero.
    void SetSize(int width, int height);
    // Also gives the bitmap the format's default colour table (black and white for 1 bit).
    void SetPixelFormat(TPixelFormat format);
    // For formats with a table: at most 2^bits entries.
    void SetColorTable(const std::vector<RGBQUAD>& colors);
    // All three at once, with the pixels made only once.
    void Assign(int width, int height, TPixelFormat format, const std::vector<RGBQUAD>& colors);

    // Reads one BMP file starting at the stream's position and leaves the position just
    // after it: after the pixel-data offset plus the image size of its header. Raises
    // EInvalidGraphic for anything that is not a loadable BMP; the bitmap is then unchanged.
    void LoadFromStream(TMemoryStream& stream);
    // Writes a complete BMP file: file header, 40-byte info header with the image size and
    // the pixel-data offset filled exactly, the colour table, and the rows bottom-up.
    void SaveToStream(TMemoryStream& stream) const;
    // A bitmap resource (RT_BITMAP) of the given module.
    void LoadFromResourceID(HMODULE module, int id);

    // Copies a width x height block of source at (sourceX, sourceY) to (targetX, targetY),
    // as BitBlt with SRCCOPY does; parts outside either bitmap are left out. Between bitmaps
    // of one format and colour table the rows are copied directly, since making a device
    // context for each small picture costs far more than the copy itself.
    static void CopyRect(TBitmap& target, int targetX, int targetY, const TBitmap& source, int sourceX, int sourceY,
                         int width, int height);

    // The DIB section, or null while the bitmap is empty.
    HBITMAP Handle() const noexcept { return static_cast<HBITMAP>(dib_.get()); }
    // Bytes per row as stored (rows are padded to four bytes).
    size_t RowBytes() const noexcept;
    // Row y counted from the top; y must be below Height().
    uint8_t* ScanLine(int y);
    const uint8_t* ScanLine(int y) const;

private:
    uint8_t* Row(int y) const noexcept { return bits_ + static_cast<size_t>(height_ - 1 - y) * RowBytes(); }
    void Recreate(int width, int height, TPixelFormat format, std::vector<RGBQUAD> colors);

    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = TPixelFormat::pf24bit;
    std::vector<RGBQUAD> colors_;
    GdiObject dib_;
    uint8_t* bits_ = nullptr;
};

// A memory DC with one bitmap selected for the lifetime of this object: the drawing surface
// for BitBlt and AlphaBlend.
class TBitmapCanvas {
public:
    explicit TBitmapCanvas(const TBitmap& bitmap);
    TBitmapCanvas(const TBitmapCanvas&) = delete;
    TBitmapCanvas& operator=(const TBitmapCanvas&) = delete;

    HDC Handle() const noexcept { return dc_.get(); }

private:
    MemoryDC dc_;
    SelectedObject selection_;
};

}  // namespace classlib
