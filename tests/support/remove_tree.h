#pragma once
// Removes a file or a whole folder tree that a test or benchmark made, read-only and hidden
// entries included. Shared by every test program and the benchmarks, so that one walk serves.
#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// True when nothing is left at `path` afterwards. Give a "\\?\" path for trees deeper than
// MAX_PATH: the children keep the prefix. The walk keeps its own stack, so a tree as deep as
// paths allow is removed without exhausting the thread's stack. A folder link (junction) is
// removed, not entered.
inline bool RemoveTree(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return DeleteFileW(path.c_str()) != 0;
    }
    struct Folder {
        std::wstring path;
        bool emptied; // its files deleted and its folders pushed above it
    };
    std::vector<Folder> stack{{path, (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0}};
    while (!stack.empty()) {
        if (stack.back().emptied) {
            RemoveDirectoryW(stack.back().path.c_str());
            stack.pop_back();
            continue;
        }
        stack.back().emptied = true;
        const std::wstring folder = stack.back().path;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) {
            continue;
        }
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = folder + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                stack.push_back(
                    {child, (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

} // namespace testsupport
