#pragma once
// The lines of a debug log, kept in memory with no window: appending (optionally split at line
// separators), finding a line by its index, the text a row of the view shows, and the whole log
// as one text for the clipboard.
//
// A lookup walks from the nearest of the first line, the last line and the line found last, so
// that painting consecutive rows costs one step a row. Returned texts belong to the store and
// stay valid until lines are added or cleared. Nothing throws: when memory runs out a line is
// lost and the store stays usable. Not thread-safe: the debug window's thread owns it.
#include <cstddef>
#include <memory>
#include <string>

namespace ktora {

// One stored line; each line owns the one after it.
struct tag_DebugStr {
    std::wstring text;
    std::unique_ptr<tag_DebugStr> next;
    tag_DebugStr* prev = nullptr;
};

class C_DebugLines {
public:
    C_DebugLines() = default;
    ~C_DebugLines();
    C_DebugLines(C_DebugLines const&) = delete;
    C_DebugLines& operator=(C_DebugLines const&) = delete;

    // Appends text as one line or, with split, as lines that CR, LF and CR LF each end (a
    // separator at the end leaves a last empty line). The number of lines added.
    int Add(wchar_t const* text, bool split);
    // The 0-based line's text, or null past either end.
    wchar_t const* Get(int index);
    int Count() const { return m_nCount; }
    void Clear();

    // What row `index` shows, into out: with numbered its 1-based number and a blank first,
    // every tab as `tab` blanks (none for tab <= 0). False past either end (out untouched)
    // and when memory runs out.
    bool Row(int index, bool numbered, int tab, std::wstring& out);

    // Code units of the whole log with every line ended by CR LF, terminator not counted.
    size_t JoinedLength() const;
    // Writes that text and a terminator; out has room for JoinedLength() + 1 units.
    void JoinTo(wchar_t* out) const;

private:
    void AddLine(wchar_t const* text, size_t length);

    std::unique_ptr<tag_DebugStr> m_pFirst;
    tag_DebugStr* m_pLast = nullptr;
    tag_DebugStr* m_pCache = nullptr;
    int m_nCache = -1;
    int m_nCount = 0;
};

} // namespace ktora
