#include "ktora/string/C_BinaryMemory.h"

#include <cstring>

namespace ktora {

C_BinaryMemory::C_BinaryMemory() : m_nLength(0) {}

C_BinaryMemory::C_BinaryMemory(const unsigned long& size) : m_nLength(0) {
    Create(size);
}

C_BinaryMemory::C_BinaryMemory(const C_BinaryMemory& other) : I_Memory(), m_nLength(0) {
    *this = other;
}

C_BinaryMemory& C_BinaryMemory::operator=(const C_BinaryMemory& other) {
    if (this == &other) {
        return *this;
    }
    if (other.m_nLength == 0 || !other.m_Block.GetMemoryEx()) {
        Clear();
        return *this;
    }
    if (m_Block.CreateBuffer(other.m_nLength)) {
        m_Block.CopyBuffer(other.m_Block.GetMemoryEx(), other.m_nLength);
        m_nLength = other.m_nLength;
    }
    return *this;
}

C_BinaryMemory::~C_BinaryMemory() {}

int C_BinaryMemory::Create(const unsigned long& size) {
    m_nLength = 0;
    return m_Block.CreateBuffer(size);
}

int C_BinaryMemory::ReCreate(const unsigned long& size) {
    if (m_nLength > size) {
        m_nLength = size;
    }
    return m_Block.ReCreateBuffer(size);
}

unsigned char* C_BinaryMemory::Add(const void* data, const int& count) {
    if (!data || count <= 0) {
        return Get();
    }
    const unsigned long n = static_cast<unsigned long>(count);
    const unsigned long size = m_Block.GetSize();
    if (size - m_nLength < n) {
        // The source may point into our own buffer: copy it across the move.
        const unsigned char* base = Get();
        const unsigned char* src = static_cast<const unsigned char*>(data);
        const bool inside = base && src >= base && src < base + size;
        const unsigned long offset = inside ? static_cast<unsigned long>(src - base) : 0;
        if (!m_Block.ReCreateBuffer(size + n)) {
            return Get();
        }
        if (inside) {
            data = Get() + offset;
        }
    }
    std::memmove(Get() + m_nLength, data, n);
    m_nLength += n;
    return Get();
}

unsigned char* C_BinaryMemory::Add(const unsigned char* data, const int& offset, const int& count) {
    if (!data || offset < 0) {
        return Get();
    }
    return Add(static_cast<const void*>(data + offset), count);
}

int C_BinaryMemory::Clear() {
    m_nLength = 0;
    return m_Block.ZeroBuffer();
}

int C_BinaryMemory::Delete() {
    m_nLength = 0;
    return m_Block.DeleteBuffer();
}

bool C_BinaryMemory::operator==(const C_BinaryMemory& other) const {
    if (this == &other) {
        return true;
    }
    if (m_nLength != other.m_nLength) {
        return false;
    }
    if (m_nLength == 0) {
        return true;
    }
    return std::memcmp(m_Block.GetMemoryEx(), other.m_Block.GetMemoryEx(), m_nLength) == 0;
}

char* C_BinaryMemory::GetStringA() {
    if (m_nLength == Capacity()) {
        if (!ReCreate(Capacity() + 1)) {
            return nullptr;
        }
    }
    return static_cast<char*>(m_Block.GetMemory());
}

wchar_t* C_BinaryMemory::GetStringW() {
    const unsigned long capacity = Capacity();
    // The terminating unit starts at the next even offset: with an odd length it needs the
    // two bytes after the padding byte, one more than the two bytes after the data.
    const unsigned long needed = ((m_nLength + 1) & ~1ul) + 2;
    if (m_nLength + 1 >= capacity || capacity < needed) {
        unsigned long grow = m_nLength ? capacity % m_nLength : 0;
        if (grow == 0) {
            grow = 2;
        }
        if (!ReCreate(capacity + grow < needed ? needed : capacity + grow)) {
            return nullptr;
        }
    }
    return m_Block.GetString();
}

} // namespace ktora
