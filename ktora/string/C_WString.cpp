#include "ktora/string/C_WString.h"

#include "ktora/string/C_Memory.h"
#include "ktora/string/Pointer.h"
#include "ktora/string/StringOps.h"
#include "ktora/system/System.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <new>

namespace ktora {
namespace {

using Ops = detail::StrOps<wchar_t>;
using Store = detail::Storage<wchar_t, unsigned>;
constexpr int kInline = 32;  // inline buffer, terminator included
constexpr int kGrowth = 256; // over-allocation of growing strings, terminator room included

size_t wlen(const wchar_t* text) {
    return text ? std::wcslen(text) : 0;
}

} // namespace

C_WString::C_WString() : m_szBuffer(), m_pszHeap(nullptr), m_nLength(0), m_nCapacity(0) {}

C_WString::C_WString(const wchar_t* text) : C_WString() {
    if (text) {
        _common_eq(text, static_cast<int>(wlen(text)));
    }
}

C_WString::C_WString(const char* text) : C_WString() {
    if (text) {
        _assign_narrow(text, static_cast<int>(std::strlen(text)));
    }
}

C_WString::C_WString(const C_String& text) : C_WString() {
    _assign_narrow(text.GetString(), text.Length());
}

C_WString::C_WString(const C_WString& other) : C_WString() {
    _common_eq(other._data(), other.m_nLength);
}

C_WString::C_WString(wchar_t* text, const int& length, const bool& adopt) : C_WString() {
    if (adopt) {
        m_pszHeap = text;
        m_nLength = length;
        m_nCapacity = static_cast<unsigned>(length) + 1;
        m_pszHeap[length] = 0;
    } else {
        _common_eq(text, length);
    }
}

C_WString::~C_WString() {
    delete[] m_pszHeap;
    m_pszHeap = nullptr;
    m_nLength = 0;
    m_nCapacity = 0;
}

// A built result: short text inline, longer text in a block of exactly length + 1 units.
C_WString C_WString::_from(const wchar_t* text, int length) {
    C_WString result;
    Store{result.m_szBuffer, result.m_pszHeap, result.m_nLength, result.m_nCapacity}.Exact(
        text, length, kInline);
    return result;
}

bool C_WString::_common_eq(const wchar_t* text, int length) {
    return Store{m_szBuffer, m_pszHeap, m_nLength, m_nCapacity}.Assign(text, length, kInline,
                                                                       kGrowth);
}

bool C_WString::_append(const wchar_t* text, int length) {
    return Store{m_szBuffer, m_pszHeap, m_nLength, m_nCapacity}.Append(text, length, kInline,
                                                                       kGrowth);
}

void C_WString::_assign_narrow(const char* text, int bytes) {
    int units = 0;
    common::Pointer<wchar_t> converted(common::System::sjis_to_utf16(text, bytes, &units), true,
                                       units, true);
    if (converted.Get()) {
        _common_eq(converted.Get(), units);
    } else {
        Clear();
    }
}

C_WString& C_WString::operator=(const C_WString& other) {
    if (this != &other) {
        _common_eq(other._data(), other.m_nLength);
    }
    return *this;
}

C_WString& C_WString::operator=(const wchar_t* text) {
    if (text) {
        _common_eq(text, static_cast<int>(wlen(text)));
    }
    return *this;
}

C_WString& C_WString::operator=(const char* text) {
    if (text) {
        _assign_narrow(text, static_cast<int>(std::strlen(text)));
    }
    return *this;
}

C_WString& C_WString::operator=(const C_String& text) {
    _assign_narrow(text.GetString(), text.Length());
    return *this;
}

C_WString& C_WString::operator=(const int& value) {
    return *this = C_String::Stringf("%d", value);
}

C_WString& C_WString::operator=(const char& value) {
    // "%c" of a zero byte is a terminator, not text: as for the narrow string, nothing.
    if (value == 0) {
        Clear();
        return *this;
    }
    return *this = C_String::Stringf("%c", value);
}

C_WString& C_WString::operator=(const double& value) {
    return *this = C_String::Stringf("%f", value);
}

int C_WString::ByteLength() const {
    const wchar_t* data = _data();
    int bytes = 0;
    for (int i = 0; i < m_nLength; ++i) {
        bytes += data[i] <= 255 ? 1 : 2;
    }
    return bytes;
}

void C_WString::Clear() {
    m_nLength = 0;
    _data()[0] = 0;
}

int C_WString::CharAt(int i) const {
    if (i < 0 || i >= m_nLength) {
        return -1;
    }
    return static_cast<int>(detail::unit_of(_data()[i]));
}

C_WString& C_WString::operator+=(const C_WString& text) {
    _append(text._data(), text.m_nLength);
    return *this;
}

C_WString& C_WString::operator+=(const wchar_t* text) {
    _append(text, static_cast<int>(wlen(text)));
    return *this;
}

C_WString& C_WString::operator+=(const char* text) {
    if (text && *text) {
        *this += C_WString(text);
    }
    return *this;
}

C_WString& C_WString::operator+=(const wchar_t& c) {
    if (c != 0) {
        const wchar_t unit = c; // c may refer into our own buffer
        _append(&unit, 1);
    }
    return *this;
}

C_WString& C_WString::operator+=(const int& value) {
    return *this += C_WString(C_String::Stringf("%d", value));
}

C_WString& C_WString::operator+=(const char& value) {
    if (value == 0) {
        return *this;
    }
    return *this += C_WString(C_String::Stringf("%c", value));
}

C_WString& C_WString::operator+=(const double& value) {
    return *this += C_WString(C_String::Stringf("%f", value));
}

C_WString& C_WString::operator<<(const C_WString& text) {
    return *this += text;
}

C_WString C_WString::operator+(const C_WString& text) const {
    const int total = m_nLength + text.m_nLength;
    if (total == 0) {
        return C_WString();
    }
    wchar_t* block = new (std::nothrow) wchar_t[static_cast<size_t>(total) + 1];
    if (!block) {
        return C_WString();
    }
    std::memcpy(block, _data(), sizeof(wchar_t) * m_nLength);
    std::memcpy(block + m_nLength, text._data(), sizeof(wchar_t) * text.m_nLength);
    return C_WString(block, total, true);
}

C_WString C_WString::operator+(const char* text) const {
    if (!text) {
        return *this;
    }
    return *this + C_WString(text);
}

C_WString C_WString::operator+(const int& value) const {
    return *this + C_WString(C_String::Stringf("%d", value));
}

C_WString C_WString::operator+(const char& value) const {
    if (value == 0) {
        return *this;
    }
    return *this + C_WString(C_String::Stringf("%c", value));
}

C_WString C_WString::operator+(const double& value) const {
    return *this + C_WString(C_String::Stringf("%f", value));
}

C_WString C_WString::ConcatWChar(wchar_t c) const {
    if (c == 0) {
        return *this;
    }
    wchar_t* block = new (std::nothrow) wchar_t[static_cast<size_t>(m_nLength) + 2];
    if (!block) {
        return *this;
    }
    std::memcpy(block, _data(), sizeof(wchar_t) * m_nLength);
    block[m_nLength] = c;
    return C_WString(block, m_nLength + 1, true);
}

C_WString operator+(const wchar_t* left, const C_WString& right) {
    return C_WString(left) + right;
}

bool C_WString::operator==(const C_WString& s) const {
    return Ops::Equal(_data(), m_nLength, s._data(), s.m_nLength);
}

bool C_WString::operator==(const wchar_t* s) const {
    if (!s) {
        return false;
    }
    return Ops::Equal(_data(), m_nLength, s, static_cast<int>(wlen(s)));
}

bool C_WString::operator==(const char* s) const {
    if (!s) {
        return false;
    }
    return *this == C_WString(s);
}

bool C_WString::operator<(const C_WString& s) const {
    return Ops::Order(_data(), m_nLength, s._data(), s.m_nLength) < 0;
}
bool C_WString::operator<=(const C_WString& s) const {
    return Ops::Order(_data(), m_nLength, s._data(), s.m_nLength) <= 0;
}
bool C_WString::operator>(const C_WString& s) const {
    return Ops::Order(_data(), m_nLength, s._data(), s.m_nLength) > 0;
}
bool C_WString::operator>=(const C_WString& s) const {
    return Ops::Order(_data(), m_nLength, s._data(), s.m_nLength) >= 0;
}

int C_WString::CompareTo(const C_WString& s) const {
    if (s.m_nLength == 0) {
        return m_nLength;
    }
    if (m_nLength == 0) {
        return -s.m_nLength;
    }
    const int n = m_nLength < s.m_nLength ? m_nLength : s.m_nLength;
    const wchar_t* a = _data();
    const wchar_t* b = s._data();
    for (int i = 0; i < n; ++i) {
        if (a[i] != b[i]) {
            return static_cast<int>(detail::unit_of(a[i])) -
                   static_cast<int>(detail::unit_of(b[i]));
        }
    }
    return m_nLength == s.m_nLength ? 0 : (m_nLength > s.m_nLength ? 1 : -1);
}

bool C_WString::StartsWith(const C_WString& s, int from) const {
    return Ops::StartsWith(_data(), m_nLength, s._data(), s.m_nLength, from);
}

bool C_WString::StartsWith(const char* s, int from) const {
    return s ? StartsWith(C_WString(s), from) : false;
}

bool C_WString::EndsWith(const C_WString& s) const {
    return Ops::EndsWith(_data(), m_nLength, s._data(), s.m_nLength);
}

bool C_WString::EndsWith(const char* s) const {
    return s ? EndsWith(C_WString(s)) : false;
}

int C_WString::IndexOf(int c, int from) const {
    return Ops::IndexOfChar(_data(), m_nLength, c, from);
}

int C_WString::IndexOf(const C_WString& s, int from) const {
    return Ops::IndexOfStr(_data(), m_nLength, s._data(), s.m_nLength, from);
}

int C_WString::IndexOf(const char* s, int from) const {
    return s ? IndexOf(C_WString(s), from) : -1;
}

int C_WString::LastIndexOf(int c, int from) const {
    return Ops::LastIndexOfChar(_data(), m_nLength, c, from);
}

int C_WString::LastIndexOf(const C_WString& s, int from) const {
    return Ops::LastIndexOfStr(_data(), m_nLength, s._data(), s.m_nLength, from);
}

int C_WString::LastIndexOf(const char* s, int from) const {
    return s ? LastIndexOf(C_WString(s), from) : -1;
}

int C_WString::IndexOfWhich(const C_WString& set, int from, int unit) const {
    return Ops::IndexOfWhich(_data(), m_nLength, set._data(), set.m_nLength, from, unit);
}

int C_WString::IndexOfSkip(const C_WString& set, int from, int unit) const {
    return Ops::IndexOfSkip(_data(), m_nLength, set._data(), set.m_nLength, from, unit);
}

int C_WString::IndexOfSkipQuote(const C_WString& s, int from) const {
    return Ops::IndexOfSkipQuote(_data(), m_nLength, s._data(), s.m_nLength, from);
}

C_WString C_WString::SubString(int from) const {
    if (from < 0 || from >= m_nLength) {
        return C_WString();
    }
    return _from(_data() + from, m_nLength - from);
}

C_WString C_WString::SubString(int from, int to) const {
    int count = 0;
    if (!Ops::SubRange(m_nLength, from, to, &count)) {
        return C_WString();
    }
    return _from(_data() + from, count);
}

C_WString C_WString::ToUpper() const {
    C_WString result = _from(_data(), m_nLength);
    Ops::MapAsciiLetters(result._data(), result.m_nLength, 'a', 'z', 'A',
                         [](wchar_t) { return false; });
    return result;
}

C_WString C_WString::ToLower() const {
    C_WString result = _from(_data(), m_nLength);
    Ops::MapAsciiLetters(result._data(), result.m_nLength, 'A', 'Z', 'a',
                         [](wchar_t) { return false; });
    return result;
}

C_WString C_WString::Trim() const {
    int end = 0;
    const int start = Ops::TrimSpaces(_data(), m_nLength, &end);
    return _from(_data() + start, end - start);
}

C_WString C_WString::TrimChars(const C_WString& set, const int& unit) const {
    const wchar_t* data = _data();
    const int start = Ops::TrimFront(data, m_nLength, set._data(), set.m_nLength, unit);
    const int end =
        start + Ops::TrimBack(data + start, m_nLength - start, set._data(), set.m_nLength, unit);
    return _from(data + start, end - start);
}

C_WString C_WString::TrimFirstChars(const C_WString& set, const int& unit) const {
    const int start = Ops::TrimFront(_data(), m_nLength, set._data(), set.m_nLength, unit);
    return _from(_data() + start, m_nLength - start);
}

C_WString C_WString::TrimLastChars(const C_WString& set, const int& unit) const {
    const int end = Ops::TrimBack(_data(), m_nLength, set._data(), set.m_nLength, unit);
    return _from(_data(), end);
}

C_WString C_WString::TrimChars(const char* set, const int& unit) const {
    return TrimChars(C_WString(set), unit);
}
C_WString C_WString::TrimFirstChars(const char* set, const int& unit) const {
    return TrimFirstChars(C_WString(set), unit);
}
C_WString C_WString::TrimLastChars(const char* set, const int& unit) const {
    return TrimLastChars(C_WString(set), unit);
}

C_WString C_WString::Squeeze(const C_WString& set) const {
    if (m_nLength == 0) {
        return C_WString();
    }
    wchar_t* block = new (std::nothrow) wchar_t[static_cast<size_t>(m_nLength) + 1];
    if (!block) {
        return C_WString();
    }
    const int n = Ops::Squeeze(_data(), m_nLength, set._data(), set.m_nLength, block);
    return C_WString(block, n, true);
}

C_WString C_WString::Squeeze(const char* set) const {
    return Squeeze(C_WString(set));
}

C_WString C_WString::Replace(wchar_t from, wchar_t to) const {
    C_WString result = _from(_data(), m_nLength);
    result.m_nLength = Ops::ReplaceUnit(result._data(), result.m_nLength, from, to);
    return result;
}

C_WString C_WString::Replace(const C_WString& from, const C_WString& to) const {
    if (m_nLength == 0 || from.m_nLength == 0) {
        return *this;
    }
    C_WString result;
    result._reserve(m_nLength);
    const bool replaced = Ops::ReplaceWalk(
        _data(), m_nLength, from._data(), from.m_nLength,
        [&] { result._append(to._data(), to.m_nLength); },
        [&](wchar_t c) { result._appendchar(c); });
    return replaced ? result : *this;
}

C_WString C_WString::Replace(const char* from, const char* to) const {
    return Replace(C_WString(from), C_WString(to));
}

C_WString C_WString::Enclose(const C_WString& open, const C_WString& close, int from, int* next,
                             const int& keep) const {
    return detail::Enclose(*this, open, close, from, next, keep);
}

C_WString C_WString::Enclose(const char* open, const char* close, int from, int* next,
                             const int& keep) const {
    return Enclose(C_WString(open), C_WString(close), from, next, keep);
}

C_String C_WString::ToString() const {
    int bytes = 0;
    common::Pointer<char> converted(common::System::utf16_to_sjis(_data(), m_nLength, &bytes), true,
                                    bytes, true);
    if (!converted.Get()) {
        return C_String();
    }
    return C_String(converted.Get());
}

C_String C_WString::ToByteString() const {
    C_String result;
    result.SetBytes(_data(), 0, WByteLength() + 2, WByteLength());
    return result;
}

long long C_WString::EncloseInt64(int from, int* next, int flags, int* digits) const {
    return Ops::EncloseInt64(_data(), m_nLength, from, next, flags, digits);
}

int C_WString::EncloseInt(int from, int* next, int flags, int* digits) const {
    return static_cast<int>(EncloseInt64(from, next, flags, digits));
}

unsigned C_WString::ToCharArray(char* buf, unsigned size) const {
    int bytes = 0;
    common::Pointer<char> converted(common::System::utf16_to_sjis(_data(), m_nLength, &bytes), true,
                                    bytes, true);
    if (buf && static_cast<unsigned>(bytes) < size) {
        if (bytes > 0) {
            std::memcpy(buf, converted.Get(), bytes);
        }
        buf[bytes] = 0;
    }
    return static_cast<unsigned>(bytes) + 1;
}

C_WString C_WString::Stringf(const wchar_t* format, ...) {
    if (!format) {
        return C_WString();
    }
    wchar_t buf[1024] = {};
    va_list args;
    va_start(args, format);
    detail::FormatCut(buf, 1024, format, args);
    va_end(args);
    return C_WString(buf);
}

C_WString C_WString::StringfEx(wchar_t* buf, unsigned size, const wchar_t* format, ...) {
    if (!buf || !format || size == 0) {
        return C_WString();
    }
    va_list args;
    va_start(args, format);
    detail::FormatCut(buf, size, format, args);
    va_end(args);
    return C_WString(buf);
}

C_WString C_WString::StringfEx(C_Memory* block, const wchar_t* format, ...) {
    if (!block || !format || block->GetSize() / 2 == 0 || !block->GetString()) {
        return C_WString();
    }
    const unsigned size = static_cast<unsigned>(block->GetSize() / 2);
    va_list args;
    va_start(args, format);
    detail::FormatCut(block->GetString(), size, format, args);
    va_end(args);
    return C_WString(block->GetString());
}

int C_WString::_reserve(int n) {
    return Store{m_szBuffer, m_pszHeap, m_nLength, m_nCapacity}.Reserve(n, kInline);
}

int C_WString::_appendchar(wchar_t c) {
    if (c == 0) {
        return m_nLength;
    }
    return _append(&c, 1) ? m_nLength : -1;
}

} // namespace ktora
