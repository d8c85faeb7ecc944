#include "app/TreeListing.h"

#include <windows.h>

#include <algorithm>

#include "app/CopyPaths.h"

using ktora::C_WString;

namespace {

// FAT keeps write times in steps of 2 s, so a copy's time there may lie up to 2 s off.
constexpr unsigned long long kFatSlack = 2ull * 10000000ull;

bool Stopped(std::atomic<int> const* abort) {
    return abort != nullptr && abort->load() != 0;
}

int CompareNames(std::wstring const& a, std::wstring const& b, bool ignoreCase) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), ignoreCase ? TRUE : FALSE);
}

unsigned long long Join(DWORD high, DWORD low) {
    return (static_cast<unsigned long long>(high) << 32) | low;
}

HANDLE OpenForInfo(std::wstring const& path) {
    // Follows links: what a copier reads through them is what counts.
    return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// A folder's identity, the same through every link or drive letter that reaches it.
struct Identity {
    DWORD volume = 0;
    unsigned long long index = 0;
    bool known = false;
    bool operator==(Identity const& o) const {
        return known && o.known && volume == o.volume && index == o.index;
    }
};

Identity IdentityOf(std::wstring const& path) {
    Identity id;
    HANDLE h = OpenForInfo(path);
    if (h == INVALID_HANDLE_VALUE) {
        return id;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(h, &info)) {
        id.volume = info.dwVolumeSerialNumber;
        id.index = Join(info.nFileIndexHigh, info.nFileIndexLow);
        id.known = true;
    }
    CloseHandle(h);
    return id;
}

struct Entry {
    std::wstring name;
    bool folder = false;
    bool twin = false;
    unsigned long long size = 0;
    unsigned long long time = 0;
};

// Case-blind order, and within one case-blind name the exact order.
bool ByName(Entry const& a, Entry const& b) {
    int c = CompareNames(a.name, b.name, true);
    if (c == CSTR_EQUAL) {
        c = CompareNames(a.name, b.name, false);
    }
    return c == CSTR_LESS_THAN;
}

// One folder's entries, sorted by name; twins marked. False when it cannot be listed.
bool ListFolder(std::wstring const& folder, std::vector<Entry>* entries) {
    entries->clear();
    std::wstring pattern = folder + L"\\*";
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    do {
        Entry e;
        e.name = data.cFileName;
        if (e.name == L"." || e.name == L"..") {
            continue;
        }
        e.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        e.size = Join(data.nFileSizeHigh, data.nFileSizeLow);
        e.time = Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
        if (!e.folder && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            // A file link is copied as the file it leads to: its size and time are the target's.
            HANDLE file = OpenForInfo(folder + L"\\" + e.name);
            BY_HANDLE_FILE_INFORMATION info;
            if (file != INVALID_HANDLE_VALUE) {
                if (GetFileInformationByHandle(file, &info)) {
                    e.size = Join(info.nFileSizeHigh, info.nFileSizeLow);
                    e.time = Join(info.ftLastWriteTime.dwHighDateTime,
                                  info.ftLastWriteTime.dwLowDateTime);
                }
                CloseHandle(file);
            }
        }
        entries->push_back(std::move(e));
    } while (FindNextFileW(h, &data));
    FindClose(h);
    std::sort(entries->begin(), entries->end(), ByName);
    for (size_t i = 1; i < entries->size(); ++i) {
        if (CompareNames((*entries)[i - 1].name, (*entries)[i].name, true) == CSTR_EQUAL) {
            (*entries)[i - 1].twin = (*entries)[i].twin = true;
        }
    }
    return true;
}

// The copy's entry for a source entry: the same name without regard to case, or exactly the
// same name for a twin. Null when there is none.
Entry const* Match(std::vector<Entry> const& got, std::wstring const& name, bool twin) {
    Entry key;
    key.name = name;
    auto it = std::lower_bound(got.begin(), got.end(), key, [](Entry const& a, Entry const& b) {
        return CompareNames(a.name, b.name, true) == CSTR_LESS_THAN;
    });
    Entry const* blind = nullptr;
    for (; it != got.end() && CompareNames(it->name, name, true) == CSTR_EQUAL; ++it) {
        if (it->name == name) {
            return &*it;
        }
        if (blind == nullptr) {
            blind = &*it;
        }
    }
    return twin ? nullptr : blind;
}

unsigned long long TimeSlack(std::wstring const& root) {
    wchar_t system[MAX_PATH + 1] = {};
    bool known = false;
    HANDLE h = OpenForInfo(root);
    if (h != INVALID_HANDLE_VALUE) {
        known = GetVolumeInformationByHandleW(h, nullptr, 0, nullptr, nullptr, nullptr, system,
                                              MAX_PATH + 1) != 0;
        CloseHandle(h);
    }
    if (!known) {
        wchar_t volume[MAX_PATH + 1] = {};
        known = GetVolumePathNameW(root.c_str(), volume, MAX_PATH + 1) &&
                GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, nullptr, system,
                                      MAX_PATH + 1);
    }
    if (!known) {
        return kFatSlack; // unknown: a fault in the times may be the file system's steps
    }
    std::wstring name(system);
    for (wchar_t const* fat : {L"FAT", L"FAT32", L"exFAT"}) {
        if (CompareNames(name, fat, true) == CSTR_EQUAL) {
            return kFatSlack;
        }
    }
    return 0;
}

