// Explorer's PastIconsStream value: a 20-byte header, an image-list header and two grids
// stored as BMP files, one with every picture and one with every mask. Cuts single
// pictures and masks out of the grids, and rebuilds the value from a list of them. Works on
// a memory copy of the value that the caller owns and reads or writes to the registry.
#pragma once

#include "classlib/TBitmap.h"
#include "classlib/TMemoryStream.h"

#include <cstdint>
#include <memory>
#include <vector>

class TMyImagesStream {
public:
    using Bitmaps = std::vector<std::shared_ptr<classlib::TBitmap>>;

    // Checks and loads the value; the stream must outlive this object. The running system's
    // major version chooses how Rebuild writes. Raises "PastIconsStreamレジストリデータが不正です"
    // for a value that does not hold what its headers promise, and EInvalidGraphic for a
    // grid that is not a loadable BMP file.
    explicit TMyImagesStream(classlib::TMemoryStream& stream);
    // The same for a given major version (5 or 6) instead of the running system's.
    TMyImagesStream(classlib::TMemoryStream& stream, int majorVersion);

    // A copy of the picture (mask) of an image index; an index the grids do not hold gets
    // the library's 16 x 16 default picture (mask).
    std::shared_ptr<classlib::TBitmap> GetImage(uint32_t index) const;
    std::shared_ptr<classlib::TBitmap> GetMask(uint32_t index) const;

    // Replaces the stream's content with a value holding exactly these pictures and masks,
    // picture k in cell k. Both lists must be equally long.
    void Rebuild(const Bitmaps& pictures, const Bitmaps& masks);

    class Impl;

private:
    std::shared_ptr<Impl> impl_;
};
