#include "ktora/file/ktora_lastname.h"

#include <gtest/gtest.h>

using namespace ktora::common;
using ktora::C_String;
using ktora::C_WString;

TEST(LastName, AfterTheLastSeparatorOfEitherKind) {
    EXPECT_STREQ(L"b", ktora_GetLastNameW(L"C:/a\\b").GetString());
    EXPECT_STREQ(L"b", ktora_GetLastName(L"C:\\a/b").GetString());
    EXPECT_STREQ(L"name", ktora_GetLastName(L"name").GetString());
    EXPECT_TRUE(ktora_GetLastName(L"C:\\a\\").Empty());
    EXPECT_TRUE(ktora_GetLastName(L"").Empty());
    EXPECT_STREQ(L"photo", ktora_GetLastName(L"\\photo").GetString());
    EXPECT_STREQ(L"\u5199\u771f", ktora_GetLastName(L"D:\\\u30c7\\\u5199\u771f").GetString());
    EXPECT_STREQ(L" x ", ktora_GetLastName(L"a\\\\ x ").GetString());
}

TEST(LastPath, BeforeTheLastSeparator) {
    EXPECT_STREQ(L"C:", ktora_GetLastPathW(L"C:\\").GetString());
    EXPECT_STREQ(L"C:/a", ktora_GetLastPath(L"C:/a\\b").GetString());
    EXPECT_TRUE(ktora_GetLastPath(L"name").Empty());
    EXPECT_TRUE(ktora_GetLastPath(L"\\name").Empty());
    EXPECT_TRUE(ktora_GetLastPath(L"").Empty());
    EXPECT_STREQ(L"a\\", ktora_GetLastPath(L"a\\\\b").GetString());
}

TEST(LastName, NarrowTwinsSkipDoubleByteTrailBytes) {
    // ソ (0x83 0x5C) ends in a byte equal to the backslash.
    C_String path("C:\\\x83\x5c");
    EXPECT_STREQ("\x83\x5c", ktora_GetLastNameA(path).GetString());
    EXPECT_STREQ("C:", ktora_GetLastPathA(path).GetString());
    EXPECT_STREQ("b", ktora_GetLastNameA("a/b").GetString());
    EXPECT_TRUE(ktora_GetLastNameA("a\\").Empty());
    EXPECT_TRUE(ktora_GetLastPathA("\\a").Empty());
    EXPECT_STREQ("\x83\x5c\x83\x5c", ktora_GetLastNameA("\x83\x5c\x83\x5c").GetString());
}
