#include "support/IconStreamsBuilder.h"

#include <cstring>
#include <stdexcept>

namespace test_support {

namespace {

void Put32(Bytes& bytes, size_t offset, uint32_t value)
{
    std::memcpy(bytes.data() + offset, &value, 4);
}

void PutText(Bytes& bytes, size_t offset, const std::wstring& text, size_t units)
{
    if (text.size() > units) throw std::invalid_argument("text longer than its field");
    std::memset(bytes.data() + offset, 0, units * 2);
    std::memcpy(bytes.data() + offset, text.data(), text.size() * 2);
}

}  // namespace

Bytes MakeRecord(const RecordFields& layout)
{
    Bytes record(kRecordSize, layout.Filler);
    PutText(record, 0, layout.ExePath, 260);
    Put32(record, 520, layout.Word520);
    Put32(record, 524, layout.Word524);
    Put32(record, 528, layout.Word528);
    PutText(record, 536, layout.EntryText, 264);
    Put32(record, 1064, static_cast<uint32_t>(layout.ImageIndex));
    return record;
}

Bytes MakeIconStreams(const std::vector<Bytes>& records, uint8_t firstByte)
{
    Bytes value(20);
    for (size_t i = 0; i < 20; ++i) value[i] = static_cast<uint8_t>(firstByte + i);
    Put32(value, 12, static_cast<uint32_t>(records.size()));
    for (const Bytes& record : records) value.insert(value.end(), record.begin(), record.end());
    return value;
}

}  // namespace test_support
