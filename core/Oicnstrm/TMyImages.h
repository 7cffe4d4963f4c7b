// The entries' pictures: the image list shown to hosts, and each entry's picture and mask as
// they came from the history, kept in step with the entries.
#pragma once

#include "classlib/TBitmap.h"
#include "classlib/TImageList.h"

#include <memory>
#include <vector>

class TMyImages {
public:
    TMyImages();

    // Adds one entry's picture and mask; returns its index in the image list. A 32-bit
    // picture with alpha goes into the list composed onto the window colour. A picture of
    // another size than the list's is scaled, so that each entry has exactly one image. On
    // failure nothing is added anywhere.
    int Add(const std::shared_ptr<classlib::TBitmap>& picture, const std::shared_ptr<classlib::TBitmap>& mask);
    void Delete(size_t position);
    void Clear();

    std::unique_ptr<classlib::TImageList> ImageList;
    std::vector<std::shared_ptr<classlib::TBitmap>> Pictures;
    std::vector<std::shared_ptr<classlib::TBitmap>> Masks;
};
