#include "classlib/TMemoryStream.h"

#include <gtest/gtest.h>

#include <cstring>

using classlib::TMemoryStream;

TEST(TMemoryStreamTest, WriteGrowsFromThePositionAndReadStopsAtTheEnd)
{
    TMemoryStream stream;
    EXPECT_EQ(stream.Write("abcd", 4), 4u);
    stream.SetPosition(2);
    EXPECT_EQ(stream.Write("XYZ", 3), 3u);
    ASSERT_EQ(stream.Size(), 5u);
    EXPECT_EQ(std::memcmp(stream.Memory(), "abXYZ", 5), 0);

    stream.SetPosition(3);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), 2u);
    EXPECT_EQ(std::memcmp(buffer, "YZ", 2), 0);
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), 0u);
}

TEST(TMemoryStreamTest, SetSizeZeroFillsAndCutsAndClearEmpties)
{
    TMemoryStream stream;
    stream.Write("abc", 3);
    stream.SetSize(6);
    EXPECT_EQ(std::memcmp(stream.Memory(), "abc\0\0\0", 6), 0);
    EXPECT_EQ(stream.Position(), 3u);
    stream.SetSize(1);
    EXPECT_EQ(stream.Position(), 1u);
    stream.Clear();
    EXPECT_EQ(stream.Size(), 0u);
    EXPECT_EQ(stream.Position(), 0u);
}

TEST(TMemoryStreamTest, WritePastTheEndFillsTheGapWithZeros)
{
    TMemoryStream stream;
    stream.SetPosition(3);
    stream.Write("z", 1);
    ASSERT_EQ(stream.Size(), 4u);
    EXPECT_EQ(std::memcmp(stream.Memory(), "\0\0\0z", 4), 0);
}
