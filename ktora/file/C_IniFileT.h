#pragma once

#include <string>

#include "ktora/file/C_FileStream.h"
#include "ktora/file/C_Time.h"
#include "ktora/string/C_String.h"
#include "ktora/string/C_WString.h"

namespace ktora {

template <class Ch> struct IniText;
template <> struct IniText<char> { using Str = C_String; };
template <> struct IniText<wchar_t> { using Str = C_WString; };

// A flat key=value settings file changed in place. Ch is char for files in the system code
// page (C_IniFile) and wchar_t for UTF-16 little-endian files (C_WIniFile); offsets and
// lengths are bytes for both.
//
// Line rules: a line ends at CR LF, LF or a lone CR; lines starting with "#" or a space are
// never key lines; the key runs to the first space or "="; at least one "=" must follow
// before the value, which runs to the end of the line. The first line holding a key is the
// one read, replaced or deleted. At most one change is pending; Commit writes it by patching
// the bytes concerned and shifting the rest of the file.
template <class Ch> class C_IniFileT {
public:
    using Str = typename IniText<Ch>::Str;

    C_IniFileT();
    explicit C_IniFileT(const C_WString& name);
    virtual ~C_IniFileT();
    C_IniFileT(const C_IniFileT&) = delete;
    C_IniFileT& operator=(const C_IniFileT&) = delete;

    // A pending change is committed to the file it was recorded for before the stream
    // moves on, and a lock held on the old file is released.
    int Open(const C_WString& name);
    int Close();
    int IsOpen() const { return m_Stream.IsOpen(); }
    C_WString GetIniName() { return m_strName; }
    // -1 when the file is not open or its status cannot be read.
    C_Time GetLastModified();

    Str GetStr(const Str& key);
    Str GetStr(int key);
    int GetInt(const Str& key);
    int GetInt(int key);
    int IsExistStr(const Str& key);
    int IsExistStr(int key);
    // A key that could never be found again (empty, holding a space, "=", CR, LF or NUL,
    // or starting with "#") or a value holding CR, LF or NUL is refused with last-error.
    void SetStr(const Str& key, const Str& value);
    void SetStr(const Str& key, int value);
    void SetStr(int key, const Str& value);
    void SetStr(int key, int value);
    int DeleteStr(const Str& key);
    int DeleteStr(int key);
    int DeleteAllStr();

    // 0 and last-error when nothing is pending or the change could not be written whole;
    // the file is then never cut below its content. A change that failed before anything
    // was written stays pending.
    int Commit();
    int RollBack();
    int IsCommit() const { return m_bPending; }
    void ClearAll();

    // Lock answers a C_FileStream::LockResult, or this when the object holds the lock already.
    enum : int { kLockAlreadyHeld = 3 };
    // Locks the whole file; waits at most milliseconds (negative: no limit).
    int Lock(int milliseconds);
    void Unlock();
    int IsLocked() const { return m_nLockLength != -1; }

    int IsLastError() const { return m_bLastError; }

    // The line rule on its own, for text that is not in a file of this kind: true when line
    // (without its line end) holds key, with the value's offset in units in *valueStart; the
    // value runs to the line's end or its first NUL.
    static bool ValueOfKeyLine(const std::basic_string<Ch>& line, const std::basic_string<Ch>& key,
                               size_t* valueStart);
    void ClearLastError() { m_bLastError = 0; }

protected:
    // Offset of the key's value within its line in bytes, or -1; the line's text length in
    // bytes goes to *lineLength when given.
    int _GetKeyPostion(const Str& key, int* lineLength = nullptr);
    Str _ReadStr(const Str& key);
    int _Read(const Str& key);
    void _Write(const Str& key, const Str& value);
    int _Delete(const Str& key);
    void _SetLastError() { m_bLastError = 1; }

private:
    using Units = std::basic_string<Ch>;

    struct KeyLine {
        __int64 lineStart;  // byte offset of the line
        __int64 lineLength; // bytes of the line's text, NULs included
        __int64 valueStart; // byte offset of the value within the line
        Units value;        // the value up to the line's end or its first NUL
    };

    bool FindKey(const Units& key, KeyLine* found);
    bool CommitPending();
    bool Truncate();
    // Commits a pending change before the stream is closed; a change that cannot be
    // written is dropped rather than left to land in another file.
    void SettlePending();
    void ReleaseLock();
    void ResetPending();
    static Units ToUnits(const Str& s);
    static Str FromInt(int v);
    static bool IsValidKey(const Units& key);
    static bool IsValidValue(const Units& value);

    C_WString m_strName;
    C_FileStream m_Stream;
    Units m_PendingKey;
    Units m_PendingValue;
    __int64 m_nPos;
    __int64 m_nDiff;
    __int64 m_nOldLength;
    int m_nOperation;
    int m_bPending;
    int m_bLastError;
    int m_nLockLength;
};

extern template class C_IniFileT<char>;
extern template class C_IniFileT<wchar_t>;

} // namespace ktora
