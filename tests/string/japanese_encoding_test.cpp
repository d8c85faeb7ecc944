// Japanese encodings: names, byte classes, pair arithmetic, the JIS/EUC walkers checked
// over every JIS X 0208 character against an independent table, and the UTF functions.
#include <gtest/gtest.h>

#include "ktora/string/C_String.h"
#include "ktora/string/C_WString.h"
#include "ktora/string/CharCode.h"
#include "ktora/system/System.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <sys/stat.h>
#include <windows.h>

using ktora::C_String;
using ktora::C_WString;
using ktora::CharCode;
using ktora::common::System;

namespace {

struct JisRow {
    unsigned jis, sjis, euc, wide;
};

const JisRow kJisX0208[] = {
#include "data/jisx0208_table.inc"
};

C_String bytes(const std::string& s) {
    C_String out;
    if (!s.empty())
        out.SetBytes(s.data(), 0, static_cast<int>(s.size()), static_cast<int>(s.size()));
    return out;
}

std::string str(const C_String& s) {
    return std::string(s.GetString(), static_cast<size_t>(s.Length()));
}

std::string pair(unsigned code) {
    return std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

} // namespace

TEST(CharCode, NamesAndNumbers) {
    EXPECT_EQ(5, CharCode::getCharType("utf8"));
    EXPECT_EQ(0, CharCode::getCharType("Shift_JIS"));
    EXPECT_EQ(0, CharCode::getCharType("shift-jis"));
    EXPECT_EQ(1, CharCode::getCharType("cp932"));
    EXPECT_EQ(12, CharCode::getCharType("iso-2022-jp"));
    EXPECT_EQ(-1, CharCode::getCharType("latin1"));
    EXPECT_EQ(-1, CharCode::getCharType(""));
    EXPECT_EQ(-1, CharCode::getCharType("UTF-8 "));
    EXPECT_STREQ("SJIS", CharCode::getCharTypeString(CharCode::CHAR_SJIS));
    EXPECT_STREQ("UTF-7", CharCode::getCharTypeString(CharCode::CHAR_UTF7));
    EXPECT_STREQ("UTF-8", CharCode::getCharTypeString(CharCode::CHAR_UTF8));
    EXPECT_STREQ("UTF-16", CharCode::getCharTypeString(CharCode::CHAR_UTF16));
    EXPECT_STREQ("ISO-2022-JP", CharCode::getCharTypeString(CharCode::CHAR_ISO2022JP));
    EXPECT_EQ(nullptr, CharCode::getCharTypeString(static_cast<CharCode::CHAR_TYPE>(13)));
    // Every name leads back to its own number.
    for (int t = 0; t <= 12; ++t)
        EXPECT_EQ(t, CharCode::getCharType(
                         CharCode::getCharTypeString(static_cast<CharCode::CHAR_TYPE>(t))));
}

TEST(JapaneseEncoding, ByteClassesAndCharacterLengths) {
    int lead = 0, trail = 0, kana = 0, euc = 0, jis = 0;
    for (int b = 0; b < 256; ++b) {
        unsigned char c = static_cast<unsigned char>(b);
        lead += System::is_sjis_kanji(c);
        trail += System::is_sjis_kanji2(c);
        kana += System::is_sjis_kana(c);
        euc += System::is_euc_kanji(c);
        jis += System::is_jis_kanji(c);
        EXPECT_EQ(System::is_sjis_kanji(c) ? 2 : 1, System::sjis_char_bytes_count(b));
    }
    EXPECT_EQ(31 + 29, lead);
    EXPECT_EQ(63 + 125, trail);
    EXPECT_EQ(63, kana);
    EXPECT_EQ(94, euc);
    EXPECT_EQ(94, jis);
    EXPECT_TRUE(System::is_euc_kana(0x8E));
    EXPECT_FALSE(System::is_sjis_kanji(0x80));
    EXPECT_FALSE(System::is_sjis_kanji2(0x7F));
    EXPECT_EQ(1, System::utf8_char_bytes_count(0x41));
    EXPECT_EQ(2, System::utf8_char_bytes_count(0xC3));
    EXPECT_EQ(3, System::utf8_char_bytes_count(0xE3));
    EXPECT_EQ(4, System::utf8_char_bytes_count(0xF0));
    EXPECT_EQ(1, System::utf8_char_bytes_count(0x80));
    EXPECT_EQ(8, System::utf8_char_bytes_count(0xFF));
}

TEST(JapaneseEncoding, PairArithmetic) {
    EXPECT_EQ(0x82A0, System::jis_to_sjis_char(0x24, 0x22));
    EXPECT_EQ(0x2422, System::sjis_to_jis_char(0x82, 0xA0));
    EXPECT_EQ(0x889F, System::jis_to_sjis_char(0x30, 0x21));
    for (const JisRow& r : kJisX0208) {
        ASSERT_EQ(r.sjis, static_cast<unsigned>(System::jis_to_sjis_char(r.jis >> 8, r.jis & 0xFF)))
            << std::hex << r.jis;
        ASSERT_EQ(r.jis,
                  static_cast<unsigned>(System::sjis_to_jis_char(r.sjis >> 8, r.sjis & 0xFF)))
            << std::hex << r.sjis;
    }
}

TEST(JapaneseEncoding, EveryJisX0208CharacterRoundTripsThroughJisAndEuc) {
    std::string all;
    for (const JisRow& r : kJisX0208) {
        std::string sjis = pair(r.sjis);
        all += sjis;
        std::string jis = str(System::sjis_to_jis(bytes(sjis), 0));
        ASSERT_EQ("\x1B$B" + pair(r.jis) + "\x1B(J", jis) << std::hex << r.sjis;
        ASSERT_EQ(sjis, str(System::jis_to_sjis(bytes(jis)))) << std::hex << r.sjis;
        std::string euc = str(System::sjis_to_euc(bytes(sjis)));
        ASSERT_EQ(pair(r.euc), euc) << std::hex << r.sjis;
        ASSERT_EQ(sjis, str(System::euc_to_sjis(bytes(euc)))) << std::hex << r.sjis;
    }
    // All of them in one text: one escape in, one out.
    std::string jis = str(System::sjis_to_jis(bytes(all), 0));
    EXPECT_EQ(all.size() + 6, jis.size());
    EXPECT_EQ(all, str(System::jis_to_sjis(bytes(jis))));
    EXPECT_EQ(all, str(System::euc_to_sjis(System::sjis_to_euc(bytes(all)))));
}

TEST(JapaneseEncoding, EveryJisX0208CharacterMatchesCodePage932) {
    std::string all;
    std::wstring wide;
    for (const JisRow& r : kJisX0208) {
        all += pair(r.sjis);
        wide += static_cast<wchar_t>(r.wide);
    }
    C_WString utf16 = System::sjis_to_utf16(bytes(all));
    ASSERT_EQ(static_cast<int>(wide.size()), utf16.Length());
    EXPECT_EQ(wide, std::wstring(utf16.GetString()));
    EXPECT_EQ(all, str(System::utf16_to_sjis(utf16)));
    C_String utf8 = System::sjis_to_utf8(bytes(all));
    EXPECT_EQ(wide, std::wstring(System::utf8_to_utf16(utf8).GetString()));
    int usedDefault = -1;
    EXPECT_EQ(all, str(System::utf8_to_sjis(utf8, &usedDefault)));
    EXPECT_EQ(0, usedDefault);
}

TEST(JapaneseEncoding, IbmExtensionsComeBackAsTheSameCharacterOfCodePage932) {
    int count = 0;
    for (unsigned code = 0xFA40; code <= 0xFC4B; ++code) {
        std::string ibm = pair(code);
        wchar_t wide[2] = {0, 0};
        if ((code & 0xFF) < 0x40 || (code & 0xFF) > 0xFC || (code & 0xFF) == 0x7F ||
            MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, ibm.data(), 2, wide, 2) != 1)
            continue;
        ++count;
        std::string fromEuc = str(System::euc_to_sjis(System::sjis_to_euc(bytes(ibm))));
        std::string fromJis = str(System::jis_to_sjis(System::sjis_to_jis(bytes(ibm), 0)));
        ASSERT_EQ(fromEuc, fromJis) << std::hex << code;
        ASSERT_EQ(2u, fromEuc.size()) << std::hex << code;
        ASSERT_LT(static_cast<unsigned char>(fromEuc[0]), 0xF0) << std::hex << code;
        wchar_t back[2] = {0, 0};
        ASSERT_EQ(1, MultiByteToWideChar(932, 0, fromEuc.data(), 2, back, 2)) << std::hex << code;
        ASSERT_EQ(wide[0], back[0]) << std::hex << code;
    }
    EXPECT_EQ(388, count);
}

