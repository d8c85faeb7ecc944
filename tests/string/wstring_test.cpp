#include "ktora/string/C_Memory.h"
#include "ktora/string/C_WString.h"

#include <gtest/gtest.h>
#include <string>

using ktora::C_String;
using ktora::C_WString;

namespace {
// コピー (katakana, 3 units / 6 Shift_JIS bytes)
const wchar_t kCopy[] = L"\u30b3\u30d4\u30fc";
const char kCopySjis[] = "\x83\x52\x83\x73\x81\x5b";
} // namespace

TEST(WString, ConstructionAssignmentAndAccess) {
    C_WString empty;
    EXPECT_TRUE(empty.Empty());
    EXPECT_STREQ(L"", empty.GetString());
    EXPECT_STREQ(L"", C_WString(static_cast<const wchar_t*>(nullptr)).GetString());
    C_WString s(L"abc");
    EXPECT_EQ(3, s.Length());
    EXPECT_EQ(6, s.WByteLength());
    s = static_cast<const wchar_t*>(nullptr);
    EXPECT_EQ(C_WString(L"abc"), s);
    s = static_cast<const char*>(nullptr);
    EXPECT_EQ(C_WString(L"abc"), s);
    EXPECT_EQ(97, s.CharAt(0));
    EXPECT_EQ(-1, s.CharAt(-1));
    EXPECT_EQ(-1, s.CharAt(3));
    s.Clear();
    EXPECT_EQ(0, s.Length());
    EXPECT_STREQ(L"", s.GetString());
    C_WString big(L"\uffff");
    EXPECT_EQ(0xffff, big.CharAt(0));
}

TEST(WString, NumbersAreFormattedNarrowThenConverted) {
    C_WString s;
    s = 42;
    EXPECT_STREQ(L"42", s.GetString());
    s = 'Q';
    EXPECT_STREQ(L"Q", s.GetString());
    s = 1.5;
    EXPECT_STREQ(L"1.500000", s.GetString());
    // 1e308 with six decimals is 316 characters: no fixed buffer may cut it.
    s = 1e308;
    EXPECT_EQ(316, s.Length());
    EXPECT_TRUE(s.StartsWith(L"1000000000"));
    EXPECT_TRUE(s.EndsWith(L".000000"));
    s += -7;
    EXPECT_TRUE(s.EndsWith(L"-7"));
    EXPECT_STREQ(L"x3", (C_WString(L"x") + 3).GetString());
    EXPECT_STREQ(L"x0.250000", (C_WString(L"x") + 0.25).GetString());
    EXPECT_STREQ(L"xy", (C_WString(L"x") + 'y').GetString());
}

TEST(WString, ShiftJisConversionBothWays) {
    C_WString w(kCopySjis);
    EXPECT_EQ(3, w.Length());
    EXPECT_STREQ(kCopy, w.GetString());
    EXPECT_EQ(6, w.ByteLength());
    C_String n = w.ToString();
    EXPECT_EQ(6, n.Length());
    EXPECT_STREQ(kCopySjis, n.GetString());
    C_WString fromNarrow(n);
    EXPECT_EQ(w, fromNarrow);
    EXPECT_TRUE(w == kCopySjis);
    EXPECT_FALSE(w == static_cast<const char*>(nullptr));
    EXPECT_TRUE(w != static_cast<const char*>(nullptr));
    C_WString mixed(L"a");
    mixed += kCopySjis;
    EXPECT_EQ(4, mixed.Length());
    // Half-width katakana: one byte, one unit.
    C_WString kana("\xb1");
    EXPECT_EQ(1, kana.Length());
    EXPECT_EQ(0xff71, kana.CharAt(0));
}

