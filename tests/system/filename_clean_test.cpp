// Cleaning text into valid Windows file names.
#include <gtest/gtest.h>

#include "ktora/string/C_String.h"
#include "ktora/string/C_WString.h"
#include "ktora/system/System.h"
#include "system/text_view.h"

#include <string>

using ktora::C_String;
using ktora::C_WString;
using ktora::common::System;
using systest::str;

TEST(FileNameClean, WideReplacesTheTenForbiddenCharacters) {
    EXPECT_STREQ(L"a\uFF0Fb\uFF1Ac\uFF1F.txt",
                 System::_to_create_winname_w(C_WString(L"a/b:c?.txt")).GetString());
    EXPECT_STREQ(L"\u201C\uFFE5\uFF0F\uFF0A\uFF1C\uFF1E\uFF1A\uFF1F\uFF5C\u3000",
                 System::_to_create_winname(C_WString(L"\"\\/*<>:?|\t")).GetString());
    EXPECT_STREQ(L"plain \u3042.txt",
                 System::_to_create_winname(C_WString(L"plain \u3042.txt")).GetString());
    EXPECT_EQ(0, System::_to_create_winname(C_WString()).Length());
}

TEST(FileNameClean, NarrowFormsMatchTheWideOneInEveryCharacterSet) {
    C_WString text(L"\u8868\"\\/*<>:?|\t\u80FD.txt"); // 表 and 能 end in a 0x5C byte
    C_WString clean = System::_to_create_winname(text);
    C_String sjis = System::utf16_to_sjis(text);
    ASSERT_EQ('\x5C', sjis.GetString()[1]);
    EXPECT_STREQ(clean.GetString(),
                 System::sjis_to_utf16(System::_to_create_winname_a(sjis)).GetString());
    EXPECT_STREQ(clean.GetString(),
                 System::sjis_to_utf16(System::to_create_winname(sjis, "CP932")).GetString());
    C_String utf8 = System::utf16_to_utf8(text);
    EXPECT_STREQ(clean.GetString(),
                 System::utf8_to_utf16(System::to_create_winname(utf8, "utf-8")).GetString());
    C_String euc = System::sjis_to_euc(sjis);
    EXPECT_EQ(str(System::sjis_to_euc(System::utf16_to_sjis(clean))),
              str(System::to_create_winname(euc, "EUC")));
    EXPECT_STREQ(
        clean.GetString(),
        System::to_create_winname(text.ToByteString(), "UTF-16").ToByteWString().GetString());
    EXPECT_EQ("", str(System::to_create_winname(sjis, "UTF-32")));
    EXPECT_EQ("", str(System::to_create_winname(C_String(), nullptr)));
}

TEST(FileNameClean, AStrayLeadByteDoesNotProtectAForbiddenCharacter) {
    EXPECT_EQ("\x9C\x81\x5E", str(System::_to_create_winname_a("\x9C/")));
    EXPECT_EQ("\xE3\xEF\xBC\x8F", str(System::to_create_winname("\xE3/", "UTF-8")));
    EXPECT_EQ("a\x81\x48\x82", str(System::_to_create_winname_a("a?\x82")));
}
