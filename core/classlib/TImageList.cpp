#include "TImageList.h"

#include <cstddef>
#include <type_traits>

namespace classlib {

static_assert(std::is_standard_layout<TImageList>::value, "hosts read the handle at the list's address");

TImageList::TImageList() : handle_(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 16))
{
    if (!handle_) {
        RaiseLastOSError(GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY);
    }
    // Drawn without a background colour: the mask decides what shows through.
    ImageList_SetBkColor(handle_, CLR_NONE);
}

TImageList::~TImageList()
{
    ImageList_Destroy(handle_);
}

int TImageList::Count() const noexcept
{
    return ImageList_GetImageCount(handle_);
}

int TImageList::Add(const TBitmap& image, const TBitmap& mask)
{
    const int index = ImageList_Add(handle_, image.Handle(), mask.Handle());
    if (index < 0) {
        RaiseLastOSError(GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_INVALID_PARAMETER);
    }
    return index;
}

void TImageList::Delete(int index)
{
    if (!ImageList_Remove(handle_, index)) {
        RaiseLastOSError(GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_INVALID_PARAMETER);
    }
}

void TImageList::Clear()
{
    ImageList_Remove(handle_, -1);
}

}  // namespace classlib
