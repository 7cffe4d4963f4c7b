#include "Oicnstrm/TMyElementsStream.h"

#include "classlib/Exception.h"

#include <cstring>

void TMyElementsStream::Check(const classlib::TMemoryStream& iconStreams)
{
    const size_t size = iconStreams.Size();
    // A missing value leaves the stream empty and fails here too.
    if (size < HeaderSize) {
        throw classlib::Exception(L"IconStreamsレジストリデータが不正です");
    }
    // 64-bit arithmetic: a count near 2^32 must not wrap into a plausible length.
    const uint64_t expected = HeaderSize + uint64_t{ElementSize} * ElementCount(iconStreams);
    if (expected != size) {
        throw classlib::Exception(L"IconStreamsレジストリデータが不正です");
    }
}

uint32_t TMyElementsStream::ElementCount(const classlib::TMemoryStream& iconStreams)
{
    uint32_t count;
    std::memcpy(&count, iconStreams.Memory() + CountOffset, sizeof count);
    return count;
}

TMyElementsStream::Element TMyElementsStream::Read(const classlib::TMemoryStream& iconStreams, uint32_t i)
{
    if (HeaderSize + uint64_t{ElementSize} * (uint64_t{i} + 1) > iconStreams.Size()) {
        throw classlib::Exception(L"IconStreamsレジストリデータが不正です");
    }
    Element element;
    std::memcpy(&element, iconStreams.Memory() + HeaderSize + size_t{ElementSize} * i, ElementSize);
    return element;
}

void TMyElementsStream::Write(classlib::TMemoryStream& iconStreams, const std::vector<Element>& elements)
{
    // Only a value that was read and checked has a header to keep.
    if (iconStreams.Size() < HeaderSize) {
        throw classlib::Exception(L"IconStreamsレジストリデータが不正です");
    }
    std::vector<uint8_t> buffer(HeaderSize + ElementSize * elements.size());
    // Apart from the count, the header comes from the value found in the registry at the
    // moment of writing, not from the one loaded earlier.
    std::memcpy(buffer.data(), iconStreams.Memory(), HeaderSize);
    const uint32_t count = static_cast<uint32_t>(elements.size());
    std::memcpy(buffer.data() + CountOffset, &count, sizeof count);
    if (!elements.empty()) {
        std::memcpy(buffer.data() + HeaderSize, elements.data(), ElementSize * elements.size());
    }
    iconStreams.Clear();
    iconStreams.Write(buffer.data(), buffer.size());
}
