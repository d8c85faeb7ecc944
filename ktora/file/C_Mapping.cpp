#include "ktora/file/C_Mapping.h"

#include <fcntl.h>

namespace ktora {

C_Mapping::C_Mapping() : m_pSource(nullptr), m_pView(nullptr), m_bExist(0), m_hMap(nullptr) {}

C_Mapping::~C_Mapping() {
    Unmap(0);
}

void* C_Mapping::Map(I_Mapping* source, const wchar_t* name, int shared, unsigned long protect,
                     unsigned long sizeHigh, unsigned long sizeLow) {
    if (m_pView != nullptr) {
        return m_pView;
    }
    if (source == nullptr) {
        return nullptr;
    }
    HANDLE map = CreateFileMappingW(source->GetHandle(), nullptr, protect, sizeHigh, sizeLow, name);
    if (map == nullptr) {
        return nullptr;
    }
    const int existed = GetLastError() == ERROR_ALREADY_EXISTS ? 1 : 0;
    DWORD access = FILE_MAP_COPY;
    if (shared == 1) {
        switch (protect) {
        case PAGE_READWRITE:
            access = FILE_MAP_WRITE;
            break;
        case PAGE_READONLY:
            access = FILE_MAP_READ;
            break;
        case PAGE_WRITECOPY:
            access = FILE_MAP_COPY;
            break;
        default:
            access = 0;
            break;
        }
    }
    void* view = MapViewOfFile(map, access, 0, 0, 0);
    if (view == nullptr) {
        // Without a view nothing would ever close the mapping object.
        CloseHandle(map);
        return nullptr;
    }
    m_hMap = map;
    m_pSource = source;
    m_pView = view;
    m_bExist = existed;
    return view;
}

void* C_Mapping::Map(I_Mapping* source, const wchar_t* name, int shared) {
    if (m_pView != nullptr) {
        return m_pView;
    }
    if (source == nullptr) {
        return nullptr;
    }
    unsigned long low = 0;
    unsigned long high = 0;
    if (!source->GetSize(&low, &high)) {
        return nullptr;
    }
    const unsigned long protect =
        (source->GetMode() & (_O_WRONLY | _O_RDWR)) != 0 ? PAGE_READWRITE : PAGE_READONLY;
    return Map(source, name, shared, protect, high, low);
}

void* C_Mapping::Pointer() {
    return m_pView;
}

int C_Mapping::IsExistMap() const {
    return m_bExist;
}

int C_Mapping::Sync() {
    if (m_pView == nullptr) {
        return 0;
    }
    return FlushViewOfFile(m_pView, 0) ? 1 : 0;
}

void C_Mapping::Unmap(int closeSource) {
    if (m_pView == nullptr) {
        return;
    }
    UnmapViewOfFile(m_pView);
    m_pView = nullptr;
    if (closeSource != 0 && m_pSource != nullptr) {
        m_pSource->Close();
    }
    m_pSource = nullptr;
    m_bExist = 0;
    if (m_hMap != nullptr) {
        CloseHandle(m_hMap);
        m_hMap = nullptr;
    }
}

} // namespace ktora