TEST(JapaneseEncoding, JisEscapesAndLineEnds) {
    const std::string a = "\x82\xA0", i = "\x82\xA2"; // two hiragana
    EXPECT_EQ("\x1B$B\x24\x22\x24\x24\x1B(Jx", str(System::sjis_to_jis(bytes(a + i + "x"), 0)));
    EXPECT_EQ("a\nb", str(System::sjis_to_jis(bytes("a\r\nb"), 0)));
    EXPECT_EQ("a\r\nb", str(System::sjis_to_jis(bytes("a\r\nb"), 1)));
    EXPECT_EQ("a\r\nb", str(System::jis_to_sjis(bytes("a\nb"))));
    EXPECT_EQ("\r\na\r\n", str(System::jis_to_sjis(bytes("\na\r\n"))));
    EXPECT_EQ(a + "b", str(System::jis_to_sjis(bytes("\x1B$@\x24\x22\x1B(Bb"))));
    // Half-width katakana stay 8-bit in JIS and travel as 0x8E pairs in EUC.
    EXPECT_EQ("\xB1\xDE", str(System::sjis_to_jis(bytes("\xB1\xDE"), 0)));
    EXPECT_EQ("\x8E\xB1\x8E\xDE", str(System::sjis_to_euc(bytes("\xB1\xDE"))));
    EXPECT_EQ("\xB1\xDE", str(System::euc_to_sjis(bytes("\x8E\xB1\x8E\xDE"))));
    EXPECT_EQ("", str(System::sjis_to_jis(C_String(), 0)));
    EXPECT_EQ("", str(System::euc_to_sjis(C_String())));
}

