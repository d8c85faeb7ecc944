#include "ktora/file/C_MappingFile.h"

#include <fcntl.h>

namespace ktora {

C_MappingFile::C_MappingFile() : m_hFile(INVALID_HANDLE_VALUE), m_dwMode(0) {}

C_MappingFile::~C_MappingFile() {
    Close();
}

int C_MappingFile::Open(const wchar_t* name, unsigned long flags) {
    if (name == nullptr || IsOpen()) {
        return 0;
    }
    // Every view needs read access, so a file opened for writing is opened for reading too;
    // without a write flag the file is opened for reading (a handle with no access at all
    // could never be mapped).
    const bool write = (flags & (_O_WRONLY | _O_RDWR)) != 0;
    DWORD access = write ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ;
    if ((flags & _O_TRUNC) != 0 && !write) {
        return 0;
    }
    DWORD creation = OPEN_EXISTING;
    if ((flags & _O_CREAT) != 0) {
        creation = (flags & _O_EXCL) != 0 ? CREATE_NEW : OPEN_ALWAYS;
    }
    HANDLE h = CreateFileW(name, access, 0, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return 0;
    }
    if ((flags & _O_TRUNC) != 0) {
        LARGE_INTEGER zero;
        zero.QuadPart = 0;
        if (!SetFilePointerEx(h, zero, nullptr, FILE_BEGIN) || !SetEndOfFile(h)) {
            CloseHandle(h);
            return 0;
        }
    }
    if ((flags & _O_APPEND) != 0) {
        LARGE_INTEGER zero;
        zero.QuadPart = 0;
        SetFilePointerEx(h, zero, nullptr, FILE_END);
    }
    m_hFile = h;
    m_dwMode = flags;
    return 1;
}

int C_MappingFile::IsOpen() const {
    return m_hFile != INVALID_HANDLE_VALUE && m_hFile != nullptr ? 1 : 0;
}

int C_MappingFile::Close() {
    if (IsOpen()) {
        CloseHandle(m_hFile);
    }
    m_hFile = INVALID_HANDLE_VALUE;
    m_dwMode = 0;
    return 1;
}

int C_MappingFile::GetSize(unsigned long* low, unsigned long* high) const {
    if (high != nullptr) {
        *high = 0;
    }
    if (!IsOpen()) {
        return 0;
    }
    DWORD hi = 0;
    DWORD lo = GetFileSize(m_hFile, &hi);
    if (lo == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        return 0;
    }
    if (low != nullptr) {
        *low = lo;
    }
    if (high != nullptr) {
        *high = hi;
    }
    return 1;
}

unsigned long C_MappingFile::GetMode() const {
    return m_dwMode;
}

HANDLE C_MappingFile::GetHandle() const {
    return m_hFile;
}

} // namespace ktora
