#include "ktora/string/C_Memory.h"

#include <cstdlib>
#include <cstring>

namespace ktora {

C_Memory::C_Memory() : m_pBuffer(nullptr), m_nSize(0) {}

C_Memory::C_Memory(const unsigned long& size) : m_pBuffer(nullptr), m_nSize(0) {
    CreateBuffer(size);
}

C_Memory::~C_Memory() {
    DeleteBuffer();
}

int C_Memory::CreateBuffer(const unsigned long& size) {
    if (size == 0) {
        return 0;
    }
    void* buffer = std::calloc(size, 1);
    if (!buffer) {
        return 0;
    }
    std::free(m_pBuffer);
    m_pBuffer = buffer;
    m_nSize = size;
    return 1;
}

int C_Memory::ReCreateBuffer(const unsigned long& size) {
    if (size == 0) {
        return 0;
    }
    if (!m_pBuffer) {
        return CreateBuffer(size);
    }
    void* buffer = std::calloc(size, 1);
    if (!buffer) {
        return 0;
    }
    std::memcpy(buffer, m_pBuffer, size < m_nSize ? size : m_nSize);
    std::free(m_pBuffer);
    m_pBuffer = buffer;
    m_nSize = size;
    return 1;
}

int C_Memory::DeleteBuffer() {
    if (!m_pBuffer) {
        return 0;
    }
    std::free(m_pBuffer);
    m_pBuffer = nullptr;
    m_nSize = 0;
    return 1;
}

int C_Memory::CopyBuffer(const void* src, const unsigned long& n) {
    if (!src || !m_pBuffer || n > m_nSize) {
        return 0;
    }
    // memmove: the source may lie inside this very block.
    std::memmove(m_pBuffer, src, n);
    return 1;
}

int C_Memory::CopyBuffer(const C_Memory& other, const unsigned long& n) {
    // Never read past the other block, whatever n says.
    if (!other.m_pBuffer || n > other.m_nSize) {
        return 0;
    }
    return CopyBuffer(other.m_pBuffer, n);
}

int C_Memory::CopyBuffer(const C_Memory& other) {
    return CopyBuffer(other, other.m_nSize);
}

int C_Memory::ZeroBuffer() {
    if (!m_pBuffer) {
        return 0;
    }
    std::memset(m_pBuffer, 0, m_nSize);
    return 1;
}

} // namespace ktora
