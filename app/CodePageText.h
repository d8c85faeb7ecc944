#pragma once
// Wide text as the bytes of a code page, for outinfo.txt and redirected console output.
#include <string>

// text (length units) in codePage. A character the code page cannot hold becomes "?", never a
// look-alike ("ñ" is no "n"): converted with WC_NO_BEST_FIT_CHARS where the code page takes
// that flag. UTF-8 holds every character and is written plain. *exact (optional) is false when
// some character became "?". Empty bytes for empty text or a failed conversion.
std::string ToCodePageBytes(wchar_t const* text, int length, unsigned codePage,
                            bool* exact = nullptr);
