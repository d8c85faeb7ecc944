#include "ktora/file/ktora_lastname.h"

namespace ktora {
namespace common {
namespace {

bool is_separator(int c) {
    return c == '\\' || c == '/';
}

int last_separator_w(const C_WString& path) {
    for (int i = path.Length() - 1; i >= 0; --i) {
        if (is_separator(path.CharAt(i))) {
            return i;
        }
    }
    return -1;
}

// Walks from the front so that the second byte of a double-byte character is skipped.
int last_separator_a(const C_String& path) {
    const int n = path.Length();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(path.GetString());
    int last = -1;
    for (int i = 0; i < n; ++i) {
        const unsigned char c = p[i];
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
            if (i + 1 < n) {
                ++i;
            }
            continue;
        }
        if (is_separator(c)) {
            last = i;
        }
    }
    return last;
}

} // namespace

C_WString ktora_GetLastNameW(const C_WString& path) {
    const int at = last_separator_w(path);
    return at < 0 ? path : path.SubString(at + 1);
}

C_WString ktora_GetLastName(const C_WString& path) {
    return ktora_GetLastNameW(path);
}

C_WString ktora_GetLastPathW(const C_WString& path) {
    const int at = last_separator_w(path);
    return at <= 0 ? C_WString() : path.SubString(0, at - 1);
}

C_WString ktora_GetLastPath(const C_WString& path) {
    return ktora_GetLastPathW(path);
}

C_String ktora_GetLastNameA(const C_String& path) {
    const int at = last_separator_a(path);
    return at < 0 ? path : path.SubString(at + 1);
}

C_String ktora_GetLastPathA(const C_String& path) {
    const int at = last_separator_a(path);
    return at <= 0 ? C_String() : path.SubString(0, at - 1);
}

} // namespace common
} // namespace ktora
