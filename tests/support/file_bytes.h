#pragma once
// Raw file contents for tests, written and read with the system's own calls, so that a check
// never goes through the classes under test.
#include <windows.h>

#include <string>

namespace testsupport {

// Replaces the file with exactly `bytes`; false when it cannot be written whole.
inline bool WriteBytes(std::wstring const& path, std::string const& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    BOOL ok = bytes.empty() ||
              WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

// The whole file into *bytes; false when it cannot be opened. Shares everything, so a file that
// a program under test keeps open can still be read.
inline bool ReadBytes(std::wstring const& path, std::string* bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    bytes->clear();
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes->append(buffer, got);
    }
    CloseHandle(h);
    return true;
}

// The whole file; empty also when it cannot be read (use the form above to tell the two apart).
inline std::string ReadBytes(std::wstring const& path) {
    std::string bytes;
    return ReadBytes(path, &bytes) ? bytes : std::string();
}

} // namespace testsupport