TEST(WString, LongConvertedTextIsNeverEmptied) {
    std::wstring text;
    for (int i = 0; i < 300; ++i) {
        text += kCopy;
    }
    C_WString w(text.c_str());
    C_String n = w.ToString();
    EXPECT_EQ(1800, n.Length());
    C_WString back(n);
    EXPECT_EQ(w, back);
    EXPECT_EQ(1801u, w.ToCharArray(nullptr, 0));
    char small[4] = {'z', 'z', 'z', 'z'};
    EXPECT_EQ(1801u, w.ToCharArray(small, 4));
    EXPECT_EQ('z', small[0]);
    char buf[8];
    EXPECT_EQ(7u, C_WString(kCopy).ToCharArray(buf, 8));
    EXPECT_STREQ(kCopySjis, buf);
    EXPECT_EQ(7u, C_WString(kCopy).ToCharArray(buf, 7));
}

TEST(WString, InlineHeapAndGrowthConstants) {
    C_WString s;
    for (int i = 0; i < 30; ++i) {
        s += L'a';
    }
    EXPECT_EQ(0u, s.Capacity());
    s += L'b'; // 31 units + terminator reach 32
    EXPECT_EQ(31u + 256u, s.Capacity());
    const wchar_t* block = s.GetString();
    while (s.Length() < 286) {
        s += L'c';
    }
    EXPECT_EQ(block, s.GetString());
    s += L'd'; // 287 + terminator no longer fit
    EXPECT_EQ(287u + 256u, s.Capacity());

    std::wstring text31(31, L'x');
    std::wstring text32(32, L'x');
    EXPECT_EQ(0u, C_WString(text31.c_str()).Capacity());
    EXPECT_EQ(32u + 256u, C_WString(text32.c_str()).Capacity());
    // A string keeps its heap block for shorter text; Clear keeps it too.
    C_WString h(text32.c_str());
    h = L"short";
    EXPECT_EQ(288u, h.Capacity());
    h.Clear();
    EXPECT_EQ(288u, h.Capacity());
    // Built results are sized exactly.
    std::wstring text40(40, L'y');
    C_WString built = C_WString(text40.c_str()).ToUpper();
    EXPECT_EQ(41u, built.Capacity());
    EXPECT_EQ(81u, (C_WString(text40.c_str()) + C_WString(text40.c_str())).Capacity());
}

TEST(WString, ReserveAndAppendChar) {
    C_WString s(L"ab");
    EXPECT_EQ(0, s._reserve(32));
    EXPECT_EQ(1, s._reserve(100));
    EXPECT_EQ(100u, s.Capacity());
    EXPECT_EQ(0, s._reserve(50));
    EXPECT_STREQ(L"ab", s.GetString());
    EXPECT_EQ(3, s._appendchar(L'c'));
    EXPECT_STREQ(L"abc", s.GetString());
}

TEST(WString, SelfAppendStaysCorrectWhenTheBufferMoves) {
    C_WString s(L"0123456789");
    s += s;
    EXPECT_STREQ(L"01234567890123456789", s.GetString());
    s += s; // leaves the inline buffer
    EXPECT_EQ(40, s.Length());
    EXPECT_TRUE(s.StartsWith(L"0123456789012345678901234567890123456789"));
    std::wstring big(300, L'q');
    C_WString h(big.c_str());
    h += h; // heap block too small: moves while reading itself
    EXPECT_EQ(600, h.Length());
    EXPECT_EQ(std::wstring(600, L'q'), std::wstring(h.GetString()));
    C_WString p(L"abcdef");
    p += p.GetString() + 3;
    EXPECT_STREQ(L"abcdefdef", p.GetString());
    std::wstring tail(290, L'z');
    C_WString q(tail.c_str());
    q += q.GetString() + 10;
    EXPECT_EQ(570, q.Length());
    q << q;
    EXPECT_EQ(1140, q.Length());
    // One of its own units, appended exactly as the buffer leaves the inline storage.
    C_WString u(std::wstring(30, L'u').c_str());
    u += u.GetString()[29];
    EXPECT_EQ(31, u.Length());
    EXPECT_EQ(L'u', u.CharAt(30));
    C_WString r(L"abc");
    r = r.GetString() + 1;
    EXPECT_STREQ(L"bc", r.GetString());
    C_WString& alias = r;
    r = alias;
    EXPECT_STREQ(L"bc", r.GetString());
}