TEST(JapaneseEncoding, TruncatedSequencesAreCopiedAsPlainBytes) {
    // A lead byte at the very end has no pair to form: it stays what it is.
    EXPECT_EQ("a\xA4", str(System::euc_to_sjis(bytes("a\xA4"))));
    EXPECT_EQ("a\x8E", str(System::euc_to_sjis(bytes("a\x8E"))));
    // A single shift with no character after it is dropped: the next byte stands alone.
    EXPECT_EQ("\n", str(System::euc_to_sjis(bytes("\x8E\n"))));
    EXPECT_EQ("A", str(System::euc_to_sjis(bytes("\x8E"
                                                 "A"))));
    EXPECT_EQ("A\x82\xA0", str(System::euc_to_sjis(bytes("\x8F"
                                                         "A\xA4\xA2"))));
    // JIS X 0212 (0x8F and two bytes) is one character without a Shift_JIS form.
    EXPECT_EQ("?A", str(System::euc_to_sjis(bytes("\x8F\xB0\xA1"
                                                  "A"))));
    EXPECT_EQ("\x1B$B\x24\x22\x1B(J\x82", str(System::sjis_to_jis(bytes("\x82\xA0\x82"), 0)));
    EXPECT_EQ("\x82\n", str(System::sjis_to_euc(bytes("\x82\n"))));
    // The user-defined area has no EUC-JP or JIS form; an IBM extension goes through its
    // NEC-selected twin (0xFBFC as 0xEEE0, 0xFAB1 as 0xED95).
    EXPECT_EQ("?a", str(System::sjis_to_euc(bytes("\xF0\x40"
                                                  "a"))));
    EXPECT_EQ("?a", str(System::sjis_to_jis(bytes("\xF9\xFC"
                                                  "a"),
                                            0)));
    EXPECT_EQ("\xFC\xE2\xF9\xF5", str(System::sjis_to_euc(bytes("\xFB\xFC\xFA\xB1"))));
    EXPECT_EQ("\x1B$B\x7C\x62\x1B(J?", str(System::sjis_to_jis(bytes("\xFB\xFC\xFC\x4C"), 0)));
    EXPECT_EQ("\x82\xA0\x24", str(System::jis_to_sjis(bytes("\x1B$B\x24\x22\x24"))));
    EXPECT_EQ("\x1B$", str(System::jis_to_sjis(bytes("\x1B$"))));
}

