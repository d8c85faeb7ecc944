#pragma once
// Line breaking of narrow (Shift_JIS) text to a pixel width.
#include "ktora/string/C_ArrayString.h"
#include "ktora/string/C_String.h"
#include "ktora/window/C_Font.h"

namespace ktora {

// Breaks text into lines no wider than maxWidth pixels in font. Every line holds at least one
// whole character, so a limit narrower than one character still ends, one character per line.
C_ArrayString DivideString(C_String text, int maxWidth, C_Font const& font);

} // namespace ktora
