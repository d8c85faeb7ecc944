#include "ktora/window/DivideString.h"

namespace ktora {

C_ArrayString DivideString(C_String text, int maxWidth, C_Font const& font) {
    C_ArrayString lines;
    if (text.Empty()) {
        return lines;
    }
    C_String rest = text;
    while (font.GetStringWidth(rest.GetString()) > maxWidth) {
        int length = rest.Length();
        int n = font.GetLineBreak(rest.GetString(), 0, length, maxWidth);
        if (n <= 0) {
            // Not even one character fits: it goes on a line of its own, whole.
            n = (rest.IsSJIS_1(0) && length > 1) ? 2 : 1;
        }
        if (n >= length) {
            break;
        }
        lines.AppEnd(rest.SubString(0, n - 1));
        rest = rest.SubString(n);
    }
    lines.AppEnd(rest);
    return lines;
}

} // namespace ktora
