#pragma once
// Splitting a path at its last separator ("\" or "/"), on text only.
#include "ktora/string/C_String.h"
#include "ktora/string/C_WString.h"

namespace ktora {
namespace common {

// The text after the last separator; the whole text when there is none; empty when the
// text is empty or ends with a separator.
C_WString ktora_GetLastNameW(const C_WString& path);
C_WString ktora_GetLastName(const C_WString& path);
// The text before the last separator; empty when there is none or the only one is first.
C_WString ktora_GetLastPathW(const C_WString& path);
C_WString ktora_GetLastPath(const C_WString& path);

// Narrow twins: a Shift_JIS trail byte equal to "\" is never taken as a separator.
C_String ktora_GetLastNameA(const C_String& path);
C_String ktora_GetLastPathA(const C_String& path);

} // namespace common
} // namespace ktora
