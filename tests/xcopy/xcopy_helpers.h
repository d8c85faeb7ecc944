// Shared helpers of the xcopy tests: temp folders, sample trees, running the exe, comparing.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/temp_dir.h"

namespace xcopytest {

using testsupport::TempDir;

std::wstring Long(const std::wstring& path);
bool MakeDir(const std::wstring& path);
bool PutFile(const std::wstring& path, const std::string& bytes, DWORD attributes = 0);
std::string GetFile(const std::wstring& path);
bool Exists(const std::wstring& path);
DWORD Attributes(const std::wstring& path);
void RemoveTree(const std::wstring& path);
// Sets all three times of a file or folder to a fixed past instant (plus `seconds`).
bool SetOldTime(const std::wstring& path, int seconds);

// The sample tree: nested folders, an empty folder, hidden and system files, a hidden folder,
// a read-only file, Japanese names, a 0-byte file and a file larger than one copy block.
// Returns the number of files that are neither hidden nor system, and of all files.
struct SampleCounts {
    int plain;
    int all;
};
SampleCounts MakeSampleTree(const std::wstring& root);

struct CompareRules {
    bool hiddenToo = true;    // hidden and system entries are expected in the copy
    bool readOnlyKept = true; // the read-only attribute is expected as in the source
    bool subfolders = true;   // subfolders are expected
    bool emptyFolders = true; // folders without copied files are expected
    bool folderTimes = true;  // folders carry their source's last-write time
};
// Empty when `copy` matches `source` (bytes, attributes, last-write times, no extra entries);
// otherwise a description of the first difference.
std::string CompareTrees(const std::wstring& source, const std::wstring& copy,
                         const CompareRules& rules);

struct RunResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::wstring out; // standard output, decoded from code page 932
    std::wstring err;
    bool finished = false;
};
// Runs the built xcopy.exe with `arguments`; `input` goes to its standard input.
RunResult RunXcopy(const std::wstring& arguments, const std::string& input = std::string());
// The built xcopy.exe beside the test tree.
std::wstring BuiltXcopy();

std::string Narrow(const std::wstring& text); // UTF-8, for test messages

} // namespace xcopytest
