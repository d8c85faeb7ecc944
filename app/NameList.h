#pragma once
// A names file: one folder name per line (a roster, a client list), read once and shared by
// the plan, the preview and the run without being copied.
//
// Read as profiles are read (UTF-8 with or without its mark, UTF-16 with its mark, else the
// system code page), only from a file on a disk, up to 16 MiB. Each line is trimmed of spaces,
// tabs and U+3000; blank lines and lines whose first character is "#" are skipped. Line
// numbers are those an editor shows (CR LF, LF or a lone CR ends a line).
#include <memory>
#include <string>
#include <vector>

#include "ktora/string/C_WString.h"

// Why a names file cannot name a run.
enum class NameListError {
    kNone,
    kUnreadable, // missing, no file on a disk, too large or unreadable
    kEmpty,      // no name in it
    kBadName,    // a name no folder can have: \ / tab, a character or device name Windows
                 // refuses, a dot or blank at the end, only dots, or longer than 255
    kDuplicate,  // the same name twice, compared as Windows compares folder names
};

class NameList {
public:
    // The largest file read.
    static constexpr unsigned long long kMaxBytes = 16ull << 20;

    // Reads and checks the file at path. previous, when it was read from the same path and the
    // file's size and last-write time are unchanged, is given back as it is. Never null.
    static std::shared_ptr<NameList const> Load(ktora::C_WString const& path,
                                                std::shared_ptr<NameList const> const& previous);

    NameListError Error() const { return m_error; }
    // kBadName: the line of the name; kDuplicate: the later line (the first one in file order
    // that repeats an earlier name) and that earlier line. 0 otherwise.
    int ErrorLine() const { return m_errorLine; }
    int FirstLine() const { return m_firstLine; }

    ktora::C_WString const& Path() const { return m_path; }
    int Count() const { return static_cast<int>(m_at.size()); }
    // Name index (from 0, below Count()), in file order.
    ktora::C_WString Name(int index) const;
    int NameLength(int index) const { return m_length[static_cast<size_t>(index)]; }
    // The longest name's length in UTF-16 units.
    int LongestLength() const { return m_longest; }
    // The index of the name equal to text (ignoring case, as Windows compares folder names), or
    // -1: a binary search of one case-blind table.
    int IndexOf(wchar_t const* text, int length) const;
    // Indices of the names whose part before the first "." (blanks before it not counted) is
    // at most stemLength long: only those can join a short text into a device name ("co" +
    // "m1"). Ascending by that length, so the caller stops early.
    std::vector<int> ShortNames(int stemLength) const;

    // A list from names as they would be read from lines 1, 2, ... (for tests and benchmarks).
    static std::shared_ptr<NameList const> FromText(std::wstring const& text);

private:
    void Parse(std::wstring text);
    // Orders name index's key against key (upper case), as units.
    int CompareKeys(int index, wchar_t const* key, int length) const;

    ktora::C_WString m_path;
    unsigned long long m_size = 0;
    unsigned long long m_written = 0;
    NameListError m_error = NameListError::kUnreadable;
    int m_errorLine = 0;
    int m_firstLine = 0;
    int m_longest = 0;
    // The names live in the text as read, and their keys at the same places in its upper-case
    // copy: no string per name.
    std::wstring m_text;
    std::wstring m_keys;
    std::vector<size_t> m_at;                 // where each name starts
    std::vector<int> m_length;                // and its length
    std::vector<int> m_lines;                 // each name's line number
    std::vector<int> m_sorted;                // name indices ordered by key, ties by index
    std::vector<std::pair<int, int>> m_stems; // (stem length, index) of names with short stems
};
