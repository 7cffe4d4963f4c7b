#include "TMemoryStream.h"

#include <cstring>
#include <new>

namespace classlib {

void TMemoryStream::SetSize(size_t size)
{
    bytes_.resize(size);
    if (position_ > size) {
        position_ = size;
    }
}

void TMemoryStream::Clear() noexcept
{
    bytes_.clear();
    bytes_.shrink_to_fit();
    position_ = 0;
}

size_t TMemoryStream::Write(const void* buffer, size_t count)
{
    if (count == 0) {
        return 0;
    }
    if (count > bytes_.max_size() - position_) {
        throw std::bad_alloc();
    }
    if (position_ + count > bytes_.size()) {
        bytes_.resize(position_ + count);
    }
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

size_t TMemoryStream::Read(void* buffer, size_t count) noexcept
{
    if (position_ >= bytes_.size()) {
        return 0;
    }
    const size_t available = bytes_.size() - position_;
    const size_t n = count < available ? count : available;
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

}  // namespace classlib
