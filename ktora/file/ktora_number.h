#pragma once

#include <stdint.h>

// Number parsing and small C-string helpers. Each comes as _a (narrow), _w (UTF-16) and a plain
// name that is the _w one. Stateless and thread-safe; nothing allocates.
namespace ktora {
namespace common {

// Decimal parse: an optional leading "-", then digits up to the first other character.
// -1 for empty text or text without a leading digit. Overflow wraps.
__int64 ktora_strtoint64_a(const char* text);
__int64 ktora_strtoint64_w(const wchar_t* text);
__int64 ktora_strtoint64(const wchar_t* text);

// Hexadecimal parse of at most count characters from index start (no "0x" prefix); stops at
// the first character that is no hex digit. 0 for null text or a start outside the text.
int ktora_hextoint_a(const char* text, int start, int count);
int ktora_hextoint_w(const wchar_t* text, int start, int count);
int ktora_hextoint(const wchar_t* text, int start, int count);
int ktora_hextoint_a(const char* text);
int ktora_hextoint_w(const wchar_t* text);
int ktora_hextoint(const wchar_t* text);
__int64 ktora_hextoint64_a(const char* text, int start, int count);
__int64 ktora_hextoint64_w(const wchar_t* text, int start, int count);
__int64 ktora_hextoint64(const wchar_t* text, int start, int count);
__int64 ktora_hextoint64_a(const char* text);
__int64 ktora_hextoint64_w(const wchar_t* text);
__int64 ktora_hextoint64(const wchar_t* text);

// Inserts text in front of the string in buf (which has room for both and the terminator);
// returns the new length. text may point into buf.
int ktora_strins_a(char* buf, const char* text);
int ktora_strins_w(wchar_t* buf, const wchar_t* text);
int ktora_strins(wchar_t* buf, const wchar_t* text);

// Last occurrence of needle that starts strictly after begin and ends by end; null if none.
const char* ktora_rstrstr_a(const char* begin, const char* end, const char* needle);
const wchar_t* ktora_rstrstr_w(const wchar_t* begin, const wchar_t* end, const wchar_t* needle);
const wchar_t* ktora_rstrstr(const wchar_t* begin, const wchar_t* end, const wchar_t* needle);

} // namespace common
} // namespace ktora
