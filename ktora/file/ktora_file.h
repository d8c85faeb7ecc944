#pragma once

#include "ktora/string/C_WString.h"

namespace ktora {
namespace common {

// The POSIX-style mode callers hand ktora_CreateDirectory: everyone may read, write and enter.
// The folder gets the system's default security whatever the mode says.
constexpr int kDirectoryModeAll = 0777; // 511

// Creates the folder and every missing parent. Returns 1 when the whole path exists as a
// folder afterwards (also when it existed before), 0 otherwise. mode has no effect here.
int ktora_CreateDirectory(const C_WString& path, int mode);

// The process's current directory, of any length; empty if the system cannot tell it.
C_WString ktora_GetCurrentDirectory();

// 1 when the file can be opened for reading; a folder or a file held without sharing is 0.
int ktora_IsExistFile(const C_WString& path);

} // namespace common
} // namespace ktora
