#pragma once
// Wide-text value type: UTF-16 code units with a small inline buffer. Out-of-range indices
// give -1 or an empty string; conversions to and from narrow text use the ANSI code page.
//
// Contract: the twin of C_String (same names; the surprising ones are explained there:
// IndexOfWhich's token unit, SubString's inclusive end, Enclose, EncloseInt). Overloads that
// take char* convert from the ANSI code page first. Never throws; when memory runs out an
// operation leaves the text as it was. Not thread-safe (like an int).
#include "ktora/string/C_String.h"

namespace ktora {

class C_Memory;

class C_WString {
public:
    C_WString();
    C_WString(const wchar_t* text);
    C_WString(const char* text);
    C_WString(const C_String& text);
    C_WString(const C_WString& other);
    virtual ~C_WString();

    C_WString& operator=(const C_WString& other);
    C_WString& operator=(const wchar_t* text);
    C_WString& operator=(const char* text);
    C_WString& operator=(const C_String& text);
    C_WString& operator=(const int& value);
    C_WString& operator=(const char& value);
    C_WString& operator=(const double& value);

    wchar_t* GetString() { return _data(); }
    const wchar_t* GetString() const { return _data(); }
    int Length() const { return m_nLength; }
    int WByteLength() const { return m_nLength * 2; }
    int ByteLength() const;
    bool Empty() const { return m_nLength == 0; }
    void Clear();
    int CharAt(int i) const;
    // Heap block size in units (terminator room included); 0 while the text is inline.
    unsigned Capacity() const { return m_nCapacity; }

    C_WString& operator+=(const C_WString& text);
    C_WString& operator+=(const wchar_t* text);
    C_WString& operator+=(const char* text);
    C_WString& operator+=(const wchar_t& c);
    C_WString& operator+=(const int& value);
    C_WString& operator+=(const char& value);
    C_WString& operator+=(const double& value);
    C_WString& operator<<(const C_WString& text);
    C_WString operator+(const C_WString& text) const;
    C_WString operator+(const char* text) const;
    C_WString operator+(const int& value) const;
    C_WString operator+(const char& value) const;
    C_WString operator+(const double& value) const;
    C_WString ConcatWChar(wchar_t c) const;

    bool operator==(const C_WString& s) const;
    bool operator==(const wchar_t* s) const;
    bool operator==(const char* s) const;
    bool operator!=(const C_WString& s) const { return !(*this == s); }
    bool operator!=(const wchar_t* s) const { return !(*this == s); }
    bool operator!=(const char* s) const { return !(*this == s); }
    bool operator<(const C_WString& s) const;
    bool operator<=(const C_WString& s) const;
    bool operator>(const C_WString& s) const;
    bool operator>=(const C_WString& s) const;
    bool Equals(const C_WString& s) const { return *this == s; }
    int CompareTo(const C_WString& s) const;
    bool StartsWith(const C_WString& s, int from) const;
    bool StartsWith(const C_WString& s) const { return StartsWith(s, 0); }
    bool StartsWith(const char* s, int from) const;
    bool StartsWith(const char* s) const { return StartsWith(s, 0); }
    bool EndsWith(const C_WString& s) const;
    bool EndsWith(const char* s) const;

    int IndexOf(int c, int from) const;
    int IndexOf(int c) const { return IndexOf(c, 0); }
    int IndexOf(const C_WString& s, int from) const;
    int IndexOf(const C_WString& s) const { return IndexOf(s, 0); }
    int IndexOf(const char* s, int from) const;
    int IndexOf(const char* s) const { return IndexOf(s, 0); }
    int LastIndexOf(int c, int from) const;
    int LastIndexOf(int c) const { return LastIndexOf(c, m_nLength - 1); }
    int LastIndexOf(const C_WString& s, int from) const;
    int LastIndexOf(const C_WString& s) const { return LastIndexOf(s, m_nLength - 1); }
    int LastIndexOf(const char* s, int from) const;
    int LastIndexOf(const char* s) const { return LastIndexOf(s, m_nLength - 1); }
    // set is a run of `unit`-long tokens (see C_String).
    int IndexOfWhich(const C_WString& set, int from, int unit) const;
    int IndexOfSkip(const C_WString& set, int from, int unit) const;
    int IndexOfSkipQuote(const C_WString& s, int from) const;

    C_WString SubString(int from) const;
    // `to` is inclusive (see C_String).
    C_WString SubString(int from, int to) const;
    C_WString ToUpper() const;
    C_WString ToLower() const;
    C_WString Trim() const;
    C_WString TrimChars(const C_WString& set, const int& unit) const;
    C_WString TrimFirstChars(const C_WString& set, const int& unit) const;
    C_WString TrimLastChars(const C_WString& set, const int& unit) const;
    C_WString TrimChars(const char* set, const int& unit) const;
    C_WString TrimFirstChars(const char* set, const int& unit) const;
    C_WString TrimLastChars(const char* set, const int& unit) const;
    C_WString Squeeze(const C_WString& set) const;
    C_WString Squeeze(const char* set) const;
    C_WString Replace(wchar_t from, wchar_t to) const;
    C_WString Replace(const C_WString& from, const C_WString& to) const;
    C_WString Replace(const char* from, const char* to) const;
    // Between open and close; keep keeps the delimiters (see C_String).
    C_WString Enclose(const C_WString& open, const C_WString& close, int from, int* next,
                      const int& keep) const;
    C_WString Enclose(const char* open, const char* close, int from, int* next,
                      const int& keep) const;
    C_WString ToWString() const { return *this; }
    // ToString converts to the ANSI code page; ToByteString copies the raw UTF-16LE bytes.
    C_String ToString() const;
    C_String ToByteString() const;

    long long EncloseInt64(int from, int* next, int flags, int* digits) const;
    int EncloseInt(int from, int* next, int flags, int* digits) const;
    unsigned ToCharArray(char* buf, unsigned size) const;

    static C_WString Stringf(const wchar_t* format, ...);
    static C_WString StringfEx(wchar_t* buf, unsigned size, const wchar_t* format, ...);
    static C_WString StringfEx(C_Memory* block, const wchar_t* format, ...);

    int _reserve(int n);
    int _appendchar(wchar_t c);

private:
    friend class C_String;
    // Adopts a heap block of exactly length + 1 units when adopt is set, else copies.
    C_WString(wchar_t* text, const int& length, const bool& adopt);
    static C_WString _from(const wchar_t* text, int length);

    wchar_t* _data() { return m_pszHeap ? m_pszHeap : m_szBuffer; }
    const wchar_t* _data() const { return m_pszHeap ? m_pszHeap : m_szBuffer; }
    bool _common_eq(const wchar_t* text, int length);
    bool _append(const wchar_t* text, int length);
    void _assign_narrow(const char* text, int bytes);

    wchar_t m_szBuffer[32];
    wchar_t* m_pszHeap;
    int m_nLength;
    unsigned m_nCapacity;
};

C_WString operator+(const wchar_t* left, const C_WString& right);

} // namespace ktora
