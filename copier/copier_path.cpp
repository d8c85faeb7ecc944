#include "copier/copier_path.h"

#include "ktora/file/ktora_file.h"
#include "ktora/string/C_WString.h"

#include <windows.h>

#include <vector>

namespace copier {

std::wstring FullPath(const std::wstring& path) {
    if (path.empty())
        return std::wstring();
    DWORD need = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (!need)
        return std::wstring();
    std::vector<wchar_t> buf(need + 1);
    DWORD n = GetFullPathNameW(path.c_str(), need + 1, buf.data(), nullptr);
    if (!n || n > need)
        return std::wstring();
    std::wstring out(buf.data(), n);
    // Device paths such as \\?\ or \\.\ are taken as they are.
    return out;
}

std::wstring LongPath(const std::wstring& p) {
    if (p.compare(0, 4, L"\\\\?\\") == 0 || p.compare(0, 4, L"\\\\.\\") == 0)
        return p;
    if (p.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + p.substr(2);
    return L"\\\\?\\" + p;
}

std::wstring JoinPath(const std::wstring& a, const std::wstring& b) {
    if (a.empty())
        return b;
    if (a.back() == L'\\' || a.back() == L':')
        return a + b;
    return a + L"\\" + b;
}

std::wstring ParentPath(const std::wstring& p) {
    size_t pos = p.find_last_of(L'\\');
    if (pos == std::wstring::npos)
        return std::wstring();
    // Keep the separator of a drive root ("C:\") and of the \\?\ prefix.
    if (pos == 0 || (pos > 0 && p[pos - 1] == L':') || (pos > 0 && p[pos - 1] == L'?'))
        return p.substr(0, pos + 1);
    return p.substr(0, pos);
}

std::wstring LastName(const std::wstring& p) {
    size_t pos = p.find_last_of(L"\\:");
    return pos == std::wstring::npos ? p : p.substr(pos + 1);
}

std::wstring PlainPath(const std::wstring& p) {
    if (p.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        return L"\\\\" + p.substr(8);
    if (p.compare(0, 4, L"\\\\?\\") == 0)
        return p.substr(4);
    return p;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    const std::wstring pa = PlainPath(a), pb = PlainPath(b);
    return CompareStringOrdinal(pa.c_str(), static_cast<int>(pa.size()), pb.c_str(),
                                static_cast<int>(pb.size()), TRUE) == CSTR_EQUAL;
}

bool IsSameOrInside(const std::wstring& innerPath, const std::wstring& outer) {
    const std::wstring inner = PlainPath(innerPath);
    std::wstring o = PlainPath(outer);
    while (o.size() > 1 && o.back() == L'\\')
        o.pop_back();
    if (SamePath(inner, o))
        return true;
    o += L'\\';
    return inner.size() > o.size() && SamePath(inner.substr(0, o.size()), o);
}

bool GetIdentity(const std::wstring& fullPath, FileIdentity& id) {
    // Backup semantics open folders too; attributes-only access opens what reading would not.
    HANDLE h = CreateFileW(LongPath(fullPath).c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (ok) {
        id.volume = info.dwVolumeSerialNumber;
        id.indexHigh = info.nFileIndexHigh;
        id.indexLow = info.nFileIndexLow;
    }
    return ok;
}

bool IsFolderSameOrInside(const std::wstring& inner, const std::wstring& outer) {
    if (IsSameOrInside(inner, outer))
        return true;
    FileIdentity target;
    if (!GetIdentity(outer, target))
        return false;
    // Up from `inner` through every level that exists; the parent of a root is itself.
    for (std::wstring p = LongPath(inner);;) {
        FileIdentity id;
        if (GetIdentity(p, id) && id == target)
            return true;
        const std::wstring up = ParentPath(p);
        if (up.empty() || up.size() >= p.size())
            return false;
        p = up;
    }
}

bool CreateFolderTree(const std::wstring& fullPath) {
    // The long form, so that the levels beyond MAX_PATH can be made too.
    return ktora::common::ktora_CreateDirectory(ktora::C_WString(LongPath(fullPath).c_str()), 0) ==
           1;
}

} // namespace copier
