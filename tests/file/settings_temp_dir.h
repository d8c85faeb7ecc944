#pragma once
// A scratch folder under %TEMP% for the settings tests, removed with everything in it.

#include "tests/support/remove_tree.h"
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

namespace settings_test {

class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        wchar_t base[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, base);
        m_path = std::wstring(base) + L"kasumido_settings_" +
                 std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(counter++);
        RemoveTree(m_path);
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempDir() { RemoveTree(m_path); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& Path() const { return m_path; }
    std::wstring File(const wchar_t* name) const { return m_path + L"\\" + name; }

    static void RemoveTree(const std::wstring& path) { testsupport::RemoveTree(path); }

private:
    std::wstring m_path;
};

inline bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// The file's bytes; "<missing>" when it cannot be read.
inline std::string ReadBytes(const std::wstring& path) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (f == nullptr) {
        return "<missing>";
    }
    std::string bytes;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        bytes.append(buf, n);
    }
    std::fclose(f);
    return bytes;
}

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
