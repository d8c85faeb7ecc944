#include "ktora/string/C_Integer.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

namespace ktora {

namespace {

// atoi's rules without its undefined overflow: the C runtime's atoi is unspecified for
// out-of-range text, and profiles are typed by users, so we saturate like strtol.
template <class Ch> int ParseLeadingInt(const Ch* p, int length) {
    int i = 0;
    while (i < length && (p[i] == ' ' || (p[i] >= 9 && p[i] <= 13))) {
        ++i;
    }
    bool negative = false;
    if (i < length && (p[i] == '+' || p[i] == '-')) {
        negative = p[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < length && p[i] >= '0' && p[i] <= '9'; ++i) {
        value = value * 10 + (p[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}

template <class Ch> int AllDigits(const Ch* p, int length) {
    if (length <= 0) {
        return 0;
    }
    for (int i = 0; i < length; ++i) {
        if (p[i] < '0' || p[i] > '9') {
            return 0;
        }
    }
    return 1;
}

int Wrap(long long v) {
    return static_cast<int>(static_cast<unsigned int>(v));
}

int Divide(int a, int b) {
    if (b == 0) {
        return 0;
    }
    if (a == INT_MIN && b == -1) {
        return INT_MIN; // the wrapped result; the hardware would trap
    }
    return a / b;
}

int Remainder(int a, int b) {
    if (b == 0 || b == -1) {
        return 0;
    }
    return a % b;
}

C_String Format(const char* format, unsigned int v, bool isSigned) {
    char buf[32];
    if (isSigned) {
        std::snprintf(buf, sizeof buf, format, static_cast<int>(v));
    } else {
        std::snprintf(buf, sizeof buf, format, v);
    }
    return C_String(buf);
}

} // namespace

int C_Integer::ParseIntA(const C_String& s) {
    if (s.Length() == 0) {
        return -1;
    }
    return ParseLeadingInt(s.GetString(), s.Length());
}

int C_Integer::ParseIntW(const C_WString& s) {
    if (s.Length() == 0) {
        return -1;
    }
    // The wide runtime reads more than ASCII: any Unicode white space before the number and
    // decimal digits of other scripts, full-width ones included ("\uff15" is 5). Its 64-bit
    // reader saturates, and so does the narrowing below.
    const long long value = _wcstoi64(s.GetString(), nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

int C_Integer::ParseInt(const C_WString& s) {
    return ParseIntW(s);
}

int C_Integer::IsInt(const C_String& s) {
    return AllDigits(s.GetString(), s.Length());
}

int C_Integer::IsInt(const C_WString& s) {
    return AllDigits(s.GetString(), s.Length());
}

C_String C_Integer::ToString(int v) {
    return Format("%d", static_cast<unsigned int>(v), true);
}

C_String C_Integer::ToString(unsigned int v) {
    return Format("%u", v, false);
}

C_String C_Integer::ToHexString(int v) {
    return Format("%x", static_cast<unsigned int>(v), false);
}

C_Integer C_Integer::operator+(const C_Integer& o) const {
    return C_Integer(Wrap(static_cast<long long>(m_nValue) + o.m_nValue));
}

C_Integer C_Integer::operator-(const C_Integer& o) const {
    return C_Integer(Wrap(static_cast<long long>(m_nValue) - o.m_nValue));
}

C_Integer C_Integer::operator*(const C_Integer& o) const {
    return C_Integer(Wrap(static_cast<long long>(m_nValue) * o.m_nValue));
}

C_Integer C_Integer::operator/(const C_Integer& o) const {
    return C_Integer(Divide(m_nValue, o.m_nValue));
}

C_Integer C_Integer::operator%(const C_Integer& o) const {
    return C_Integer(Remainder(m_nValue, o.m_nValue));
}

C_Integer C_Integer::operator&(const C_Integer& o) const {
    return C_Integer(m_nValue & o.m_nValue);
}

C_Integer& C_Integer::operator+=(const C_Integer& o) {
    return *this = *this + o;
}
C_Integer& C_Integer::operator-=(const C_Integer& o) {
    return *this = *this - o;
}
C_Integer& C_Integer::operator*=(const C_Integer& o) {
    return *this = *this * o;
}
C_Integer& C_Integer::operator/=(const C_Integer& o) {
    return *this = *this / o;
}
C_Integer& C_Integer::operator%=(const C_Integer& o) {
    return *this = *this % o;
}
C_Integer& C_Integer::operator&=(const C_Integer& o) {
    return *this = *this & o;
}

C_Integer& C_Integer::operator++() {
    return *this += C_Integer(1);
}
C_Integer& C_Integer::operator--() {
    return *this -= C_Integer(1);
}

C_Integer C_Integer::operator++(int) {
    C_Integer old(*this);
    ++*this;
    return old;
}

C_Integer C_Integer::operator--(int) {
    C_Integer old(*this);
    --*this;
    return old;
}

} // namespace ktora
