#pragma once

#include <ctime>

#include "ktora/string/C_WString.h"

namespace ktora {

// One instant as signed 64-bit seconds since 1970-01-01 00:00:00 UTC.
// Instants the C runtime cannot break down (negative, beyond year 3000) give 0 from the
// struct tm accessors and an empty string from the text accessors.
class C_Time {
public:
    C_Time();
    C_Time(const __int64& t) : m_nTime(t) {}
    C_Time(const C_Time&) = default;
    C_Time& operator=(const C_Time&) = default;
    virtual ~C_Time() = default;

    void SetTime(const __int64& t) { m_nTime = t; }
    C_Time& operator=(const __int64& t) {
        m_nTime = t;
        return *this;
    }
    __int64 GetTime() const { return m_nTime; }
    __int64 GetGMTime() const { return m_nTime; }

    int GetLocalTime(struct tm* out) const;
    int GetGMTime(struct tm* out) const;
    // Local wall-clock time counted as if it were UTC; 0 when it cannot be broken down.
    __int64 GetLocalTime() const;
    // Seconds since 1970 of a breakdown read as UTC; months outside 0-11 carry into the year.
    __int64 DecodeTime(struct tm* t) const;

    C_WString AscTime();
    C_WString AscLocalTime();
    C_WString AscGMTime();
    double DiffTime(const C_Time& other) { return static_cast<double>(m_nTime - other.m_nTime); }

    static C_Time CreateTime();
    static C_Time CreateTime(const __int64& t) { return C_Time(t); }
    static int GetLastMonthDay(int year, int month);
    static int Is64bits() { return 1; }
    // Name of weekday (n mod 7, 0 = Sunday): English abbreviations for flag 0, else the
    // one-character Japanese names in the system code page.
    static const char* WeekofDayToStr(int n, const int& japanese);

private:
    __int64 m_nTime;
};

} // namespace ktora
