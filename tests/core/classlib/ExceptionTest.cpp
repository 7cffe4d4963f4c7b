#include "classlib/Exception.h"

#include <gtest/gtest.h>

using namespace classlib;

TEST(EOSErrorTest, CarriesTheSystemTextOfItsCodeWithoutLineEnd)
{
    const EOSError error(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(error.ErrorCode(), DWORD{ERROR_FILE_NOT_FOUND});
    EXPECT_EQ(error.Message(), SysErrorMessage(ERROR_FILE_NOT_FOUND));
    ASSERT_FALSE(error.Message().empty());
    EXPECT_NE(error.Message().back(), L'\n');
    EXPECT_NE(error.Message().back(), L'\r');
}

TEST(EOSErrorTest, ACodeWithoutSystemTextStillNamesTheCode)
{
    EXPECT_EQ(SysErrorMessage(0x2FFFFFFF), L"System error 805306367");
}

TEST(EOSErrorTest, Win32CheckRaisesTheLastErrorOnlyOnFalse)
{
    EXPECT_EQ(Win32Check(TRUE), TRUE);
    SetLastError(ERROR_ACCESS_DENIED);
    try {
        Win32Check(FALSE);
        FAIL() << "no error raised";
    } catch (const EOSError& error) {
        EXPECT_EQ(error.ErrorCode(), DWORD{ERROR_ACCESS_DENIED});
    }
    SetLastError(ERROR_INVALID_HANDLE);
    EXPECT_THROW(RaiseLastOSError(), EOSError);
}

TEST(EOSErrorTest, IsCaughtAsTheBaseError)
{
    try {
        RaiseLastOSError(ERROR_NOT_ENOUGH_MEMORY);
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), SysErrorMessage(ERROR_NOT_ENOUGH_MEMORY));
        return;
    }
    FAIL() << "not caught as Exception";
}

TEST(FormatTest, ReplacesEachPlaceholderOnceAndInOrder)
{
    EXPECT_EQ(Format(L"レジストリキー'%s'が開けません", {L"A\\B"}), L"レジストリキー'A\\B'が開けません");
    // An argument that itself contains a placeholder is inserted as it is.
    EXPECT_EQ(Format(L"%s and %s", {L"%s", L"x"}), L"%s and x");
    EXPECT_EQ(Format(L"100%% %s", {L"done"}), L"100% done");
    EXPECT_EQ(Format(L"%s %s", {L"only"}), L"only %s");
}
