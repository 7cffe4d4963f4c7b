#include "Oicnstrm/TMyElementsStream.h"

#include "classlib/Exception.h"
#include "support/IconStreamsBuilder.h"

#include "support/StreamBytes.h"

#include <gtest/gtest.h>

#include <cstring>

using classlib::TMemoryStream;
using namespace test_support;

namespace {



Bytes ValueOfLength(size_t length, uint32_t count)
{
    Bytes value(length, 0x5A);
    if (length >= 16) std::memcpy(value.data() + 12, &count, 4);
    return value;
}

std::wstring CheckFailure(const Bytes& value)
{
    try {
        TMyElementsStream::Check(StreamOf(value));
        return L"";
    } catch (const classlib::Exception& error) {
        return error.Message();
    }
}

}  // namespace

TEST(TMyElementsStreamTest, CheckAcceptsExactlyAHeaderAndItsRecords)
{
    struct Case {
        size_t length;
        uint32_t count;
        bool valid;
    };
    const Case cases[] = {
        {20, 0, true},
        {20 + 1084, 1, true},
        {20 + 3 * 1084, 3, true},
        {20 + 1084, 2, false},
        {20 + 1084, 0, false},
        {21, 0, false},
        {20 + 1084 - 1, 1, false},
        {0, 0, false},
        {19, 0, false},
        // 1084 * 2^30 is a multiple of 2^32: a 32-bit sum would wrap to exactly 20.
        {20, 0x40000000, false},
        {20, 0xFFFFFFFF, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "length " << c.length << " count " << c.count);
        EXPECT_EQ(CheckFailure(ValueOfLength(c.length, c.count)), c.valid ? L"" : L"IconStreamsレジストリデータが不正です");
    }
}

TEST(TMyElementsStreamTest, RecordsAreReadByteForByteAndFieldsLieWhereExplorerPutsThem)
{
    RecordFields first{L"C:\\Program Files\\A\\a.exe", L"テキスト A", 0x11223344, 0, 0xCAFEBABE, 7, 0x01};
    RecordFields full{std::wstring(260, L'P'), std::wstring(263, L'T'), 1, 2, 3, -1, 0xEE};
    const Bytes value = MakeIconStreams({MakeRecord(first), MakeRecord(full)});
    const TMemoryStream stream = StreamOf(value);
    TMyElementsStream::Check(stream);
    ASSERT_EQ(TMyElementsStream::ElementCount(stream), 2u);

    const auto a = TMyElementsStream::Read(stream, 0);
    EXPECT_EQ(std::wstring(a.ExePath), first.ExePath);
    EXPECT_EQ(std::wstring(a.EntryText), first.EntryText);
    EXPECT_EQ(a.Word520, 0x11223344u);
    EXPECT_EQ(a.Word524, 0u);
    EXPECT_EQ(a.Word528, 0xCAFEBABEu);
    EXPECT_EQ(a.ImageIndex, 7);
    EXPECT_EQ(0, std::memcmp(&a, value.data() + 20, kRecordSize));

    // A path that fills its field has no NUL; it is carried as it is.
    const auto b = TMyElementsStream::Read(stream, 1);
    EXPECT_EQ(std::wstring(b.ExePath, 260), full.ExePath);
    EXPECT_EQ(b.ImageIndex, -1);
    EXPECT_EQ(0, std::memcmp(&b, value.data() + 20 + kRecordSize, kRecordSize));

    EXPECT_THROW(TMyElementsStream::Read(stream, 2), classlib::Exception);
}

TEST(TMyElementsStreamTest, WriteKeepsTheHeaderFoundAtWriteTimeAndTheRecordsAsGiven)
{
    const Bytes loaded = MakeIconStreams({MakeRecord({L"a.exe", L"A", 1, 1, 1, 5, 0x33}),
                                          MakeRecord({std::wstring(260, L'z'), L"B", 2, 0, 2, 9, 0x44})},
                                         0x10);
    const TMemoryStream loadedStream = StreamOf(loaded);
    std::vector<TMyElementsStream::Element> elements = {TMyElementsStream::Read(loadedStream, 1),
                                                        TMyElementsStream::Read(loadedStream, 0)};
    elements[0].ImageIndex = 0;
    elements[1].ImageIndex = 1;

    // Explorer rewrote the value in between: its header, with a different count, wins.
    TMemoryStream fresh = StreamOf(MakeIconStreams({MakeRecord({L"x.exe", L"X"})}, 0x80));
    TMyElementsStream::Write(fresh, elements);

    const Bytes written = BytesOf(fresh);
    ASSERT_EQ(written.size(), 20 + 2 * kRecordSize);
    Bytes expectedHeader = MakeIconStreams({}, 0x80);
    expectedHeader[12] = 2;
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 20), expectedHeader);
    EXPECT_EQ(0, std::memcmp(written.data() + 20, &elements[0], kRecordSize));
    EXPECT_EQ(0, std::memcmp(written.data() + 20 + kRecordSize, &elements[1], kRecordSize));
    TMyElementsStream::Check(fresh);
}

TEST(TMyElementsStreamTest, WritingNoRecordsLeavesTheHeaderWithCountZero)
{
    TMemoryStream stream = StreamOf(MakeIconStreams({MakeRecord({L"a.exe", L"A"})}, 0x61));
    TMyElementsStream::Write(stream, {});
    EXPECT_EQ(BytesOf(stream), MakeIconStreams({}, 0x61));
}

TEST(TMyElementsStreamTest, WriteRefusesAStreamWithoutHeader)
{
    TMemoryStream empty;
    EXPECT_THROW(TMyElementsStream::Write(empty, {}), classlib::Exception);
    EXPECT_EQ(empty.Size(), 0u);
}
