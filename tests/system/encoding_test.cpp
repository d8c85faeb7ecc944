#include "ktora/string/Pointer.h"
#include "ktora/system/System.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

using ktora::common::Pointer;
using ktora::common::System;

TEST(Encoding, ShiftJisToUtf16CountsUnits) {
    int units = -1;
    Pointer<wchar_t> w(System::sjis_to_utf16("a\x83\x52\xb1", 4, &units), true, 0, true);
    ASSERT_NE(nullptr, w.Get());
    EXPECT_EQ(3, units);
    EXPECT_STREQ(L"a\u30b3\uff71", w.Get());
    // Only the given bytes are converted.
    Pointer<wchar_t> part(System::sjis_to_utf16("abc", 2, &units), true, 0, true);
    EXPECT_STREQ(L"ab", part.Get());
    EXPECT_EQ(nullptr, System::sjis_to_utf16(nullptr, 3, &units));
    EXPECT_EQ(0, units);
    EXPECT_EQ(nullptr, System::sjis_to_utf16("", 0, nullptr));
}

TEST(Encoding, Utf16ToShiftJisIsSizedByTheConverter) {
    int bytes = -1;
    Pointer<char> n(System::utf16_to_sjis(L"a\u30b3\uff71", 3, &bytes), true, 0, true);
    ASSERT_NE(nullptr, n.Get());
    EXPECT_EQ(4, bytes);
    EXPECT_STREQ("a\x83\x52\xb1", n.Get());
    // Every unit double-byte: the result fills exactly 2 bytes per unit.
    std::wstring kanji(500, L'\u6f22');
    Pointer<char> k(System::utf16_to_sjis(kanji.c_str(), 500, &bytes), true, 0, true);
    ASSERT_NE(nullptr, k.Get());
    EXPECT_EQ(1000, bytes);
    EXPECT_EQ(1000u, std::strlen(k.Get()));
    EXPECT_EQ(nullptr, System::utf16_to_sjis(nullptr, 1, &bytes));
    EXPECT_EQ(0, bytes);
    // A unit without a Shift_JIS form becomes the default character instead of vanishing.
    Pointer<char> d(System::utf16_to_sjis(L"x\u4e02y", 3, &bytes), true, 0, true);
    ASSERT_NE(nullptr, d.Get());
    EXPECT_EQ('x', d.Get()[0]);
    EXPECT_EQ('y', d.Get()[bytes - 1]);
}

TEST(Encoding, NegativeCountsMeanUpToTheTerminator) {
    int n = 0;
    Pointer<wchar_t> w(System::sjis_to_utf16("\x83\x52", -1, &n), true, 0, true);
    EXPECT_EQ(1, n);
    Pointer<char> s(System::utf16_to_sjis(L"\u30b3", -1, &n), true, 0, true);
    EXPECT_EQ(2, n);
}
