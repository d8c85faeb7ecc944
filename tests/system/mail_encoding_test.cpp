// Base64 and encoded words, quoted-printable, content types, CRC-16 and the clock.
#include <gtest/gtest.h>

#include "ktora/string/C_String.h"
#include "ktora/system/System.h"
#include "system/text_view.h"

#include <string>
#include <windows.h>

using ktora::C_String;
using ktora::common::System;
using systest::str;

namespace {

const unsigned char* u(const char* s) {
    return reinterpret_cast<const unsigned char*>(s);
}

} // namespace

TEST(Crc16, CheckValues) {
    EXPECT_EQ(0xBEEF, System::crc16(u("123456789"), 9));
    EXPECT_EQ(0x1EE4, System::crc16(u("abc"), 3));
    EXPECT_EQ(0xA5, System::crc16(u("\xA5"), 1));
    EXPECT_EQ(0, System::crc16(u(""), 0));
    // Two more zero bytes give the CRC-16/XMODEM check value.
    EXPECT_EQ(0x31C3, System::crc16(u("123456789\0\0"), 11));
}

TEST(Base64, Rfc4648Vectors) {
    const char* vectors[][2] = {{"f", "Zg=="},         {"fo", "Zm8="},
                                {"foo", "Zm9v"},       {"foob", "Zm9vYg=="},
                                {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
    EXPECT_EQ("", str(System::base64_encode(C_String(""), true, true)));
    for (auto& v : vectors) {
        EXPECT_EQ(v[1], str(System::base64_encode(C_String(v[0]))));
        std::string word = std::string("=?ISO-2022-JP?B?") + v[1] + "?=";
        EXPECT_EQ(word, str(System::base64_encode(C_String(v[0]), true, true)));
        EXPECT_EQ(v[0], str(System::base64_decode(word.c_str())));
    }
    EXPECT_EQ("YWJj", str(System::base64_encode(u("abc"), 3, false, false)));
    EXPECT_EQ("AP8=", str(System::base64_encode(u("\0\xFF"), 2, false, false)));
    EXPECT_EQ("", str(System::base64_encode(nullptr, 3, true, true)));
    // The alphabet both ways.
    for (int v = 0; v < 64; ++v)
        EXPECT_EQ(v, System::base64_basetoconv(System::base64_convtobase(static_cast<char>(v))));
    EXPECT_EQ('=', System::base64_convtobase(64));
    EXPECT_EQ(static_cast<char>(255), System::base64_basetoconv('='));
}

TEST(Base64, EncodedWordsInHeaders) {
    const std::string jis = "\x1B$B$3$s$K$A$O\x1B(B";
    std::string word = str(System::base64_encode(C_String(jis.c_str()), true, true));
    EXPECT_EQ("Zm9vYmFy", str(System::base64_decode("Zm9vYmFy")));
    EXPECT_EQ("Re: " + jis + " x", str(System::base64_decode(("Re: " + word + " x").c_str())));
    EXPECT_EQ(jis + " " + jis, str(System::base64_decode((word + " " + word).c_str())));
    // Lower-case prefix, and a prefix with nothing after it stays.
    EXPECT_EQ("abc", str(System::base64_decode("=?iso-2022-jp?b?YWJj?=")));
    EXPECT_EQ("=?ISO-2022-JP?B?", str(System::base64_decode("=?ISO-2022-JP?B?")));
}

TEST(Base64, ThousandsOfEncodedWordsDecodeWithoutDeepRecursion) {
    std::string header, expected;
    for (int i = 0; i < 5000; ++i) {
        header += "=?ISO-2022-JP?B?YWJj?= ";
        expected += "abc ";
    }
    EXPECT_EQ(expected, str(System::base64_decode(header.c_str())));
}

TEST(QuotedPrintable, EscapesSoftBreaksAndJis) {
    EXPECT_EQ("a=b", str(System::quoted_printable_decode("a=3Db")));
    EXPECT_EQ("a=b", str(System::quoted_printable_decode("a=3db")));
    EXPECT_EQ("abcd", str(System::quoted_printable_decode("ab=\ncd")));
    EXPECT_EQ("abcd", str(System::quoted_printable_decode("ab=\r\ncd")));
    EXPECT_EQ("\x1B$B$3$s\x1B(Bx", str(System::quoted_printable_decode("=1B$B$3$s=1B(Bx")));
    EXPECT_EQ("\x1B$B$3=$s\x1B(B", str(System::quoted_printable_decode("=1B$B$3=3D=\n$s=1B(B")));
    // Encoding: escapes, line ends kept, blanks before them escaped, soft breaks within 76.
    EXPECT_EQ("a=3Db=0Dc=82=A0", str(System::quoted_printable_encode("a=b\rc\x82\xA0")));
    EXPECT_EQ("x=20\r\ny=09\nz z", str(System::quoted_printable_encode("x \r\ny\t\nz z")));
    EXPECT_EQ("=1B$B$3$s=1B(Bx", str(System::quoted_printable_encode("\x1B$B$3$s\x1B(Bx")));
    std::string line(100, 'a');
    EXPECT_EQ(line.substr(0, 75) + "=\r\n" + line.substr(75),
              str(System::quoted_printable_encode(line.c_str())));
    EXPECT_EQ("", str(System::quoted_printable_encode("")));
}

TEST(QuotedPrintable, TruncatedAndMalformedEscapesStayAsWritten) {
    EXPECT_EQ("a=", str(System::quoted_printable_decode("a=")));
    EXPECT_EQ("a=A", str(System::quoted_printable_decode("a=A")));
    EXPECT_EQ("a=ZZb", str(System::quoted_printable_decode("a=ZZb")));
    EXPECT_EQ("=A", str(System::quoted_printable_decode("==41")));
    EXPECT_EQ("\x1B$Bx=", str(System::quoted_printable_decode("=1B$Bx=")));
    EXPECT_EQ("\x1B$B=Q", str(System::quoted_printable_decode("=1B$B=Q")));
}

TEST(ContentType, RegisteredExtensionsAndUnknownOnes) {
    // A private extension, registered for the test and removed again.
    const char* key = ".ktoratest";
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_SET_VALUE,
                                             nullptr, &h, nullptr));
    // Longer than the first 32-byte read, and stored without a terminator.
    const std::string value = "application/x-ktora-test-content-type";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(h, "Content Type", 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(value.data()),
                                            static_cast<DWORD>(value.size())));
    RegCloseKey(h);
    EXPECT_EQ(value, str(System::getContentType(".ktoratest")));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CLASSES_ROOT, key));
    EXPECT_EQ("", str(System::getContentType(".ktoratest")));
    EXPECT_EQ("", str(System::getContentType(".no-such-extension-here")));
    EXPECT_EQ("", str(System::getContentType("")));
}

TEST(Clock, MillisecondsSince1970) {
    long long ms = System::currentTimeMillis();
    EXPECT_GT(ms, 1577836800000LL); // after 2020-01-01
    EXPECT_LT(ms, 4102444800000LL); // before 2100-01-01
    EXPECT_LE(ms, System::currentTimeMillis());
}
