#include <gtest/gtest.h>

#include <windows.h>

#include "ktora/file/C_Time.h"
#include "ktora/file/ktora_time.h"

using ktora::C_String;
using ktora::C_Time;
using namespace ktora::common;

namespace {

// Parses text; -2 when the parser fails (and must leave the target alone).
__int64 Parse(const char* text) {
    C_Time t(static_cast<__int64>(-2));
    const int ok = ktora_strtotime(C_String(text), &t);
    if (!ok) {
        EXPECT_EQ(-2, t.GetTime()) << text;
        return -2;
    }
    return t.GetTime();
}

} // namespace

TEST(ktora_strtotime, TheThreeHttpFormats) {
    EXPECT_EQ(784111777, Parse("Sun, 06 Nov 1994 08:49:37 GMT"));
    EXPECT_EQ(784111777, Parse("Sunday, 06-Nov-94 08:49:37 GMT"));
    EXPECT_EQ(784111777, Parse("Sun Nov  6 08:49:37 1994"));
    EXPECT_EQ(784111777, Parse("SUN,\t06   NOV 1994 08:49:37 gmt"));
    EXPECT_EQ(784111777, Parse("Sun, 06 Nov 1994 08:49:37"));
    EXPECT_EQ(784111777 + 8 * 3600, Parse("Sun, 06 Nov 1994 08:49:37 PST"));
    EXPECT_EQ(784111777 + 5 * 3600, Parse("Sun, 06 Nov 1994 08:49:37 EST"));
    EXPECT_EQ(784111777 + 6 * 3600, Parse("Sunday, 06-Nov-94 08:49:37 CST"));
    EXPECT_EQ(784111777 + 7 * 3600, Parse("Sun, 06 Nov 1994 08:49:37 MST"));
    EXPECT_EQ(784111777, Parse("Sun, 06 Nov 1994 08:49:37 XYZ"));
    EXPECT_EQ(1, ktora_strtotime(C_String("Sun, 06 Nov 1994 08:49:37 GMT"), nullptr));
    // Two-digit years of the RFC 850 form.
    EXPECT_EQ(3124224000LL, Parse("Tuesday, 01-Jan-69 00:00:00 GMT")); // 2069
    EXPECT_EQ(0, Parse("Thursday, 01-Jan-70 00:00:00 GMT"));
    EXPECT_EQ(951782400, Parse("Tuesday, 29-Feb-2000 00:00:00 GMT"));
    EXPECT_EQ(32535215999LL, Parse("Wed, 31 Dec 3000 23:59:59 GMT"));
}

TEST(ktora_strtotime, RejectsIncompleteOrInvalidDates) {
    const char* bad[] = {
        "",
        "   ",
        "06 Nov 1994 08:49:37 GMT",        // no weekday
        "Sun, 06 Xyz 1994 08:49:37 GMT",   // no month
        "Sun, 06 Nov",                     // tokens missing
        "Sun, 06 Nov 1994",                // no clock
        "Sun,",                            // one token
        "Sun",                             // asctime with one token
        "Sun Nov 6 08:49:37",              // asctime without year
        "Sunday, 06-Nov-94",               // RFC 850 without clock
        "Sunday, 06-Nov 08:49:37 GMT",     // date part missing
        "Sunday, -Nov-94 08:49:37 GMT",    // empty day
        "Sunday, 06-Nov-994 08:49:37 GMT", // three-digit year
        "Sunday, 06-Nov--94 08:49:37 GMT", // negative year
        "Sun, 06 Nov 1994 8:49:37 GMT",    // clock not hh:mm:ss
        "Sun, 06 Nov 1994 08:49 GMT",
        "Sun, 06 Nov 1994 08-49-37 GMT",
        "Sun, 06 Nov 1994 0x:49:37 GMT",
        "Sun, 06 Nov 1994 24:00:00 GMT", // out of range fields
        "Sun, 06 Nov 1994 08:60:00 GMT",
        "Sun, 31 Nov 1994 08:49:37 GMT",
        "Sun, 00 Nov 1994 08:49:37 GMT",
        "Mon, 29 Feb 1900 00:00:00 GMT",
        "Sun, 6x Nov 1994 08:49:37 GMT",
        "Sun, 06 Nov 94 08:49:37 GMT",   // RFC 1123 needs the full year
        "Wed, 31 Dec 1969 23:59:59 GMT", // before 1970
        "Sat, 01 Jan 3001 00:00:00 GMT", // beyond the runtime's range
    };
    for (const char* text : bad) {
        EXPECT_EQ(-2, Parse(text)) << '"' << text << '"';
    }
}

