#include "app/copy_paths.h"

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

using ktora::C_WString;

namespace {

bool LongName(std::wstring const& path, std::wstring* result) {
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

// Absolute form without trailing separators; empty when the path cannot be resolved.
std::wstring Absolute(std::wstring path) {
    if (!path.empty() && path.back() == L':') {
        path += L'\\'; // a bare drive means its root here, not its current folder
    }
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
    std::wstring full(buffer.data(), n);
    // Long names, so a short 8.3 alias of the same folder compares equal. A destination need
    // not exist yet: its longest existing beginning is resolved and the rest kept as typed.
    std::wstring rest;
    for (;;) {
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

bool EqualNoCase(wchar_t const* a, int aLength, wchar_t const* b, int bLength) {
    return CompareStringOrdinal(a, aLength, b, bLength, TRUE) == CSTR_EQUAL;
}

bool EqualNoCase(std::wstring const& a, std::wstring const& b) {
    return EqualNoCase(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                       static_cast<int>(b.size()));
}

// True when path lies strictly inside folder.
bool IsInside(std::wstring const& path, std::wstring const& folder) {
    std::wstring prefix = folder;
    if (prefix.back() != L'\\') {
        prefix += L'\\';
    }
    return path.size() > prefix.size() &&
           EqualNoCase(path.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
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

bool IsSelfCopy(C_WString const& source, C_WString const& destination) {
    if (source.Empty() || destination.Empty()) {
        return false;
    }
    std::wstring src = Absolute(source.GetString());
    std::wstring dest = Absolute(destination.GetString());
    if (src.empty() || dest.empty()) {
        return false;
    }
    if (EqualNoCase(src, dest) || IsInside(dest, src)) {
        return true;
    }
    std::wstring parent = Parent(src);
    return !parent.empty() && EqualNoCase(parent, dest);
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

bool IsUsableCopyName(C_WString const& folderName) {
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
        if (part.find_first_not_of(L". ") == std::wstring::npos || IsDeviceName(part)) {
            return false;
        }
        for (wchar_t c : part) {
            if (c < 0x20 || wcschr(L"\"<>|?*:", c) != nullptr) {
                return false;
            }
        }
    }
    return true;
}

C_WString MakeCopyCommand(C_WString const& source, C_WString const& target) {
    C_WString command(L"xcopy /E /C /H /O /Y \"");
    command += source;
    command += L"\" \"";
    command += target;
    command += L"\\\"";
    return command;
}
