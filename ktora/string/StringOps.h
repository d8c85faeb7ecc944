#pragma once
// Algorithms shared by the wide and the narrow string. Internal to the two string sources:
// they work on (text, length) pairs so that both classes index by their own unit.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

namespace ktora {
namespace detail {

inline unsigned unit_of(wchar_t c) {
    return static_cast<unsigned short>(c);
}
inline unsigned unit_of(char c) {
    return static_cast<unsigned char>(c);
}

template <class T> struct StrOps {
    // Lexicographic order of the units read unsigned; a proper prefix sorts first.
    static int Order(const T* a, int na, const T* b, int nb) {
        const int n = na < nb ? na : nb;
        for (int i = 0; i < n; ++i) {
            if (a[i] != b[i]) {
                return unit_of(a[i]) < unit_of(b[i]) ? -1 : 1;
            }
        }
        return na == nb ? 0 : (na < nb ? -1 : 1);
    }

    static bool Equal(const T* a, int na, const T* b, int nb) {
        return na == nb && (na == 0 || std::memcmp(a, b, sizeof(T) * na) == 0);
    }

    static bool MatchAt(const T* p, int n, int at, const T* s, int sn) {
        if (at < 0 || sn < 0 || at > n - sn) {
            return false;
        }
        for (int k = 0; k < sn; ++k) {
            if (p[at + k] != s[k]) {
                return false;
            }
        }
        return true;
    }

    static bool StartsWith(const T* p, int n, const T* s, int sn, int from) {
        return MatchAt(p, n, from, s, sn);
    }

    static bool EndsWith(const T* p, int n, const T* s, int sn) {
        return sn <= n && MatchAt(p, n, n - sn, s, sn);
    }

    static int IndexOfChar(const T* p, int n, int c, int from) {
        if (from < 0 || from >= n) {
            return -1;
        }
        for (int i = from; i < n; ++i) {
            if (static_cast<int>(unit_of(p[i])) == c) {
                return i;
            }
        }
        return -1;
    }

    static int IndexOfStr(const T* p, int n, const T* s, int sn, int from) {
        if (from < 0 || from >= n || sn <= 0) {
            return -1;
        }
        for (int i = from; i <= n - sn; ++i) {
            if (MatchAt(p, n, i, s, sn)) {
                return i;
            }
        }
        return -1;
    }

    static int LastIndexOfChar(const T* p, int n, int c, int from) {
        if (from < 0) {
            return -1;
        }
        if (from >= n) {
            from = n - 1;
        }
        for (int i = from; i >= 0; --i) {
            if (static_cast<int>(unit_of(p[i])) == c) {
                return i;
            }
        }
        return -1;
    }

    static int LastIndexOfStr(const T* p, int n, const T* s, int sn, int from) {
        if (from < 0 || sn <= 0) {
            return -1;
        }
        if (from >= n) {
            from = n - 1;
        }
        if (from > n - sn) {
            from = n - sn;
        }
        for (int i = from; i >= 0; --i) {
            if (MatchAt(p, n, i, s, sn)) {
                return i;
            }
        }
        return -1;
    }

    // True when one of the unit-long tokens of set starts at index at.
    static bool TokenAt(const T* p, int n, int at, const T* set, int sn, int unit) {
        for (int k = 0; k + unit <= sn; k += unit) {
            if (MatchAt(p, n, at, set + k, unit)) {
                return true;
            }
        }
        return false;
    }

    static int IndexOfWhich(const T* p, int n, const T* set, int sn, int from, int unit) {
        if (unit <= 0 || from < 0) {
            return -1;
        }
        for (int i = from; i < n; ++i) {
            if (TokenAt(p, n, i, set, sn, unit)) {
                return i;
            }
        }
        return -1;
    }

    static int IndexOfSkip(const T* p, int n, const T* set, int sn, int from, int unit) {
        if (unit <= 0 || from < 0) {
            return -1;
        }
        int i = from;
        while (i < n) {
            if (!TokenAt(p, n, i, set, sn, unit)) {
                return i;
            }
            i += unit;
        }
        return -1;
    }

    // Index just after the quoted run that opens at `at` (no escapes), or -1 when unclosed.
    static int SkipPlainQuote(const T* p, int n, int at) {
        const T q = p[at];
        for (int j = at + 1; j < n; ++j) {
            if (p[j] == q) {
                return j + 1;
            }
        }
        return -1;
    }

    static int IndexOfSkipQuote(const T* p, int n, const T* s, int sn, int from) {
        if (from < 0 || sn <= 0) {
            return -1;
        }
        int i = from;
        while (i < n) {
            if (MatchAt(p, n, i, s, sn)) {
                return i;
            }
            if (p[i] == T('"') || p[i] == T('\'')) {
                i = SkipPlainQuote(p, n, i);
                if (i < 0) {
                    return -1;
                }
                continue;
            }
            ++i;
        }
        return -1;
    }

    // Start index after trimming tokens from the front.
    static int TrimFront(const T* p, int n, const T* set, int sn, int unit) {
        if (unit <= 0 || n <= 0 || sn <= 0) {
            return 0;
        }
        int i = 0;
        while (i + unit <= n && TokenAt(p, n, i, set, sn, unit)) {
            i += unit;
        }
        return i;
    }

    // End index after trimming tokens from the back; never looks before index 0.
    static int TrimBack(const T* p, int n, const T* set, int sn, int unit) {
        if (unit <= 0 || n <= 0 || sn <= 0) {
            return n;
        }
        int e = n;
        while (e - unit >= 0 && TokenAt(p, e, e - unit, set, sn, unit)) {
            e -= unit;
        }
        return e;
    }

    // Start of the text without spaces and control characters at either end; *end gets its
    // end.
    static int TrimSpaces(const T* p, int n, int* end) {
        int start = 0;
        int e = n;
        while (start < e && unit_of(p[start]) <= 32) {
            ++start;
        }
        while (e > start && unit_of(p[e - 1]) <= 32) {
            --e;
        }
        *end = e;
        return start;
    }

    // Moves the ASCII letters first..last to the range from target, in place. lead(c) tells
    // that c starts a double-byte character, whose trail byte is left alone.
    template <class Lead>
    static void MapAsciiLetters(T* p, int n, char first, char last, char target, Lead lead) {
        for (int i = 0; i < n; ++i) {
            if (lead(p[i])) {
                ++i;
                continue;
            }
            if (p[i] >= first && p[i] <= last) {
                p[i] = static_cast<T>(p[i] - first + target);
            }
        }
    }

    // Replaces every unit from by to, in place; returns the new length: a 0 replacement ends
    // the text at the first 0.
    static int ReplaceUnit(T* p, int n, T from, T to) {
        for (int i = 0; i < n; ++i) {
            if (p[i] == from) {
                p[i] = to;
            }
        }
        if (to != 0) {
            return n;
        }
        int e = 0;
        while (e < n && p[e] != 0) {
            ++e;
        }
        return e;
    }

    // Start and count of SubString(from, to) (to inclusive; to == n counts as the last unit);
    // false for a range that gives an empty result.
    static bool SubRange(int n, int from, int to, int* count) {
        if (to == n) {
            to = n - 1;
        }
        if (from < 0 || from >= n || to < from || to < 0 || to > n) {
            return false;
        }
        *count = to - from + 1;
        return true;
    }

    // Walks p[0, n) left to right: each match of s (sn units, sn > 0) goes to replace() and is
    // skipped, every other unit goes to keep(unit). True when anything matched.
    template <class Replace, class Keep>
    static bool ReplaceWalk(const T* p, int n, const T* s, int sn, Replace replace, Keep keep) {
        bool replaced = false;
        int i = 0;
        while (i < n) {
            if (MatchAt(p, n, i, s, sn)) {
                replace();
                i += sn;
                replaced = true;
            } else {
                keep(p[i]);
                ++i;
            }
        }
        return replaced;
    }

    static bool InSet(T c, const T* set, int sn) {
        for (int k = 0; k < sn; ++k) {
            if (set[k] == c) {
                return true;
            }
        }
        return false;
    }

    // Writes the squeezed text into out (room for n + 1 units); returns its length.
    static int Squeeze(const T* p, int n, const T* set, int sn, T* out) {
        int m = 0;
        for (int i = 0; i < n; ++i) {
            if (i > 0 && p[i] == p[i - 1] && (sn == 0 || InSet(p[i], set, sn))) {
                continue;
            }
            out[m++] = p[i];
        }
        out[m] = 0;
        return m;
    }

    // Index after a quoted run opened at `at`; a backslash escapes the next unit, but never
    // steps past the end of the text.
    static int SkipEscapedQuote(const T* p, int n, int at) {
        const T q = p[at];
        int j = at + 1;
        while (j < n) {
            if (p[j] == T('\\')) {
                j += 2;
                continue;
            }
            if (p[j] == q) {
                return j + 1;
            }
            ++j;
        }
        return n;
    }

    static int SkipTag(const T* p, int n, int at) {
        int j = at + 1;
        while (j < n) {
            if (p[j] == T('"') || p[j] == T('\'')) {
                j = SkipEscapedQuote(p, n, j);
                continue;
            }
            if (p[j] == T('>')) {
                return j + 1;
            }
            ++j;
        }
        return n;
    }

    static long long EncloseInt64(const T* p, int n, int from, int* next, int flags, int* digits) {
        if (digits) {
            *digits = 0;
        }
        if (next) {
            *next = -1;
        }
        if (from < 0 || from >= n) {
            return -1;
        }
        unsigned long long value = 0;
        int count = 0;
        bool negative = false;
        int i = from;
        while (i < n) {
            const unsigned c = unit_of(p[i]);
            if (c >= '0' && c <= '9') {
                value = value * 10u + (c - '0');
                ++count;
                ++i;
                continue;
            }
            if (count > 0) {
                break;
            }
            if (c == '-') {
                negative = !negative;
                ++i;
                continue;
            }
            if (c == '+') {
                ++i;
                continue;
            }
            negative = false;
            if ((c == '"' && (flags & 2)) || (c == '\'' && (flags & 1))) {
                i = SkipEscapedQuote(p, n, i);
            } else if (c == '<' && (flags & 4)) {
                i = SkipTag(p, n, i);
            } else {
                ++i;
            }
        }
        if (digits) {
            *digits = count;
        }
        if (count == 0) {
            return -1;
        }
        if (next) {
            *next = i;
        }
        return static_cast<long long>(negative ? 0ull - value : value);
    }
};

// The inline-or-heap storage of the two string classes, over references to their fields:
// text shorter than the inline limit lives in the object, longer text in a heap block with
// room to grow.
template <class T, class Cap> struct Storage {
    T* inlineBuffer;
    T*& heap;
    int& length;
    Cap& capacity;

    T* data() const { return heap ? heap : inlineBuffer; }

    // Replaces the text by n units of text, which may lie in the current storage.
    bool Assign(const T* text, int n, int inlineUnits, int growth) {
        if (n < 0) {
            n = 0;
        }
        const bool fits = heap ? static_cast<Cap>(n) + 1 <= capacity : n < inlineUnits;
        if (fits) {
            T* d = data();
            std::memmove(d, text, sizeof(T) * n);
            d[n] = 0;
            length = n;
            return true;
        }
        const size_t room = static_cast<size_t>(n) + growth;
        T* block = new (std::nothrow) T[room];
        if (!block) {
            return false;
        }
        // Copy before freeing: text may live in the old block.
        std::memcpy(block, text, sizeof(T) * n);
        block[n] = 0;
        Replace(block, room, n);
        return true;
    }

    // Fills an empty storage with n units of text: inline when short, else in a block of
    // exactly n + 1 units. False when out of memory (the storage stays empty).
    bool Exact(const T* text, int n, int inlineUnits) {
        if (n <= 0) {
            return true;
        }
        T* block = inlineBuffer;
        if (n >= inlineUnits) {
            block = new (std::nothrow) T[static_cast<size_t>(n) + 1];
            if (!block) {
                return false;
            }
            heap = block;
            capacity = static_cast<Cap>(n) + 1;
        }
        std::memcpy(block, text, sizeof(T) * n);
        block[n] = 0;
        length = n;
        return true;
    }

    // Appends n units of text, which may be the string's own (s += s).
    bool Append(const T* text, int n, int inlineLimit, int growth) {
        if (!text || n <= 0) {
            return true;
        }
        const int total = length + n;
        const bool fits = heap ? static_cast<Cap>(total) + 1 <= capacity : total + 1 < inlineLimit;
        if (fits) {
            T* d = data();
            std::memmove(d + length, text, sizeof(T) * n);
            d[total] = 0;
            length = total;
            return true;
        }
        const size_t room = static_cast<size_t>(total) + growth;
        T* block = new (std::nothrow) T[room];
        if (!block) {
            return false;
        }
        // Copy both parts before the old block goes.
        std::memcpy(block, data(), sizeof(T) * length);
        std::memcpy(block + length, text, sizeof(T) * n);
        block[total] = 0;
        Replace(block, room, total);
        return true;
    }

    // Moves the text into a heap block of n units unless it already has that much room:
    // 1 moved, 0 nothing to do, -1 out of memory.
    int Reserve(int n, int inlineUnits) {
        if (n <= inlineUnits || static_cast<Cap>(n) <= capacity) {
            return 0;
        }
        T* block = new (std::nothrow) T[static_cast<size_t>(n)];
        if (!block) {
            return -1;
        }
        std::memcpy(block, data(), sizeof(T) * (static_cast<size_t>(length) + 1));
        Replace(block, static_cast<size_t>(n), length);
        return 1;
    }

private:
    void Replace(T* block, size_t room, int n) {
        delete[] heap;
        heap = block;
        capacity = static_cast<Cap>(room);
        length = n;
    }
};

inline int vformat(char* buf, size_t size, const char* format, va_list args) {
    return _vsnprintf(buf, size, format, args);
}
inline int vformat(wchar_t* buf, size_t size, const wchar_t* format, va_list args) {
    return _vsnwprintf(buf, size, format, args);
}

// Formats into buf (size units), always cut and terminated.
template <class T> void FormatCut(T* buf, unsigned size, const T* format, va_list args) {
    if (size == 0) {
        return;
    }
    const int r = vformat(buf, size - 1, format, args);
    if (r < 0 || static_cast<unsigned>(r) >= size - 1) {
        buf[size - 1] = 0;
    } else {
        buf[r] = 0;
    }
}

// Enclose over either string class (they share the member names it uses).
template <class S>
S Enclose(const S& self, const S& open, const S& close, int from, int* next, const int& keep) {
    if (next) {
        *next = -1;
    }
    const int a = self.IndexOf(open, from);
    if (a < 0) {
        return keep ? open + close : S();
    }
    const int b = self.IndexOf(close, a + 1);
    if (b < 0) {
        return keep ? self.SubString(a) + close : self.SubString(a + open.Length());
    }
    if (next) {
        *next = b + close.Length();
    }
    return keep ? self.SubString(a, b - 1) + close : self.SubString(a + open.Length(), b - 1);
}

} // namespace detail
} // namespace ktora
