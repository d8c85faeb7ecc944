#include "ktora/string/C_Memory.h"
#include "ktora/string/C_String.h"
#include "ktora/string/C_WString.h"

#include <gtest/gtest.h>
#include <string>

using ktora::C_String;
using ktora::C_WString;

TEST(String, ConstructionAssignmentAndAccess) {
    C_String s("abc");
    EXPECT_EQ(3, s.Length());
    EXPECT_EQ(3, s.ByteLength());
    EXPECT_EQ('a', s.CharAt(0));
    EXPECT_EQ(static_cast<char>(-1), s.CharAt(3));
    EXPECT_EQ(255, static_cast<unsigned char>(s.CharAt(-1)));
    s = static_cast<const char*>(nullptr);
    EXPECT_STREQ("abc", s.GetString());
    s = 12;
    EXPECT_STREQ("12", s.GetString());
    s = 'x';
    EXPECT_STREQ("x", s.GetString());
    s = '\x82';
    EXPECT_EQ(1, s.Length());
    EXPECT_STREQ("", C_String(static_cast<const char*>(nullptr)).GetString());
    s.Clear();
    EXPECT_TRUE(s.Empty());
}

TEST(String, GrowthConstants) {
    C_String s;
    for (int i = 0; i < 14; ++i) {
        s._appendchar('a');
    }
    EXPECT_EQ(0, s.Capacity());
    s._appendchar('b'); // single-byte appends leave the inline buffer at 16 bytes
    EXPECT_EQ(15 + 256, s.Capacity());
    C_String t;
    for (int i = 0; i < 30; ++i) {
        t += 'a';
    }
    EXPECT_EQ(0, t.Capacity());
    t += 'b';
    EXPECT_EQ(31 + 256, t.Capacity());
    EXPECT_EQ(0, C_String(std::string(31, 'x').c_str()).Capacity());
    EXPECT_EQ(32 + 256, C_String(std::string(32, 'x').c_str()).Capacity());
    EXPECT_EQ(0, t._reserve(32));
    EXPECT_EQ(1, t._reserve(400));
    EXPECT_EQ(400, t.Capacity());
    EXPECT_EQ(41, C_String(std::string(40, 'x').c_str()).ToUpper().Capacity());
}

TEST(String, SelfAppendStaysCorrectWhenTheBufferMoves) {
    C_String s("0123456789");
    s += s;
    s += s;
    EXPECT_EQ(40, s.Length());
    EXPECT_STREQ("0123456789012345678901234567890123456789", s.GetString());
    C_String h(std::string(300, 'q').c_str());
    h += h.GetString() + 1;
    EXPECT_EQ(599, h.Length());
    EXPECT_EQ(std::string(599, 'q'), std::string(h.GetString()));
    h << h;
    EXPECT_EQ(1198, h.Length());
    C_String r("abc");
    r = r.GetString() + 1;
    EXPECT_STREQ("bc", r.GetString());
}

TEST(String, ConcatenationTreatsOperandsAsTerminatedText) {
    EXPECT_STREQ("ab", (C_String("a") + C_String("b")).GetString());
    EXPECT_STREQ("a5", (C_String("a") + 5).GetString());
    EXPECT_STREQ("ab", (C_String("a") + 'b').GetString());
    EXPECT_STREQ("a", (C_String("a") + static_cast<const char*>(nullptr)).GetString());
    C_String raw;
    raw.SetBytes("x\0y", 0, 3, 3);
    EXPECT_EQ(3, raw.Length());
    EXPECT_STREQ("xz", (raw + C_String("z")).GetString());
    C_String s("a");
    s += 7;
    s += 'c';
    s += '\0';
    s += static_cast<const char*>(nullptr);
    EXPECT_STREQ("a7c", s.GetString());
}

TEST(String, SignedCompareToButUnsignedOperators) {
    C_String lead("\x82\xa0");
    C_String ascii("A");
    EXPECT_LT(lead.CompareTo(ascii), 0);
    EXPECT_FALSE(lead < ascii);
    EXPECT_TRUE(ascii < lead);
    EXPECT_TRUE(C_String("ab") < C_String("abc"));
    EXPECT_EQ(1, C_String("abc").CompareTo("ab"));
    EXPECT_EQ(-3, C_String().CompareTo("abc"));
    EXPECT_EQ(1, C_String("abd").CompareTo("abc"));
    EXPECT_TRUE(C_String("a") == "a");
    EXPECT_FALSE(C_String("a") == static_cast<const char*>(nullptr));
    EXPECT_TRUE(C_String("a") != static_cast<const char*>(nullptr));
    EXPECT_TRUE(C_String("abc").StartsWith("bc", 1));
    EXPECT_FALSE(C_String("abc").StartsWith(static_cast<const char*>(nullptr)));
    EXPECT_TRUE(C_String("abc").EndsWith(C_String("bc")));
    EXPECT_FALSE(C_String("abc").EndsWith(static_cast<const char*>(nullptr)));
}