TEST(ktora_time, LeapYearsAndMonthEnds) {
    EXPECT_EQ(1, ktora_IsLeapYear(2000));
    EXPECT_EQ(0, ktora_IsLeapYear(1900));
    EXPECT_EQ(1, ktora_IsLeapYear(2024));
    EXPECT_EQ(0, ktora_IsLeapYear(2023));
    const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m <= 12; ++m) {
        EXPECT_EQ(days[m - 1], ktora_GetLastMonthDay(2023, m)) << m;
    }
    EXPECT_EQ(29, ktora_GetLastMonthDay(2024, 2));
    EXPECT_EQ(28, ktora_GetLastMonthDay(2100, 2));
    EXPECT_EQ(0, ktora_GetLastMonthDay(2024, 13));
    EXPECT_EQ(0, ktora_GetLastMonthDay(2024, 0));
    EXPECT_EQ(29, C_Time::GetLastMonthDay(2000, 2));
}

TEST(C_Time, DecodeTimeIsArithmeticUtc) {
    C_Time t(static_cast<__int64>(0));
    struct tm b = {};
    b.tm_year = 70;
    b.tm_mday = 1;
    EXPECT_EQ(0, t.DecodeTime(&b));
    b.tm_year = 100;
    b.tm_mon = 2;
    EXPECT_EQ(951868800, t.DecodeTime(&b));
    // A month past the table carries into the year: month 14 of 1999 is March 2000.
    b.tm_year = 99;
    b.tm_mon = 14;
    EXPECT_EQ(951868800, t.DecodeTime(&b));
    b.tm_year = 101;
    b.tm_mon = -10;
    EXPECT_EQ(951868800, t.DecodeTime(&b));
    EXPECT_EQ(0, t.DecodeTime(nullptr));
    // Round trip through the runtime's UTC breakdown.
    for (__int64 v : {0LL, 784111777LL, 951868799LL, 4102444800LL, 32535215999LL}) {
        struct tm u = {};
        ASSERT_EQ(1, C_Time(v).GetGMTime(&u)) << v;
        EXPECT_EQ(v, t.DecodeTime(&u));
    }
}

TEST(C_Time, AccessorsOfInstantsTheRuntimeCannotBreakDown) {
    for (__int64 v : {-1LL, -86400LL, 40000000000LL}) {
        C_Time t(v);
        struct tm b = {};
        EXPECT_EQ(0, t.GetLocalTime(&b)) << v;
        EXPECT_EQ(0, t.GetGMTime(&b)) << v;
        EXPECT_EQ(0, t.GetLocalTime()) << v;
        EXPECT_TRUE(t.AscTime().Empty()) << v;
        EXPECT_TRUE(t.AscLocalTime().Empty()) << v;
        EXPECT_TRUE(t.AscGMTime().Empty()) << v;
        EXPECT_EQ(v, t.GetTime());
    }
    C_Time t(static_cast<__int64>(0));
    EXPECT_EQ(0, t.GetLocalTime(nullptr));
    EXPECT_EQ(0, t.GetGMTime(nullptr));
}

TEST(C_Time, TextAndLocalTime) {
    C_Time t(static_cast<__int64>(784111777));
    EXPECT_STREQ(L"Sun Nov 06 08:49:37 1994\n", t.AscGMTime().GetString());
    EXPECT_EQ(25, t.AscTime().Length());
    EXPECT_EQ(25, t.AscLocalTime().Length());
    int hours = 99, minutes = 99;
    const int diff = ktora_gmlocaltime_diff(&hours, &minutes);
    EXPECT_EQ(diff / 3600, hours);
    EXPECT_EQ((diff / 60) % 60, minutes);
    EXPECT_EQ(784111777 + diff, t.GetLocalTime());
    TIME_ZONE_INFORMATION zone;
    const DWORD mode = GetTimeZoneInformation(&zone);
    LONG bias = zone.Bias + (mode == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : 0);
    EXPECT_EQ(-bias * 60, diff);
    EXPECT_EQ(10.0, C_Time(static_cast<__int64>(30)).DiffTime(C_Time(static_cast<__int64>(20))));
    const __int64 before = C_Time::CreateTime().GetTime();
    EXPECT_GT(before, 1600000000);
    EXPECT_EQ(5, C_Time::CreateTime(static_cast<__int64>(5)).GetTime());
    EXPECT_EQ(1, C_Time::Is64bits());
    C_Time u;
    u = static_cast<__int64>(7);
    EXPECT_EQ(7, u.GetGMTime());
}

TEST(C_Time, WeekdayNames) {
    EXPECT_STREQ("Mon", C_Time::WeekofDayToStr(8, 0));
    EXPECT_STREQ("Sun", C_Time::WeekofDayToStr(0, 0));
    EXPECT_STREQ("Sat", C_Time::WeekofDayToStr(-1, 0));
    EXPECT_STREQ("\x8c\x8e", C_Time::WeekofDayToStr(8, 1)); // 月 in Shift_JIS
    EXPECT_STREQ("\x93\xfa", C_Time::WeekofDayToStr(7, 1)); // 日
}
