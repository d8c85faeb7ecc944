#pragma once
// Shift_JIS (code page 932) bytes and wide text, whatever the process's ANSI code page is.
#include <windows.h>

#include <string>

namespace testsupport {

// The Shift_JIS bytes of a text.
inline std::string Sjis(std::wstring const& text) {
    if (text.empty()) {
        return std::string();
    }
    int n = WideCharToMultiByte(932, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(932, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr,
                        nullptr);
    return bytes;
}

// The text of Shift_JIS bytes (a program's output, a file written in the system code page).
inline std::wstring FromSjis(std::string const& bytes) {
    if (bytes.empty()) {
        return std::wstring();
    }
    int n = MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
    return text;
}

} // namespace testsupport
