#pragma once
// The folder Kasumido was started with: `Kasumido.exe "<folder>"`, as Explorer's folder menu
// and cmd users start it.
#include "ktora/string/C_WString.h"

// The folder named on the command line (the part after the program's name), as given: quotes
// are removed and a backslash before a quote stays a backslash, so `"C:\data\"` typed in cmd
// gives C:\data\ (no file name can hold a quote). True with *folder set only when the line
// holds exactly one argument that does not start with '/'; arguments that do are ignored, and
// so are empty ones. False, *folder untouched, for none or several.
bool StartFolderFromCommandLine(wchar_t const* commandLine, ktora::C_WString* folder);
