#include "ktora/string/C_String.h"

#include "ktora/file/ktora_safe_vsnprintf.h"
#include "ktora/string/C_Memory.h"
#include "ktora/string/C_WString.h"
#include "ktora/string/StringOps.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

namespace ktora {
namespace {

using Ops = detail::StrOps<char>;
using Store = detail::Storage<char, int>;
constexpr int kInline = 32;     // inline buffer, terminator included
constexpr int kInlineChar = 16; // a single-byte append leaves the inline buffer earlier
constexpr int kGrowth = 256;    // over-allocation of growing strings, terminator room included

int slen(const char* text) {
    return text ? static_cast<int>(std::strlen(text)) : 0;
}

// Lets a char argument stand for its byte whether it came in signed or unsigned.
int byte_value(int c) {
    return (c >= -128 && c < 0) ? c + 256 : c;
}

bool is_lead_byte(char c) {
    const unsigned char b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

} // namespace

C_String::C_String() : m_szBuffer(), m_pszHeap(nullptr), m_nLength(0), m_nCapacity(0) {}

C_String::C_String(const C_String& other) : C_String() {
    _common_eq(other._data(), other.m_nLength);
}

C_String::C_String(const char* text) : C_String() {
    if (text) {
        _common_eq(text, slen(text));
    }
}

C_String::C_String(char* text, const int& length, const bool& adopt) : C_String() {
    if (adopt) {
        m_pszHeap = text;
        m_nLength = length;
        m_nCapacity = length + 1;
        m_pszHeap[length] = 0;
    } else {
        _common_eq(text, length);
    }
}

C_String::~C_String() {
    delete[] m_pszHeap;
    m_pszHeap = nullptr;
    m_nLength = 0;
    m_nCapacity = 0;
}

// A built result: short text inline, longer text in a block of exactly length + 1 units.
C_String C_String::_from(const char* text, int length) {
    C_String result;
    Store{result.m_szBuffer, result.m_pszHeap, result.m_nLength, result.m_nCapacity}.Exact(
        text, length, kInline);
    return result;
}

bool C_String::_common_eq(const char* text, int length) {
    return Store{m_szBuffer, m_pszHeap, m_nLength, m_nCapacity}.Assign(text, length, kInline,
                                                                       kGrowth);
}

bool C_String::_append(const char* text, int length, int inlineLimit) {
    return Store{m_szBuffer, m_pszHeap, m_nLength, m_nCapacity}.Append(text, length, inlineLimit,
                                                                       kGrowth);
}

C_String& C_String::operator=(const C_String& other) {
    if (this != &other) {
        _common_eq(other._data(), other.m_nLength);
    }
    return *this;
}

C_String& C_String::operator=(const char* text) {
    if (text) {
        _common_eq(text, slen(text));
    }
    return *this;
}

C_String& C_String::operator=(const int& value) {
    return *this = Stringf("%d", value);
}

C_String& C_String::operator=(const char& value) {
    // "%c" of the byte: one byte, also for 0x80 and above.
    const char byte = value;
    _common_eq(&byte, byte ? 1 : 0);
    return *this;
}

void C_String::Clear() {
    m_nLength = 0;
    _data()[0] = 0;
}

char C_String::CharAt(int i) const {
    if (i < 0 || i >= m_nLength) {
        return static_cast<char>(-1);
    }
    return _data()[i];
}

C_String& C_String::operator+=(const C_String& text) {
    _append(text._data(), text.m_nLength, kInline);
    return *this;
}

C_String& C_String::operator+=(const char* text) {
    _append(text, slen(text), kInline);
    return *this;
}

C_String& C_String::operator+=(const int& value) {
    return *this += Stringf("%d", value);
}

C_String& C_String::operator+=(const char& value) {
    if (value != 0) {
        const char byte = value; // value may refer into our own buffer
        _append(&byte, 1, kInline);
    }
    return *this;
}

C_String& C_String::operator<<(const C_String& text) {
    return *this += text;
}

C_String C_String::operator+(const C_String& text) const {
    // Both operands count as terminated text.
    const int a = slen(_data());
    const int b = slen(text._data());
    if (a + b == 0) {
        return C_String();
    }
    char* block = new (std::nothrow) char[static_cast<size_t>(a) + b + 1];
    if (!block) {
        return C_String();
    }
    std::memcpy(block, _data(), a);
    std::memcpy(block + a, text._data(), b);
    return C_String(block, a + b, true);
}

C_String C_String::operator+(const char* text) const {
    if (!text) {
        return *this;
    }
    return *this + C_String(text);
}

C_String C_String::operator+(const int& value) const {
    return *this + Stringf("%d", value);
}

C_String C_String::operator+(const char& value) const {
    C_String tail;
    tail = value;
    return *this + tail;
}

bool C_String::operator==(const C_String& s) const {
    return Ops::Equal(_data(), m_nLength, s._data(), s.m_nLength);
}

bool C_String::operator==(const char* s) const {
    return s ? Ops::Equal(_data(), m_nLength, s, slen(s)) : false;
}

bool C_String::operator<(const C_String& s) const {
    return Ops::Order(_data(), m_nLength, s._data(), s.m_nLength) < 0;
}
bool C_String::operator<=(const C_String& s) const {
    return Ops::Order(_data(), m_nLength, s._data(), s.m_nLength) <= 0;
}
bool C_String::operator>(const C_String& s) const {
    return Ops::Order(_data(), m_nLength, s._data(), s.m_nLength) > 0;
}
bool C_String::operator>=(const C_String& s) const {
    return Ops::Order(_data(), m_nLength, s._data(), s.m_nLength) >= 0;
}

int C_String::CompareTo(const C_String& s) const {
    if (s.m_nLength == 0) {
        return m_nLength;
    }
    if (m_nLength == 0) {
        return -s.m_nLength;
    }
    const int n = m_nLength < s.m_nLength ? m_nLength : s.m_nLength;
    const char* a = _data();
    const char* b = s._data();
    for (int i = 0; i < n; ++i) {
        if (a[i] != b[i]) {
            // Signed bytes here, unlike the relational operators.
            return static_cast<int>(static_cast<signed char>(a[i])) -
                   static_cast<int>(static_cast<signed char>(b[i]));
        }
    }
    return m_nLength == s.m_nLength ? 0 : (m_nLength > s.m_nLength ? 1 : -1);
}

bool C_String::StartsWith(const char* s, int from) const {
    return s ? Ops::StartsWith(_data(), m_nLength, s, slen(s), from) : false;
}

bool C_String::StartsWith(const C_String& s, int from) const {
    return Ops::StartsWith(_data(), m_nLength, s._data(), s.m_nLength, from);
}

bool C_String::EndsWith(const char* s) const {
    return s ? Ops::EndsWith(_data(), m_nLength, s, slen(s)) : false;
}

bool C_String::EndsWith(const C_String& s) const {
    return Ops::EndsWith(_data(), m_nLength, s._data(), s.m_nLength);
}

int C_String::IndexOf(int c, int from) const {
    return Ops::IndexOfChar(_data(), m_nLength, byte_value(c), from);
}

int C_String::IndexOf(const char* s, int from) const {
    return s ? Ops::IndexOfStr(_data(), m_nLength, s, slen(s), from) : -1;
}

int C_String::IndexOf(const C_String& s, int from) const {
    return Ops::IndexOfStr(_data(), m_nLength, s._data(), s.m_nLength, from);
}

int C_String::LastIndexOf(int c, int from) const {
    return Ops::LastIndexOfChar(_data(), m_nLength, byte_value(c), from);
}

int C_String::LastIndexOf(const char* s, int from) const {
    return s ? Ops::LastIndexOfStr(_data(), m_nLength, s, slen(s), from) : -1;
}

int C_String::LastIndexOf(const C_String& s, int from) const {
    return Ops::LastIndexOfStr(_data(), m_nLength, s._data(), s.m_nLength, from);
}

int C_String::IndexOfWhich(const C_String& set, int from, int unit) const {
    return Ops::IndexOfWhich(_data(), m_nLength, set._data(), set.m_nLength, from, unit);
}

int C_String::IndexOfSkip(const C_String& set, int from, int unit) const {
    return Ops::IndexOfSkip(_data(), m_nLength, set._data(), set.m_nLength, from, unit);
}

int C_String::IndexOfSkipQuote(const C_String& s, int from) const {
    return Ops::IndexOfSkipQuote(_data(), m_nLength, s._data(), s.m_nLength, from);
}

C_String C_String::SubString(int from) const {
    if (from < 0 || from >= m_nLength) {
        return C_String();
    }
    return _from(_data() + from, m_nLength - from);
}

C_String C_String::SubString(int from, int to) const {
    int count = 0;
    if (!Ops::SubRange(m_nLength, from, to, &count)) {
        return C_String();
    }
    return _from(_data() + from, count);
}

C_String C_String::ToUpper() const {
    C_String result = _from(_data(), m_nLength);
    // A trail byte in the letter range is part of a double-byte character.
    Ops::MapAsciiLetters(result._data(), result.m_nLength, 'a', 'z', 'A', is_lead_byte);
    return result;
}

C_String C_String::ToLower() const {
    C_String result = _from(_data(), m_nLength);
    // A trail byte in the letter range is part of a double-byte character.
    Ops::MapAsciiLetters(result._data(), result.m_nLength, 'A', 'Z', 'a', is_lead_byte);
    return result;
}

C_String C_String::Trim() const {
    int end = 0;
    const int start = Ops::TrimSpaces(_data(), m_nLength, &end);
    return _from(_data() + start, end - start);
}

C_String C_String::TrimChars(const char* set, const int& unit) const {
    const char* data = _data();
    const int start = Ops::TrimFront(data, m_nLength, set, slen(set), unit);
    const int end = start + Ops::TrimBack(data + start, m_nLength - start, set, slen(set), unit);
    return _from(data + start, end - start);
}

C_String C_String::TrimFirstChars(const char* set, const int& unit) const {
    const int start = Ops::TrimFront(_data(), m_nLength, set, slen(set), unit);
    return _from(_data() + start, m_nLength - start);
}

C_String C_String::TrimLastChars(const char* set, const int& unit) const {
    const int end = Ops::TrimBack(_data(), m_nLength, set, slen(set), unit);
    return _from(_data(), end);
}

C_String C_String::Squeeze(const char* set) const {
    if (m_nLength == 0) {
        return C_String();
    }
    char* block = new (std::nothrow) char[static_cast<size_t>(m_nLength) + 1];
    if (!block) {
        return C_String();
    }
    const int n = Ops::Squeeze(_data(), m_nLength, set ? set : "", slen(set), block);
    return C_String(block, n, true);
}

C_String C_String::Replace(char from, char to) const {
    C_String result = _from(_data(), m_nLength);
    result.m_nLength = Ops::ReplaceUnit(result._data(), result.m_nLength, from, to);
    return result;
}

C_String C_String::_replace(const char* from, int fromLength, const char* to, int toLength) const {
    if (m_nLength == 0 || fromLength == 0) {
        return *this;
    }
    C_String result;
    result._reserve(m_nLength);
    const bool replaced = Ops::ReplaceWalk(
        _data(), m_nLength, from, fromLength, [&] { result._append(to, toLength, kInline); },
        [&](char c) { result._appendchar(c); });
    return replaced ? result : *this;
}

C_String C_String::Replace(const char* from, const char* to) const {
    if (!from || !to) {
        return *this;
    }
    return _replace(from, slen(from), to, slen(to));
}

C_String C_String::Replace(const C_String& from, const C_String& to) const {
    // This overload never deletes: an empty replacement gives the text unchanged.
    if (to.m_nLength == 0) {
        return *this;
    }
    return _replace(from._data(), from.m_nLength, to._data(), to.m_nLength);
}

C_String C_String::Enclose(const char* open, const char* close, int from, int* next,
                           const int& keep) const {
    return detail::Enclose(*this, C_String(open), C_String(close), from, next, keep);
}

long long C_String::EncloseInt64(int from, int* next, int flags, int* digits) const {
    return Ops::EncloseInt64(_data(), m_nLength, from, next, flags, digits);
}

int C_String::EncloseInt(int from, int* next, int flags, int* digits) const {
    return static_cast<int>(EncloseInt64(from, next, flags, digits));
}

C_WString C_String::ToByteWString() const {
    const int units = m_nLength / 2;
    if (units == 0) {
        return C_WString();
    }
    wchar_t* block = new (std::nothrow) wchar_t[static_cast<size_t>(units) + 1];
    if (!block) {
        return C_WString();
    }
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(_data());
    for (int i = 0; i < units; ++i) {
        block[i] = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return C_WString(block, units, true);
}

int C_String::ToCharArray(char* buf) const {
    if (!buf) {
        return 0;
    }
    std::memcpy(buf, _data(), static_cast<size_t>(m_nLength) + 1);
    return m_nLength + 1;
}

int C_String::ToCharArrayEx(char* buf, unsigned size) const {
    if (buf && size >= static_cast<unsigned>(m_nLength) + 1) {
        std::memcpy(buf, _data(), static_cast<size_t>(m_nLength) + 1);
    }
    return m_nLength + 1;
}

bool C_String::SetBytes(const void* src, int offset, int count, int length) {
    if (offset < 0 || length < 0 || count < 1 || !src || count < length) {
        return false;
    }
    const char* from = static_cast<const char*>(src) + offset;
    if (!m_pszHeap && count + 1 <= kInline - 1) {
        std::memmove(m_szBuffer, from, count);
        m_szBuffer[count] = 0;
    } else if (m_pszHeap && count + 1 <= m_nCapacity) {
        std::memmove(m_pszHeap, from, count);
        m_pszHeap[count] = 0;
    } else {
        char* block = new (std::nothrow) char[static_cast<size_t>(count) + 1];
        if (!block) {
            return false;
        }
        std::memcpy(block, from, count);
        block[count] = 0;
        delete[] m_pszHeap;
        m_pszHeap = block;
        m_nCapacity = count + 1;
    }
    m_nLength = length;
    _data()[length] = 0;
    return true;
}

bool C_String::IsSJIS_1(int i) const {
    if (i < 0 || i >= m_nLength) {
        return false;
    }
    const unsigned char c = static_cast<unsigned char>(_data()[i]);
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool C_String::IsSJIS_2(int i) const {
    if (i < 0 || i >= m_nLength) {
        return false;
    }
    const unsigned char c = static_cast<unsigned char>(_data()[i]);
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

C_String C_String::Stringf(const char* format, ...) {
    if (!format) {
        return C_String();
    }
    char buf[1024];
    int allocated = 0;
    int length = 0;
    va_list args;
    va_start(args, format);
    char* text = common::ktora_safe_vsnprintf_a(buf, sizeof buf, format, args, &allocated, &length);
    va_end(args);
    if (!text) {
        return C_String();
    }
    C_String result = _from(text, length);
    if (allocated) {
        delete[] text;
    }
    return result;
}

C_String C_String::StringfEx(char* buf, unsigned size, const char* format, ...) {
    if (!buf || !format || size == 0) {
        return C_String();
    }
    va_list args;
    va_start(args, format);
    detail::FormatCut(buf, size, format, args);
    va_end(args);
    return C_String(buf);
}

C_String C_String::StringfEx(C_Memory* block, const char* format, ...) {
    if (!block || !format || block->GetSize() == 0 || !block->GetMemory()) {
        return C_String();
    }
    char* buf = static_cast<char*>(block->GetMemory());
    va_list args;
    va_start(args, format);
    detail::FormatCut(buf, static_cast<unsigned>(block->GetSize()), format, args);
    va_end(args);
    return C_String(buf);
}

int C_String::_reserve(int n) {
    return Store{m_szBuffer, m_pszHeap, m_nLength, m_nCapacity}.Reserve(n, kInline);
}

int C_String::_appendchar(char c) {
    if (c == 0) {
        return m_nLength;
    }
    return _append(&c, 1, kInlineChar) ? m_nLength : -1;
}

} // namespace ktora
