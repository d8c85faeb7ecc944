#pragma once

#include "ktora/string/C_String.h"
#include "ktora/string/C_WString.h"

namespace ktora {

// An int with the library's parse and format rules. Arithmetic wraps like 32-bit two's
// complement; division or remainder by zero gives 0 instead of trapping.
class C_Integer {
public:
    C_Integer() : m_nValue(0) {}
    C_Integer(int value) : m_nValue(value) {}
    C_Integer(const C_Integer& other) = default;
    virtual ~C_Integer() = default;

    // -1 for empty text, else the leading decimal integer after white space and one sign
    // (0 when there is none); values beyond the int range saturate.
    static int ParseIntA(const C_String& s);
    // The wide form also takes Unicode white space and the decimal digits of other scripts
    // (full-width digits included), as the runtime's wide reader does.
    static int ParseIntW(const C_WString& s);
    static int ParseInt(const C_WString& s);
    // 1 when the text is non-empty and only digits 0-9.
    static int IsInt(const C_String& s);
    static int IsInt(const C_WString& s);
    static C_String ToString(int v);
    static C_String ToString(unsigned int v);
    static C_String ToHexString(int v);

    int IntValue() const { return m_nValue; }
    unsigned int UintValue() const { return static_cast<unsigned int>(m_nValue); }
    operator int() const { return m_nValue; }

    C_Integer operator+(const C_Integer& o) const;
    C_Integer operator-(const C_Integer& o) const;
    C_Integer operator*(const C_Integer& o) const;
    C_Integer operator/(const C_Integer& o) const;
    C_Integer operator%(const C_Integer& o) const;
    C_Integer operator&(const C_Integer& o) const;

    C_Integer& operator=(const C_Integer& o) = default;
    C_Integer& operator+=(const C_Integer& o);
    C_Integer& operator-=(const C_Integer& o);
    C_Integer& operator*=(const C_Integer& o);
    C_Integer& operator/=(const C_Integer& o);
    C_Integer& operator%=(const C_Integer& o);
    C_Integer& operator&=(const C_Integer& o);

    C_Integer& operator++();
    C_Integer& operator--();
    C_Integer operator++(int);
    C_Integer operator--(int);

    bool operator==(const C_Integer& o) const { return m_nValue == o.m_nValue; }
    bool operator!=(const C_Integer& o) const { return m_nValue != o.m_nValue; }
    bool operator<(const C_Integer& o) const { return m_nValue < o.m_nValue; }
    bool operator<=(const C_Integer& o) const { return m_nValue <= o.m_nValue; }
    bool operator>(const C_Integer& o) const { return m_nValue > o.m_nValue; }
    bool operator>=(const C_Integer& o) const { return m_nValue >= o.m_nValue; }

private:
    int m_nValue;
};

} // namespace ktora
