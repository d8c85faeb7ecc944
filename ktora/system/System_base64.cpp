// Mail-style encodings: Base64 (with ISO-2022-JP encoded words), quoted-printable,
// the registered content type of an extension, CRC-16 and the wall clock in milliseconds.
#include "ktora/system/System.h"

#include "ktora/string/C_String.h"
#include "ktora/system/System_textwork.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <string>
#include <vector>
#include <windows.h>

namespace ktora {
namespace common {

using namespace textwork;

int System::crc16(const unsigned char* data, int length) {
    unsigned long reg = 0;
    if (data == nullptr)
        return 0;
    for (int i = 0; i < length; ++i) {
        reg |= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            reg <<= 1;
            if (reg & 0x1000000UL)
                reg ^= 0x102100UL;
        }
    }
    return static_cast<int>((reg >> 8) & 0xFFFF);
}

char System::base64_convtobase(char value) {
    int v = static_cast<unsigned char>(value);
    if (v < 26)
        return static_cast<char>('A' + v);
    if (v < 52)
        return static_cast<char>('a' + v - 26);
    if (v < 62)
        return static_cast<char>('0' + v - 52);
    if (v == 62)
        return '+';
    if (v == 63)
        return '/';
    return '=';
}

char System::base64_basetoconv(char ch) {
    if (ch == '+')
        return 62;
    if (ch == '/')
        return 63;
    if (ch >= '0' && ch <= '9')
        return static_cast<char>(ch - '0' + 52);
    if (ch >= 'A' && ch <= 'Z')
        return static_cast<char>(ch - 'A');
    if (ch >= 'a' && ch <= 'z')
        return static_cast<char>(ch - 'a' + 26);
    return static_cast<char>(255);
}

namespace {

const char kPrefix[] = "=?ISO-2022-JP?B?";
const size_t kPrefixLength = sizeof kPrefix - 1;

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The six-bit value of each Base64 character, 255 for every other byte (the padding
// character included), as base64_basetoconv gives it.
struct DecodeTable {
    unsigned char value[256];
    constexpr DecodeTable() : value() {
        for (int i = 0; i < 256; ++i)
            value[i] = 255;
        for (int i = 0; i < 64; ++i)
            value[static_cast<unsigned char>(kAlphabet[i])] = static_cast<unsigned char>(i);
    }
};
constexpr DecodeTable kDecode;

// Every twelve-bit value as its two Base64 characters.
struct PairTable {
    char pair[4096][2];
    constexpr PairTable() : pair() {
        for (int i = 0; i < 4096; ++i) {
            pair[i][0] = kAlphabet[i >> 6];
            pair[i][1] = kAlphabet[i & 63];
        }
    }
};
constexpr PairTable kPairs;

// Results at least this long keep the block they were built in; shorter ones go inline.
const size_t kHandOver = 64;

// A block being filled, at most as long as the text it is made from.
struct Block {
    std::unique_ptr<char[]> data;
    size_t size = 0;
};

// The value of each hexadecimal digit, -1 for every other byte.
struct HexTable {
    signed char value[256];
    constexpr HexTable() : value() {
        for (int i = 0; i < 256; ++i)
            value[i] = -1;
        for (int i = 0; i < 10; ++i)
            value['0' + i] = static_cast<signed char>(i);
        for (int i = 0; i < 6; ++i) {
            value['A' + i] = static_cast<signed char>(10 + i);
            value['a' + i] = static_cast<signed char>(10 + i);
        }
    }
};
constexpr HexTable kHex;

// Characters on a quoted-printable line before its soft break "=": 76 in all.
const size_t kQpLine = 75;

} // namespace

C_String System::base64_encode(const unsigned char* data, unsigned int length, bool header,
                               bool trailer) {
    if (data == nullptr || length == 0)
        return C_String();
    // One block of the final size, filled in one pass and handed over as it is.
    size_t size = (static_cast<size_t>(length) + 2) / 3 * 4 + (header ? kPrefixLength : 0) +
                  (trailer ? 2 : 0);
    std::unique_ptr<char[]> block(new (std::nothrow) char[size + 1]);
    if (!block)
        return C_String();
    char* w = block.get();
    if (header) {
        std::memcpy(w, kPrefix, kPrefixLength);
        w += kPrefixLength;
    }
    const unsigned char* p = data;
    const unsigned char* full = data + length / 3 * 3;
    const char(*pairs)[2] = kPairs.pair;
    for (; p < full; p += 3, w += 4) {
        unsigned int v = (static_cast<unsigned int>(p[0]) << 16) | (p[1] << 8) | p[2];
        std::memcpy(w, pairs[v >> 12], 2);
        std::memcpy(w + 2, pairs[v & 0xFFF], 2);
    }
    unsigned int left = length % 3;
    if (left != 0) {
        unsigned int v = (static_cast<unsigned int>(p[0]) << 16) | (left > 1 ? p[1] << 8 : 0);
        w[0] = kAlphabet[v >> 18];
        w[1] = kAlphabet[(v >> 12) & 63];
        w[2] = left > 1 ? kAlphabet[(v >> 6) & 63] : '=';
        w[3] = '=';
        w += 4;
    }
    if (trailer) {
        w[0] = '?';
        w[1] = '=';
    }
    if (size < kHandOver)
        return make_string(block.get(), size);
    return C_String(block.release(), static_cast<int>(size), true);
}

C_String System::base64_encode(const C_String& text, bool header, bool trailer) {
    const char* s = text.GetString();
    return base64_encode(reinterpret_cast<const unsigned char*>(s),
                         static_cast<unsigned int>(std::strlen(s)), header, trailer);
}

namespace {

bool prefix_at(const char* s, size_t n, size_t i) {
    // At least one character has to follow the prefix.
    if (n - i <= kPrefixLength)
        return false;
    for (size_t k = 0; k < kPrefixLength; ++k) {
        char c = s[i + k];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != kPrefix[k])
            return false;
    }
    return true;
}

// Writes the payload at w, decoded as if padded with "=" to whole groups of four: the first
// group holding an invalid character is the last one read. Returns the end of what it wrote,
// at most (n + 3) / 4 * 3 bytes.
char* decode_payload(const char* payload, size_t n, char* w) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(payload);
    const unsigned char* t = kDecode.value;
    size_t k = 0;
    // Two groups a round; each group stores four bytes, the fourth overwritten by the next
    // group or, after the last one, lying within the block (see decode_pass).
    for (; k + 8 <= n; k += 8, w += 6) {
        unsigned int a = t[p[k]], b = t[p[k + 1]], c = t[p[k + 2]], d = t[p[k + 3]];
        unsigned int e = t[p[k + 4]], f = t[p[k + 5]], g = t[p[k + 6]], h = t[p[k + 7]];
        if ((a | b | c | d | e | f | g | h) & 0x80)
            break;
        uint32_t v = __builtin_bswap32((a << 26) | (b << 20) | (c << 14) | (d << 8));
        uint32_t u = __builtin_bswap32((e << 26) | (f << 20) | (g << 14) | (h << 8));
        std::memcpy(w, &v, 4);
        std::memcpy(w + 3, &u, 4);
    }
    for (; k + 4 <= n; k += 4, w += 3) {
        unsigned int a = t[p[k]], b = t[p[k + 1]], c = t[p[k + 2]], d = t[p[k + 3]];
        if ((a | b | c | d) & 0x80)
            break;
        unsigned int v = (a << 18) | (b << 12) | (c << 6) | d;
        w[0] = static_cast<char>(v >> 16);
        w[1] = static_cast<char>(v >> 8);
        w[2] = static_cast<char>(v);
    }
    if (k < n) {
        unsigned int c[4];
        for (size_t j = 0; j < 4; ++j)
            c[j] = k + j < n ? t[p[k + j]] : 255;
        if (c[0] != 255 && c[1] != 255) {
            *w++ = static_cast<char>((c[0] << 2) | (c[1] >> 4));
            if (c[2] != 255) {
                *w++ = static_cast<char>(((c[1] & 15) << 4) | (c[2] >> 2));
                if (c[3] != 255)
                    *w++ = static_cast<char>(((c[2] & 3) << 6) | c[3]);
            }
        }
    }
    return w;
}

// One pass: decodes the last encoded word before the first "?=" into `out`. False when the
// pass finds no encoded word. The text between encoded words is copied in whole runs: only
// an "=" can start a prefix or end the scan. The result is shorter than the text (a prefix
// goes, four characters give at most three bytes), so a block of the text's size holds it.
bool decode_pass(const char* s, size_t n, Block& out) {
    char* w = nullptr;
    size_t from = 0; // start of the text not yet placed in `out`
    size_t end = n;  // end of the scan
    size_t rest = std::string::npos;
    for (size_t i = 0; i < n;) {
        const void* hit = std::memchr(s + i, '=', n - i);
        if (hit == nullptr)
            break;
        size_t at = static_cast<size_t>(static_cast<const char*>(hit) - s);
        if (prefix_at(s, n, at)) {
            if (w == nullptr) {
                out.data.reset(new (std::nothrow) char[n + 1]);
                if (!out.data)
                    return false;
                w = out.data.get();
            }
            // Whatever followed an earlier prefix was no payload after all: it is text.
            std::memcpy(w, s + from, at - from);
            w += at - from;
            from = at + kPrefixLength;
            i = from;
            continue;
        }
        if (at > 0 && s[at - 1] == '?') {
            end = at;
            rest = at + 1;
            break;
        }
        i = at + 1;
    }
    if (w == nullptr)
        return false;
    w = decode_payload(s + from, end - from, w);
    if (rest != std::string::npos) {
        std::memcpy(w, s + rest, n - rest);
        w += n - rest;
    }
    out.size = static_cast<size_t>(w - out.data.get());
    return true;
}

} // namespace

