#include "ktora/file/C_MappingMemory.h"

namespace ktora {

C_MappingMemory::C_MappingMemory() : m_dwMode(0), m_dwSizeLow(0), m_dwSizeHigh(0) {}

int C_MappingMemory::Open(unsigned long mode) {
    m_dwMode = mode;
    return static_cast<int>(mode);
}

void C_MappingMemory::SetSize(unsigned long low, unsigned long high) {
    m_dwSizeLow = low;
    m_dwSizeHigh = high;
}

int C_MappingMemory::Close() {
    m_dwMode = 0;
    m_dwSizeLow = 0;
    m_dwSizeHigh = 0;
    return 1;
}

int C_MappingMemory::GetSize(unsigned long* low, unsigned long* high) const {
    if (low != nullptr) {
        *low = m_dwSizeLow;
    }
    if (high != nullptr) {
        *high = m_dwSizeHigh;
    }
    return 1;
}

unsigned long C_MappingMemory::GetMode() const {
    return m_dwMode;
}

HANDLE C_MappingMemory::GetHandle() const {
    return INVALID_HANDLE_VALUE;
}

} // namespace ktora
