#include "ktora/system/System.h"

#include <cstring>
#include <cwchar>
#include <new>
#include <windows.h>

namespace ktora {
namespace common {

wchar_t* System::sjis_to_utf16(const char* text, const int& bytes, int* units) {
    if (units) {
        *units = 0;
    }
    if (!text) {
        return nullptr;
    }
    const int n = bytes < 0 ? static_cast<int>(std::strlen(text)) : bytes;
    if (n == 0) {
        return nullptr;
    }
    const int needed = MultiByteToWideChar(CP_ACP, 0, text, n, nullptr, 0);
    if (needed <= 0) {
        return nullptr;
    }
    wchar_t* buffer = new (std::nothrow) wchar_t[static_cast<size_t>(needed) + 1];
    if (!buffer) {
        return nullptr;
    }
    const int written = MultiByteToWideChar(CP_ACP, 0, text, n, buffer, needed + 1);
    if (written <= 0) {
        delete[] buffer;
        return nullptr;
    }
    buffer[written] = 0;
    if (units) {
        *units = written;
    }
    return buffer;
}

char* System::utf16_to_sjis(const wchar_t* text, const int& units, int* bytes) {
    if (bytes) {
        *bytes = 0;
    }
    if (!text) {
        return nullptr;
    }
    const int n = units < 0 ? static_cast<int>(std::wcslen(text)) : units;
    if (n == 0) {
        return nullptr;
    }
    // Ask for the size first: a fixed 2 bytes per unit is not enough for every code page,
    // and a too small buffer would silently empty the text.
    const int needed = WideCharToMultiByte(CP_ACP, 0, text, n, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return nullptr;
    }
    char* buffer = new (std::nothrow) char[static_cast<size_t>(needed) + 1];
    if (!buffer) {
        return nullptr;
    }
    const int written =
        WideCharToMultiByte(CP_ACP, 0, text, n, buffer, needed + 1, nullptr, nullptr);
    if (written <= 0) {
        delete[] buffer;
        return nullptr;
    }
    buffer[written] = 0;
    if (bytes) {
        *bytes = written;
    }
    return buffer;
}

} // namespace common
} // namespace ktora
