#include "app/CopyPaths.h"

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

using ktora::C_WString;

bool EqualNoCase(wchar_t const* a, int aLength, wchar_t const* b, int bLength) {
    return CompareStringOrdinal(a, aLength, b, bLength, TRUE) == CSTR_EQUAL;
}

namespace {

// Wine's long-name lookup faults on paths of about 1,030 characters; names that long have no
// 8.3 parts worth resolving anyway.
constexpr size_t kLongNameLookupMax = 1000;

bool LongName(std::wstring const& path, std::wstring* result) {
    if (path.size() >= kLongNameLookupMax) {
        return false;
    }
    DWORD needed = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) {
        return false;
    }
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    DWORD n = GetLongPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) {
        return false;
    }
    result->assign(buffer.data(), n);
    return true;
}

// \\?\C:\x gives C:\x and \\?\UNC\server\share gives \\server\share: the same folders under
// the names the other rules understand.
std::wstring StripLongPrefix(std::wstring path) {
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        return L"\\\\" + path.substr(8);
    }
    if (path.compare(0, 4, L"\\\\?\\") == 0) {
        return path.substr(4);
    }
    return path;
}

std::wstring FullPath(std::wstring const& path) {
    DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return std::wstring();
    }
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    DWORD n =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (n == 0 || n >= buffer.size()) {
        return std::wstring();
    }
    return std::wstring(buffer.data(), n);
}

// Absolute form without trailing separators; empty when the path cannot be resolved.
std::wstring Absolute(std::wstring path, bool resolveLongNames) {
    path = StripLongPrefix(path);
    if (!path.empty() && path.back() == L':') {
        path += L'\\'; // a bare drive means its root here, not its current folder
    }
    std::wstring full = FullPath(path);
    if (full.empty()) {
        return full;
    }
    // Long names, so a short 8.3 alias of the same folder compares equal. A destination need
    // not exist yet: its longest existing beginning is resolved and the rest kept as typed.
    std::wstring rest;
    for (; resolveLongNames;) {
        std::wstring longName;
        if (LongName(full, &longName)) {
            full = longName + rest;
            break;
        }
        size_t slash = full.find_last_of(L'\\');
        if (slash == std::wstring::npos || slash + 1 >= full.size() || slash < 3) {
            full += rest;
            break;
        }
        rest = full.substr(slash) + rest;
        full.erase(slash);
    }
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) {
        full.pop_back();
    }
    return full;
}

// The \\?\ form of an absolute path.
std::wstring LongForm(std::wstring const& absolute) {
    if (absolute.compare(0, 2, L"\\\\") == 0) {
        return L"\\\\?\\UNC\\" + absolute.substr(2);
    }
    return L"\\\\?\\" + absolute;
}

// Volume serial number and file index: the same folder under every name it has.
struct FolderId {
    DWORD volume = 0;
    DWORD high = 0;
    DWORD low = 0;
    bool operator==(FolderId const& o) const {
        return volume == o.volume && high == o.high && low == o.low;
    }
};

// A handle for queries only (no access asked), links followed.
HANDLE OpenFolder(std::wstring const& absolute) {
    std::wstring name =
        absolute.size() > static_cast<size_t>(kMaxShortFolderUnits) ? LongForm(absolute) : absolute;
    return CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The path the system reached when it opened absolute, every link on the way followed.
bool FinalPathOf(std::wstring const& absolute, std::wstring* result) {
    HANDLE h = OpenFolder(absolute);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    DWORD n = GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n >= buffer.size()) {
        buffer.assign(n + 1, L'\0');
        n = GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    }
    CloseHandle(h);
    if (n == 0 || n >= buffer.size()) {
        return false;
    }
    std::wstring path(buffer.data(), n);
    while (path.size() > 3 && path.back() == L'\\') {
        path.pop_back();
    }
    *result = StripLongPrefix(path);
    return true;
}

bool IdentityOf(std::wstring const& absolute, FolderId* id) {
    HANDLE h = OpenFolder(absolute);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    bool ok = GetFileInformationByHandle(h, &info) != 0 &&
              (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    CloseHandle(h);
    if (ok) {
        id->volume = info.dwVolumeSerialNumber;
        id->high = info.nFileIndexHigh;
        id->low = info.nFileIndexLow;
    }
    return ok;
}

bool EqualNoCase(std::wstring const& a, std::wstring const& b) {
    return ::EqualNoCase(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                         static_cast<int>(b.size()));
}

// True when path lies strictly inside folder.
bool IsInside(std::wstring const& path, std::wstring const& folder) {
    std::wstring prefix = folder;
    if (prefix.back() != L'\\') {
        prefix += L'\\';
    }
    return path.size() > prefix.size() &&
           ::EqualNoCase(path.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                         static_cast<int>(prefix.size()));
}

std::wstring Parent(std::wstring const& path) {
    size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) {
        return std::wstring();
    }
    std::wstring parent = path.substr(0, slash);
    if (!parent.empty() && parent.back() == L':') {
        parent += L'\\';
    }
    return parent;
}

