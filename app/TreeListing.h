#pragma once
// What a folder tree holds: every folder and file below it with its size. A copy is checked
// against its source's listing, so a copier that ended early (killed, crashed, closed) cannot
// pass a truncated copy for a whole one, whatever exit code it reported.
#include <atomic>
#include <string>
#include <vector>

#include "ktora/string/C_WString.h"

class TreeListing {
public:
    // Lists the tree below root. False when root or a folder below it cannot be listed, or when
    // abort (may be null) was set during the walk, which then stops at once.
    bool Take(ktora::C_WString const& root, std::atomic<int> const* abort = nullptr);
    // Files in the tree (folders not counted).
    int Files() const { return m_nFiles; }
    // True when target holds every folder of this tree and, unless foldersOnly, every file
    // with the same size. More in the target (files from before the run) is no fault.
    // False too when abort (may be null) was set during the walk.
    bool IsCopiedInto(ktora::C_WString const& target, bool foldersOnly,
                      std::atomic<int> const* abort = nullptr) const;

private:
    struct Entry {
        std::wstring path; // below the root, upper-cased: names compare without regard to case
        bool folder = false;
        unsigned long long size = 0;
    };
    static bool ByPath(Entry const& a, Entry const& b) { return a.path < b.path; }
    // Every entry below root (a \\?\ path), sorted by path; false when a folder could not be
    // listed.
    static bool List(std::wstring const& root, std::vector<Entry>* entries, int* files,
                     std::atomic<int> const* abort);

    std::vector<Entry> m_Entries; // sorted by path
    int m_nFiles = 0;
};
