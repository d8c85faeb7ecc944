#pragma once
// Narrow-text value type: bytes in the system ANSI code page (Shift_JIS on Japanese
// systems), indexed by bytes; the same small-buffer design as C_WString, and the same
// member names, so that the two stay twins (StringOps.h holds the shared algorithms).
// ToByteWString answers a C_WString: include C_WString.h to call it.
//
// Contract: a value type that never throws; when memory runs out an operation leaves the
// text as it was. Searches answer -1 for "not found"; cutting operations answer an empty
// string for an empty or out-of-range range. Not thread-safe (like an int).

namespace ktora {

class C_Memory;
class C_WString;
namespace common {
class System;
}

class C_String {
public:
    C_String();
    C_String(const C_String& other);
    C_String(const char* text);
    virtual ~C_String();

    C_String& operator=(const C_String& other);
    C_String& operator=(const char* text);
    C_String& operator=(const int& value);
    C_String& operator=(const char& value);

    char* GetString() { return _data(); }
    const char* GetString() const { return _data(); }
    int Length() const { return m_nLength; }
    int ByteLength() const { return m_nLength; }
    bool Empty() const { return m_nLength == 0; }
    void Clear();
    // The byte at i; out of range gives the byte 255 (-1 as a signed char).
    char CharAt(int i) const;
    // Heap block size in bytes (terminator room included); 0 while the text is inline.
    int Capacity() const { return m_nCapacity; }

    C_String& operator+=(const C_String& text);
    C_String& operator+=(const char* text);
    C_String& operator+=(const int& value);
    C_String& operator+=(const char& value);
    C_String& operator<<(const C_String& text);
    C_String operator+(const C_String& text) const;
    C_String operator+(const char* text) const;
    C_String operator+(const int& value) const;
    C_String operator+(const char& value) const;

    bool operator==(const C_String& s) const;
    bool operator==(const char* s) const;
    bool operator!=(const C_String& s) const { return !(*this == s); }
    bool operator!=(const char* s) const { return !(*this == s); }
    bool operator<(const C_String& s) const;
    bool operator<=(const C_String& s) const;
    bool operator>(const C_String& s) const;
    bool operator>=(const C_String& s) const;
    bool Equals(const C_String& s) const { return *this == s; }
    int CompareTo(const C_String& s) const;
    bool StartsWith(const char* s, int from) const;
    bool StartsWith(const C_String& s, int from) const;
    bool StartsWith(const char* s) const { return StartsWith(s, 0); }
    bool StartsWith(const C_String& s) const { return StartsWith(s, 0); }
    bool EndsWith(const char* s) const;
    bool EndsWith(const C_String& s) const;

    int IndexOf(int c, int from) const;
    int IndexOf(int c) const { return IndexOf(c, 0); }
    int IndexOf(const char* s, int from) const;
    int IndexOf(const char* s) const { return IndexOf(s, 0); }
    int IndexOf(const C_String& s, int from) const;
    int IndexOf(const C_String& s) const { return IndexOf(s, 0); }
    int LastIndexOf(int c, int from) const;
    int LastIndexOf(int c) const { return LastIndexOf(c, m_nLength - 1); }
    int LastIndexOf(const char* s, int from) const;
    int LastIndexOf(const char* s) const { return LastIndexOf(s, m_nLength - 1); }
    int LastIndexOf(const C_String& s, int from) const;
    int LastIndexOf(const C_String& s) const { return LastIndexOf(s, m_nLength - 1); }
    // set is a run of tokens `unit` units long each ("abcd" with unit 2: "ab" and "cd"). The
    // first index from `from` where a token starts; IndexOfSkip: the first where none does,
    // stepping by unit. -1 when there is none or unit <= 0.
    int IndexOfWhich(const C_String& set, int from, int unit) const;
    int IndexOfSkip(const C_String& set, int from, int unit) const;
    // Like IndexOf, but not inside a '...' or "..." run; -1 also when a quote is unclosed.
    int IndexOfSkipQuote(const C_String& s, int from) const;

    C_String SubString(int from) const;
    // `to` is inclusive: SubString(1, 2) of "abcd" is "bc"; to == Length() counts as the last.
    C_String SubString(int from, int to) const;
    C_String ToUpper() const;
    C_String ToLower() const;
    C_String Trim() const;
    // set and unit as for IndexOfWhich: whole tokens are trimmed, not single characters.
    C_String TrimChars(const char* set, const int& unit) const;
    C_String TrimFirstChars(const char* set, const int& unit) const;
    C_String TrimLastChars(const char* set, const int& unit) const;
    // Runs of one repeated character of set become one (an empty set: any character).
    C_String Squeeze(const char* set) const;
    C_String Replace(char from, char to) const;
    C_String Replace(const char* from, const char* to) const;
    C_String Replace(const C_String& from, const C_String& to) const;
    // The text between the first `open` at or after from and the next `close` after it;
    // with keep, the delimiters are kept. No close: the rest of the text (plus close when
    // kept). No open: empty, or open + close when kept. *next: just past close, or -1.
    C_String Enclose(const char* open, const char* close, int from, int* next,
                     const int& keep) const;
    // The first run of digits at or after from, with the signs just before it; flags skip
    // quoted runs: 1 '...', 2 "..." (backslash escapes), 4 <...> tags. -1 when no digit
    // comes (then *next is -1); *next just past the digits, *digits their count.
    long long EncloseInt64(int from, int* next, int flags, int* digits) const;
    int EncloseInt(int from, int* next, int flags, int* digits) const;

    C_String ToString() const { return *this; }
    C_WString ToByteWString() const;
    int ToCharArray(char* buf) const;
    int ToCharArrayEx(char* buf, unsigned size) const;
    bool SetBytes(const void* src, int offset, int count, int length);

    bool IsSJIS_1(int i) const;
    bool IsSJIS_2(int i) const;

    static C_String Stringf(const char* format, ...);
    static C_String StringfEx(char* buf, unsigned size, const char* format, ...);
    static C_String StringfEx(C_Memory* block, const char* format, ...);

    int _reserve(int n);
    int _appendchar(char c);

private:
    friend class C_WString;
    // Its conversions of whole megabytes hand over the block they filled.
    friend class common::System;
    // Adopts a heap block of exactly length + 1 bytes when adopt is set, else copies.
    C_String(char* text, const int& length, const bool& adopt);
    static C_String _from(const char* text, int length);

    char* _data() { return m_pszHeap ? m_pszHeap : m_szBuffer; }
    const char* _data() const { return m_pszHeap ? m_pszHeap : m_szBuffer; }
    bool _common_eq(const char* text, int length);
    bool _append(const char* text, int length, int inlineLimit);
    C_String _replace(const char* from, int fromLength, const char* to, int toLength) const;

    char m_szBuffer[32];
    char* m_pszHeap;
    int m_nLength;
    int m_nCapacity;
};

} // namespace ktora