TEST(String, ByteWiseSearchAndCase) {
    // ソ is 0x83 0x5C: its trail byte is a backslash, which a byte-wise search finds.
    C_String so("\x83\x5c"
                "a");
    EXPECT_EQ(1, so.IndexOf('\\'));
    EXPECT_EQ(0, so.IndexOf('\x83'));
    EXPECT_EQ(0, so.IndexOf(0x83));
    EXPECT_EQ(0, so.LastIndexOf('\x83'));
    EXPECT_TRUE(so.IsSJIS_1(0));
    EXPECT_FALSE(so.IsSJIS_1(-1));
    EXPECT_FALSE(so.IsSJIS_1(3));
    EXPECT_FALSE(so.IsSJIS_1(2));
    C_String trail("\x40\xfc\x7f\xfd");
    EXPECT_TRUE(trail.IsSJIS_2(0));
    EXPECT_TRUE(trail.IsSJIS_2(1));
    EXPECT_FALSE(trail.IsSJIS_2(2));
    EXPECT_FALSE(trail.IsSJIS_2(3));
    EXPECT_STREQ("ABC\x82\xa0", C_String("abc\x82\xa0").ToUpper().GetString());
    EXPECT_STREQ("abc\x82\xa0", C_String("ABC\x82\xa0").ToLower().GetString());
    // ア (0x83 0x41) and ャ (0x83 0x61) have trail bytes in the letter range: they stay whole.
    EXPECT_STREQ("\x83\x41x", C_String("\x83\x41X").ToLower().GetString());
    EXPECT_STREQ("\x83\x61X", C_String("\x83\x61x").ToUpper().GetString());
    EXPECT_STREQ("A\x83", C_String("a\x83").ToUpper().GetString());
    EXPECT_EQ(3, C_String("abcab").IndexOf("ab", 1));
    EXPECT_EQ(3, C_String("abcab").LastIndexOf(C_String("ab")));
    EXPECT_EQ(-1, C_String("abcab").IndexOf(static_cast<const char*>(nullptr)));
    EXPECT_EQ(2, C_String("ab;c").IndexOfWhich(";", 0, 1));
    EXPECT_EQ(2, C_String("  x").IndexOfSkip(" ", 0, 1));
    EXPECT_EQ(3, C_String("'='=").IndexOfSkipQuote("=", 0));
}

TEST(String, ExtractionTrimSqueezeReplace) {
    C_String s("abcdef");
    EXPECT_STREQ("cde", s.SubString(2, 4).GetString());
    EXPECT_STREQ("cdef", s.SubString(2, 6).GetString());
    EXPECT_TRUE(s.SubString(2, 7).Empty());
    EXPECT_TRUE(s.SubString(6).Empty());
    EXPECT_STREQ("a b", C_String(" a b \x01").Trim().GetString());
    EXPECT_STREQ("\x82\xa0", C_String("\x82\xa0 ").Trim().GetString());
    EXPECT_TRUE(C_String("xxyx").TrimLastChars("xy", 1).Empty());
    EXPECT_STREQ("c", C_String("ababc").TrimFirstChars("ab", 2).GetString());
    EXPECT_STREQ("a", C_String("aabab").TrimLastChars("ab", 2).GetString());
    EXPECT_STREQ("b", C_String("--b--").TrimChars("-", 1).GetString());
    EXPECT_STREQ("ab", C_String("aabbb").Squeeze("").GetString());
    EXPECT_STREQ("aab", C_String("aabbb").Squeeze("b").GetString());
    EXPECT_STREQ("ba", C_String("aaa").Replace("aa", "b").GetString());
    EXPECT_STREQ("aaa", C_String("aaa").Replace("", "b").GetString());
    EXPECT_STREQ("aaa",
                 C_String("aaa").Replace("a", static_cast<const char*>(nullptr)).GetString());
    EXPECT_STREQ("c", C_String("aca").Replace("a", "").GetString());
    // The string overload never deletes.
    EXPECT_STREQ("aca", C_String("aca").Replace(C_String("a"), C_String()).GetString());
    EXPECT_STREQ("xcx", C_String("aca").Replace(C_String("a"), C_String("x")).GetString());
    EXPECT_STREQ("a/b", C_String("a\\b").Replace('\\', '/').GetString());
    // A 0 replacement ends the text at the first one.
    EXPECT_EQ(2, C_String("ab/cd/e").Replace('/', '\0').Length());
    int next = 0;
    EXPECT_STREQ("x", C_String("f(x) + 1").Enclose("(", ")", 0, &next, 0).GetString());
    EXPECT_EQ(4, next);
    EXPECT_STREQ("(x)", C_String("f(x) + 1").Enclose("(", ")", 0, &next, 1).GetString());
    int digits = 0;
    EXPECT_EQ(-12, C_String("ab -12cd").EncloseInt64(0, &next, 0, &digits));
    EXPECT_EQ(6, next);
    EXPECT_EQ(2, digits);
    C_String trap("\"\\99");
    trap = "\"\\";
    EXPECT_EQ(-1, trap.EncloseInt(0, &next, 2, &digits));
}

