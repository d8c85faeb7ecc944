#pragma once
// Append buffer for assembling long text: a zero-filled block plus the count of characters
// in use, growing by half again when full. Capacity() is always the block size in bytes.
#include "ktora/string/C_Memory.h"
#include "ktora/string/I_Memory.h"

namespace ktora {

class C_String;

class C_StringMemory : public I_Memory {
public:
    C_StringMemory();
    explicit C_StringMemory(const unsigned long& size);
    C_StringMemory(const C_StringMemory& other);
    ~C_StringMemory() override;

    C_StringMemory& operator=(const C_StringMemory& other);
    C_StringMemory& operator=(const char* text);
    C_StringMemory& operator=(const C_String& text);

    int Create(const unsigned long& size);
    int ReCreate(const unsigned long& size);

    // Each returns the buffer, which may have moved.
    char* Add(const char* text);
    char* Add(const char* text, const int& offset, const int& count);
    char* Add(const C_String& text);
    C_StringMemory& operator+=(const char* text);
    C_StringMemory& operator<<(const char* text);
    C_StringMemory& operator+=(const C_String& text);
    C_StringMemory& operator<<(const C_String& text);

    // Inserts in front of the current text.
    char* Insert(const char* text);
    char* Insert(const char* text, const int& offset, const int& count);
    char* Insert(const C_String& text);

    int Clear();
    int Delete();

    char* Get();
    void* GetPointer() override;
    unsigned long Length() const override;
    unsigned long Capacity() const;

private:
    C_Memory m_Block;
    unsigned long m_nLength;
};

} // namespace ktora
