// A list of small pictures with masks, backed by a common-controls image list, so that a
// host program can draw them. A host receives the address of a TImageList: the object's
// first member is the HIMAGELIST, so a program outside this library reads the handle as
// the first pointer-sized field at that address (*(HIMAGELIST*)address) and draws with the
// ImageList_* functions of comctl32. The handle stays valid as long as the list.
#pragma once

#include "TBitmap.h"

#include <commctrl.h>

namespace classlib {

class TImageList {
public:
    // Pictures of 16 x 16 pixels, drawn transparently through their masks.
    TImageList();
    ~TImageList();
    TImageList(const TImageList&) = delete;
    TImageList& operator=(const TImageList&) = delete;

    HIMAGELIST Handle() const noexcept { return handle_; }
    int Width() const noexcept { return 16; }
    int Height() const noexcept { return 16; }
    int Count() const noexcept;

    // Adds one picture with its mask (a set bit is transparent); both must be of the list's
    // size. Returns the new image's index; raises the OS error when it cannot be added.
    int Add(const TBitmap& image, const TBitmap& mask);
    void Delete(int index);
    void Clear();

private:
    HIMAGELIST handle_;  // the first member: hosts rely on it
};

}  // namespace classlib
