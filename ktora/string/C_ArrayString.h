#pragma once

#include <memory>

#include "ktora/string/C_String.h"

namespace ktora {

// Growable array of narrow strings. Each growth adds 512 spare slots.
// Growth that cannot be allocated, or a length beyond the int range, is refused (false)
// and leaves the array as it was.
class C_ArrayString {
public:
    C_ArrayString();
    C_ArrayString(const C_ArrayString& other);
    C_ArrayString& operator=(const C_ArrayString& other);
    virtual ~C_ArrayString();

    void Reserve(const int& n);
    bool AppEnd(const C_String* items, const int& n);
    bool AppEnd(const C_String& s);
    C_ArrayString& operator+=(const C_String& s);
    C_ArrayString& operator<<(const C_String& s);
    C_ArrayString& operator+=(const C_ArrayString& other);
    // Inserts at the front.
    bool Insert(const C_String& s);

    // An index outside 0..Length()-1 gives a shared empty string.
    const C_String& GetString(const int& i) const;
    const C_String& operator[](const int& i) const { return GetString(i); }
    int Length() const { return m_nLength; }
    int Capacity() const { return m_nCapacity; }
    void Clear() { m_nLength = 0; }
    void Destroy();

    bool operator==(const C_ArrayString& other) const;
    bool operator!=(const C_ArrayString& other) const { return !(*this == other); }

    // Fields between separator bytes; empty fields are kept, a trailing separator adds none.
    static C_ArrayString ParseString(C_String text, const char& separator);

private:
    // Moves the elements in use into a new array of `capacity` slots; false (nothing
    // changed) when there is no memory for it.
    bool Grow(int capacity);

    int m_nCapacity;
    int m_nLength;
    std::unique_ptr<C_String[]> m_pItems;
};

} // namespace ktora
