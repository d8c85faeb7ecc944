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

template <class Visit>
bool Walk(std::wstring const& root, std::wstring const& below, Visit visit,
          std::atomic<int> const* abort) {
    if (abort != nullptr && *abort) {
        return false; // a deep tree takes long: an abort must not wait for the whole walk
    }
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
        ok = Walk(root, folder, visit, abort) && ok;
        if (abort != nullptr && *abort) {
            return false;
        }
    }
    return ok;
}

// Always the \\?\ form: a tree may reach deeper than MAX_PATH below a short root.
std::wstring RootOf(C_WString const& folder) {
    return FileCallPath(folder, true).GetString();
}

} // namespace

bool TreeListing::List(std::wstring const& root, std::vector<Entry>* entries, int* files,
                       std::atomic<int> const* abort) {
    entries->clear();
    *files = 0;
    bool ok = Walk(
        root, std::wstring(),
        [&](std::wstring const& path, bool folder, unsigned long long size) {
            entries->push_back({Upper(path), folder, size});
            *files += folder ? 0 : 1;
        },
        abort);
    std::sort(entries->begin(), entries->end(), ByPath);
    return ok;
}

bool TreeListing::Take(C_WString const& root, std::atomic<int> const* abort) {
    return List(RootOf(root), &m_Entries, &m_nFiles, abort);
}

bool TreeListing::IsCopiedInto(C_WString const& target, bool foldersOnly,
                               std::atomic<int> const* abort) const {
    if (!IsFolderAt(target)) {
        return false;
    }
    std::vector<Entry> copied;
    int files = 0;
    if (!List(RootOf(target), &copied, &files, abort) && abort != nullptr && *abort) {
        return false;
    }
    for (Entry const& e : m_Entries) {
        if (foldersOnly && !e.folder) {
            continue;
        }
        auto it = std::lower_bound(copied.begin(), copied.end(), e, ByPath);
        if (it == copied.end() || it->path != e.path || it->folder != e.folder ||
            (!e.folder && it->size != e.size)) {
            return false;
        }
    }
    return true;
}
