#pragma once
// Shared growth and copy logic of C_StringMemory and C_WStringMemory. Both keep a
// zero-filled C_Memory block (sized in bytes) and a count of characters in use.
#include "ktora/string/C_Memory.h"

#include <cstring>
#include <vector>

namespace ktora {
namespace strmem {

template <typename T> inline unsigned long text_length(const T* text) {
    unsigned long n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

template <typename T> inline T* buffer(C_Memory& block) {
    return static_cast<T*>(block.GetMemory());
}

template <typename T> inline unsigned long capacity_chars(const C_Memory& block) {
    return block.GetSize() / sizeof(T);
}

// Makes room for `needed` characters (terminator included): grows to needed + needed / 2.
template <typename T> inline bool reserve(C_Memory& block, unsigned long needed) {
    if (capacity_chars<T>(block) >= needed && block.GetMemory() != nullptr)
        return true;
    unsigned long chars = needed + needed / 2;
    return block.ReCreateBuffer(chars * sizeof(T)) != 0;
}

// True when [text, text + count) lies inside the block, so growing would free it.
template <typename T> inline bool points_inside(C_Memory& block, const T* text) {
    const char* begin = static_cast<const char*>(block.GetMemory());
    const char* p = reinterpret_cast<const char*>(text);
    return begin != nullptr && p >= begin && p < begin + block.GetSize();
}

// Copies text aside when it lies inside the block, so growing cannot free it under us.
template <typename T> class SafeSource {
public:
    SafeSource(C_Memory& block, const T* text, unsigned long count) : m_text(text) {
        if (points_inside(block, text)) {
            m_saved.assign(text, text + count);
            m_text = m_saved.data();
        }
    }
    const T* get() const { return m_text; }

private:
    std::vector<T> m_saved;
    const T* m_text;
};

// Puts count characters at the end (atEnd) or in front of the text in use.
template <typename T>
inline T* place(C_Memory& block, unsigned long& length, const T* text, unsigned long count,
                bool atEnd) {
    if (text == nullptr || count == 0)
        return buffer<T>(block);
    SafeSource<T> source(block, text, count);
    if (!reserve<T>(block, length + count + 1))
        return buffer<T>(block);
    T* p = buffer<T>(block);
    if (atEnd) {
        std::memcpy(p + length, source.get(), count * sizeof(T));
    } else {
        std::memmove(p + count, p, length * sizeof(T));
        std::memcpy(p, source.get(), count * sizeof(T));
    }
    length += count;
    p[length] = 0;
    return p;
}

template <typename T>
inline T* add(C_Memory& block, unsigned long& length, const T* text, unsigned long count) {
    return place(block, length, text, count, true);
}

template <typename T>
inline T* insert(C_Memory& block, unsigned long& length, const T* text, unsigned long count) {
    return place(block, length, text, count, false);
}

// Assignment of `count` characters: an exactly sized new block when the old one is too small.
template <typename T>
inline void assign(C_Memory& block, unsigned long& length, const T* text, unsigned long count) {
    if (text == nullptr || count == 0) {
        block.ZeroBuffer();
        length = 0;
        return;
    }
    SafeSource<T> source(block, text, count);
    unsigned long bytes = (count + 1) * sizeof(T);
    if (block.GetSize() < bytes || block.GetMemory() == nullptr) {
        if (!block.CreateBuffer(bytes)) {
            length = 0;
            return;
        }
    } else {
        block.ZeroBuffer();
    }
    T* p = buffer<T>(block);
    std::memcpy(p, source.get(), count * sizeof(T));
    p[count] = 0;
    length = count;
}

template <typename T>
inline int recreate(C_Memory& block, unsigned long& length, const unsigned long& size) {
    if (size == 0)
        return 0;
    if (size >= block.GetSize())
        return block.ReCreateBuffer(size);
    // Room for at least the terminator: a block smaller than one character holds no text.
    unsigned long units = size / sizeof(T);
    unsigned long keep = units > 0 ? units - 1 : 0;
    if (length > keep)
        length = keep;
    if (!block.ReCreateBuffer(size)) {
        length = 0;
        return 0;
    }
    char* bytes = static_cast<char*>(block.GetMemory());
    unsigned long from = length * sizeof(T);
    unsigned long to = from + sizeof(T) < size ? from + sizeof(T) : size;
    std::memset(bytes + from, 0, to - from);
    return 1;
}

} // namespace strmem
} // namespace ktora
