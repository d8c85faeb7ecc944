#pragma once
// What a folder tree holds: every folder and file below it with its size and last-write time.
// A copy is checked against its source's listing, so a copier that ended early (killed,
// crashed, closed) cannot pass a truncated or stale copy for a whole one, whatever exit code it
// reported. Both walks keep their own stack: a tree as deep as paths allow lists without
// exhausting the thread's stack.
#include <atomic>
#include <string>
#include <vector>

#include "ktora/string/C_WString.h"

class TreeListing {
public:
    // Why a copy did not pass.
    enum class Fault {
        kNone,
        kMissing,  // a file or folder of the source is not in the copy (under its own name)
        kDiffers,  // a file is there with another size or last-write time
        kUnlisted, // the source could not be listed whole (path: the first folder that failed)
        kAborted,  // the abort flag was set during the check
    };
    struct Result {
        Fault fault = Fault::kNone;
        std::wstring path; // below the root ("sub\a.txt"); empty for the root itself
    };

    // Lists the tree below root, following folder links as a copier does (a link back to a
    // folder on the current path is listed but not entered). False when root or a folder below
    // it cannot be listed, or abort (may be null) was set; every check then fails with kUnlisted.
    bool Take(ktora::C_WString const& root, std::atomic<int> const* abort = nullptr);
    // Files in the tree (folders not counted).
    int Files() const { return m_nFiles; }
    // Their sizes added up.
    unsigned long long Bytes() const { return m_nBytes; }

    // Whether target holds every folder of this tree and, unless foldersOnly, every file with
    // the same size and last-write time (2 s apart allowed on FAT, FAT32 and exFAT targets).
    // Names compare without regard to case, except names that differ only in case in the
    // source, which must each be there as they are. More in the target is no fault.
    Result Check(ktora::C_WString const& target, bool foldersOnly,
                 std::atomic<int> const* abort = nullptr) const;
    bool IsCopiedInto(ktora::C_WString const& target, bool foldersOnly,
                      std::atomic<int> const* abort = nullptr) const {
        return Check(target, foldersOnly, abort).fault == Fault::kNone;
    }

private:
    struct Item {
        std::wstring name;
        bool folder = false;
        bool twin = false; // another item of its folder differs from it only in case
        unsigned long long size = 0;
        unsigned long long time = 0; // last write, FILETIME units
        int sub = -1;                // a folder's own record, when it was entered
    };
    struct Folder {
        int parent = -1;
        int item = -1; // its item in the parent's list
        std::vector<Item> items;
    };
    std::wstring PathOf(int folder, int item) const;

    std::vector<Folder> m_Folders; // [0] is the root
    int m_nFiles = 0;
    unsigned long long m_nBytes = 0;
    bool m_bWhole = false;
    std::wstring m_unlisted; // the folder that could not be listed
};
