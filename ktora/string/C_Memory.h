#pragma once

namespace ktora {

// An owned, zero-filled heap block. Operations return 1 on success, 0 when nothing was done.
class C_Memory {
public:
    C_Memory();
    explicit C_Memory(const unsigned long& size);
    virtual ~C_Memory();

    int CreateBuffer(const unsigned long& size);
    int ReCreateBuffer(const unsigned long& size);
    int DeleteBuffer();
    int CopyBuffer(const void* src, const unsigned long& n);
    int CopyBuffer(const C_Memory& other, const unsigned long& n);
    int CopyBuffer(const C_Memory& other);
    int ZeroBuffer();

    void* GetMemory() { return m_pBuffer; }
    const void* GetMemoryEx() const { return m_pBuffer; }
    wchar_t* GetString() { return static_cast<wchar_t*>(m_pBuffer); }
    unsigned long GetSize() const { return m_nSize; }

private:
    C_Memory(const C_Memory&);
    C_Memory& operator=(const C_Memory&);

    void* m_pBuffer;
    unsigned long m_nSize;
};

} // namespace ktora
