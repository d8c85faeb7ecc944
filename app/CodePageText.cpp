#include "app/CodePageText.h"

#include <windows.h>

std::string ToCodePageBytes(wchar_t const* text, int length, unsigned codePage, bool* exact) {
    if (exact != nullptr) {
        *exact = true;
    }
    if (length <= 0) {
        return std::string();
    }
    BOOL usedDefault = FALSE;
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    char const* fallback = "?";
    BOOL* used = &usedDefault;
    // UTF-8, UTF-7 and a few others take neither the flag nor a default character.
    if (codePage == CP_UTF8 || codePage == CP_UTF7 || (codePage == CP_ACP && GetACP() == CP_UTF8)) {
        flags = 0;
        fallback = nullptr;
        used = nullptr;
    }
    int n = WideCharToMultiByte(codePage, flags, text, length, nullptr, 0, fallback, used);
    if (n <= 0 && flags != 0) {
        flags = 0;
        fallback = nullptr;
        used = nullptr;
        n = WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    }
    if (n <= 0) {
        if (exact != nullptr) {
            *exact = false;
        }
        return std::string();
    }
    std::string bytes(static_cast<size_t>(n), '\0');
    usedDefault = FALSE;
    WideCharToMultiByte(codePage, flags, text, length, &bytes[0], n, fallback, used);
    if (exact != nullptr && usedDefault) {
        *exact = false;
    }
    return bytes;
}
