#pragma once
#include "ktora/string/C_Memory.h"
#include "ktora/string/I_Memory.h"

namespace ktora {

// A growable byte buffer: a zero-filled block plus the count of bytes in use.
class C_BinaryMemory : public I_Memory {
public:
    C_BinaryMemory();
    explicit C_BinaryMemory(const unsigned long& size);
    C_BinaryMemory(const C_BinaryMemory& other);
    C_BinaryMemory& operator=(const C_BinaryMemory& other);
    ~C_BinaryMemory() override;

    int Create(const unsigned long& size);
    int ReCreate(const unsigned long& size);
    // Appends count bytes, growing to exactly the needed size; returns the (possibly moved)
    // buffer.
    unsigned char* Add(const void* data, const int& count);
    unsigned char* Add(const unsigned char* data, const int& offset, const int& count);
    int Clear();
    int Delete();

    bool operator==(const C_BinaryMemory& other) const;
    bool operator!=(const C_BinaryMemory& other) const { return !(*this == other); }

    unsigned char* Get() { return static_cast<unsigned char*>(m_Block.GetMemory()); }
    void* GetPointer() override { return m_Block.GetMemory(); }
    unsigned long Length() const override { return m_nLength; }
    unsigned long Capacity() const { return m_Block.GetSize(); }

    char* GetStringA();
    wchar_t* GetStringW();
    wchar_t* GetString() { return GetStringW(); }

private:
    C_Memory m_Block;
    unsigned long m_nLength;
};

} // namespace ktora
