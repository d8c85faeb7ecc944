// Path helpers of the tree copier: full paths, the long-path form, joining and containment.
#pragma once

#include <string>

namespace copier {

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

// The plain form of a full path: \\?\C:\... gives C:\..., \\?\UNC\server\... gives \\server\...
std::wstring PlainPath(const std::wstring& fullPath);

// Case-insensitive equality of two full paths (plain or \\?\ forms).
bool SamePath(const std::wstring& a, const std::wstring& b);

// True when `inner` is `outer` or lies below it by name (full paths, plain or \\?\ forms,
// case-insensitive).
bool IsSameOrInside(const std::wstring& inner, const std::wstring& outer);

// Identity of an existing file or folder: volume serial number and file index
// (GetFileInformationByHandle). Two names with one identity are one object, whatever led to
// it: a \\?\ form, a link, junction or Unix symlink, a second drive letter (subst, or under
// Wine a second drive mapping). False when the object cannot be opened. Never calls
// GetLongPathNameW (Wine faults in it on paths of about 1,030 characters and more).
struct FileIdentity {
    unsigned long volume = 0;
    unsigned long indexHigh = 0;
    unsigned long indexLow = 0;
    bool operator==(const FileIdentity& o) const {
        return volume == o.volume && indexHigh == o.indexHigh && indexLow == o.indexLow;
    }
};
bool GetIdentity(const std::wstring& fullPath, FileIdentity& id);

// True when the folder `inner` (full path; it need not exist yet) is the folder `outer` or
// lies below it: by name, or by identity of `outer` against `inner` and each of its existing
// ancestors. Copying `outer` into such an `inner` would copy a folder into itself.
bool IsFolderSameOrInside(const std::wstring& inner, const std::wstring& outer);

// Creates a folder and its missing parents; true when it exists as a folder afterwards.
bool CreateFolderTree(const std::wstring& fullPath);

} // namespace copier
