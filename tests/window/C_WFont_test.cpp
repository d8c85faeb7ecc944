// Fonts under Wine: "MS UI Gothic" is served by IPAGothic (fixed pitch, full-width characters
// twice as wide as half-width ones).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ktora/string/C_String.h"
#include "ktora/string/C_WString.h"
#include "ktora/window/C_Font.h"
#include "ktora/window/C_WFont.h"
#include "ktora/window/DivideString.h"

using ktora::C_Font;
using ktora::C_String;
using ktora::C_WFont;
using ktora::C_WString;

namespace {

wchar_t const kGothic[] = L"MS UI Gothic";
char const kGothicA[] = "MS UI Gothic";
// "あいうえおかきくけこ" in Shift_JIS
char const kKanaA[] = "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8\x82\xA9\x82\xAB\x82\xAD\x82\xAF"
                      "\x82\xB1";

LOGFONTW DescribeW(HFONT font) {
    LOGFONTW lf = {};
    GetObjectW(font, sizeof lf, &lf);
    return lf;
}

LOGFONTA DescribeA(HFONT font) {
    LOGFONTA lf = {};
    GetObjectA(font, sizeof lf, &lf);
    return lf;
}

} // namespace

TEST(C_WFont, MakeFontAsksForAPlainShiftJisFontAndKeepsWhatTheSystemMade) {
    C_WFont font;
    EXPECT_EQ(nullptr, font.GetObjectW());
    EXPECT_STREQ(L"", font.GetFontFace());
    EXPECT_EQ(0, font.GetFontHeight());

    ASSERT_EQ(1, font.MakeFont(kGothic, 12));
    ASSERT_NE(nullptr, font.GetObjectW());
    EXPECT_EQ(12, font.GetFontHeight());
    EXPECT_EQ(font.GetFontHeight(), font.GetFontAscent() + font.GetFontDescent());
    EXPECT_EQ(400, font.GetFontWeight());
    EXPECT_EQ(0, font.IsItaric());
    EXPECT_EQ(0, font.IsUnderlined());
    EXPECT_EQ(0, font.IsDellined());
    LOGFONTW lf = DescribeW(font.GetObjectW());
    EXPECT_EQ(SHIFTJIS_CHARSET, lf.lfCharSet);
    EXPECT_EQ(PROOF_QUALITY, lf.lfQuality);
    EXPECT_EQ(FF_MODERN | FIXED_PITCH, lf.lfPitchAndFamily);
    EXPECT_STREQ(kGothic, lf.lfFaceName);
    // Wine has no such face: the name kept is the substitute's.
    EXPECT_STRNE(L"", font.GetFontFace());
    EXPECT_STRNE(kGothic, font.GetFontFace());

    ASSERT_EQ(1, font.MakeFontEx(kGothic, 20, 700, 1, 1, 1));
    EXPECT_NEAR(20, font.GetFontHeight(), 1); // synthetic bold and italic may add a pixel
    EXPECT_EQ(700, font.GetFontWeight());
    EXPECT_NE(0, font.IsItaric());
    EXPECT_NE(0, font.IsUnderlined());
    EXPECT_NE(0, font.IsDellined());
}

TEST(C_WFont, UnknownFaceGetsTheSubstituteNameAndBothClassesAgree) {
    C_WFont wide(L"NoSuchFace-Kasumido", 16);
    ASSERT_NE(nullptr, wide.GetObjectW());
    EXPECT_STRNE(L"", wide.GetFontFace());
    EXPECT_STRNE(L"NoSuchFace-Kasumido", wide.GetFontFace());

    C_WFont ipa(L"IPAGothic", 16);
    EXPECT_STREQ(L"IPAGothic", ipa.GetFontFace());

    C_WFont gothic(kGothic, 16);
    C_Font narrow(kGothicA, 16);
    ASSERT_NE(nullptr, narrow.GetObjectW());
    EXPECT_STREQ(C_WString(gothic.GetFontFace()).ToString().GetString(), narrow.GetFontFace());
    EXPECT_EQ(gothic.GetFontHeight(), narrow.GetFontHeight());
}

