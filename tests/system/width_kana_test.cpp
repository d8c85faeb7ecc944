// Width, kana and case conversion, narrow (Shift_JIS) and wide, checked over the whole
// half-width katakana block against a table made from Unicode normalisation.
#include <gtest/gtest.h>

#include "ktora/string/C_String.h"
#include "ktora/string/C_WString.h"
#include "ktora/system/System.h"
#include "system/text_view.h"

#include <string>
#include <thread>
#include <vector>

using ktora::C_String;
using ktora::C_WString;
using ktora::common::System;
using systest::str;
using systest::wstr;

namespace {

struct KanaRow {
    const wchar_t* half;
    const wchar_t* kata;
    const wchar_t* hira;
};

const KanaRow kKana[] = {
#include "data/halfwidth_kana.inc"
};

// Shift_JIS through the ANSI code page, and back.
C_String sjis(const std::wstring& w) {
    return System::utf16_to_sjis(C_WString(w.c_str()));
}

std::wstring wide(const C_String& s) {
    return wstr(System::sjis_to_utf16(s));
}

} // namespace

TEST(WidthKana, WholeHalfWidthBlockBothWays) {
    for (const KanaRow& r : kKana) {
        std::wstring half = r.half, kata = r.kata, hira = r.hira;
        SCOPED_TRACE(testing::Message() << std::hex << static_cast<int>(half[0]));
        EXPECT_EQ(kata, wstr(System::mb_htoz_kanakana_w(C_WString(r.half), 1)));
        EXPECT_EQ(hira, wstr(System::mb_htoz_kanahira_w(C_WString(r.half), 1)));
        EXPECT_EQ(half, wstr(System::mb_ztoh_kanakana_w(C_WString(r.kata))));
        EXPECT_EQ(half, wstr(System::mb_ztoh_hirakana_w(C_WString(r.hira))));
        EXPECT_EQ(hira, wstr(System::mb_ztoz_kanahira_w(C_WString(r.kata))));
        EXPECT_EQ(kata, wstr(System::mb_ztoz_hirakana_w(C_WString(r.hira))));
        // The same in Shift_JIS.
        EXPECT_EQ(kata, wide(System::mb_htoz_kanakana_a(sjis(half), 1)));
        EXPECT_EQ(hira, wide(System::mb_htoz_kanahira_a(sjis(half), 1)));
        EXPECT_EQ(half, wide(System::mb_ztoh_kanakana_a(sjis(kata))));
        EXPECT_EQ(half, wide(System::mb_ztoh_hirakana_a(sjis(hira))));
        EXPECT_EQ(hira, wide(System::mb_ztoz_kanahira_a(sjis(kata))));
        EXPECT_EQ(kata, wide(System::mb_ztoz_hirakana_a(sjis(hira))));
        if (half.size() == 2) {
            // Without joining the mark becomes a full-width mark of its own.
            std::wstring letter =
                wstr(System::mb_htoz_kanakana_w(C_WString(half.substr(0, 1).c_str()), 1));
            std::wstring mark = half[1] == 0xFF9E ? L"\u309B" : L"\u309C";
            EXPECT_EQ(letter + mark, wstr(System::mb_htoz_kanakana_w(C_WString(r.half), 0)));
            EXPECT_EQ(letter + mark, wide(System::mb_htoz_kanakana_a(sjis(half), 0)));
        }
    }
}

TEST(WidthKana, VoicedMarkRules) {
    auto k = [](const wchar_t* s, int join) {
        return wstr(System::mb_htoz_kanakana_w(C_WString(s), join));
    };
    EXPECT_EQ(L"\u30AC", k(L"\uFF76\uFF9E", 1));       // ｶﾞ -> ガ
    EXPECT_EQ(L"\u30AB\u309B", k(L"\uFF76\uFF9E", 0)); // -> カ゛
    EXPECT_EQ(L"\u30D1", k(L"\uFF8A\uFF9F", 1));       // ﾊﾟ -> パ
    EXPECT_EQ(L"\u30AB\u309C", k(L"\uFF76\uFF9F", 1)); // ｶﾟ has no row: カ゜
    EXPECT_EQ(L"\u30A6\u309B", k(L"\uFF73\uFF9E", 1)); // ｳﾞ has no row: ウ゛
    EXPECT_EQ(L"\u309B\u309C", k(L"\uFF9E\uFF9F", 1)); // marks alone
    EXPECT_EQ(L"\u30EF", k(L"\uFF9C", 1));             // ﾜ is the big letter
    EXPECT_EQ(L"\u30FC", k(L"\uFF70", 1));
    EXPECT_EQ(L"\uFF76\uFF9E", wstr(System::mb_ztoh_kanakana_w(C_WString(L"\u30AC"))));
    EXPECT_EQ(L"\u30F5", wstr(System::mb_ztoh_kanakana_w(C_WString(L"\u30F5")))); // ヵ stays
    EXPECT_EQ(L"\uFF9C", wstr(System::mb_ztoh_kanakana_w(C_WString(L"\u30EE")))); // ヮ -> ﾜ
    EXPECT_EQ(L"\uFF9C", wstr(System::mb_ztoh_hirakana_w(C_WString(L"\u308E")))); // ゎ -> ﾜ
    EXPECT_EQ(L"\uFF70", wstr(System::mb_ztoh_hirakana_w(C_WString(L"\u30FC")))); // ー -> ｰ
    EXPECT_EQ(L"\uFF9E\uFF9F", wstr(System::mb_ztoh_kanakana_w(C_WString(L"\u309B\u309C"))));
    // Default options: half-width katakana to full width, marks joined.
    EXPECT_EQ("\x83\x4B\x83\x70x", str(System::mb_convert_kana(C_String("\xB6\xDE\xCA\xDFx"))));
}