// True when path or one of its existing ancestors is the folder id names.
bool SomeLevelIs(std::wstring level, FolderId const& id) {
    for (;;) {
        FolderId here;
        if (IdentityOf(level, &here) && here == id) {
            return true;
        }
        std::wstring up = Parent(level);
        if (up.empty() || up == level || up.size() >= level.size()) {
            return false;
        }
        level = up;
    }
}

// The identity test: the destination or one of its existing ancestors is the source, or the
// destination itself is the source's parent.
bool IsSelfCopyByIdentity(std::wstring const& src, std::wstring const& dest) {
    FolderId source;
    if (!IdentityOf(src, &source)) {
        return false;
    }
    FolderId parentId;
    std::wstring parent = Parent(src);
    bool hasParent = !parent.empty() && IdentityOf(parent, &parentId);
    FolderId destId;
    if (hasParent && IdentityOf(dest, &destId) && destId == parentId) {
        return true;
    }
    return SomeLevelIs(dest, source);
}

} // namespace

C_WString NormalizeCopyPath(C_WString const& path) {
    std::wstring text(path.GetString(), static_cast<size_t>(path.Length()));
    while (!text.empty() && (text.back() == L'\\' || text.back() == L'/')) {
        text.pop_back();
    }
    for (wchar_t& c : text) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return C_WString(text.c_str());
}

bool IsSelfCopy(C_WString const& source, C_WString const& destination, bool checkIdentity) {
    if (source.Empty() || destination.Empty()) {
        return false;
    }
    std::wstring src = Absolute(source.GetString(), checkIdentity);
    std::wstring dest = Absolute(destination.GetString(), checkIdentity);
    if (src.empty() || dest.empty()) {
        return false;
    }
    if (EqualNoCase(src, dest) || IsInside(dest, src)) {
        return true;
    }
    std::wstring parent = Parent(src);
    if (!parent.empty() && EqualNoCase(parent, dest)) {
        return true;
    }
    return checkIdentity && IsSelfCopyByIdentity(src, dest);
}

bool LeadsIntoSource(C_WString const& folder, C_WString const& source) {
    std::wstring src = Absolute(source.GetString(), true);
    std::wstring dir = Absolute(folder.GetString(), false);
    FolderId sourceId;
    FolderId id;
    if (src.empty() || dir.empty() || !IdentityOf(src, &sourceId) || !IdentityOf(dir, &id)) {
        return false;
    }
    if (id == sourceId) {
        return true;
    }
    std::wstring finalDir;
    if (!FinalPathOf(dir, &finalDir)) {
        return false;
    }
    std::wstring finalSource;
    if (FinalPathOf(src, &finalSource) &&
        (EqualNoCase(finalDir, finalSource) || IsInside(finalDir, finalSource))) {
        return true;
    }
    std::wstring above = Parent(finalDir);
    return !above.empty() && SomeLevelIs(above, sourceId);
}

C_WString OpenedFolderName(C_WString const& path) {
    std::wstring text(path.GetString(), static_cast<size_t>(path.Length()));
    if (text.compare(0, 4, L"\\\\?\\") == 0) {
        return path;
    }
    size_t start = text.find_last_of(L"\\/");
    start = start == std::wstring::npos ? 0 : start + 1;
    size_t end = text.find_last_not_of(L". ");
    if (end == std::wstring::npos || end < start) {
        return path; // "." or ".." or blanks only: no name to trim to
    }
    text.erase(end + 1);
    return C_WString(text.c_str());
}

bool IsOddPathForm(C_WString const& path) {
    std::wstring text(path.GetString(), static_cast<size_t>(path.Length()));
    for (wchar_t& c : text) {
        c = c == L'/' ? L'\\' : c;
    }
    if (text.compare(0, 4, L"\\\\.\\") == 0 || text == L"\\\\.") {
        return true;
    }
    if (text.compare(0, 4, L"\\\\?\\") != 0) {
        return text == L"\\\\?";
    }
    std::wstring rest = text.substr(4);
    bool drive = rest.size() >= 2 && rest[1] == L':' &&
                 ((rest[0] >= L'A' && rest[0] <= L'Z') || (rest[0] >= L'a' && rest[0] <= L'z')) &&
                 (rest.size() == 2 || rest[2] == L'\\');
    bool share = rest.size() > 4 && EqualNoCase(rest.substr(0, 4), L"UNC\\");
    return !drive && !share;
}

