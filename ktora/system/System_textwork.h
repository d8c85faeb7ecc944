#pragma once
// Helpers shared by the text utilities: raw bytes in and out of C_String/C_WString, and the
// character-set round trip every narrow utility makes (convert to a working encoding,
// work, convert back).
#include "ktora/string/C_String.h"
#include "ktora/string/C_WString.h"
#include "ktora/string/CharCode.h"

#include <cwchar>
#include <string>

namespace ktora {
namespace common {
namespace textwork {

inline std::string bytes_of(const C_String& text) {
    return std::string(text.GetString(), static_cast<size_t>(text.Length()));
}

inline std::wstring units_of(const C_WString& text) {
    return std::wstring(text.GetString(), static_cast<size_t>(text.Length()));
}

// Keeps every byte, embedded zero bytes included.
inline C_String make_string(const char* bytes, size_t count) {
    C_String result;
    if (count > 0)
        result.SetBytes(bytes, 0, static_cast<int>(count), static_cast<int>(count));
    return result;
}

inline C_String make_string(const std::string& bytes) {
    return make_string(bytes.data(), bytes.size());
}

// `units[count]` must be 0. Keeps embedded zero units as well.
inline C_WString make_wstring(const wchar_t* units, size_t count) {
    if (count == 0)
        return C_WString();
    if (std::wmemchr(units, 0, count) == nullptr)
        return C_WString(units);
    return make_string(reinterpret_cast<const char*>(units), count * sizeof(wchar_t))
        .ToByteWString();
}

inline C_WString make_wstring(const std::wstring& units) {
    return make_wstring(units.c_str(), units.size());
}

// The working encodings of the utilities. EUC-JP is only ever stepped over (the buffer forms
// of the escaping take it as it is); every conversion works on Shift_JIS.
enum WorkType { WORK_NONE = -1, WORK_SJIS = 0, WORK_EUC = 2, WORK_UTF8 = 5 };

// Text in the working encoding plus what is needed to convert the result back.
struct Work {
    WorkType work = WORK_NONE;
    int original = -1;
    std::string text;
};

// Converts `text` in the named character set (default "Shift_JIS") into its working
// encoding. work == WORK_NONE for a set the utilities do not handle.
Work prepare(const C_String& text, const char* charset);
// Converts a result in the working encoding back to the original character set.
C_String finish(const Work& work, const std::string& result);

// Length of the character at `text[i]` in the working encoding, never past `end`. A
// sequence that is cut short (a Shift_JIS lead byte without a trail byte, a UTF-8 lead
// byte without its continuation bytes) is as long as the bytes that really belong to it.
int char_length(const char* text, size_t i, size_t end, WorkType work);

// Length of the EUC-JP character at p, `left` bytes available (at least 1): 2 for 0x8E and a
// half-width katakana, 3 for 0x8F and two double-byte bytes (JIS X 0212), 2 for a pair of
// double-byte bytes, else 1. Every walker over EUC-JP text steps with this, so a shift byte
// without its character can never take an ASCII byte along.
int euc_char_length(const unsigned char* p, size_t left);

} // namespace textwork
} // namespace common
} // namespace ktora
