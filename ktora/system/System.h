#pragma once
// Static text and system utilities. Each topic has its own group below and its own
// source file (System_<topic>.cpp).
//
// Contract: stateless and thread-safe. Functions that return a raw pointer hand over a new[]
// array the caller frees with delete[] (null on failure); the others return C_String or
// C_WString values. "sjis" means the system ANSI code page (932 on the systems this runs on);
// a charset argument takes the names CharCode knows.

#include "ktora/string/C_String.h"
#include "ktora/string/C_WString.h"
#include "ktora/string/CharCode.h"

namespace ktora {
class C_StringMemory;
class C_WStringMemory;
} // namespace ktora

namespace ktora {
namespace common {

class System {
public:
    // --- Code-page conversion (System_encoding.cpp) ---
    // System ANSI code page (Shift_JIS on Japanese systems) to UTF-16. Returns a new[]
    // array the caller frees with delete[], terminated; *units (optional) gets the count
    // without the terminator. A negative byte count means "up to the terminator".
    // Null on failure or for empty input.
    static wchar_t* sjis_to_utf16(const char* text, const int& bytes, int* units);
    // UTF-16 to the system ANSI code page; the same contract with bytes instead of units.
    static char* utf16_to_sjis(const wchar_t* text, const int& units, int* bytes);

    // --- Japanese encodings (ktora/string/System_japanese.cpp) ---
    // Byte classes: 1 or 0.
    static int is_sjis_kanji(unsigned char c);  // Shift_JIS lead byte
    static int is_sjis_kanji2(unsigned char c); // Shift_JIS trail byte
    static int is_sjis_kana(unsigned char c);   // Shift_JIS half-width katakana
    static int is_euc_kana(unsigned char c);    // EUC-JP single shift 2 (0x8E)
    static int is_euc_kanji(unsigned char c);   // EUC-JP double-byte byte
    static int is_jis_kanji(unsigned char c);   // JIS double-byte byte
    static int sjis_char_bytes_count(int b);
    static int utf8_char_bytes_count(int b);
    static int jis_to_sjis_char(int hi, int lo);
    static int sjis_to_jis_char(int hi, int lo);
    static C_String sjis_to_jis(const C_String& text, int keepCR = 0);
    static C_String jis_to_sjis(const C_String& text);
    static C_String euc_to_sjis(const C_String& text);
    static C_String sjis_to_euc(const C_String& text);
    static int sjis_to_utf16(const unsigned char* text, unsigned int bytes, C_WString* out);
    static C_WString sjis_to_utf16(const C_String& text);
    static C_String utf16_to_sjis(const C_WString& text);
    static C_WString utf8_to_utf16(const C_String& text);
    static C_WString _utf8_to_utf16(const char* text, int bytes);
    static C_String _utf16_to_utf8(const wchar_t* text, int units);
    static C_String utf16_to_utf8(const C_WString& text);
    static C_String utf8_to_sjis(const C_String& text, int* usedDefault = nullptr);
    static C_String sjis_to_utf8(const C_String& text);
    static C_WString utf8_to_auto(const C_String& text, int* type = nullptr);
    static int write_sjis(const int& fd, const wchar_t* text, const unsigned int& units);
    static int read_sjis(const int& fd, wchar_t* out, unsigned int& size);

    // --- HTML and XML escaping (System_html.cpp) ---
    // Quote style: bit 0 set keeps the double quote, bit 1 set converts the single quote.
    static C_String htmlspecialchars(const C_String& text, int style = 0,
                                     const char* charset = nullptr);
    static C_String htmlspecialchars_decode(const C_String& text, const char* charset = nullptr);
    static C_String xmlspecialchars(const C_String& text, const char* charset = nullptr);
    static C_String xmlspecialchars_decode(const C_String& text, const char* charset = nullptr);
    static C_String _htmlspecialchars_a(const C_String& text, int style = 0);
    static C_String _htmlspecialchars_decode_a(const C_String& text);
    static C_WString _htmlspecialchars_w(const C_WString& text, int style = 0);
    static C_WString _htmlspecialchars_decode_w(const C_WString& text);
    static C_WString _htmlspecialchars(const C_WString& text, int style = 0);
    static C_WString _htmlspecialchars_decode(const C_WString& text);
    // Buffer forms: clear `out`, write the result into it and return its length.
    static int htmlspecialchars_fast(C_StringMemory* out, const char* text, int style,
                                     const CharCode::CHAR_TYPE& type);
    static int xmlspecialchars_fast(C_StringMemory* out, const char* text,
                                    const CharCode::CHAR_TYPE& type);
    static int htmlspecialchars_decode_fast(C_StringMemory* out, const char* text);
    static int xmlspecialchars_decode_fast(C_StringMemory* out, const char* text);
    static int _htmlspecialchars_fast_a(C_StringMemory* out, const char* text, int style = 0);
    static int _htmlspecialchars_fast_w(C_WStringMemory* out, const wchar_t* text, int style = 0);
    static int _htmlspecialchars_fast(C_WStringMemory* out, const wchar_t* text, int style = 0);
    static int _htmlspecialchars_decode_fast_w(C_WStringMemory* out, const wchar_t* text);
    static int _htmlspecialchars_decode_fast(C_WStringMemory* out, const wchar_t* text);