TEST(WString, ConcatenationOperators) {
    EXPECT_TRUE((C_WString() + C_WString()).Empty());
    EXPECT_STREQ(L"ab", (C_WString(L"a") + C_WString(L"b")).GetString());
    EXPECT_STREQ(L"a", (C_WString(L"a") + static_cast<const char*>(nullptr)).GetString());
    EXPECT_STREQ(L"a\u30b3", (C_WString(L"a") + "\x83\x52").GetString());
    EXPECT_STREQ(L"xa", (L"x" + C_WString(L"a")).GetString());
    EXPECT_STREQ(L"az", C_WString(L"a").ConcatWChar(L'z').GetString());
    EXPECT_STREQ(L"a", C_WString(L"a").ConcatWChar(0).GetString());
    C_WString s(L"a");
    s += L'\0';
    s += static_cast<const wchar_t*>(nullptr);
    s += L"";
    s += static_cast<const char*>(nullptr);
    s += '\0'; // a zero narrow char adds no hidden unit
    EXPECT_STREQ(L"a", s.GetString());
    EXPECT_EQ(1, s.Length());
    EXPECT_EQ(1, (s + '\0').Length());
    C_WString z(L"z");
    z = '\0';
    EXPECT_EQ(0, z.Length());
    s << C_WString(L"b") << C_WString(L"c");
    EXPECT_STREQ(L"abc", s.GetString());
}

TEST(WString, OrderingAndCompareTo) {
    EXPECT_TRUE(C_WString(L"ab") < C_WString(L"abc"));
    EXPECT_FALSE(C_WString(L"abc") < C_WString(L"ab"));
    EXPECT_TRUE(C_WString(L"abc") > C_WString(L"ab"));
    EXPECT_TRUE(C_WString(L"ab") <= C_WString(L"ab"));
    EXPECT_TRUE(C_WString(L"ab") >= C_WString(L"ab"));
    // Units compare unsigned: U+FF71 sorts after ASCII.
    EXPECT_TRUE(C_WString(L"a") < C_WString(L"\uff71"));
    EXPECT_EQ(1, C_WString(L"abc").CompareTo(L"ab"));
    EXPECT_EQ(-1, C_WString(L"ab").CompareTo(L"abc"));
    EXPECT_EQ(-3, C_WString().CompareTo(L"abc"));
    EXPECT_EQ(3, C_WString(L"abc").CompareTo(C_WString()));
    EXPECT_EQ(0, C_WString().CompareTo(C_WString()));
    EXPECT_EQ(1, C_WString(L"abd").CompareTo(L"abc"));
    EXPECT_EQ(0, C_WString(L"abc").CompareTo(L"abc"));
    EXPECT_EQ(0xff71 - 'a', C_WString(L"\uff71").CompareTo(L"a"));
    EXPECT_TRUE(C_WString(L"abc").Equals(L"abc"));
    EXPECT_TRUE(C_WString(L"abc") != C_WString(L"abd"));
}

TEST(WString, StartsAndEndsWith) {
    C_WString s(L"abcdef");
    EXPECT_TRUE(s.StartsWith(L"abc"));
    EXPECT_TRUE(s.StartsWith(L"cd", 2));
    EXPECT_FALSE(s.StartsWith(L"cd", -1));
    EXPECT_FALSE(s.StartsWith(L"efg", 4));
    EXPECT_TRUE(s.StartsWith(L"", 6));
    EXPECT_FALSE(s.StartsWith(L"", 7));
    EXPECT_TRUE(s.StartsWith("ab"));
    EXPECT_FALSE(s.StartsWith(static_cast<const char*>(nullptr)));
    EXPECT_TRUE(s.EndsWith(L"def"));
    EXPECT_TRUE(s.EndsWith(L""));
    EXPECT_FALSE(s.EndsWith(L"xabcdef"));
    EXPECT_TRUE(s.EndsWith("ef"));
    EXPECT_FALSE(s.EndsWith(static_cast<const char*>(nullptr)));
}