TEST(WidthKana, FullWidthAsciiBothWays) {
    // U+FF01..U+FF5E mirror '!'..'~'. The symbols the table leaves out ('"', '`', '~') and
    // the two it maps elsewhere (apostrophe, backslash) keep their width.
    const std::wstring kept = L"\"'\\`~";
    for (wchar_t c = L'!'; c <= L'~'; ++c) {
        std::wstring half(1, c), full(1, static_cast<wchar_t>(c - L'!' + 0xFF01));
        bool stays = kept.find(c) != std::wstring::npos;
        SCOPED_TRACE(testing::Message() << static_cast<char>(c));
        EXPECT_EQ(stays ? half : full,
                  wstr(System::mb_htoz_alnumsymbol_w(C_WString(half.c_str()))));
        EXPECT_EQ(stays ? full : half,
                  wstr(System::mb_ztoh_alnumsymbol_w(C_WString(full.c_str()))));
        EXPECT_EQ(stays ? half : full, wide(System::mb_htoz_alnumsymbol_a(sjis(half))));
        EXPECT_EQ(stays ? full : half, wide(System::mb_ztoh_alnumsymbol_a(sjis(full))));
    }
    // Options a and s give ASCII; A and S the reverse, except " ' \ ~ which stay.
    const char full[] = "\x82\x60\x82\x50\x81\x49\x81\x40\x81\x95";
    EXPECT_EQ("A1! &", str(System::mb_convert_kana(full, "as", nullptr)));
    EXPECT_EQ(full, str(System::mb_convert_kana("A1! &", "AS", nullptr)));
    EXPECT_EQ("\"'\\~", str(System::mb_convert_kana("\"'\\~", "AS", nullptr)));
    // The apostrophe and backslash have their own full-width forms in the table.
    EXPECT_EQ("\x81\x66", str(System::mb_convert_kana("\x81\x66", "a", nullptr)));
    EXPECT_EQ("\\", str(System::mb_convert_kana("\x81\x8F", "a", nullptr)));
}

TEST(WidthKana, LettersDigitsAndSpacesSelectively) {
    EXPECT_EQ(L"\uFF21\uFF41"
              L"0 ",
              wstr(System::mb_htoz_alpha_w(C_WString(L"Aa0 "))));
    EXPECT_EQ(L"Aa\uFF10 ", wstr(System::mb_htoz_number_w(C_WString(L"Aa0 "))));
    EXPECT_EQ(L"Aa0\u3000", wstr(System::mb_htoz_space_w(C_WString(L"Aa0 "))));
    EXPECT_EQ(L"Az\uFF10", wstr(System::mb_ztoh_alpha_w(C_WString(L"\uFF21\uFF5A\uFF10"))));
    EXPECT_EQ(L"\uFF21\uFF5A0", wstr(System::mb_ztoh_number_w(C_WString(L"\uFF21\uFF5A\uFF10"))));
    EXPECT_EQ(L"a b", wstr(System::mb_ztoh_space_w(C_WString(L"a\u3000b"))));
    EXPECT_EQ("\x82\x60\x82\x81\x82\x4F\x81\x40",
              str(System::mb_convert_kana("Aa0 ", "RNS", nullptr)));
    EXPECT_EQ("Aa0 ",
              str(System::mb_convert_kana("\x82\x60\x82\x81\x82\x4F\x81\x40", "rns", nullptr)));
    EXPECT_EQ("Aa0 ", str(System::mb_ztoh_space_a(System::mb_ztoh_alpha_a(
                          System::mb_ztoh_number_a("\x82\x60\x82\x81\x82\x4F\x81\x40")))));
    EXPECT_EQ(
        "\x82\x60\x82\x81\x82\x4F\x81\x40",
        str(System::mb_htoz_space_a(System::mb_htoz_alpha_a(System::mb_htoz_number_a("Aa0 ")))));
    // Options run in order: katakana to hiragana needs the full-width form first.
    EXPECT_EQ("\x82\xA0", str(System::mb_convert_kana("\xB1", "Kc", nullptr)));
    EXPECT_EQ("\xB1", str(System::mb_convert_kana("\x82\xA0", "h", "SJIS")));
    EXPECT_EQ("\x83\x41", str(System::mb_convert_kana("\x82\xA0", "C", "SJIS")));
    EXPECT_EQ("\x82\xA0", str(System::mb_convert_kana("\xB1", "H", "SJIS")));
    EXPECT_EQ("\xB1", str(System::mb_convert_kana("\x83\x41", "k", "SJIS")));
    EXPECT_EQ("", str(System::mb_convert_kana("abc", "A", "latin1")));
    EXPECT_EQ("", str(System::mb_convert_kana(C_String(), "A", nullptr)));
}