TEST(C_WFont, FaceNamesLongerThanTheRecordAreCut) {
    std::wstring longFace(40, L'F');
    C_WFont wide;
    ASSERT_EQ(1, wide.MakeFont(longFace.c_str(), 12));
    EXPECT_EQ(std::wstring(31, L'F'), DescribeW(wide.GetObjectW()).lfFaceName);

    // 2 + 15 double-byte characters = 32 bytes: the last character must go whole.
    std::string face = "AB";
    for (int i = 0; i < 15; ++i) {
        face += "\x82\xA0";
    }
    C_Font narrow;
    ASSERT_EQ(1, narrow.MakeFont(face.c_str(), 12));
    EXPECT_EQ(face.substr(0, 30), DescribeA(narrow.GetObjectW()).lfFaceName);
}

TEST(C_WFont, CopiesOfEmptyFontsStayEmptyAndCopiesOfFontsMatch) {
    C_WFont empty;
    C_WFont copy(empty);
    EXPECT_EQ(nullptr, copy.GetObjectW());
    EXPECT_STREQ(L"", copy.GetFontFace());

    C_WFont bold;
    ASSERT_EQ(1, bold.MakeFontEx(kGothic, 18, 700, 1, 0, 0));
    C_WFont same(bold);
    ASSERT_NE(nullptr, same.GetObjectW());
    EXPECT_NE(bold.GetObjectW(), same.GetObjectW());
    EXPECT_STREQ(bold.GetFontFace(), same.GetFontFace());
    EXPECT_EQ(18, same.GetFontHeight());
    EXPECT_EQ(700, same.GetFontWeight());
    EXPECT_NE(0, same.IsItaric());

    C_WFont assigned(kGothic, 12);
    assigned = bold;
    EXPECT_EQ(18, assigned.GetFontHeight());
    HFONT before = assigned.GetObjectW();
    C_WFont& alias = assigned;
    assigned = alias;
    EXPECT_EQ(before, assigned.GetObjectW());
    assigned = empty;
    EXPECT_EQ(nullptr, assigned.GetObjectW());
    EXPECT_EQ(0, assigned.GetFontHeight());
    EXPECT_STREQ(L"", assigned.GetFontFace());

    C_Font emptyA;
    C_Font copyA(emptyA);
    EXPECT_EQ(nullptr, copyA.GetObjectW());
    EXPECT_STREQ("", copyA.GetFontFace());
}

TEST(C_WFont, NarrowAssignmentKeepsTheSignOfTheHeight) {
    LOGFONTA lf = {};
    lf.lfHeight = -20;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpyA(lf.lfFaceName, kGothicA);
    C_Font source(lf);
    ASSERT_NE(nullptr, source.GetObjectW());
    C_Font copy;
    copy = source;
    ASSERT_NE(nullptr, copy.GetObjectW());
    EXPECT_EQ(-20, DescribeA(copy.GetObjectW()).lfHeight);
    EXPECT_EQ(source.GetFontHeight(), copy.GetFontHeight());

    C_Font fromHandle(source.GetObjectW());
    EXPECT_EQ(-20, DescribeA(fromHandle.GetObjectW()).lfHeight);
}

