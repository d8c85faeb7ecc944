#pragma once
// Growing formatter: formats into the caller's buffer when the text fits, else into a new
// buffer sized for the whole text. When *allocated is 1 on return the caller frees the
// result with delete[]; otherwise the result is buf itself. Returns null (and leaves buf
// holding empty text) on an encoding error, a text beyond the size limit or a failed
// allocation. size must be greater than 0.
#include <cstdarg>

namespace ktora {
namespace common {

// Largest text the formatter produces, in characters (terminator excluded).
constexpr unsigned ktora_safe_vsnprintf_max = 64u * 1024u * 1024u;

char* ktora_safe_vsnprintf_a(char* buf, unsigned size, const char* format, va_list args,
                             int* allocated, int* length);
wchar_t* ktora_safe_vsnprintf_w(wchar_t* buf, unsigned size, const wchar_t* format, va_list args,
                                int* allocated, int* length);
wchar_t* ktora_safe_vsnprintf(wchar_t* buf, unsigned size, const wchar_t* format, va_list args,
                              int* allocated, int* length);

} // namespace common
} // namespace ktora
