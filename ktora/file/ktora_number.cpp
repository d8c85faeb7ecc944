#include "ktora/file/ktora_number.h"

#include <stdint.h>
#include <string.h>

#include <type_traits>

namespace ktora {
namespace common {

namespace {

template <class C> size_t TextLength(const C* s) {
    size_t n = 0;
    while (s[n] != 0) {
        ++n;
    }
    return n;
}

template <class C> __int64 StrToInt64(const C* text) {
    if (text == nullptr || text[0] == 0) {
        return -1;
    }
    unsigned __int64 value = 0;
    bool negative = false;
    bool digits = false;
    for (size_t i = 0; text[i] != 0; ++i) {
        const C c = text[i];
        if (c >= '0' && c <= '9') {
            value = value * 10 + static_cast<unsigned>(c - '0');
            digits = true;
        } else if (c == '-' && i == 0) {
            negative = true;
        } else {
            break;
        }
    }
    if (!digits) {
        return -1;
    }
    return static_cast<__int64>(negative ? 0 - value : value);
}

template <class C> int HexDigit(C c) {
    if (c >= 'A' && c <= 'F') {
        c = static_cast<C>(c - 'A' + 'a');
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    return -1;
}

template <class T, class C> T HexToInt(const C* text, int start, int count) {
    // The start is checked against the text's length first: an index beyond the terminator
    // would read memory that is not part of the text.
    if (text == nullptr || start < 0 || count <= 0) {
        return 0;
    }
    if (static_cast<size_t>(start) > TextLength(text)) {
        return 0;
    }
    typedef typename std::conditional<sizeof(T) == 8, unsigned __int64, unsigned>::type U;
    U value = 0;
    for (int i = 0; i < count; ++i) {
        int d = HexDigit(text[start + i]); // the terminator is no digit and ends the walk
        if (d < 0) {
            break;
        }
        value = value * 16 + static_cast<U>(d);
    }
    return static_cast<T>(value);
}

template <class C> int HexLength(const C* text) {
    return text == nullptr ? 0 : static_cast<int>(TextLength(text));
}

template <class C> int StrIns(C* buf, const C* text) {
    if (buf == nullptr) {
        return 0;
    }
    const size_t old = TextLength(buf);
    if (text == nullptr) {
        return static_cast<int>(old);
    }
    const size_t add = TextLength(text);
    if (add == 0) {
        return static_cast<int>(old);
    }
    // Text taken from buf itself moves with the shift; read it from its new place.
    const uintptr_t b = reinterpret_cast<uintptr_t>(buf);
    const uintptr_t t = reinterpret_cast<uintptr_t>(text);
    const C* src = text;
    if (t >= b && t <= b + old * sizeof(C)) {
        src = text + add;
    }
    memmove(buf + add, buf, (old + 1) * sizeof(C));
    memmove(buf, src, add * sizeof(C));
    return static_cast<int>(old + add);
}

template <class C> const C* RStrStr(const C* begin, const C* end, const C* needle) {
    if (begin == nullptr || end == nullptr || needle == nullptr || end <= begin) {
        return nullptr;
    }
    const size_t n = TextLength(needle);
    if (n == 0) {
        return end;
    }
    const size_t span = static_cast<size_t>(end - begin);
    if (n >= span) {
        return nullptr; // the only candidate would start at or before begin
    }
    for (const C* p = end - n; p > begin; --p) {
        if (memcmp(p, needle, n * sizeof(C)) == 0) {
            return p;
        }
    }
    return nullptr;
}

} // namespace

__int64 ktora_strtoint64_a(const char* text) {
    return StrToInt64(text);
}
__int64 ktora_strtoint64_w(const wchar_t* text) {
    return StrToInt64(text);
}
__int64 ktora_strtoint64(const wchar_t* text) {
    return ktora_strtoint64_w(text);
}

int ktora_hextoint_a(const char* text, int start, int count) {
    return HexToInt<int>(text, start, count);
}
int ktora_hextoint_w(const wchar_t* text, int start, int count) {
    return HexToInt<int>(text, start, count);
}
int ktora_hextoint(const wchar_t* text, int start, int count) {
    return ktora_hextoint_w(text, start, count);
}
int ktora_hextoint_a(const char* text) {
    return ktora_hextoint_a(text, 0, HexLength(text));
}
int ktora_hextoint_w(const wchar_t* text) {
    return ktora_hextoint_w(text, 0, HexLength(text));
}
int ktora_hextoint(const wchar_t* text) {
    return ktora_hextoint_w(text);
}

__int64 ktora_hextoint64_a(const char* text, int start, int count) {
    return HexToInt<__int64>(text, start, count);
}
__int64 ktora_hextoint64_w(const wchar_t* text, int start, int count) {
    return HexToInt<__int64>(text, start, count);
}
__int64 ktora_hextoint64(const wchar_t* text, int start, int count) {
    return ktora_hextoint64_w(text, start, count);
}
__int64 ktora_hextoint64_a(const char* text) {
    return ktora_hextoint64_a(text, 0, HexLength(text));
}
__int64 ktora_hextoint64_w(const wchar_t* text) {
    return ktora_hextoint64_w(text, 0, HexLength(text));
}
__int64 ktora_hextoint64(const wchar_t* text) {
    return ktora_hextoint64_w(text);
}

int ktora_strins_a(char* buf, const char* text) {
    return StrIns(buf, text);
}
int ktora_strins_w(wchar_t* buf, const wchar_t* text) {
    return StrIns(buf, text);
}
int ktora_strins(wchar_t* buf, const wchar_t* text) {
    return ktora_strins_w(buf, text);
}

const char* ktora_rstrstr_a(const char* begin, const char* end, const char* needle) {
    return RStrStr(begin, end, needle);
}
const wchar_t* ktora_rstrstr_w(const wchar_t* begin, const wchar_t* end, const wchar_t* needle) {
    return RStrStr(begin, end, needle);
}
const wchar_t* ktora_rstrstr(const wchar_t* begin, const wchar_t* end, const wchar_t* needle) {
    return ktora_rstrstr_w(begin, end, needle);
}

} // namespace common
} // namespace ktora