C_String System::base64_decode(const C_String& text) {
    // One pass per encoded word, repeated until a pass finds none. Each pass removes a
    // prefix, so the text shrinks and the loop ends.
    const char* s = text.GetString();
    size_t n = static_cast<size_t>(text.Length());
    Block current, next;
    bool changed = false;
    while (decode_pass(s, n, next)) {
        std::swap(current, next);
        s = current.data.get();
        n = current.size;
        changed = true;
    }
    if (!changed)
        return text;
    if (n < kHandOver)
        return make_string(s, n);
    return C_String(current.data.release(), static_cast<int>(n), true);
}

namespace {

// The byte written as two hexadecimal digits at s[i], or -1 when there are not two.
int hex_byte(const char* s, size_t n, size_t i) {
    if (i + 2 > n)
        return -1;
    int hi = kHex.value[static_cast<unsigned char>(s[i])];
    int lo = kHex.value[static_cast<unsigned char>(s[i + 1])];
    return hi < 0 || lo < 0 ? -1 : (hi << 4) | lo;
}

bool starts_at(const char* s, size_t n, size_t i, const char* what, size_t length) {
    return n - i >= length && std::memcmp(s + i, what, length) == 0;
}

} // namespace

C_String System::quoted_printable_decode(const C_String& text) {
    const char* s = text.GetString();
    size_t n = static_cast<size_t>(text.Length());
    std::string out;
    out.reserve(n);
    enum { NORMAL, PENDING, JIS } state = NORMAL;
    size_t i = 0;
    while (i < n) {
        char c = s[i];
        if (c != '=' && state != PENDING) {
            // Only an "=" means anything outside a pending escape: copy up to the next one.
            const void* hit = std::memchr(s + i, '=', n - i);
            size_t at = hit != nullptr ? static_cast<size_t>(static_cast<const char*>(hit) - s) : n;
            out.append(s + i, at - i);
            i = at;
            continue;
        }
        if (state == JIS) {
            if (starts_at(s, n, i, "=1B(B", 5)) {
                out += "\x1B(B";
                i += 5;
                state = NORMAL;
            } else if (starts_at(s, n, i, "=\n", 2)) {
                i += 2;
            } else if (starts_at(s, n, i, "=\r\n", 3)) {
                i += 3;
            } else if (hex_byte(s, n, i + 1) >= 0) {
                out += static_cast<char>(hex_byte(s, n, i + 1));
                i += 3;
            } else {
                out += c;
                ++i;
            }
            continue;
        }
        if (c == '=') {
            // A pending "=" followed by another one was not an escape: keep it.
            if (state == PENDING)
                out += '=';
            ++i;
            if (starts_at(s, n, i, "\n", 1)) {
                ++i;
                state = NORMAL;
            } else if (starts_at(s, n, i, "\r\n", 2)) {
                i += 2;
                state = NORMAL;
            } else {
                state = PENDING;
            }
            continue;
        }
        // Pending: the character after an "=".
        state = NORMAL;
        if (starts_at(s, n, i, "1B$B", 4)) {
            out += "\x1B$B";
            i += 4;
            state = JIS;
            continue;
        }
        int byte = hex_byte(s, n, i);
        if (byte >= 0) {
            out += static_cast<char>(byte);
            i += 2;
            continue;
        }
        // Not an escape: the "=" stays as it was written.
        out += '=';
    }
    if (state == PENDING)
        out += '=';
    // The text ends at its first zero byte.
    return make_string(out.data(), std::strlen(out.c_str()));
}

