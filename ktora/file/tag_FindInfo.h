#pragma once

#include <stdint.h>

#include "ktora/string/C_WString.h"

namespace ktora {

// One directory entry as the runtime's find functions report it.
struct tag_FindInfo {
    C_WString name;           // without any directory part
    unsigned long attrib = 0; // read-only 0x01, hidden 0x02, system 0x04, folder 0x10, archive 0x20
    __int64 size = 0;         // bytes
    __int64 time_create = 0;  // seconds since 1970-01-01 00:00:00 UTC
    __int64 time_write = 0;
    __int64 time_access = 0;
};

} // namespace ktora
