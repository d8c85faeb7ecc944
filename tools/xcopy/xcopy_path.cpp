#include "tools/xcopy/xcopy_path.h"

#include "ktora/file/ktora_file.h"
#include "ktora/string/C_WString.h"

#include <windows.h>

#include <vector>

namespace xcopy {

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

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool IsSameOrInside(const std::wstring& inner, const std::wstring& outer) {
    std::wstring o = outer;
    while (o.size() > 1 && o.back() == L'\\')
        o.pop_back();
    if (SamePath(inner, o))
        return true;
    o += L'\\';
    return inner.size() > o.size() && SamePath(inner.substr(0, o.size()), o);
}

bool CreateFolderTree(const std::wstring& fullPath) {
    // The long form, so that the levels beyond MAX_PATH can be made too.
    return ktora::common::ktora_CreateDirectory(ktora::C_WString(LongPath(fullPath).c_str()), 0) ==
           1;
}

} // namespace xcopy
