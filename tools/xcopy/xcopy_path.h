// Path helpers of xcopy.exe: full paths, the long-path form, joining and containment.
#pragma once

#include <string>

namespace xcopy {

// The full path of `path` (relative to the current folder), or empty on failure.
std::wstring FullPath(const std::wstring& path);

// The form that lifts the MAX_PATH limit: \\?\C:\... or \\?\UNC\server\share\...
std::wstring LongPath(const std::wstring& fullPath);

// a + "\" + b, without doubling a separator ("C:\" + "x" gives "C:\x"); b alone when a is empty.
std::wstring JoinPath(const std::wstring& a, const std::wstring& b);

// The folder part of a full path ("C:\a\b.txt" gives "C:\a", "C:\b.txt" gives "C:\").
std::wstring ParentPath(const std::wstring& fullPath);

// The last component of a path.
std::wstring LastName(const std::wstring& path);

// Case-insensitive equality of two full paths.
bool SamePath(const std::wstring& a, const std::wstring& b);

// True when `inner` is `outer` or lies below it (full paths, case-insensitive).
bool IsSameOrInside(const std::wstring& inner, const std::wstring& outer);

// Creates a folder and its missing parents; true when it exists as a folder afterwards.
bool CreateFolderTree(const std::wstring& fullPath);

} // namespace xcopy
