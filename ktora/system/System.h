#pragma once
// Static text and system utilities. Each topic has its own group below and its own
// source file (System_<topic>.cpp).

namespace ktora {
namespace common {

class System {
public:
    // --- Code-page conversion (System_encoding.cpp) ---
    // System ANSI code page (Shift_JIS on Japanese systems) to UTF-16. Returns a new[]
    // array the caller frees with delete[], terminated; *units (optional) gets the count
    // without the terminator. A negative byte count means "up to the terminator".
    // Null on failure or for empty input.
    static wchar_t* sjis_to_utf16(const char* text, const int& bytes, int* units);
    // UTF-16 to the system ANSI code page; the same contract with bytes instead of units.
    static char* utf16_to_sjis(const wchar_t* text, const int& units, int* bytes);

private:
    System() = delete;
};

} // namespace common
} // namespace ktora