C_String System::quoted_printable_encode(const C_String& text) {
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text.GetString());
    size_t n = static_cast<size_t>(text.Length());
    if (n == 0)
        return C_String();
    // At most three characters per byte, and a soft line break after at least 73 of them.
    std::string out(3 * n + (3 * n / 72 + 1) * 3, '\0');
    char* w = &out[0];
    static const char kDigits[] = "0123456789ABCDEF";
    size_t column = 0;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = s[i];
        // Line ends stay as they are; a carriage return alone is no line end.
        if (c == '\n' || (c == '\r' && i + 1 < n && s[i + 1] == '\n')) {
            if (c == '\r')
                *w++ = static_cast<char>(s[i++]);
            *w++ = '\n';
            column = 0;
            continue;
        }
        bool plain = c >= 33 && c <= 126 && c != '=';
        if (c == ' ' || c == '\t') {
            // Blanks at the end of a line would be lost in transport.
            size_t j = i + 1;
            plain = j < n && s[j] != '\n' && !(s[j] == '\r' && j + 1 < n && s[j + 1] == '\n');
        }
        size_t width = plain ? 1 : 3;
        if (column + width > kQpLine) {
            w[0] = '=';
            w[1] = '\r';
            w[2] = '\n';
            w += 3;
            column = 0;
        }
        if (plain) {
            *w++ = static_cast<char>(c);
        } else {
            w[0] = '=';
            w[1] = kDigits[c >> 4];
            w[2] = kDigits[c & 15];
            w += 3;
        }
        column += width;
    }
    return make_string(out.data(), static_cast<size_t>(w - out.data()));
}

C_String System::getContentType(const C_String& extension) {
    if (extension.Length() == 0)
        return C_String();
    HKEY key = nullptr;
    // Reading needs no more than query access, which every user has.
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, extension.GetString(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return C_String();
    std::vector<char> value(33, 0);
    DWORD type = 0;
    DWORD size = 32;
    LONG rc = RegQueryValueExA(key, "Content Type", nullptr, &type,
                               reinterpret_cast<BYTE*>(value.data()), &size);
    if (rc == ERROR_MORE_DATA) {
        value.assign(static_cast<size_t>(size) + 1, 0);
        rc = RegQueryValueExA(key, "Content Type", nullptr, &type,
                              reinterpret_cast<BYTE*>(value.data()), &size);
    }
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return C_String();
    // The stored value need not end with a terminator: cut it at the size read.
    if (size < value.size())
        value[size] = 0;
    return C_String(value.data());
}

long long System::currentTimeMillis() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    unsigned long long t =
        (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<long long>(t / 10000ULL) - 11644473600000LL;
}

} // namespace common
} // namespace ktora
