// HTML and XML escaping in every character set the utilities accept.
#include <gtest/gtest.h>

#include "ktora/string/C_String.h"
#include "ktora/string/C_StringMemory.h"
#include "ktora/string/C_WString.h"
#include "ktora/string/C_WStringMemory.h"
#include "ktora/system/System.h"
#include "system/text_view.h"

#include <string>

using ktora::C_String;
using ktora::C_StringMemory;
using ktora::C_WString;
using ktora::C_WStringMemory;
using ktora::CharCode;
using ktora::common::System;
using systest::bytes;
using systest::str;

namespace {

const char kSample[] = "a<b & \"c\" 'd'";

} // namespace

TEST(HtmlEscape, QuoteStyles) {
    EXPECT_EQ("a&lt;b &amp; &quot;c&quot; 'd'", str(System::htmlspecialchars(kSample, 0)));
    EXPECT_EQ("a&lt;b &amp; \"c\" 'd'", str(System::htmlspecialchars(kSample, 1)));
    EXPECT_EQ("a&lt;b &amp; &quot;c&quot; &#039;d&#039;",
              str(System::htmlspecialchars(kSample, 2)));
    EXPECT_EQ("a&lt;b &amp; \"c\" &#039;d&#039;", str(System::htmlspecialchars(kSample, 3)));
    EXPECT_EQ("a&lt;b &amp; &quot;c&quot; &apos;d&apos;", str(System::xmlspecialchars(kSample)));
    EXPECT_EQ("", str(System::htmlspecialchars(C_String(), 0)));
}

TEST(HtmlEscape, DecodingIsOnePassOverTheTable) {
    EXPECT_EQ("&lt;", str(System::htmlspecialchars_decode("&amp;lt;")));
    EXPECT_EQ(kSample,
              str(System::htmlspecialchars_decode("a&lt;b &amp; &quot;c&quot; &#039;d&#039;")));
    EXPECT_EQ("&apos; &#39; &AMP; &am",
              str(System::htmlspecialchars_decode("&apos; &#39; &AMP; &am")));
    EXPECT_EQ("' \"", str(System::xmlspecialchars_decode("&apos; &quot;")));
    EXPECT_EQ("&#039;", str(System::xmlspecialchars_decode("&#039;")));
}

TEST(HtmlEscape, TrailBytesAreNeverMarkup) {
    // Double-byte characters whose trail bytes lie in the ASCII range ('`', '\\', '{')
    // come through whole.
    const std::string sjis = "\x83\x60\x81\x5C\x83\x7B<\x82\xA0";
    EXPECT_EQ("\x83\x60\x81\x5C\x83\x7B&lt;\x82\xA0", str(System::htmlspecialchars(bytes(sjis))));
    EXPECT_EQ(str(System::htmlspecialchars(bytes(sjis))),
              str(System::htmlspecialchars(bytes(sjis), 0, "shift_jis")));
    EXPECT_EQ(str(System::htmlspecialchars(bytes(sjis))),
              str(System::_htmlspecialchars_a(bytes(sjis), 0)));
    EXPECT_EQ("", str(System::htmlspecialchars(bytes(sjis), 0, "latin1")));
}

