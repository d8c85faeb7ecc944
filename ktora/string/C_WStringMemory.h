#pragma once
// Append buffer for assembling long text: a zero-filled block plus the count of characters
// in use, growing by half again when full. Capacity() is always the block size in bytes.
#include "ktora/string/C_Memory.h"
#include "ktora/string/I_Memory.h"

namespace ktora {

class C_WString;

class C_WStringMemory : public I_Memory {
public:
    C_WStringMemory();
    explicit C_WStringMemory(const unsigned long& size);
    C_WStringMemory(const C_WStringMemory& other);
    ~C_WStringMemory() override;

    C_WStringMemory& operator=(const C_WStringMemory& other);
    C_WStringMemory& operator=(const wchar_t* text);
    C_WStringMemory& operator=(const C_WString& text);

    int Create(const unsigned long& size);
    int ReCreate(const unsigned long& size);

    // Each returns the buffer, which may have moved.
    wchar_t* Add(const wchar_t* text);
    wchar_t* Add(const wchar_t* text, const int& offset, const int& count);
    wchar_t* Add(const C_WString& text);
    C_WStringMemory& operator+=(const wchar_t* text);
    C_WStringMemory& operator<<(const wchar_t* text);
    C_WStringMemory& operator+=(const C_WString& text);
    C_WStringMemory& operator<<(const C_WString& text);

    // Inserts in front of the current text.
    wchar_t* Insert(const wchar_t* text);
    wchar_t* Insert(const wchar_t* text, const int& offset, const int& count);
    wchar_t* Insert(const C_WString& text);

    int Clear();
    int Delete();

    wchar_t* Get();
    void* GetPointer() override;
    unsigned long Length() const override;
    unsigned long Capacity() const;

private:
    C_Memory m_Block;
    unsigned long m_nLength;
};

} // namespace ktora