TEST(C_WFont, SelectingTwiceStillRestoresTheOriginalFont) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ original = GetCurrentObject(dc, OBJ_FONT);

    C_WFont none;
    EXPECT_EQ(nullptr, none.SelectFont(dc));
    EXPECT_EQ(0, none.SelectBackFont(dc));

    C_WFont font(kGothic, 12);
    EXPECT_EQ(nullptr, font.SelectFont(nullptr));
    EXPECT_EQ(original, font.SelectFont(dc));
    EXPECT_EQ(font.GetObjectW(), GetCurrentObject(dc, OBJ_FONT));
    EXPECT_EQ(font.GetObjectW(), font.SelectFont(dc));
    EXPECT_EQ(1, font.SelectBackFont(dc));
    EXPECT_EQ(original, GetCurrentObject(dc, OBJ_FONT));

    // The narrow twin keeps the same bookkeeping.
    C_Font narrow(kGothicA, 12);
    EXPECT_EQ(0, narrow.SelectBackFont(dc)); // nothing selected yet
    EXPECT_EQ(original, narrow.SelectFont(dc));
    EXPECT_EQ(narrow.GetObjectW(), narrow.SelectFont(dc));
    EXPECT_EQ(1, narrow.SelectBackFont(dc));
    EXPECT_EQ(original, GetCurrentObject(dc, OBJ_FONT));
    DeleteDC(dc);
}

TEST(C_WFont, DefaultFontIsACopyOfTheScreenFont) {
    C_WFont wide = C_WFont::GetDefaultFont();
    ASSERT_NE(nullptr, wide.GetObjectW());
    EXPECT_GT(wide.GetFontHeight(), 0);
    EXPECT_STRNE(L"", wide.GetFontFace());
    C_Font narrow = C_Font::GetDefaultFont();
    ASSERT_NE(nullptr, narrow.GetObjectW());
    EXPECT_EQ(wide.GetFontHeight(), narrow.GetFontHeight());
}

TEST(C_WFont, WidthsAddUpAndFullWidthIsTwiceHalfWidth) {
    C_WFont font(kGothic, 12);
    int a = font.GetStringWidth(L"A");
    ASSERT_GT(a, 0);
    EXPECT_EQ(2 * a, font.GetStringWidth(L"\u3042"));
    EXPECT_EQ(3 * a + 2 * a, font.GetStringWidth(L"ABC\u3042"));
    EXPECT_EQ(0, font.GetStringWidth(L""));
    EXPECT_EQ(0, font.GetStringWidth(nullptr));
    EXPECT_EQ(0, C_WFont().GetStringWidth(L"ABC"));

    C_Font narrow(kGothicA, 12);
    EXPECT_EQ(narrow.GetStringWidth("AB") + font.GetStringWidth(L"\u3042"),
              narrow.GetStringWidth("AB\x82\xA0"));
    // A half-width katakana byte is as wide as the katakana, not as the Latin-1 sign 0xB1.
    EXPECT_EQ(font.GetStringWidth(L"\uFF71"), narrow.GetStringWidth("\xB1"));
    // A lead byte without its trail ends the text.
    EXPECT_EQ(narrow.GetStringWidth("AB"), narrow.GetStringWidth("AB\x82"));
}

TEST(C_WFont, LineBreakIsBeforeTheCharacterThatReachesTheLimit) {
    C_WFont font(kGothic, 12);
    int a = font.GetStringWidth(L"A");
    wchar_t const text[] = L"ABCDEFGHIJ";
    // Fits whole: start + count, even for a count shorter than the text.
    EXPECT_EQ(3, font.GetLineBreak(text, 0, 3, 100 * a));
    EXPECT_EQ(7, font.GetLineBreak(text, 2, 5, 100 * a));
    EXPECT_EQ(3, font.GetLineBreak(text, 0, 10, 3 * a + 1));
    EXPECT_EQ(2, font.GetLineBreak(text, 0, 10, 3 * a));
    EXPECT_EQ(6, font.GetLineBreak(text, 4, 6, 2 * a + 1));
    // No prefix within count reaches the limit.
    EXPECT_EQ(4, font.GetLineBreak(text, 4, 2, 5 * a));
    EXPECT_EQ(0, font.GetLineBreak(nullptr, 0, 1, 10));
    EXPECT_EQ(0, C_WFont().GetLineBreak(text, 0, 10, 10));
    // A start past the end is not read beyond the text.
    EXPECT_EQ(10, font.GetLineBreak(text, 50, 0, a));

    C_Font narrow(kGothicA, 12);
    // 12-pixel double-byte characters: two fit in 25 pixels, the break is a byte position.
    EXPECT_EQ(4, narrow.GetLineBreak(kKanaA, 0, 20, 2 * 2 * a + 1));
    EXPECT_EQ(3, narrow.GetLineBreak("A\x82\xA0\x82\xA2", 0, 5, 2 * a + 2 * a));
}

