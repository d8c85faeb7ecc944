#include "ktora/file/C_Time.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "ktora/file/ktora_time.h"

namespace ktora {

namespace {

// Days from 1970-01-01 to the given proleptic Gregorian date (month 1-12).
__int64 DaysFromCivil(__int64 year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const __int64 era = (year >= 0 ? year : year - 399) / 400;
    const __int64 yoe = year - era * 400;
    const __int64 doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const __int64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

C_WString AscOf(const struct tm& t) {
    wchar_t buf[32] = {};
    if (_wasctime_s(buf, 32, &t) != 0) {
        return C_WString();
    }
    return C_WString(buf);
}

} // namespace

C_Time::C_Time() : m_nTime(_time64(nullptr)) {}

int C_Time::GetLocalTime(struct tm* out) const {
    if (out == nullptr) {
        return 0;
    }
    struct tm t = {};
    if (_localtime64_s(&t, &m_nTime) != 0) {
        return 0;
    }
    *out = t;
    return 1;
}

int C_Time::GetGMTime(struct tm* out) const {
    if (out == nullptr) {
        return 0;
    }
    struct tm t = {};
    if (_gmtime64_s(&t, &m_nTime) != 0) {
        return 0;
    }
    *out = t;
    return 1;
}

__int64 C_Time::GetLocalTime() const {
    struct tm t = {};
    if (!GetLocalTime(&t)) {
        return 0;
    }
    return DecodeTime(&t);
}

__int64 C_Time::DecodeTime(struct tm* t) const {
    if (t == nullptr) {
        return 0;
    }
    __int64 year = static_cast<__int64>(t->tm_year) + 1900;
    __int64 month = t->tm_mon;
    // Carry out-of-range months into the year instead of indexing past the month table.
    const __int64 carry = month >= 0 ? month / 12 : -((11 - month) / 12);
    year += carry;
    month -= carry * 12;
    const __int64 days = DaysFromCivil(year, static_cast<int>(month) + 1, 1) + t->tm_mday - 1;
    return days * 86400 + static_cast<__int64>(t->tm_hour) * 3600 +
           static_cast<__int64>(t->tm_min) * 60 + t->tm_sec;
}

C_WString C_Time::AscTime() {
    wchar_t buf[32] = {};
    if (_wctime64_s(buf, 32, &m_nTime) != 0) {
        return C_WString();
    }
    return C_WString(buf);
}

C_WString C_Time::AscLocalTime() {
    struct tm t = {};
    if (!GetLocalTime(&t)) {
        return C_WString();
    }
    return AscOf(t);
}

C_WString C_Time::AscGMTime() {
    struct tm t = {};
    if (!GetGMTime(&t)) {
        return C_WString();
    }
    return AscOf(t);
}

C_Time C_Time::CreateTime() {
    return C_Time();
}

int C_Time::GetLastMonthDay(int year, int month) {
    return common::ktora_GetLastMonthDay(year, month);
}

const char* C_Time::WeekofDayToStr(int n, const int& japanese) {
    static const char* const english[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    // The Japanese names are converted once into the system code page.
    struct Names {
        char text[7][8];
        Names() {
            static const wchar_t* const wide[7] = {L"\u65e5", L"\u6708", L"\u706b", L"\u6c34",
                                                   L"\u6728", L"\u91d1", L"\u571f"};
            for (int i = 0; i < 7; ++i) {
                std::memset(text[i], 0, sizeof text[i]);
                WideCharToMultiByte(CP_ACP, 0, wide[i], -1, text[i], sizeof text[i] - 1, nullptr,
                                    nullptr);
            }
        }
    };
    static const Names japaneseNames;
    const int day = ((n % 7) + 7) % 7; // a negative number must not index before the table
    return japanese == 0 ? english[day] : japaneseNames.text[day];
}

} // namespace ktora