namespace {

// Windows opens a device for these names, with or without an extension ("nul.txt").
bool IsDeviceName(std::wstring part) {
    size_t dot = part.find(L'.');
    if (dot != std::wstring::npos) {
        part.erase(dot);
    }
    while (!part.empty() && part.back() == L' ') {
        part.pop_back();
    }
    for (wchar_t& c : part) {
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - L'a' + L'A');
        }
    }
    if (part == L"CON" || part == L"PRN" || part == L"AUX" || part == L"NUL" || part == L"CONIN$" ||
        part == L"CONOUT$") {
        return true;
    }
    if (part.size() == 4 && (part.compare(0, 3, L"COM") == 0 || part.compare(0, 3, L"LPT") == 0)) {
        wchar_t n = part[3];
        return (n >= L'1' && n <= L'9') || n == L'\u00B9' || n == L'\u00B2' || n == L'\u00B3';
    }
    return false;
}

} // namespace

bool HasBadNameCharacter(C_WString const& text) {
    return HasBadNameCharacter(text.GetString(), text.Length());
}

bool HasBadNameCharacter(wchar_t const* text, int length) {
    for (int i = 0; i < length; ++i) {
        wchar_t c = text[i];
        if (c < 0x20 || (c < 0x80 && wcschr(L"\"<>|?*:", c) != nullptr)) {
            return true;
        }
    }
    return false;
}

bool HasControlCharacter(C_WString const& text) {
    for (int i = 0; i < text.Length(); ++i) {
        if (text.GetString()[i] < 0x20) {
            return true;
        }
    }
    return false;
}

bool HasTrailingDotPart(C_WString const& folderName) {
    std::wstring name(folderName.GetString(), static_cast<size_t>(folderName.Length()));
    for (size_t i = 0; i < name.size(); ++i) {
        bool partEnds = i + 1 == name.size() || name[i + 1] == L'\\' || name[i + 1] == L'/';
        if (partEnds && (name[i] == L'.' || name[i] == L' ')) {
            return true;
        }
    }
    return false;
}

bool IsUsableCopyName(C_WString const& folderName) {
    if (HasBadNameCharacter(folderName)) {
        return false;
    }
    std::wstring name(folderName.GetString(), static_cast<size_t>(folderName.Length()));
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of(L"\\/", start);
        if (end == std::wstring::npos) {
            end = name.size();
        }
        std::wstring part = name.substr(start, end - start);
        start = end + 1;
        if (part.empty()) {
            continue; // a doubled or trailing separator: no part of its own
        }
        if (part.find_first_not_of(L". ") == std::wstring::npos || IsDeviceName(part) ||
            part.size() > static_cast<size_t>(kMaxNameUnits)) {
            return false;
        }
    }
    return true;
}

C_WString FileCallPath(C_WString const& path, bool always) {
    if ((path.Length() <= kMaxShortFolderUnits && !always) || IsOddPathForm(path)) {
        return path;
    }
    std::wstring text = StripLongPrefix(std::wstring(path.GetString()));
    std::wstring full = FullPath(text);
    if (full.empty()) {
        return path;
    }
    return C_WString(LongForm(full).c_str());
}

bool IsFolderAt(C_WString const& path) {
    DWORD attributes = GetFileAttributesW(FileCallPath(path).GetString());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

C_WString MakeCopyCommand(C_WString const& source, C_WString const& target, bool treeOnly) {
    C_WString command(treeOnly ? L"xcopy /T /E /C /H /O /Y \"" : L"xcopy /E /C /H /O /Y \"");
    // The target gets a backslash and the copier adds the names below it.
    command += source.Length() >= MAX_PATH ? FileCallPath(source) : source;
    command += L"\" \"";
    command += target.Length() >= MAX_PATH - 12 ? FileCallPath(target) : target;
    command += L"\\\"";
    return command;
}

C_WString SystemCopierPath() {
    wchar_t folder[MAX_PATH + 1] = {};
    UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n > MAX_PATH) {
        return C_WString();
    }
    C_WString path(folder);
    path += L"\\xcopy.exe";
    return path;
}