TEST(HtmlEscape, EveryCharacterSetGivesTheSameCharacters) {
    C_WString wide(L"\u3042<\u30AB\u30F3\u30B8 & \"\u6F22\u5B57\"");
    C_WString expected(L"\u3042&lt;\u30AB\u30F3\u30B8 &amp; &quot;\u6F22\u5B57&quot;");
    EXPECT_STREQ(expected.GetString(), System::_htmlspecialchars(wide, 0).GetString());
    EXPECT_STREQ(expected.GetString(), System::_htmlspecialchars_w(wide, 0).GetString());
    EXPECT_STREQ(wide.GetString(), System::_htmlspecialchars_decode(expected).GetString());

    C_String sjis = System::utf16_to_sjis(wide);
    C_String escaped = System::htmlspecialchars(sjis, 0, "SJIS");
    EXPECT_STREQ(expected.GetString(), System::sjis_to_utf16(escaped).GetString());
    EXPECT_EQ(str(sjis), str(System::htmlspecialchars_decode(escaped, "CP932")));

    C_String utf8 = System::utf16_to_utf8(wide);
    EXPECT_STREQ(expected.GetString(),
                 System::utf8_to_utf16(System::htmlspecialchars(utf8, 0, "UTF-8")).GetString());

    C_String euc = System::sjis_to_euc(sjis);
    EXPECT_EQ(str(System::sjis_to_euc(escaped)), str(System::htmlspecialchars(euc, 0, "EUC")));
    C_String jis = System::sjis_to_jis(sjis, 0);
    EXPECT_EQ(str(System::sjis_to_jis(escaped, 0)), str(System::htmlspecialchars(jis, 0, "JIS")));
    EXPECT_EQ(str(jis),
              str(System::htmlspecialchars_decode(System::htmlspecialchars(jis, 0, "JIS"), "JIS")));

    C_String utf16 = wide.ToByteString();
    C_String escaped16 = System::htmlspecialchars(utf16, 0, "UTF-16");
    EXPECT_STREQ(expected.GetString(), escaped16.ToByteWString().GetString());
}

TEST(HtmlEscape, BufferForms) {
    C_StringMemory out;
    out.Add("old text that must go");
    EXPECT_EQ(15, System::htmlspecialchars_fast(&out, "<a>'", 2, CharCode::CHAR_SJIS));
    EXPECT_STREQ("&lt;a&gt;&#039;", out.Get());
    EXPECT_EQ(12, System::xmlspecialchars_fast(&out, "'\"", CharCode::CHAR_UTF8));
    EXPECT_EQ(3, System::htmlspecialchars_decode_fast(&out, "&lt;&gt;&amp;"));
    EXPECT_STREQ("<>&", out.Get());
    EXPECT_EQ(1, System::xmlspecialchars_decode_fast(&out, "&apos;"));
    EXPECT_EQ(7, System::_htmlspecialchars_fast_a(&out, "\x82\xA0&", 0));
    EXPECT_EQ(0, System::htmlspecialchars_fast(&out, nullptr, 0, CharCode::CHAR_SJIS));
    EXPECT_EQ(0, System::htmlspecialchars_fast(nullptr, "x", 0, CharCode::CHAR_SJIS));

    C_WStringMemory wout;
    EXPECT_EQ(6, System::_htmlspecialchars_fast(&wout, L"\u3042<\"", 1));
    EXPECT_STREQ(L"\u3042&lt;\"", wout.Get());
    EXPECT_EQ(6, System::_htmlspecialchars_fast_w(&wout, L"\u3042<\"", 1));
    EXPECT_EQ(2, System::_htmlspecialchars_decode_fast(&wout, L"&lt;\u3042"));
    EXPECT_STREQ(L"<\u3042", wout.Get());
    EXPECT_EQ(1, System::_htmlspecialchars_decode_fast_w(&wout, L"&quot;"));
}

TEST(HtmlEscape, AStrayLeadByteDoesNotHideTheMarkupAfterIt) {
    // A lead byte pairs only with a byte that can follow it; '<' cannot.
    EXPECT_EQ("\x9C&lt;b&gt;", str(System::htmlspecialchars(bytes("\x9C<b>"))));
    EXPECT_EQ("\xFF&amp;", str(System::htmlspecialchars(bytes("\xFF&"))));
    // UTF-8: a lead byte owns only the continuation bytes that really follow it.
    EXPECT_EQ("\xE3&lt;\xF0\x9F&quot;",
              str(System::htmlspecialchars(bytes("\xE3<\xF0\x9F\""), 0, "UTF-8")));
    C_StringMemory out;
    EXPECT_EQ(6, System::htmlspecialchars_fast(&out, "\xEF\xBC<", 0, CharCode::CHAR_UTF8));
    EXPECT_STREQ("\xEF\xBC&lt;", out.Get());
    // EUC-JP: a stray single shift drops out and cannot take the letter after it along.
    EXPECT_EQ("A&lt;", str(System::htmlspecialchars(bytes("\x8E"
                                                          "A<"),
                                                    0, "EUC")));
    // A lead byte at the very end is copied as it is.
    EXPECT_EQ("a&amp;\x82", str(System::htmlspecialchars(bytes("a&\x82"))));
}