TEST(WidthKana, OtherCharacterSets) {
    // EUC-JP in, EUC-JP out.
    C_String euc = System::sjis_to_euc("\xB6\xDE");
    EXPECT_EQ(str(System::sjis_to_euc("\x83\x4B")), str(System::mb_convert_kana(euc, "KV", "EUC")));
    // JIS X 0212 has no Shift_JIS form: one substitute, and the letter after it stays.
    EXPECT_EQ("?A", str(System::mb_convert_kana("\x8F\xB0\xA1"
                                                "A",
                                                "KV", "EUC")));
    C_String jis = System::mb_convert_kana("\xB1 a", "KVA", "JIS");
    EXPECT_EQ("\x1B$B%\x22\x1B(J \x1B$B#a\x1B(J", str(jis));
    C_String utf8 = System::mb_convert_kana("\xEF\xBD\xB6\xEF\xBE\x9E", "KV", "UTF-8");
    EXPECT_EQ("\xE3\x82\xAC", str(utf8));
    C_String utf16 = C_WString(L"\uFF76\uFF9E").ToByteString();
    EXPECT_STREQ(L"\u30AC",
                 System::mb_convert_kana(utf16, "KV", "UTF-16").ToByteWString().GetString());
}

TEST(WidthKana, CaseConversion) {
    EXPECT_EQ("ABC\x82\xA0", str(System::mb_convert_upper_a("abC\x82\xA0")));
    EXPECT_EQ("abc", str(System::mb_convert_lower_a("AbC")));
    EXPECT_EQ(L"AB\u3042", wstr(System::mb_convert_upper_w(C_WString(L"ab\u3042"))));
    EXPECT_EQ(L"ab", wstr(System::mb_convert_lower_w(C_WString(L"AB"))));
    EXPECT_EQ("HELLO", str(System::mb_convert_case("hello", 0, nullptr)));
    EXPECT_EQ("hello", str(System::mb_convert_case("HeLLo", 1, nullptr)));
    EXPECT_EQ("Hello World", str(System::mb_convert_case("hello wORLD", 2, nullptr)));
    EXPECT_EQ("It'S 2Nd-Rate", str(System::mb_convert_case("it's 2nd-rate", 7, nullptr)));
    // A double-byte character also ends a word; its trail byte is no letter.
    EXPECT_EQ("A\x83\x61X", str(System::mb_convert_case("a\x83\x61x", 2, "SJIS")));
    C_String euc = System::sjis_to_euc("ab\x82\xA0");
    EXPECT_EQ(str(System::sjis_to_euc("AB\x82\xA0")), str(System::mb_convert_case(euc, 0, "EUC")));
    EXPECT_EQ("", str(System::mb_convert_case("abc", 0, "UTF-32")));
}

TEST(WidthKana, FirstUseFromManyThreadsBuildsTheTablesOnce) {
    // Every thread's first call must see complete tables.
    std::vector<std::thread> threads;
    std::vector<int> ok(8, 0);
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([t, &ok] {
            C_WString r = System::mb_htoz_kanakana_w(C_WString(L"\uFF76\uFF9E"), 1);
            ok[static_cast<size_t>(t)] = r.Length() == 1 && r.GetString()[0] == 0x30AC;
        });
    for (std::thread& th : threads)
        th.join();
    for (int v : ok)
        EXPECT_EQ(1, v);
}
