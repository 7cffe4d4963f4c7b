#include "Oicnstrm/TMyImages.h"

#include "classlib/Exception.h"

#include <cstring>

using classlib::TBitmap;
using classlib::TBitmapCanvas;
using classlib::TPixelFormat;

namespace {

bool HasAlpha(const TBitmap& picture)
{
    if (picture.PixelFormat() != TPixelFormat::pf32bit) {
        return false;
    }
    for (int y = 0; y < picture.Height(); ++y) {
        const uint8_t* row = picture.ScanLine(y);
        for (int x = 0; x < picture.Width(); ++x) {
            if (row[4 * x + 3] != 0) {
                return true;
            }
        }
    }
    return false;
}

// The picture laid onto the window colour by its own alpha, as the list cannot show alpha.
std::unique_ptr<TBitmap> Composed(const TBitmap& picture)
{
    auto composed = std::make_unique<TBitmap>();
    composed->Assign(picture.Width(), picture.Height(), picture.PixelFormat(), picture.ColorTable());
    const TBitmapCanvas target(*composed);
    const RECT all{0, 0, picture.Width(), picture.Height()};
    FillRect(target.Handle(), &all, GetSysColorBrush(COLOR_WINDOW));
    const TBitmapCanvas source(picture);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    SetLastError(ERROR_SUCCESS);
    if (!AlphaBlend(target.Handle(), 0, 0, picture.Width(), picture.Height(), source.Handle(), 0, 0, picture.Width(),
                    picture.Height(), blend)) {
        const DWORD error = GetLastError();
        classlib::RaiseLastOSError(error != ERROR_SUCCESS ? error : ERROR_INVALID_PARAMETER);
    }
    // The blend leaves alpha bytes behind; an image list would take them for transparency
    // once more (and some keep that mark at an index when images move).
    for (int y = 0; y < composed->Height(); ++y) {
        uint8_t* row = composed->ScanLine(y);
        for (int x = 0; x < composed->Width(); ++x) {
            row[4 * x + 3] = 0;
        }
    }
    return composed;
}

// A copy of the bitmap at the list's size, for pictures that are not.
std::unique_ptr<TBitmap> Scaled(const TBitmap& bitmap, int width, int height)
{
    auto scaled = std::make_unique<TBitmap>();
    scaled->Assign(width, height, bitmap.PixelFormat(), bitmap.ColorTable());
    const TBitmapCanvas target(*scaled);
    const TBitmapCanvas source(bitmap);
    SetStretchBltMode(target.Handle(), COLORONCOLOR);
    if (!StretchBlt(target.Handle(), 0, 0, width, height, source.Handle(), 0, 0, bitmap.Width(), bitmap.Height(), SRCCOPY)) {
        classlib::RaiseLastOSError(GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_INVALID_PARAMETER);
    }
    return scaled;
}

}  // namespace

TMyImages::TMyImages() : ImageList(std::make_unique<classlib::TImageList>()) {}

int TMyImages::Add(const std::shared_ptr<TBitmap>& picture, const std::shared_ptr<TBitmap>& mask)
{
    // Everything that can fail comes first, so that a failure leaves the lists in step.
    std::unique_ptr<TBitmap> shown = HasAlpha(*picture) ? Composed(*picture) : nullptr;
    const TBitmap* image = shown ? shown.get() : picture.get();
    const int width = ImageList->Width(), height = ImageList->Height();
    std::unique_ptr<TBitmap> scaledImage, scaledMask;
    if (image->Width() != width || image->Height() != height) {
        scaledImage = Scaled(*image, width, height);
        image = scaledImage.get();
    }
    const TBitmap* maskShown = mask.get();
    if (mask->Width() != width || mask->Height() != height) {
        scaledMask = Scaled(*mask, width, height);
        maskShown = scaledMask.get();
    }
    Pictures.reserve(Pictures.size() + 1);
    Masks.reserve(Masks.size() + 1);
    const int index = ImageList->Add(*image, *maskShown);
    Pictures.push_back(picture);
    Masks.push_back(mask);
    return index;
}

void TMyImages::Delete(size_t position)
{
    ImageList->Delete(static_cast<int>(position));
    Pictures.erase(Pictures.begin() + static_cast<std::ptrdiff_t>(position));
    Masks.erase(Masks.begin() + static_cast<std::ptrdiff_t>(position));
}

void TMyImages::Clear()
{
    ImageList->Clear();
    Pictures.clear();
    Masks.clear();
}
