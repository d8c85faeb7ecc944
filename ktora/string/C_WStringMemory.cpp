#include "ktora/string/C_WStringMemory.h"

#include "ktora/string/C_WString.h"
#include "ktora/string/StringMemoryImpl.h"

namespace ktora {

C_WStringMemory::C_WStringMemory() : m_nLength(0) {}

C_WStringMemory::C_WStringMemory(const unsigned long& size) : m_Block(size), m_nLength(0) {}

C_WStringMemory::C_WStringMemory(const C_WStringMemory& other) : I_Memory(), m_nLength(0) {
    *this = other;
}

C_WStringMemory::~C_WStringMemory() {}

C_WStringMemory& C_WStringMemory::operator=(const C_WStringMemory& other) {
    if (this == &other)
        return *this;
    const wchar_t* text = static_cast<const wchar_t*>(other.m_Block.GetMemoryEx());
    if (text == nullptr || other.m_nLength == 0) {
        m_Block.ZeroBuffer();
        m_nLength = 0;
        return *this;
    }
    strmem::assign<wchar_t>(m_Block, m_nLength, text, other.m_nLength);
    return *this;
}

C_WStringMemory& C_WStringMemory::operator=(const wchar_t* text) {
    strmem::assign<wchar_t>(m_Block, m_nLength, text, text ? strmem::text_length(text) : 0);
    return *this;
}

C_WStringMemory& C_WStringMemory::operator=(const C_WString& text) {
    strmem::assign<wchar_t>(m_Block, m_nLength, text.GetString(),
                            static_cast<unsigned long>(text.Length()));
    return *this;
}

int C_WStringMemory::Create(const unsigned long& size) {
    m_nLength = 0;
    return m_Block.CreateBuffer(size);
}

int C_WStringMemory::ReCreate(const unsigned long& size) {
    return strmem::recreate<wchar_t>(m_Block, m_nLength, size);
}

wchar_t* C_WStringMemory::Add(const wchar_t* text) {
    if (text == nullptr)
        return Get();
    return strmem::add<wchar_t>(m_Block, m_nLength, text, strmem::text_length(text));
}

wchar_t* C_WStringMemory::Add(const wchar_t* text, const int& offset, const int& count) {
    if (text == nullptr || count <= 0 || offset < 0)
        return Get();
    return strmem::add<wchar_t>(m_Block, m_nLength, text + offset,
                                static_cast<unsigned long>(count));
}

wchar_t* C_WStringMemory::Add(const C_WString& text) {
    return strmem::add<wchar_t>(m_Block, m_nLength, text.GetString(),
                                static_cast<unsigned long>(text.Length()));
}

C_WStringMemory& C_WStringMemory::operator+=(const wchar_t* text) {
    Add(text);
    return *this;
}

C_WStringMemory& C_WStringMemory::operator<<(const wchar_t* text) {
    Add(text);
    return *this;
}

C_WStringMemory& C_WStringMemory::operator+=(const C_WString& text) {
    Add(text);
    return *this;
}

C_WStringMemory& C_WStringMemory::operator<<(const C_WString& text) {
    Add(text);
    return *this;
}

wchar_t* C_WStringMemory::Insert(const wchar_t* text) {
    if (text == nullptr)
        return Get();
    return strmem::insert<wchar_t>(m_Block, m_nLength, text, strmem::text_length(text));
}

wchar_t* C_WStringMemory::Insert(const wchar_t* text, const int& offset, const int& count) {
    if (text == nullptr || count <= 0 || offset < 0)
        return Get();
    return strmem::insert<wchar_t>(m_Block, m_nLength, text + offset,
                                   static_cast<unsigned long>(count));
}

wchar_t* C_WStringMemory::Insert(const C_WString& text) {
    return strmem::insert<wchar_t>(m_Block, m_nLength, text.GetString(),
                                   static_cast<unsigned long>(text.Length()));
}

int C_WStringMemory::Clear() {
    m_nLength = 0;
    return m_Block.ZeroBuffer();
}

int C_WStringMemory::Delete() {
    m_nLength = 0;
    return m_Block.DeleteBuffer();
}

wchar_t* C_WStringMemory::Get() {
    return static_cast<wchar_t*>(m_Block.GetMemory());
}

void* C_WStringMemory::GetPointer() {
    return m_Block.GetMemory();
}

unsigned long C_WStringMemory::Length() const {
    return m_nLength;
}

unsigned long C_WStringMemory::Capacity() const {
    return m_Block.GetSize();
}

} // namespace ktora