TEST(DivideString, EmptyAndShortTexts) {
    C_Font font(kGothicA, 12);
    EXPECT_EQ(0, ktora::DivideString(C_String(""), 100, font).Length());
    ktora::C_ArrayString one = ktora::DivideString(C_String("abc"), 100, font);
    ASSERT_EQ(1, one.Length());
    EXPECT_STREQ("abc", one[0].GetString());
    // Without a font nothing has a width: one line.
    EXPECT_EQ(1, ktora::DivideString(C_String("abcdef"), 1, C_Font()).Length());
}

namespace {

// Every line fits (when a character fits at all), no character is split, nothing is lost.
void ExpectSoundLines(C_String const& text, int maxWidth, C_Font const& font, int expectedLines) {
    ktora::C_ArrayString lines = ktora::DivideString(text, maxWidth, font);
    SCOPED_TRACE(testing::Message() << "width " << maxWidth);
    EXPECT_EQ(expectedLines, lines.Length());
    std::string joined;
    for (int i = 0; i < lines.Length(); ++i) {
        C_String const& line = lines[i];
        EXPECT_GT(line.Length(), 0);
        bool oneCharacter = line.Length() == 1 || (line.Length() == 2 && line.IsSJIS_1(0));
        if (!oneCharacter) {
            EXPECT_LE(font.GetStringWidth(line.GetString()), maxWidth) << i;
        }
        for (int b = 0; b < line.Length(); ++b) {
            if (line.IsSJIS_1(b)) {
                EXPECT_LT(b + 1, line.Length()) << "split character in line " << i;
                ++b;
            }
        }
        joined += line.GetString();
    }
    EXPECT_EQ(std::string(text.GetString()), joined);
}

} // namespace

TEST(DivideString, AsciiAtSeveralWidths) {
    C_Font font(kGothicA, 12);
    int a = font.GetStringWidth("A");
    ASSERT_GT(a, 1);
    C_String text("ABCDEFGHIJ");
    ExpectSoundLines(text, 10 * a, font, 1);
    ExpectSoundLines(text, 5 * a, font, 3); // a line reaching the limit breaks one earlier
    ExpectSoundLines(text, 5 * a + 1, font, 2);
    ExpectSoundLines(text, 3 * a + 1, font, 4);
    ktora::C_ArrayString lines = ktora::DivideString(text, 3 * a + 1, font);
    ASSERT_EQ(4, lines.Length());
    EXPECT_STREQ("ABC", lines[0].GetString());
    EXPECT_STREQ("J", lines[3].GetString());
}

TEST(DivideString, JapaneseAtSeveralWidths) {
    C_Font font(kGothicA, 12);
    int wide = font.GetStringWidth("\x82\xA0");
    ASSERT_GT(wide, 1);
    C_String text(kKanaA);
    ExpectSoundLines(text, 10 * wide, font, 1);
    ExpectSoundLines(text, 3 * wide + 1, font, 4);
    ExpectSoundLines(text, 2 * wide + 1, font, 5);
    // Mixed half- and full-width text.
    C_String mixed("AB\x82\xA0"
                   "CD\x82\xA2\xB1\xB2");
    ExpectSoundLines(mixed, 3 * wide, font, 2);
    ExpectSoundLines(mixed, 2 * wide, font, 4);
}

TEST(DivideString, LimitNarrowerThanOneCharacterGivesOneCharacterPerLine) {
    C_Font font(kGothicA, 12);
    ExpectSoundLines(C_String(kKanaA), 3, font, 10);
    ExpectSoundLines(C_String("ABC"), 0, font, 3);
    ExpectSoundLines(C_String("A\x82\xA0"
                              "B"),
                     -5, font, 3);
}
