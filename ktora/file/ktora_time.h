#pragma once

#include "ktora/file/C_Time.h"
#include "ktora/string/C_String.h"

namespace ktora {
namespace common {

int ktora_IsLeapYear(int year);
// Days in month 1-12 of the year; 0 for any other month.
int ktora_GetLastMonthDay(int year, int month);
// Offset of local time from UTC now, in seconds; also split into hours and the remaining
// minutes (both negative west of UTC) when the pointers are given.
int ktora_gmlocaltime_diff(int* hours, int* minutes);
// Parses an HTTP date (RFC 1123, RFC 850 or asctime form). 1 and *out set on success;
// 0 and *out untouched for text that is not a complete, valid date.
int ktora_strtotime(const C_String& text, C_Time* out);

} // namespace common
} // namespace ktora