TEST(JapaneseEncoding, Utf8Conversions) {
    const wchar_t text[] = L"A\u00e9\u3042\U0001F600";
    C_String utf8 = System::utf16_to_utf8(C_WString(text));
    EXPECT_EQ("A\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80", str(utf8));
    EXPECT_STREQ(text, System::utf8_to_utf16(utf8).GetString());
    EXPECT_STREQ(text, System::utf8_to_auto(utf8, nullptr).GetString());
    EXPECT_STREQ(L"A\u00e9", System::_utf8_to_utf16(utf8.GetString(), 3).GetString());
    EXPECT_EQ("A\xC3\xA9", str(System::_utf16_to_utf8(text, 2)));
    EXPECT_EQ(0, System::_utf8_to_utf16("abc", 0).Length());
    EXPECT_EQ(0, System::_utf16_to_utf8(L"abc", 0).Length());
    EXPECT_EQ(0, System::utf8_to_utf16(C_String()).Length());
    // Every unit of a long all-ASCII text fits, terminator included.
    std::string ascii(1000, 'x');
    EXPECT_EQ(1000, System::utf8_to_utf16(bytes(ascii)).Length());
    // Code page 932 has no e-acute.
    int usedDefault = 0;
    System::utf8_to_sjis(utf8, &usedDefault);
    EXPECT_NE(0, usedDefault);
    EXPECT_EQ("\x82\xA0", str(System::utf8_to_sjis(bytes("\xE3\x81\x82"), nullptr)));
}

TEST(JapaneseEncoding, CodePageCountingForm) {
    C_WString out(L"unchanged");
    EXPECT_EQ(0, System::sjis_to_utf16(reinterpret_cast<const unsigned char*>("ab"), 0, &out));
    EXPECT_STREQ(L"unchanged", out.GetString());
    EXPECT_EQ(2,
              System::sjis_to_utf16(reinterpret_cast<const unsigned char*>("\x82\xA0z"), 3, &out));
    EXPECT_STREQ(L"\u3042z", out.GetString());
    // Zero bytes inside the run are converted and counted like any other byte.
    EXPECT_EQ(3, System::sjis_to_utf16(reinterpret_cast<const unsigned char*>("a\0b"), 3, &out));
    EXPECT_EQ(3, out.Length());
    EXPECT_EQ(3, System::utf8_to_utf16(bytes(std::string("a\0b", 3))).Length());
}

TEST(JapaneseEncoding, WriteAndReadThroughFileDescriptors) {
    wchar_t dir[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, dir), 0u);
    std::wstring path = std::wstring(dir) + L"ktora_sjis_io.txt";
    std::wstring text = L"\u3042\u3044x";
    for (int round = 0; round < 2; ++round) {
        // The second round is longer than the stack buffers, so the heap path runs too.
        if (round == 1)
            text = std::wstring(300, L'\u3046') + L"end";
        int fd =
            _wopen(path.c_str(), _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
        ASSERT_GE(fd, 0);
        int written = System::write_sjis(fd, text.c_str(), static_cast<unsigned>(text.size()));
        _close(fd);
        int expected = static_cast<int>(round == 0 ? 5 : 603);
        EXPECT_EQ(expected, written);
        fd = _wopen(path.c_str(), _O_RDONLY | _O_BINARY);
        ASSERT_GE(fd, 0);
        std::wstring back(1000, L'#');
        unsigned int size = 1000;
        EXPECT_EQ(expected, System::read_sjis(fd, &back[0], size));
        EXPECT_EQ(text, back.substr(0, text.size()));
        EXPECT_EQ(0, System::read_sjis(fd, &back[0], size)); // end of file
        _close(fd);
    }
    EXPECT_EQ(0, _wremove(path.c_str()));
}

TEST(JapaneseEncoding, ALeadByteNeverSwallowsALineEndOrAnEscape) {
    // A lead byte followed by a byte that cannot be its trail is a byte of its own.
    EXPECT_EQ("\x82\r\nx", str(System::sjis_to_euc(bytes("\x82\r\nx"))));
    EXPECT_EQ("\x82\nx", str(System::sjis_to_jis(bytes("\x82\r\nx"), 0)));
    EXPECT_EQ("\xA4\n", str(System::euc_to_sjis(bytes("\xA4\n"))));
    // In kanji mode a byte pairs only with a JIS byte: the escape after a cut pair works.
    EXPECT_EQ("\x82\xA0\x24x", str(System::jis_to_sjis(bytes("\x1B$B\x24\x22\x24\x1B(Bx"))));
}
