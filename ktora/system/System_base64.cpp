// Mail-style encodings: Base64 (with ISO-2022-JP encoded words), quoted-printable,
// the registered content type of an extension, CRC-16 and the wall clock in milliseconds.
#include "ktora/system/System.h"

#include "ktora/file/ktora_number.h"
#include "ktora/string/C_String.h"
#include "ktora/system/System_textwork.h"

#include <cstring>
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

} // namespace

C_String System::base64_encode(const unsigned char* data, unsigned int length, bool header,
                               bool trailer) {
    if (data == nullptr || length == 0)
        return C_String();
    std::string out;
    out.reserve((length + 2) / 3 * 4 + kPrefixLength + 2);
    if (header)
        out += kPrefix;
    for (unsigned int i = 0; i < length; i += 3) {
        unsigned int left = length - i;
        unsigned int b0 = data[i];
        unsigned int b1 = left > 1 ? data[i + 1] : 0;
        unsigned int b2 = left > 2 ? data[i + 2] : 0;
        out += base64_convtobase(static_cast<char>(b0 >> 2));
        out += base64_convtobase(static_cast<char>(((b0 & 3) << 4) | (b1 >> 4)));
        out += left > 1 ? base64_convtobase(static_cast<char>(((b1 & 15) << 2) | (b2 >> 6))) : '=';
        out += left > 2 ? base64_convtobase(static_cast<char>(b2 & 63)) : '=';
    }
    if (trailer)
        out += "?=";
    return make_string(out);
}

C_String System::base64_encode(const C_String& text, bool header, bool trailer) {
    const char* s = text.GetString();
    return base64_encode(reinterpret_cast<const unsigned char*>(s),
                         static_cast<unsigned int>(std::strlen(s)), header, trailer);
}

namespace {

bool prefix_at(const std::string& s, size_t i) {
    // At least one character has to follow the prefix.
    if (s.size() - i <= kPrefixLength)
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

std::string decode_payload(const std::string& payload) {
    std::string padded = payload;
    while (padded.size() % 4 != 0)
        padded += '=';
    std::string out;
    for (size_t i = 0; i + 4 <= padded.size(); i += 4) {
        int c[4];
        for (int k = 0; k < 4; ++k)
            c[k] = static_cast<unsigned char>(System::base64_basetoconv(padded[i + k]));
        if (c[0] == 255 || c[1] == 255)
            break;
        out += static_cast<char>((c[0] << 2) | (c[1] >> 4));
        if (c[2] == 255)
            break;
        out += static_cast<char>(((c[1] & 15) << 4) | (c[2] >> 2));
        if (c[3] == 255)
            break;
        out += static_cast<char>(((c[2] & 3) << 6) | c[3]);
    }
    return out;
}

// One pass: decodes the last encoded word before the first "?=". False when the pass finds
// no encoded word, which leaves `text` as it is.
bool decode_pass(std::string& text) {
    std::string work;
    work.reserve(text.size());
    size_t mark = std::string::npos;
    size_t rest = std::string::npos;
    for (size_t i = 0; i < text.size();) {
        char c = text[i];
        if (c == '=' && prefix_at(text, i)) {
            i += kPrefixLength;
            mark = work.size();
            continue;
        }
        if (c == '=' && i > 0 && text[i - 1] == '?') {
            rest = i + 1;
            break;
        }
        work += c;
        ++i;
    }
    if (mark == std::string::npos)
        return false;
    std::string out = work.substr(0, mark);
    out += decode_payload(work.substr(mark));
    if (rest != std::string::npos)
        out.append(text, rest, std::string::npos);
    text.swap(out);
    return true;
}

} // namespace

C_String System::base64_decode(const C_String& text) {
    std::string s = bytes_of(text);
    // One pass per encoded word, repeated until a pass finds none. Each pass removes a
    // prefix, so the text shrinks and the loop ends.
    bool changed = false;
    while (decode_pass(s))
        changed = true;
    if (!changed)
        return text;
    return make_string(s);
}

namespace {

int hex_digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The byte written as two hexadecimal digits at s[i], or -1 when there are not two.
int hex_byte(const std::string& s, size_t i) {
    if (i + 2 > s.size() || hex_digit(s[i]) < 0 || hex_digit(s[i + 1]) < 0)
        return -1;
    return ktora_hextoint_a(s.c_str() + i, 0, 2);
}

bool starts_at(const std::string& s, size_t i, const char* what) {
    size_t n = std::strlen(what);
    return s.size() - i >= n && s.compare(i, n, what) == 0;
}

} // namespace

C_String System::quoted_printable_decode(const C_String& text) {
    std::string s = bytes_of(text);
    std::string out;
    out.reserve(s.size());
    enum { NORMAL, PENDING, JIS } state = NORMAL;
    size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (state == JIS) {
            if (starts_at(s, i, "=1B(B")) {
                out += "\x1B(B";
                i += 5;
                state = NORMAL;
            } else if (starts_at(s, i, "=\n")) {
                i += 2;
            } else if (starts_at(s, i, "=\r\n")) {
                i += 3;
            } else if (c == '=' && hex_byte(s, i + 1) >= 0) {
                out += static_cast<char>(hex_byte(s, i + 1));
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
            if (starts_at(s, i, "\n")) {
                ++i;
                state = NORMAL;
            } else if (starts_at(s, i, "\r\n")) {
                i += 2;
                state = NORMAL;
            } else {
                state = PENDING;
            }
            continue;
        }
        if (state == PENDING) {
            state = NORMAL;
            if (starts_at(s, i, "1B$B")) {
                out += "\x1B$B";
                i += 4;
                state = JIS;
                continue;
            }
            int byte = hex_byte(s, i);
            if (byte >= 0) {
                out += static_cast<char>(byte);
                i += 2;
                continue;
            }
            // Not an escape: the "=" stays as it was written.
            out += '=';
            continue;
        }
        out += c;
        ++i;
    }
    if (state == PENDING)
        out += '=';
    return C_String(out.c_str());
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
