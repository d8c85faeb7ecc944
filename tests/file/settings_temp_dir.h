#pragma once
// Helpers of the settings tests: the shared scratch folder and raw file helpers, UTF-16 bytes,
// and descriptor tricks that make a settings file's reads or writes fail.

#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"
#include <windows.h>

#include <string>

namespace settings_test {

using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

// UTF-16 little-endian bytes of a wide text.
inline std::string Utf16(const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return bytes;
}

} // namespace settings_test

#include <fcntl.h>
#include <io.h>

namespace settings_test {

// The descriptor number the C runtime hands out next (the lowest free one).
inline int NextFreeDescriptor() {
    const int fd = _open("NUL", _O_RDONLY);
    if (fd >= 0) {
        _close(fd);
    }
    return fd;
}

// Whether descriptor fd is open on the file at path.
inline bool DescriptorIsFile(int fd, const std::wstring& path) {
    const intptr_t h = _get_osfhandle(fd);
    if (h == -1) {
        return false;
    }
    HANDLE other =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (other == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION a = {}, b = {};
    const bool same = GetFileInformationByHandle(reinterpret_cast<HANDLE>(h), &a) &&
                      GetFileInformationByHandle(other, &b) &&
                      a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
                      a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
    CloseHandle(other);
    return same;
}

} // namespace settings_test