TEST(WString, SearchBounds) {
    C_WString s(L"abcab");
    EXPECT_EQ(-1, s.IndexOf(C_WString(), 0));
    EXPECT_EQ(-1, s.IndexOf(L'a', 5));
    EXPECT_EQ(-1, s.IndexOf(L'a', -1));
    EXPECT_EQ(3, s.IndexOf(L'a', 1));
    EXPECT_EQ(3, s.IndexOf(L"ab", 1));
    EXPECT_EQ(-1, s.IndexOf(L"abx"));
    EXPECT_EQ(1, s.IndexOf("bc"));
    EXPECT_EQ(-1, s.IndexOf(static_cast<const char*>(nullptr)));
    EXPECT_EQ(4, s.LastIndexOf(L'b', 1000));
    EXPECT_EQ(1, s.LastIndexOf(L'b', 3));
    EXPECT_EQ(-1, s.LastIndexOf(L'b', -1));
    EXPECT_EQ(3, s.LastIndexOf(L"ab"));
    EXPECT_EQ(0, s.LastIndexOf(L"ab", 2));
    EXPECT_EQ(3, s.LastIndexOf(L"ab", 1000));
    EXPECT_EQ(-1, s.LastIndexOf(C_WString()));
    EXPECT_EQ(3, s.LastIndexOf("a"));
    EXPECT_EQ(-1, s.LastIndexOf(static_cast<const char*>(nullptr), 3));
    EXPECT_EQ(-1, C_WString().LastIndexOf(L'a'));
    EXPECT_EQ(1, C_WString(kCopy).IndexOf(0x30d4));
}

TEST(WString, TokenSearches) {
    C_WString s(L"  ab;;cd");
    EXPECT_EQ(4, s.IndexOfWhich(L";,", 0, 1));
    EXPECT_EQ(-1, s.IndexOfWhich(L";", 0, 0));
    EXPECT_EQ(-1, s.IndexOfWhich(L";", -1, 1));
    EXPECT_EQ(2, s.IndexOfSkip(L" ", 0, 1));
    EXPECT_EQ(6, s.IndexOfSkip(L";", 4, 1));
    EXPECT_EQ(-1, C_WString(L"   ").IndexOfSkip(L" ", 0, 1));
    EXPECT_EQ(4, C_WString(L"abab;").IndexOfSkip(L"ab", 0, 2));
    EXPECT_EQ(-1, s.IndexOfSkip(L" ", 0, -1));
    EXPECT_EQ(8, C_WString(L"a\"=\"'=' =").IndexOfSkipQuote(L"=", 0));
    EXPECT_EQ(-1, C_WString(L"a\"=").IndexOfSkipQuote(L"=", 0));
    EXPECT_EQ(-1, C_WString(L"a=").IndexOfSkipQuote(L"=", -1));
    EXPECT_EQ(1, C_WString(L"a=").IndexOfSkipQuote(L"=", 0));
}

TEST(WString, SubStringBounds) {
    C_WString s(L"abcdef");
    EXPECT_STREQ(L"cde", s.SubString(2, 4).GetString());
    EXPECT_STREQ(L"cdef", s.SubString(2, 6).GetString());
    EXPECT_TRUE(s.SubString(4, 2).Empty());
    EXPECT_TRUE(s.SubString(-1, 2).Empty());
    EXPECT_TRUE(s.SubString(2, 7).Empty());
    EXPECT_TRUE(s.SubString(6).Empty());
    EXPECT_TRUE(s.SubString(-1).Empty());
    EXPECT_STREQ(L"ef", s.SubString(4).GetString());
    EXPECT_STREQ(L"a", s.SubString(0, 0).GetString());
    std::wstring big(100, L'k');
    EXPECT_EQ(60, C_WString(big.c_str()).SubString(40).Length());
}

