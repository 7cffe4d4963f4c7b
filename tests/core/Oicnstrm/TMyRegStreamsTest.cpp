#include "Oicnstrm/TMyRegStreams.h"

#include "Oicnstrm/TMyElementsStream.h"
#include "classlib/Exception.h"
#include "support/IconStreamsBuilder.h"

#include "support/StreamBytes.h"

#include <gtest/gtest.h>

using namespace test_support;

namespace {


class TMyRegStreamsTest : public CleanRegistryTest {
protected:
    TMyOSDependent os;
    const std::wstring trayNotify = ExpectedTrayNotifyKey();
};

std::wstring FailureOf(TMyRegStreams& streams)
{
    try {
        streams.Read();
        return L"";
    } catch (const classlib::Exception& error) {
        return error.Message();
    }
}

}  // namespace

TEST_F(TMyRegStreamsTest, ReadsBothValuesOfThisFamilysKey)
{
    const Bytes icons = MakeIconStreams({MakeRecord({L"a.exe", L"A"})});
    const Bytes pictures = {1, 2, 3, 0, 5};
    SetBinary(trayNotify, L"IconStreams", icons);
    SetBinary(trayNotify, L"PastIconsStream", pictures);
    // The other family's key must not be the one read.
    const std::wstring other = ExpectedOsMajor() == 5 ? kVistaTrayNotify : kXpTrayNotify;
    SetBinary(other, L"IconStreams", MakeIconStreams({}));

    TMyRegStreams streams(os);
    streams.Read();
    EXPECT_EQ(BytesOf(streams.IconStreams()), icons);
    EXPECT_EQ(BytesOf(streams.PastIconsStream()), pictures);
}

TEST_F(TMyRegStreamsTest, AMissingKeyCannotBeOpenedAndIsNotCreated)
{
    TMyRegStreams streams(os);
    EXPECT_EQ(FailureOf(streams), L"TrayNotifyレジストリが開けません");
    EXPECT_FALSE(KeyExists(trayNotify));
}

TEST_F(TMyRegStreamsTest, MissingAndEmptyValuesLeaveEmptyStreamsThatFailTheCheck)
{
    CreateKey(trayNotify);
    TMyRegStreams missing(os);
    missing.Read();
    EXPECT_EQ(missing.IconStreams().Size(), 0u);
    EXPECT_EQ(missing.PastIconsStream().Size(), 0u);
    EXPECT_THROW(TMyElementsStream::Check(missing.IconStreams()), classlib::Exception);

    SetBinary(trayNotify, L"IconStreams", {});
    SetBinary(trayNotify, L"PastIconsStream", {});
    TMyRegStreams empty(os);
    empty.Read();
    EXPECT_EQ(empty.IconStreams().Size(), 0u);
    try {
        TMyElementsStream::Check(empty.IconStreams());
        FAIL() << "an empty value passed the check";
    } catch (const classlib::Exception& error) {
        EXPECT_EQ(error.Message(), L"IconStreamsレジストリデータが不正です");
    }
}

TEST_F(TMyRegStreamsTest, AValueOfAnotherTypeRaisesTheRegistryError)
{
    SetString(trayNotify, L"IconStreams", L"not binary");
    TMyRegStreams streams(os);
    EXPECT_THROW(streams.Read(), classlib::ERegistryException);
}

TEST_F(TMyRegStreamsTest, WriteBackKeepsTheFreshHeaderAndTheRecordsByteForByte)
{
    const Bytes loadedValue = MakeIconStreams({MakeRecord({std::wstring(260, L'p'), L"full path", 1, 1, 1, 4, 0x21}),
                                               MakeRecord({L"b.exe", L"B", 2, 0, 2, 9, 0x42}),
                                               MakeRecord({L"c.exe", L"C", 3, 1, 3, 2, 0x63})},
                                              0x30);
    SetBinary(trayNotify, L"IconStreams", loadedValue);
    SetBinary(trayNotify, L"PastIconsStream", {9, 9});

    TMyRegStreams loaded(os);
    loaded.Read();
    TMyElementsStream::Check(loaded.IconStreams());
    std::vector<TMyElementsStream::Element> elements;
    for (uint32_t i = 0; i < TMyElementsStream::ElementCount(loaded.IconStreams()); ++i) {
        elements.push_back(TMyElementsStream::Read(loaded.IconStreams(), i));
        elements.back().ImageIndex = static_cast<int32_t>(i);
    }

    // Meanwhile Explorer has written the value again with other header bytes.
    SetBinary(trayNotify, L"IconStreams", MakeIconStreams({}, 0xC0));

    TMyRegStreams saving(os);
    saving.Read();
    TMyElementsStream::Check(saving.IconStreams());
    TMyElementsStream::Write(saving.IconStreams(), elements);
    const Bytes newPictures = {7, 7, 7};
    saving.PastIconsStream().Clear();
    saving.PastIconsStream().Write(newPictures.data(), newPictures.size());
    saving.Write();

    Bytes expected = MakeIconStreams({}, 0xC0);
    expected[12] = 3;
    for (size_t i = 0; i < 3; ++i) {
        Bytes record(loadedValue.begin() + 20 + i * kRecordSize, loadedValue.begin() + 20 + (i + 1) * kRecordSize);
        record[1064] = static_cast<uint8_t>(i);
        record[1065] = record[1066] = record[1067] = 0;
        expected.insert(expected.end(), record.begin(), record.end());
    }
    DWORD type = 0;
    EXPECT_EQ(GetValue(trayNotify, L"IconStreams", &type), expected);
    EXPECT_EQ(type, DWORD{REG_BINARY});
    EXPECT_EQ(GetValue(trayNotify, L"PastIconsStream"), newPictures);
}

TEST_F(TMyRegStreamsTest, WriteNeedsTheKeyToExist)
{
    CreateKey(trayNotify);
    TMyRegStreams streams(os);
    streams.Read();
    DeleteTree(trayNotify);
    try {
        streams.Write();
        FAIL() << "written without a key";
    } catch (const classlib::Exception& error) {
        EXPECT_EQ(error.Message(), L"TrayNotifyレジストリが開けません");
    }
    EXPECT_FALSE(KeyExists(trayNotify));
}