// Always the \\?\ form: a tree may reach deeper than MAX_PATH below a short root.
std::wstring RootOf(C_WString const& folder) {
    return FileCallPath(folder, true).GetString();
}

} // namespace

std::wstring TreeListing::PathOf(int folder, int item) const {
    std::vector<std::wstring const*> names;
    if (item >= 0) {
        names.push_back(
            &m_Folders[static_cast<size_t>(folder)].items[static_cast<size_t>(item)].name);
    }
    for (int f = folder; f > 0; f = m_Folders[static_cast<size_t>(f)].parent) {
        Folder const& record = m_Folders[static_cast<size_t>(f)];
        names.push_back(&m_Folders[static_cast<size_t>(record.parent)]
                             .items[static_cast<size_t>(record.item)]
                             .name);
    }
    std::wstring path;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if (!path.empty()) {
            path += L"\\";
        }
        path += **it;
    }
    return path;
}

bool TreeListing::Take(C_WString const& rootFolder, std::atomic<int> const* abort) {
    m_Folders.assign(1, Folder());
    m_nFiles = 0;
    m_nBytes = 0;
    m_unlisted.clear();
    std::wstring path = RootOf(rootFolder);
    std::vector<Entry> entries;
    auto list = [&](int folder) {
        if (!ListFolder(path, &entries)) {
            m_unlisted = PathOf(folder, -1);
            return false;
        }
        std::vector<Item>& items = m_Folders[static_cast<size_t>(folder)].items;
        items.reserve(entries.size());
        for (Entry& e : entries) {
            Item item;
            item.name = std::move(e.name);
            item.folder = e.folder;
            item.twin = e.twin;
            item.size = e.size;
            item.time = e.time;
            m_nFiles += e.folder ? 0 : 1;
            m_nBytes += e.folder ? 0 : e.size;
            items.push_back(std::move(item));
        }
        return true;
    };
    m_bWhole = false;
    if (Stopped(abort) || !list(0)) {
        return false;
    }
    struct Frame {
        int folder;
        size_t next;
        size_t length; // of path for this folder
        Identity id;
    };
    std::vector<Frame> stack;
    stack.push_back({0, 0, path.size(), IdentityOf(path)});
    while (!stack.empty()) {
        if (Stopped(abort)) {
            return false;
        }
        Frame& top = stack.back();
        std::vector<Item> const& items = m_Folders[static_cast<size_t>(top.folder)].items;
        while (top.next < items.size() && !items[top.next].folder) {
            ++top.next;
        }
        if (top.next == items.size()) {
            stack.pop_back();
            if (!stack.empty()) {
                path.resize(stack.back().length);
            }
            continue;
        }
        const int parent = top.folder;
        const int index = static_cast<int>(top.next++);
        path.resize(top.length);
        path += L"\\";
        path += items[static_cast<size_t>(index)].name;
        // A link back to a folder on the current path (Wine shows a Unix link as a plain
        // folder, so no attribute tells) is listed but not entered, or the walk never ends.
        Identity id = IdentityOf(path);
        if (std::any_of(stack.begin(), stack.end(), [&](Frame const& f) { return f.id == id; })) {
            continue;
        }
        const int folder = static_cast<int>(m_Folders.size());
        Folder record;
        record.parent = parent;
        record.item = index;
        m_Folders.push_back(std::move(record));
        m_Folders[static_cast<size_t>(parent)].items[static_cast<size_t>(index)].sub = folder;
        if (!list(folder)) {
            return false;
        }
        stack.push_back({folder, 0, path.size(), id});
    }
    m_bWhole = true;
    return true;
}

TreeListing::Result TreeListing::Check(C_WString const& target, bool foldersOnly,
                                       std::atomic<int> const* abort) const {
    Result result;
    if (!m_bWhole) {
        result.fault = Fault::kUnlisted;
        result.path = m_unlisted;
        return result;
    }
    const std::wstring root = RootOf(target);
    const DWORD attributes = GetFileAttributesW(root.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        result.fault = Fault::kMissing;
        return result;
    }
    const unsigned long long slack = foldersOnly ? 0 : TimeSlack(root);
    struct Pending {
        int folder;
        std::wstring path; // the copy's folder, as the copy names it
    };
    std::vector<Pending> stack;
    stack.push_back({0, root});
    std::vector<Entry> got;
    while (!stack.empty()) {
        if (Stopped(abort)) {
            result.fault = Fault::kAborted;
            return result;
        }
        Pending pending = std::move(stack.back());
        stack.pop_back();
        std::vector<Item> const& items = m_Folders[static_cast<size_t>(pending.folder)].items;
        // A folder that cannot be listed holds none of what the source's holds.
        ListFolder(pending.path, &got);
        for (size_t i = 0; i < items.size(); ++i) {
            Item const& item = items[i];
            if (foldersOnly && !item.folder) {
                continue;
            }
            Entry const* copy = Match(got, item.name, item.twin);
            Fault fault = Fault::kNone;
            if (copy == nullptr || copy->folder != item.folder) {
                fault = Fault::kMissing;
            } else if (!item.folder &&
                       (copy->size != item.size ||
                        (copy->time > item.time ? copy->time - item.time : item.time - copy->time) >
                            slack)) {
                fault = Fault::kDiffers;
            }
            if (fault != Fault::kNone) {
                result.fault = fault;
                result.path = PathOf(pending.folder, static_cast<int>(i));
                return result;
            }
            if (item.sub >= 0) {
                stack.push_back({item.sub, pending.path + L"\\" + copy->name});
            }
        }
    }
    return result;
}