TEST(WString, CaseTrimAndSqueeze) {
    EXPECT_STREQ(L"ABC\u00e9\u30b3Z", C_WString(L"abc\u00e9\u30b3Z").ToUpper().GetString());
    EXPECT_STREQ(L"abc\u00c9z", C_WString(L"ABC\u00c9z").ToLower().GetString());
    EXPECT_TRUE(C_WString(L" \t \r\n").Trim().Empty());
    EXPECT_STREQ(L"a b", C_WString(L" a b ").Trim().GetString());
    EXPECT_TRUE(C_WString(L"xxyx").TrimLastChars(L"xy", 1).Empty());
    EXPECT_STREQ(L"c", C_WString(L"ababc").TrimFirstChars(L"ab", 2).GetString());
    EXPECT_STREQ(L"ababc", C_WString(L"ababc").TrimChars(L"ab", 0).GetString());
    EXPECT_STREQ(L"ababc", C_WString(L"ababc").TrimFirstChars(L"", 1).GetString());
    EXPECT_STREQ(L"b", C_WString(L"--b--").TrimChars("-", 1).GetString());
    EXPECT_STREQ(L"b-", C_WString(L"--b-").TrimFirstChars("-", 1).GetString());
    // An odd length with two-unit tokens: the last candidate must not start before 0.
    EXPECT_STREQ(L"a", C_WString(L"aabab").TrimLastChars(L"ab", 2).GetString());
    EXPECT_STREQ(L"b", C_WString(L"b").TrimLastChars(L"ab", 2).GetString());
    EXPECT_STREQ(L"xab", C_WString(L"xab").TrimFirstChars(L"ab", 2).GetString());
    EXPECT_STREQ(L"ab", C_WString(L"aabbb").Squeeze(L"").GetString());
    EXPECT_STREQ(L"aab", C_WString(L"aabbb").Squeeze(L"b").GetString());
    EXPECT_STREQ(L"a/b", C_WString(L"a///b").Squeeze("/").GetString());
    EXPECT_TRUE(C_WString().Squeeze(L"").Empty());
}

TEST(WString, Replace) {
    EXPECT_STREQ(L"ba", C_WString(L"aaa").Replace(L"aa", L"b").GetString());
    EXPECT_STREQ(L"aaa", C_WString(L"aaa").Replace(C_WString(), L"b").GetString());
    EXPECT_STREQ(L"", C_WString(L"aaa").Replace(L"a", C_WString()).GetString());
    C_WString cut = C_WString(L"ab/cd").Replace(L'/', L'\0');
    EXPECT_EQ(2, cut.Length());
    EXPECT_STREQ(L"ab", cut.GetString());
    EXPECT_STREQ(L"xbx", C_WString(L"aba").Replace(L'a', L'x').GetString());
    EXPECT_STREQ(L"x\\y\\z", C_WString(L"x/y/z").Replace(L'/', L'\\').GetString());
    EXPECT_STREQ(L"a--b--", C_WString(L"a-b-").Replace("-", "--").GetString());
    std::wstring big(200, L'a');
    C_WString r = C_WString(big.c_str()).Replace(L"a", L"bc");
    EXPECT_EQ(400, r.Length());
    EXPECT_EQ(L'c', r.CharAt(399));
}

TEST(WString, Enclose) {
    C_WString s(L"f(x) + 1");
    int next = 99;
    EXPECT_STREQ(L"x", s.Enclose(L"(", L")", 0, &next, 0).GetString());
    EXPECT_EQ(4, next);
    EXPECT_STREQ(L"(x)", s.Enclose(L"(", L")", 0, &next, 1).GetString());
    EXPECT_STREQ(L"[]", s.Enclose(L"[", L"]", 0, &next, 1).GetString());
    EXPECT_EQ(-1, next);
    EXPECT_TRUE(s.Enclose(L"[", L"]", 0, nullptr, 0).Empty());
    C_WString open(L"a<bc");
    EXPECT_STREQ(L"<bc>", open.Enclose("<", ">", 0, &next, 1).GetString());
    EXPECT_EQ(-1, next);
    EXPECT_STREQ(L"bc", open.Enclose("<", ">", 0, &next, 0).GetString());
    EXPECT_TRUE(C_WString(L"()").Enclose(L"(", L")", 0, &next, 0).Empty());
    EXPECT_EQ(2, next);
}

