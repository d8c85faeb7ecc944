#include "ktora/string/C_StringMemory.h"

#include "ktora/string/C_String.h"
#include "ktora/string/StringMemoryImpl.h"

namespace ktora {

C_StringMemory::C_StringMemory() : m_nLength(0) {}

C_StringMemory::C_StringMemory(const unsigned long& size) : m_Block(size), m_nLength(0) {}

C_StringMemory::C_StringMemory(const C_StringMemory& other) : I_Memory(), m_nLength(0) {
    *this = other;
}

C_StringMemory::~C_StringMemory() {}

C_StringMemory& C_StringMemory::operator=(const C_StringMemory& other) {
    if (this == &other)
        return *this;
    const char* text = static_cast<const char*>(other.m_Block.GetMemoryEx());
    if (text == nullptr || other.m_nLength == 0) {
        m_Block.ZeroBuffer();
        m_nLength = 0;
        return *this;
    }
    strmem::assign<char>(m_Block, m_nLength, text, other.m_nLength);
    return *this;
}

C_StringMemory& C_StringMemory::operator=(const char* text) {
    strmem::assign<char>(m_Block, m_nLength, text, text ? strmem::text_length(text) : 0);
    return *this;
}

C_StringMemory& C_StringMemory::operator=(const C_String& text) {
    strmem::assign<char>(m_Block, m_nLength, text.GetString(),
                         static_cast<unsigned long>(text.Length()));
    return *this;
}

int C_StringMemory::Create(const unsigned long& size) {
    m_nLength = 0;
    return m_Block.CreateBuffer(size);
}

int C_StringMemory::ReCreate(const unsigned long& size) {
    return strmem::recreate<char>(m_Block, m_nLength, size);
}

char* C_StringMemory::Add(const char* text) {
    if (text == nullptr)
        return Get();
    return strmem::add<char>(m_Block, m_nLength, text, strmem::text_length(text));
}

char* C_StringMemory::Add(const char* text, const int& offset, const int& count) {
    if (text == nullptr || count <= 0 || offset < 0)
        return Get();
    return strmem::add<char>(m_Block, m_nLength, text + offset, static_cast<unsigned long>(count));
}

char* C_StringMemory::Add(const C_String& text) {
    return strmem::add<char>(m_Block, m_nLength, text.GetString(),
                             static_cast<unsigned long>(text.Length()));
}

C_StringMemory& C_StringMemory::operator+=(const char* text) {
    Add(text);
    return *this;
}

C_StringMemory& C_StringMemory::operator<<(const char* text) {
    Add(text);
    return *this;
}

C_StringMemory& C_StringMemory::operator+=(const C_String& text) {
    Add(text);
    return *this;
}

C_StringMemory& C_StringMemory::operator<<(const C_String& text) {
    Add(text);
    return *this;
}

char* C_StringMemory::Insert(const char* text) {
    if (text == nullptr)
        return Get();
    return strmem::insert<char>(m_Block, m_nLength, text, strmem::text_length(text));
}

char* C_StringMemory::Insert(const char* text, const int& offset, const int& count) {
    if (text == nullptr || count <= 0 || offset < 0)
        return Get();
    return strmem::insert<char>(m_Block, m_nLength, text + offset,
                                static_cast<unsigned long>(count));
}

char* C_StringMemory::Insert(const C_String& text) {
    return strmem::insert<char>(m_Block, m_nLength, text.GetString(),
                                static_cast<unsigned long>(text.Length()));
}

int C_StringMemory::Clear() {
    m_nLength = 0;
    return m_Block.ZeroBuffer();
}

int C_StringMemory::Delete() {
    m_nLength = 0;
    return m_Block.DeleteBuffer();
}

char* C_StringMemory::Get() {
    return static_cast<char*>(m_Block.GetMemory());
}

void* C_StringMemory::GetPointer() {
    return m_Block.GetMemory();
}

unsigned long C_StringMemory::Length() const {
    return m_nLength;
}

unsigned long C_StringMemory::Capacity() const {
    return m_Block.GetSize();
}

} // namespace ktora
