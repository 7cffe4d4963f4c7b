// The records of Explorer's IconStreams value: a 20-byte header whose count at offset 12
// says how many 1084-byte records follow. Records are kept byte for byte; only ImageIndex is
// ever changed, by the model.
#pragma once

#include "classlib/TMemoryStream.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class TMyElementsStream {
public:
    static constexpr size_t HeaderSize = 20;
    static constexpr size_t CountOffset = 12;
    static constexpr size_t ExePathLength = 260;
    static constexpr size_t EntryTextLength = 264;

    // One record exactly as stored. The texts are NUL-terminated inside their fields as
    // Explorer writes them, but nothing here relies on it.
    struct Element {
        wchar_t ExePath[ExePathLength];
        uint32_t Word520;
        uint32_t Word524;
        uint32_t Word528;
        uint8_t Word532[4];
        wchar_t EntryText[EntryTextLength];
        int32_t ImageIndex;
        uint8_t RecordTail[16];
    };
    static constexpr size_t ElementSize = 1084;

    // Raises "IconStreamsレジストリデータが不正です" unless the value is a header followed
    // by exactly ElementCount records.
    static void Check(const classlib::TMemoryStream& iconStreams);
    // The count of the header; the value must have passed Check.
    static uint32_t ElementCount(const classlib::TMemoryStream& iconStreams);
    // Record i (below ElementCount) of a checked value.
    static Element Read(const classlib::TMemoryStream& iconStreams, uint32_t i);
    // Replaces the content with a value of the given records, keeping the header bytes of
    // the value the stream holds now (as just read from the registry) apart from the count.
    static void Write(classlib::TMemoryStream& iconStreams, const std::vector<Element>& elements);
};

static_assert(sizeof(wchar_t) == 2, "records hold UTF-16 text");
static_assert(sizeof(TMyElementsStream::Element) == TMyElementsStream::ElementSize, "record size");
static_assert(offsetof(TMyElementsStream::Element, Word520) == 520, "record layout");
static_assert(offsetof(TMyElementsStream::Element, Word524) == 524, "record layout");
static_assert(offsetof(TMyElementsStream::Element, Word528) == 528, "record layout");
static_assert(offsetof(TMyElementsStream::Element, Word532) == 532, "record layout");
static_assert(offsetof(TMyElementsStream::Element, EntryText) == 536, "record layout");
static_assert(offsetof(TMyElementsStream::Element, ImageIndex) == 1064, "record layout");
static_assert(offsetof(TMyElementsStream::Element, RecordTail) == 1068, "record layout");
