// A growable block of bytes with a read/write position, used to carry registry values and
// bitmap files in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace classlib {

class TMemoryStream {
public:
    TMemoryStream() = default;

    size_t Size() const noexcept { return bytes_.size(); }
    // Grows with zero bytes or cuts; the position is kept unless it would lie past the end.
    void SetSize(size_t size);

    uint8_t* Memory() noexcept { return bytes_.data(); }
    const uint8_t* Memory() const noexcept { return bytes_.data(); }

    size_t Position() const noexcept { return position_; }
    // A position past the end is allowed; the next Write fills the gap with zero bytes.
    void SetPosition(size_t position) noexcept { position_ = position; }

    // Empties the stream and moves the position to 0.
    void Clear() noexcept;

    // Writes at the position, growing the stream as needed; returns the count written.
    size_t Write(const void* buffer, size_t count);
    // Reads at most count bytes from the position; returns the count read.
    size_t Read(void* buffer, size_t count) noexcept;

private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

}  // namespace classlib
