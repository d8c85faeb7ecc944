#include "ktora/string/C_ArrayString.h"

#include <climits>
#include <new>

namespace ktora {

C_ArrayString::C_ArrayString() : m_nCapacity(0), m_nLength(0) {}

C_ArrayString::C_ArrayString(const C_ArrayString& other) : C_ArrayString() {
    *this = other;
}

C_ArrayString& C_ArrayString::operator=(const C_ArrayString& other) {
    if (this == &other) {
        return *this;
    }
    Destroy();
    for (int i = 0; i < other.m_nLength; ++i) {
        AppEnd(&other.m_pItems[i], 1);
    }
    return *this;
}

C_ArrayString::~C_ArrayString() {
    Destroy();
}

namespace {

// Spare slots added by every growth.
const int kSpare = 512;

// A new array of `capacity` strings, or null when there is no memory for it: a failed
// allocation is reported by the caller's result, never thrown at it.
std::unique_ptr<C_String[]> NewItems(int capacity) {
    return std::unique_ptr<C_String[]>(new (std::nothrow) C_String[static_cast<size_t>(capacity)]);
}

} // namespace

bool C_ArrayString::Grow(int capacity) {
    auto items = NewItems(capacity);
    if (!items) {
        return false;
    }
    for (int i = 0; i < m_nLength; ++i) {
        items[i] = m_pItems[i];
    }
    m_pItems = std::move(items);
    m_nCapacity = capacity;
    return true;
}

void C_ArrayString::Reserve(const int& n) {
    if (m_nCapacity < n) {
        Grow(n);
    }
}

bool C_ArrayString::AppEnd(const C_String* items, const int& n) {
    if (items == nullptr || n <= 0) {
        return false;
    }
    const int count = n; // n may refer to our own length
    if (count > INT_MAX - kSpare - m_nLength) {
        return false; // the new length would not fit an int
    }
    if (m_nLength + count >= m_nCapacity) {
        // The source may live in our own array: copy it into the new array before the old
        // one is released.
        auto grown = NewItems(m_nLength + count + kSpare);
        if (!grown) {
            return false;
        }
        for (int i = 0; i < m_nLength; ++i) {
            grown[i] = m_pItems[i];
        }
        for (int i = 0; i < count; ++i) {
            grown[m_nLength + i] = items[i];
        }
        m_pItems = std::move(grown);
        m_nCapacity = m_nLength + count + kSpare;
    } else {
        for (int i = 0; i < count; ++i) {
            m_pItems[m_nLength + i] = items[i];
        }
    }
    m_nLength += count;
    return true;
}

bool C_ArrayString::AppEnd(const C_String& s) {
    return AppEnd(&s, 1);
}

C_ArrayString& C_ArrayString::operator+=(const C_String& s) {
    AppEnd(&s, 1);
    return *this;
}

C_ArrayString& C_ArrayString::operator<<(const C_String& s) {
    AppEnd(&s, 1);
    return *this;
}

C_ArrayString& C_ArrayString::operator+=(const C_ArrayString& other) {
    // Appending an array to itself must stop at its original length.
    const int n = other.m_nLength;
    for (int i = 0; i < n; ++i) {
        C_String item = other.m_pItems[i];
        AppEnd(&item, 1);
    }
    return *this;
}

bool C_ArrayString::Insert(const C_String& s) {
    const C_String item = s; // s may be one of our own elements
    if (m_nLength == 0) {
        return AppEnd(&item, 1);
    }
    if (m_nLength > INT_MAX - kSpare) {
        return false;
    }
    if (m_nLength + 1 >= m_nCapacity && !Grow(m_nLength + kSpare)) {
        return false;
    }
    for (int i = m_nLength; i > 0; --i) {
        m_pItems[i] = m_pItems[i - 1];
    }
    m_pItems[0] = item;
    ++m_nLength;
    return true;
}

const C_String& C_ArrayString::GetString(const int& i) const {
    if (i < 0 || i >= m_nLength) {
        static const C_String empty;
        return empty;
    }
    return m_pItems[i];
}

void C_ArrayString::Destroy() {
    m_pItems.reset();
    m_nCapacity = 0;
    m_nLength = 0;
}

bool C_ArrayString::operator==(const C_ArrayString& other) const {
    if (this == &other) {
        return true;
    }
    if (m_nLength != other.m_nLength) {
        return false;
    }
    for (int i = 0; i < m_nLength; ++i) {
        if (m_pItems[i].CompareTo(other.m_pItems[i]) != 0) {
            return false;
        }
    }
    return true;
}

C_ArrayString C_ArrayString::ParseString(C_String text, const char& separator) {
    C_ArrayString fields;
    const int length = text.Length();
    const char* p = text.GetString();
    int start = 0;
    for (int i = 0; i < length; ++i) {
        if (p[i] == separator) {
            fields.AppEnd(text.SubString(start, i - 1));
            start = i + 1;
        }
    }
    // Text after the last separator is a field of its own; a trailing separator adds none.
    if (start < length) {
        fields.AppEnd(text.SubString(start, length - 1));
    }
    return fields;
}

} // namespace ktora
