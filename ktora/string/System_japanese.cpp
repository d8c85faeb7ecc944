// Shift_JIS, EUC-JP, 7-bit JIS, UTF-8 and UTF-16 conversions of ktora::common::System.
// Every walker works on a counted byte run and never steps past its end: a multi-byte
// sequence cut off by the end (or by a byte that cannot continue it) is copied as the
// plain bytes it is made of; only an EUC-JP single shift (0x8E, 0x8F) that another byte
// follows is dropped, as it would otherwise pair with that byte in Shift_JIS.
#include "ktora/system/System.h"

#include "ktora/string/C_Memory.h"
#include "ktora/string/C_String.h"
#include "ktora/string/C_WString.h"
#include "ktora/system/System_textwork.h"

#include <io.h>
#include <string>
#include <vector>
#include <windows.h>

namespace ktora {
namespace common {

using textwork::make_string;

int System::is_sjis_kanji(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

int System::is_sjis_kanji2(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

int System::is_sjis_kana(unsigned char c) {
    return c >= 0xA1 && c <= 0xDF;
}

int System::is_euc_kana(unsigned char c) {
    return c == 0x8E;
}

int System::is_euc_kanji(unsigned char c) {
    return c >= 0xA1 && c <= 0xFE;
}

int System::is_jis_kanji(unsigned char c) {
    return c >= 0x21 && c <= 0x7E;
}

int System::sjis_char_bytes_count(int b) {
    return is_sjis_kanji(static_cast<unsigned char>(b)) ? 2 : 1;
}

int System::utf8_char_bytes_count(int b) {
    unsigned char c = static_cast<unsigned char>(b);
    if ((c & 0x80) == 0)
        return 1;
    int count = 0;
    while (count < 8 && (c & (0x80 >> count)) != 0)
        ++count;
    return count == 1 ? 1 : count;
}

int System::jis_to_sjis_char(int hi, int lo) {
    int trail = (hi & 1) ? lo + 0x1F : lo + 0x7D;
    if (trail > 0x7E)
        ++trail;
    int row = (hi - 0x21) >> 1;
    int lead = row + (row > 30 ? 0xC1 : 0x81);
    return (lead << 8) + trail;
}

int System::sjis_to_jis_char(int hi, int lo) {
    int c = lo >= 0x80 ? lo - 1 : lo;
    int d = hi < 0xA0 ? hi - 0x71 : hi - 0xB1;
    d = 2 * d + 1;
    if (c < 0x9E)
        return (d << 8) + (c - 0x1F);
    return ((d + 1) << 8) + (c - 0x7D);
}

namespace {

typedef unsigned char uchar;

// A lead byte with a valid trail byte inside the run.
bool sjis_pair_at(const uchar* s, size_t i, size_t n) {
    return i + 1 < n && System::is_sjis_kanji(s[i]) && System::is_sjis_kanji2(s[i + 1]);
}

// What EUC-JP and 7-bit JIS write for a character they have no place for, as code page 932
// itself does.
const char kSubstitute = '?';

// IBM extensions 0xFA40-0xFC4B: the same character below lead byte 0xF0 (mostly the
// NEC-selected rows 0xED/0xEE), 0 where the code holds no character.
const unsigned short kIbmExtension[3][0xFD - 0x40] = {
#include "ktora/string/sjis_ibm_ext.inc"
};

// The JIS pair of the Shift_JIS pair at s[i], or -1 when it has none. The targets take the
// whole 94 x 94 plane that the pair arithmetic reaches from lead bytes 0x81-0xEF (the NEC rows
// 13 and 89-92 included, as the Windows EUC-JP and JIS code pages place them), so that a text
// comes back unchanged. Lead bytes 0xF0 and up would land outside the plane: the user-defined
// area has no place there, an IBM extension goes through its twin below 0xF0.
int sjis_pair_to_jis(uchar hi, uchar lo) {
    if (hi >= 0xF0) {
        unsigned twin = hi >= 0xFA ? kIbmExtension[hi - 0xFA][lo - 0x40] : 0;
        if (twin == 0)
            return -1;
        hi = static_cast<uchar>(twin >> 8);
        lo = static_cast<uchar>(twin & 0xFF);
    }
    return System::sjis_to_jis_char(hi, lo);
}

// A convertible Shift_JIS pair at s[i]: its JIS pair, else -1.
int jis_pair_at(const uchar* s, size_t i, size_t n) {
    return sjis_pair_at(s, i, n) ? sjis_pair_to_jis(s[i], s[i + 1]) : -1;
}

const uchar* bytes(const C_String& text) {
    return reinterpret_cast<const uchar*>(text.GetString());
}

size_t size_of(const C_String& text) {
    return text.Length() > 0 ? static_cast<size_t>(text.Length()) : 0;
}

} // namespace

C_String System::sjis_to_jis(const C_String& text, int keepCR) {
    const uchar* s = bytes(text);
    size_t n = size_of(text);
    std::string out;
    out.reserve(n + n / 2 + 8);
    bool kanji = false;
    int jis = jis_pair_at(s, 0, n);
    for (size_t i = 0; i < n;) {
        if (jis >= 0) {
            if (!kanji) {
                out += "\x1B$B";
                kanji = true;
            }
            out += static_cast<char>(jis >> 8);
            out += static_cast<char>(jis & 0xFF);
            i += 2;
            // Back to JIS X 0201 Roman unless another double-byte character follows.
            jis = jis_pair_at(s, i, n);
            if (jis < 0) {
                out += "\x1B(J";
                kanji = false;
            }
            continue;
        }
        if (sjis_pair_at(s, i, n)) {
            out += kSubstitute;
            i += 2;
            jis = jis_pair_at(s, i, n);
            continue;
        }
        if (s[i] != '\r' || keepCR)
            out += static_cast<char>(s[i]);
        ++i;
        jis = jis_pair_at(s, i, n);
    }
    return make_string(out);
}

C_String System::jis_to_sjis(const C_String& text) {
    const uchar* s = bytes(text);
    size_t n = size_of(text);
    std::string out;
    out.reserve(n + n / 4 + 2);
    bool kanji = false;
    for (size_t i = 0; i < n;) {
        if (s[i] == 0x1B && i + 2 < n) {
            uchar a = s[i + 1], b = s[i + 2];
            if (a == '$' && (b == 'B' || b == '@')) {
                kanji = true;
                i += 3;
                continue;
            }
            if (a == '(' && (b == 'B' || b == 'J')) {
                kanji = false;
                i += 3;
                continue;
            }
        }
        if (kanji && i + 1 < n && is_jis_kanji(s[i]) && is_jis_kanji(s[i + 1])) {
            int sjis = jis_to_sjis_char(s[i], s[i + 1]);
            out += static_cast<char>(sjis >> 8);
            out += static_cast<char>(sjis & 0xFF);
            i += 2;
            continue;
        }
        if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r'))
            out += '\r';
        out += static_cast<char>(s[i]);
        ++i;
    }
    return make_string(out);
}

C_String System::euc_to_sjis(const C_String& text) {
    const uchar* s = bytes(text);
    size_t n = size_of(text);
    std::string out;
    out.reserve(n);
    for (size_t i = 0; i < n;) {
        size_t length = static_cast<size_t>(textwork::euc_char_length(s + i, n - i));
        if (length == 3) {
            // JIS X 0212 has no Shift_JIS form.
            out += kSubstitute;
        } else if (length == 2 && is_euc_kana(s[i])) {
            out += static_cast<char>(s[i + 1]);
        } else if (length == 2) {
            int sjis = jis_to_sjis_char(s[i] & 0x7F, s[i + 1] & 0x7F);
            out += static_cast<char>(sjis >> 8);
            out += static_cast<char>(sjis & 0xFF);
        } else if ((s[i] == 0x8E || s[i] == 0x8F) && i + 1 < n) {
            // A single shift without its character: dropped, the next byte is read on its own.
        } else {
            out += static_cast<char>(s[i]);
        }
        i += length;
    }
    return make_string(out);
}

C_String System::sjis_to_euc(const C_String& text) {
    const uchar* s = bytes(text);
    size_t n = size_of(text);
    std::string out;
    out.reserve(2 * n);
    for (size_t i = 0; i < n;) {
        if (sjis_pair_at(s, i, n)) {
            int jis = sjis_pair_to_jis(s[i], s[i + 1]);
            if (jis < 0) {
                out += kSubstitute;
            } else {
                out += static_cast<char>((jis >> 8) | 0x80);
                out += static_cast<char>((jis & 0xFF) | 0x80);
            }
            i += 2;
            continue;
        }
        if (is_sjis_kana(s[i]))
            out += '\x8E';
        out += static_cast<char>(s[i]);
        ++i;
    }
    return make_string(out);
}

namespace {

// Code page to UTF-16, `bytes` bytes, into a block with room for the terminator.
C_WString to_utf16(UINT codePage, const char* text, int bytes) {
    if (text == nullptr || bytes <= 0)
        return C_WString();
    C_Memory block;
    unsigned long units = static_cast<unsigned long>(bytes) + 1;
    if (!block.CreateBuffer(units * sizeof(wchar_t)))
        return C_WString();
    wchar_t* out = static_cast<wchar_t*>(block.GetMemory());
    int n = MultiByteToWideChar(codePage, 0, text, bytes, out, bytes);
    if (n <= 0)
        return C_WString();
    out[n] = 0;
    return textwork::make_wstring(out, static_cast<size_t>(n));
}

// UTF-16 to a code page; at most 3 bytes per unit for UTF-8, 2 for the ANSI code page.
C_String from_utf16(UINT codePage, const wchar_t* text, int units, int* usedDefault) {
    if (text == nullptr || units <= 0)
        return C_String();
    C_Memory block;
    unsigned long size = 3 * static_cast<unsigned long>(units) + 3;
    if (!block.CreateBuffer(size))
        return C_String();
    char* out = static_cast<char*>(block.GetMemory());
    BOOL used = FALSE;
    int n = WideCharToMultiByte(codePage, 0, text, units, out, static_cast<int>(size - 1), nullptr,
                                codePage == CP_UTF8 ? nullptr : &used);
    if (usedDefault != nullptr)
        *usedDefault = used ? 1 : 0;
    if (n <= 0)
        return C_String();
    return make_string(out, static_cast<size_t>(n));
}

} // namespace

int System::sjis_to_utf16(const unsigned char* text, unsigned int bytes, C_WString* out) {
    if (text == nullptr || bytes == 0 || bytes > 0x7FFFFFFE)
        return 0;
    C_WString converted =
        to_utf16(CP_ACP, reinterpret_cast<const char*>(text), static_cast<int>(bytes));
    if (converted.Length() == 0)
        return 0;
    if (out != nullptr)
        *out = converted;
    return converted.Length();
}

C_WString System::sjis_to_utf16(const C_String& text) {
    return to_utf16(CP_ACP, text.GetString(), text.Length());
}

C_String System::utf16_to_sjis(const C_WString& text) {
    return from_utf16(CP_ACP, text.GetString(), text.Length(), nullptr);
}

C_WString System::utf8_to_utf16(const C_String& text) {
    return to_utf16(CP_UTF8, text.GetString(), text.Length());
}

C_WString System::_utf8_to_utf16(const char* text, int bytes) {
    return to_utf16(CP_UTF8, text, bytes);
}

C_String System::_utf16_to_utf8(const wchar_t* text, int units) {
    return from_utf16(CP_UTF8, text, units, nullptr);
}

C_String System::utf16_to_utf8(const C_WString& text) {
    return from_utf16(CP_UTF8, text.GetString(), text.Length(), nullptr);
}

C_String System::utf8_to_sjis(const C_String& text, int* usedDefault) {
    if (usedDefault != nullptr)
        *usedDefault = 0;
    C_WString wide = to_utf16(CP_UTF8, text.GetString(), text.Length());
    return from_utf16(CP_ACP, wide.GetString(), wide.Length(), usedDefault);
}

C_String System::sjis_to_utf8(const C_String& text) {
    C_WString wide = to_utf16(CP_ACP, text.GetString(), text.Length());
    return from_utf16(CP_UTF8, wide.GetString(), wide.Length(), nullptr);
}

C_WString System::utf8_to_auto(const C_String& text, int* /*type*/) {
    return utf8_to_utf16(text);
}

int System::write_sjis(const int& fd, const wchar_t* text, const unsigned int& units) {
    if (text == nullptr || units == 0)
        return 0;
    if (units > 0x3FFFFFFE)
        return -1;
    const unsigned int size = 2 * units + 1;
    char stackBuffer[260];
    std::vector<char> heapBuffer;
    char* buffer = stackBuffer;
    if (size > sizeof stackBuffer) {
        heapBuffer.resize(size);
        buffer = heapBuffer.data();
    }
    int n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(units), buffer,
                                static_cast<int>(size), nullptr, nullptr);
    if (n <= 0)
        return -1;
    return _write(fd, buffer, static_cast<unsigned int>(n));
}

int System::read_sjis(const int& fd, wchar_t* out, unsigned int& size) {
    if (out == nullptr || size == 0 || size > 0x7FFFFFFE)
        return 0;
    char stackBuffer[520];
    std::vector<char> heapBuffer;
    char* buffer = stackBuffer;
    if (size + 1 > sizeof stackBuffer) {
        heapBuffer.resize(size + 1);
        buffer = heapBuffer.data();
    }
    int n = _read(fd, buffer, size);
    if (n <= 0)
        return n;
    // At most one unit per byte read, so `size` units always suffice.
    MultiByteToWideChar(CP_ACP, 0, buffer, n, out, static_cast<int>(size));
    return n;
}

} // namespace common
} // namespace ktora
