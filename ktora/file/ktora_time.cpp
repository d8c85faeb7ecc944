#include "ktora/file/ktora_time.h"

#include <string>
#include <vector>

namespace ktora {
namespace common {

namespace {

const char* const kMonths[12] = {"jan", "feb", "mar", "apr", "may", "jun",
                                 "jul", "aug", "sep", "oct", "nov", "dec"};
const char* const kWeekdays[7] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

// Latest instant the C runtime's 64-bit time functions accept (3000-12-31 23:59:59 UTC).
const __int64 kMaxTime = 32535215999LL;

bool AllDigits(const std::string& s) {
    if (s.empty()) {
        return false;
    }
    for (char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// A decimal field of at most 9 digits (so it fits an int), else -1.
int Number(const std::string& s) {
    if (!AllDigits(s) || s.size() > 9) {
        return -1;
    }
    return std::stoi(s);
}

// Month 1-12 of the first month name in the token, or 0.
int MonthIn(const std::string& token) {
    for (int i = 0; i < 12; ++i) {
        if (token.find(kMonths[i]) != std::string::npos) {
            return i + 1;
        }
    }
    return 0;
}

bool HasWeekday(const std::string& token) {
    for (const char* day : kWeekdays) {
        if (token.find(day) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// hh:mm:ss exactly, with hours 0-23, minutes 0-59 and seconds 0-60 (a leap second).
bool ParseClock(const std::string& s, int* h, int* m, int* sec) {
    if (s.size() != 8 || s[2] != ':' || s[5] != ':') {
        return false;
    }
    *h = Number(s.substr(0, 2));
    *m = Number(s.substr(3, 2));
    *sec = Number(s.substr(6, 2));
    return *h >= 0 && *h <= 23 && *m >= 0 && *m <= 59 && *sec >= 0 && *sec <= 60;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

} // namespace

int ktora_IsLeapYear(int year) {
    return (year % 400 == 0 || (year % 4 == 0 && year % 100 != 0)) ? 1 : 0;
}

int ktora_GetLastMonthDay(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    if (month == 2 && ktora_IsLeapYear(year)) {
        return 29;
    }
    return days[month - 1];
}

int ktora_gmlocaltime_diff(int* hours, int* minutes) {
    const C_Time now;
    struct tm local = {};
    int diff = 0;
    if (now.GetLocalTime(&local)) {
        // Local wall clock read as UTC, minus the instant: exact, whatever the season.
        diff = static_cast<int>(now.DecodeTime(&local) - now.GetTime());
    }
    if (hours != nullptr) {
        *hours = diff / 3600;
    }
    if (minutes != nullptr) {
        *minutes = (diff / 60) % 60;
    }
    return diff;
}

int ktora_strtotime(const C_String& text, C_Time* out) {
    // Tabs become spaces, runs of spaces collapse, ASCII letters are lower-cased.
    std::string norm;
    const char* p = text.GetString();
    for (int i = 0; i < text.Length(); ++i) {
        char c = p[i] == '\t' ? ' ' : p[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c == ' ' && (norm.empty() || norm.back() == ' ')) {
            continue;
        }
        norm += c;
    }
    while (!norm.empty() && norm.back() == ' ') {
        norm.pop_back();
    }
    if (norm.empty()) {
        return 0;
    }
    const std::vector<std::string> tokens = Split(norm, ' ');
    const size_t count = tokens.size();
    if (!HasWeekday(tokens[0])) {
        return 0;
    }

    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::string zone;
    if (norm.find(',') == std::string::npos) {
        // asctime: "sun nov 6 08:49:37 1994"
        if (count < 5) {
            return 0;
        }
        month = MonthIn(tokens[1]);
        day = Number(tokens[2]);
        if (!ParseClock(tokens[3], &hour, &minute, &second)) {
            return 0;
        }
        year = Number(tokens[4]);
    } else if (norm.find('-') != std::string::npos) {
        // RFC 850: "sunday, 06-nov-94 08:49:37 gmt"
        if (count < 3) {
            return 0;
        }
        const std::vector<std::string> parts = Split(tokens[1], '-');
        if (parts.size() != 3) {
            return 0;
        }
        day = Number(parts[0]);
        month = MonthIn(parts[1]);
        year = Number(parts[2]);
        if (parts[2].size() == 2) {
            year += year > 69 ? 1900 : 2000;
        } else if (parts[2].size() != 4) {
            return 0;
        }
        if (!ParseClock(tokens[2], &hour, &minute, &second)) {
            return 0;
        }
        if (count > 3) {
            zone = tokens[3];
        }
    } else {
        // RFC 1123: "sun, 06 nov 1994 08:49:37 gmt"
        if (count < 5) {
            return 0;
        }
        day = Number(tokens[1]);
        month = MonthIn(tokens[2]);
        year = Number(tokens[3]);
        if (!ParseClock(tokens[4], &hour, &minute, &second)) {
            return 0;
        }
        if (count > 5) {
            zone = tokens[5];
        }
    }
    if (month == 0 || year < 0 || day < 1 || day > ktora_GetLastMonthDay(year, month)) {
        return 0;
    }

    int zoneHours = 0;
    if (zone == "est") {
        zoneHours = 5;
    } else if (zone == "mst") {
        zoneHours = 7;
    } else if (zone == "cst") {
        zoneHours = 6;
    } else if (zone == "pst") {
        zoneHours = 8;
    }

    // The fields are UTC wall-clock time: convert arithmetically, so neither the local zone
    // nor its daylight saving can shift the result.
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour + zoneHours;
    t.tm_min = minute;
    t.tm_sec = second;
    const __int64 instant = C_Time(0).DecodeTime(&t);
    if (instant < 0 || instant > kMaxTime) {
        return 0;
    }
    if (out != nullptr) {
        out->SetTime(instant);
    }
    return 1;
}

} // namespace common
} // namespace ktora