TEST(WString, EncloseInt64) {
    int next = 0;
    int digits = 0;
    EXPECT_EQ(-12, C_WString(L"ab -12cd").EncloseInt64(0, &next, 0, &digits));
    EXPECT_EQ(6, next);
    EXPECT_EQ(2, digits);
    EXPECT_EQ(5, C_WString(L"a-b5").EncloseInt64(0, &next, 0, &digits));
    EXPECT_EQ(-1, C_WString(L"xyz").EncloseInt64(0, &next, 0, &digits));
    EXPECT_EQ(-1, next);
    EXPECT_EQ(0, digits);
    EXPECT_EQ(-1, C_WString(L"12").EncloseInt64(2, &next, 0, &digits));
    EXPECT_EQ(-1, C_WString(L"12").EncloseInt64(-1, &next, 0, &digits));
    EXPECT_EQ(7, C_WString(L"\"12\" 7").EncloseInt64(0, &next, 2, &digits));
    EXPECT_EQ(12, C_WString(L"\"12\" 7").EncloseInt64(0, &next, 0, &digits));
    EXPECT_EQ(3, C_WString(L"'1\\'2' 3").EncloseInt64(0, &next, 1, &digits));
    EXPECT_EQ(9, C_WString(L"<a x=\"1>2\"> 9").EncloseInt64(0, &next, 4, &digits));
    EXPECT_EQ(9223372036854775807LL,
              C_WString(L"9223372036854775807").EncloseInt64(0, nullptr, 0, nullptr));
    EXPECT_EQ(-5, C_WString(L"+-5").EncloseInt(0, nullptr, 0, nullptr));
    // A backslash ending a quoted run must not step over the end of the text.
    EXPECT_EQ(-1, C_WString(L"\"\\").EncloseInt64(0, &next, 2, &digits));
    // Digits left behind the terminator by a shorter assignment must stay unseen.
    C_WString trap(L"'\\99");
    trap = L"'\\";
    EXPECT_EQ(-1, trap.EncloseInt64(0, &next, 1, &digits));
    EXPECT_EQ(0, digits);
}

TEST(WString, FormattingLimits) {
    EXPECT_STREQ(L"7-x", C_WString::Stringf(L"%d-%ls", 7, L"x").GetString());
    EXPECT_TRUE(C_WString::Stringf(nullptr).Empty());
    std::wstring big(1500, L'w');
    C_WString cut = C_WString::Stringf(L"%ls", big.c_str());
    EXPECT_EQ(1023, cut.Length());
    wchar_t buf[5];
    EXPECT_STREQ(L"abcd", C_WString::StringfEx(buf, 5, L"abcdefg").GetString());
    EXPECT_STREQ(L"abcd", buf);
    EXPECT_TRUE(C_WString::StringfEx(static_cast<wchar_t*>(nullptr), 5, L"x").Empty());
    buf[0] = L'k';
    EXPECT_TRUE(C_WString::StringfEx(buf, 0, L"x").Empty());
    EXPECT_EQ(L'k', buf[0]);
    EXPECT_TRUE(C_WString::StringfEx(buf, 1, L"x").Empty());
    ktora::C_Memory block(8);
    EXPECT_STREQ(L"123", C_WString::StringfEx(&block, L"%d", 12345).GetString());
    EXPECT_TRUE(C_WString::StringfEx(static_cast<ktora::C_Memory*>(nullptr), L"x").Empty());
}

TEST(WString, ByteStringRoundTrip) {
    C_String bytes = C_WString(L"AB").ToByteString();
    EXPECT_EQ(4, bytes.Length());
    EXPECT_EQ('A', bytes.CharAt(0));
    EXPECT_EQ(0, bytes.CharAt(1));
    EXPECT_EQ(0, bytes.GetString()[4]);
    EXPECT_EQ(0, bytes.GetString()[5]);
    EXPECT_STREQ(kCopy, C_WString(kCopy).ToByteString().ToByteWString().GetString());
    EXPECT_TRUE(C_WString().ToByteString().Empty());
}