    // --- Base64, quoted-printable, content type, CRC-16 (System_base64.cpp) ---
    static int crc16(const unsigned char* data, int length);
    static char base64_convtobase(char value);
    static char base64_basetoconv(char ch);
    static C_String base64_encode(const C_String& text, bool header = false, bool trailer = false);
    static C_String base64_encode(const unsigned char* data, unsigned int length,
                                  bool header = false, bool trailer = false);
    static C_String base64_decode(const C_String& text);
    static C_String quoted_printable_decode(const C_String& text);
    // Every byte of the text (zero bytes as "=00"); line ends (LF, CR LF) are kept, a blank
    // before one is escaped, and longer lines get soft breaks ("=" CR LF) within 76 characters.
    static C_String quoted_printable_encode(const C_String& text);
    static C_String getContentType(const C_String& extension);
    static long long currentTimeMillis();

    // --- Width, kana and case conversion (System_width.cpp) ---
    static C_String mb_ztoh_kanakana_a(const C_String& text);
    static C_WString mb_ztoh_kanakana_w(const C_WString& text);
    static C_String mb_ztoh_hirakana_a(const C_String& text);
    static C_WString mb_ztoh_hirakana_w(const C_WString& text);
    static C_String mb_htoz_kanakana_a(const C_String& text, int join);
    static C_WString mb_htoz_kanakana_w(const C_WString& text, int join);
    static C_String mb_htoz_kanahira_a(const C_String& text, int join);
    static C_WString mb_htoz_kanahira_w(const C_WString& text, int join);
    static C_String mb_ztoz_kanahira_a(const C_String& text);
    static C_WString mb_ztoz_kanahira_w(const C_WString& text);
    static C_String mb_ztoz_hirakana_a(const C_String& text);
    static C_WString mb_ztoz_hirakana_w(const C_WString& text);
    static C_String mb_htoz_space_a(const C_String& text);
    static C_WString mb_htoz_space_w(const C_WString& text);
    static C_String mb_ztoh_space_a(const C_String& text);
    static C_WString mb_ztoh_space_w(const C_WString& text);
    static C_String mb_htoz_alpha_a(const C_String& text);
    static C_WString mb_htoz_alpha_w(const C_WString& text);
    static C_String mb_ztoh_alpha_a(const C_String& text);
    static C_WString mb_ztoh_alpha_w(const C_WString& text);
    static C_String mb_htoz_number_a(const C_String& text);
    static C_WString mb_htoz_number_w(const C_WString& text);
    static C_String mb_ztoh_number_a(const C_String& text);
    static C_WString mb_ztoh_number_w(const C_WString& text);
    static C_String mb_htoz_alnumsymbol_a(const C_String& text);
    static C_WString mb_htoz_alnumsymbol_w(const C_WString& text);
    static C_String mb_ztoh_alnumsymbol_a(const C_String& text);
    static C_WString mb_ztoh_alnumsymbol_w(const C_WString& text);
    static C_String mb_convert_upper_a(const C_String& text);
    static C_WString mb_convert_upper_w(const C_WString& text);
    static C_String mb_convert_lower_a(const C_String& text);
    static C_WString mb_convert_lower_w(const C_WString& text);
    // Options "KV" and charset "Shift_JIS" when null; an unknown charset gives "".
    static C_String mb_convert_kana(const C_String& text, const char* options = nullptr,
                                    const char* charset = nullptr);
    // Mode 0 upper, 1 lower, anything else title case.
    static C_String mb_convert_case(const C_String& text, int mode, const char* charset = nullptr);

    // --- File-name cleaning (System_filename.cpp) ---
    static C_WString _to_create_winname_w(const C_WString& text);
    static C_WString _to_create_winname(const C_WString& text);
    static C_String to_create_winname(const C_String& text, const char* charset = nullptr);
    static C_String _to_create_winname_a(const C_String& text);

private:
    System() = delete;
};

} // namespace common
} // namespace ktora
