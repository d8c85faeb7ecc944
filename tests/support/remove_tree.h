#pragma once
// Removes a file or a whole folder tree that a test or benchmark made, read-only and hidden
// entries included. Shared by every test program and the benchmarks, so that one walk serves.
#include <windows.h>

#include <string>

namespace testsupport {

// True when nothing is left at `path` afterwards. Give a "\\?\" path for trees deeper than
// MAX_PATH: the children keep the prefix.
inline bool RemoveTree(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return DeleteFileW(path.c_str()) != 0;
    }
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name != L"." && name != L"..") {
                RemoveTree(path + L"\\" + name);
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    return RemoveDirectoryW(path.c_str()) != 0;
}

} // namespace testsupport
