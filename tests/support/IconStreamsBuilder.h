// Builds IconStreams values for tests from records that say what they are.
#pragma once

#include "support/RegistryFixture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

constexpr size_t kRecordSize = 1084;

struct RecordFields {
    std::wstring ExePath;   // at most 260 units; exactly 260 leaves no NUL in the field
    std::wstring EntryText;
    uint32_t Word520 = 0;
    uint32_t Word524 = 0;
    uint32_t Word528 = 0;
    int32_t ImageIndex = 0;
    uint8_t Filler = 0;     // every byte not named above, so that carried bytes show
};

Bytes MakeRecord(const RecordFields& layout);

// A 20-byte header whose bytes other than the count are firstByte, firstByte + 1, ...,
// followed by the records.
Bytes MakeIconStreams(const std::vector<Bytes>& records, uint8_t firstByte = 0xA0);

}  // namespace test_support
