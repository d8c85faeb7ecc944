// Command line of xcopy.exe: splitting and switches.
#pragma once

#include <string>
#include <vector>

namespace xcopy {

// What the command line asks for.
struct Options {
    bool subdirs = false;        // /S
    bool emptyDirs = false;      // /E (implies /S)
    bool keepGoing = false;      // /C
    bool hiddenFiles = false;    // /H
    bool security = false;       // /O
    int overwrite = -1;          // /Y = 1, /-Y = 0, -1 = not given (COPYCMD, then ask)
    bool assumeDir = false;      // /I
    bool quiet = false;          // /Q
    bool keepAttributes = false; // /K
    bool readOnlyToo = false;    // /R
    bool fullNames = false;      // /F
    bool listOnly = false;       // /L
    bool structureOnly = false;  // /T (implies /S): folders only, no files
    bool help = false;           // /?
    std::wstring source;
    std::wstring dest;
    bool destGiven = false;
    bool destIsFolder = false; // the destination ends with a backslash
};

enum class ParseResult { Ok, BadSwitch, BadCount };

// Splits a raw command line the way xcopy reads it: blanks separate, double quotes group and
// are removed, backslashes are plain characters (so "C:\dir\" keeps its trailing backslash),
// and an unquoted "/" begins a switch, even glued to a path ("dst/E/H"); inside quotes "/" is
// a path separator. The program name (first word) is dropped.
std::vector<std::wstring> SplitCommandLine(const wchar_t* line);

// Reads switches (any case) and the one or two paths. On BadSwitch, badText holds the
// offending switch. COPYCMD may preset /Y or /-Y; the command line wins.
ParseResult ParseArguments(const std::vector<std::wstring>& args, const wchar_t* copycmd,
                           Options& options, std::wstring& badText);

} // namespace xcopy