TEST(String, RawBytesAndExport) {
    C_String s("keep");
    EXPECT_FALSE(s.SetBytes("abcde", 0, 4, 5));
    EXPECT_FALSE(s.SetBytes(nullptr, 0, 4, 4));
    EXPECT_FALSE(s.SetBytes("abcde", -1, 4, 4));
    EXPECT_FALSE(s.SetBytes("abcde", 0, 0, 0));
    EXPECT_STREQ("keep", s.GetString());
    EXPECT_TRUE(s.SetBytes("abcdef", 0, 6, 4));
    EXPECT_EQ(4, s.Length());
    EXPECT_STREQ("abcd", s.GetString());
    EXPECT_TRUE(s.SetBytes("xxabc", 2, 3, 3));
    EXPECT_STREQ("abc", s.GetString());
    std::string big(40, 'b');
    EXPECT_TRUE(s.SetBytes(big.data(), 0, 40, 40));
    EXPECT_EQ(41, s.Capacity());
    EXPECT_EQ(2, C_String("abcde").ToByteWString().Length());
    EXPECT_STREQ(L"\x6261", C_String("ab").ToByteWString().GetString());
    EXPECT_TRUE(C_String().ToByteWString().Empty());
    char buf[8] = {'z', 'z', 'z', 'z', 'z', 'z', 'z', 'z'};
    EXPECT_EQ(0, C_String("abc").ToCharArray(nullptr));
    EXPECT_EQ(4, C_String("abc").ToCharArray(buf));
    EXPECT_STREQ("abc", buf);
    buf[0] = 'z';
    EXPECT_EQ(4, C_String("abc").ToCharArrayEx(buf, 3));
    EXPECT_EQ('z', buf[0]);
    EXPECT_EQ(4, C_String("abc").ToCharArrayEx(buf, 4));
    EXPECT_STREQ("abc", buf);
    EXPECT_STREQ("abc", C_String("abc").ToString().GetString());
}

TEST(String, FormattingHasNoLengthLimit) {
    std::string big(5000, 'n');
    C_String s = C_String::Stringf("%s", big.c_str());
    EXPECT_EQ(5000, s.Length());
    EXPECT_EQ(big, std::string(s.GetString()));
    // Exactly the first buffer's size: no room for the terminator, so it must grow.
    std::string exact(1024, 'e');
    EXPECT_EQ(1024, C_String::Stringf("%s", exact.c_str()).Length());
    EXPECT_EQ(1023, C_String::Stringf("%s", std::string(1023, 'e').c_str()).Length());
    EXPECT_STREQ("7-x", C_String::Stringf("%d-%s", 7, "x").GetString());
    EXPECT_TRUE(C_String::Stringf(nullptr).Empty());
    char buf[4];
    EXPECT_STREQ("abc", C_String::StringfEx(buf, 4, "abcdef").GetString());
    ktora::C_Memory block(3);
    EXPECT_STREQ("12", C_String::StringfEx(&block, "%d", 12345).GetString());
}

TEST(String, WideTextBecomesNarrowThroughTheCodePage) {
    C_String s = C_WString(L"\u30b3\u30d4\u30fc").ToString();
    EXPECT_EQ(6, s.Length());
    EXPECT_STREQ("\x83\x52\x83\x73\x81\x5b", s.GetString());
    EXPECT_TRUE(s.IsSJIS_1(0));
    EXPECT_TRUE(s.IsSJIS_2(1));
}
