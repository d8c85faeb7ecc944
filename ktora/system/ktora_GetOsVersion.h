#pragma once

#include <windows.h>

#include "ktora/string/C_WString.h"

namespace ktora {
namespace common {

// Names the running Windows version and returns a code that orders the versions
// (greater than 5: an NT-based system); -1 when the version query is refused.
int ktora_GetOsVersion(C_WString* name);

// The decision table behind ktora_GetOsVersion, for a version record already queried. The
// product type only matters for NT 6.x; pass hasProduct false when it is not known.
int ktora_ClassifyOsVersion(OSVERSIONINFOW const& info, bool hasProduct, DWORD productType,
                            C_WString* name);

// The SDK's name of a product-type value, or "Unknown(<value>)".
C_WString ktora_ProductTypeName(DWORD productType);

} // namespace common
} // namespace ktora
