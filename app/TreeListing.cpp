#include "app/TreeListing.h"

#include <windows.h>

#include <algorithm>

#include "app/CopyPaths.h"

using ktora::C_WString;

namespace {

std::wstring Upper(std::wstring text) {
    if (!text.empty()) {
        CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    }
    return text;
}

template <class Visit> bool Walk(std::wstring const& root, std::wstring const& below, Visit visit) {
    std::wstring pattern = root + below + L"\\*";
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    std::vector<std::wstring> folders;
    bool ok = true;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        std::wstring path = below + L"\\" + name;
        bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        unsigned long long size =
            (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        visit(path, folder, size);
        // A link or junction is copied as the folder it leads to; it is not followed here so
        // that a loop cannot make the listing endless.
        if (folder && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            folders.push_back(path);
        }
    } while (FindNextFileW(h, &data));
    FindClose(h);
    for (std::wstring const& folder : folders) {
        ok = Walk(root, folder, visit) && ok;
    }
    return ok;
}

// Always the \\?\ form: a tree may reach deeper than MAX_PATH below a short root.
std::wstring RootOf(C_WString const& folder) {
    return FileCallPath(folder, true).GetString();
}

} // namespace

bool TreeListing::Take(C_WString const& root) {
    m_Entries.clear();
    m_nFiles = 0;
    bool ok = Walk(RootOf(root), std::wstring(),
                   [this](std::wstring const& path, bool folder, unsigned long long size) {
                       m_Entries.push_back({Upper(path), folder, size});
                       m_nFiles += folder ? 0 : 1;
                   });
    std::sort(m_Entries.begin(), m_Entries.end(),
              [](Entry const& a, Entry const& b) { return a.path < b.path; });
    return ok;
}

bool TreeListing::IsCopiedInto(C_WString const& target, bool foldersOnly) const {
    std::wstring root = RootOf(target);
    DWORD attributes = GetFileAttributesW(root.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return false;
    }
    std::vector<Entry> copied;
    Walk(root, std::wstring(),
         [&copied](std::wstring const& path, bool folder, unsigned long long size) {
             copied.push_back({Upper(path), folder, size});
         });
    std::sort(copied.begin(), copied.end(),
              [](Entry const& a, Entry const& b) { return a.path < b.path; });
    for (Entry const& e : m_Entries) {
        if (foldersOnly && !e.folder) {
            continue;
        }
        auto it = std::lower_bound(copied.begin(), copied.end(), e,
                                   [](Entry const& a, Entry const& b) { return a.path < b.path; });
        if (it == copied.end() || it->path != e.path || it->folder != e.folder ||
            (!e.folder && it->size != e.size)) {
            return false;
        }
    }
    return true;
}
