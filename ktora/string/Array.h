#pragma once
// A minimal growable array: indexing past the end grows it.
#include <new>

namespace ktora {
namespace common {

template <class T> class Array {
public:
    Array() : m_pData(nullptr), m_nUsed(0), m_nCapacity(0) {}
    virtual ~Array() {
        delete[] m_pData;
        m_pData = nullptr;
        m_nUsed = 0;
        m_nCapacity = 0;
    }

    // Grows to exactly n elements when smaller; returns 1 when it grew, 0 when it did not
    // need to, -1 when the allocation failed.
    int Reserve(const unsigned& n) {
        if (static_cast<long long>(n) <= m_nCapacity) {
            return 0;
        }
        return Grow(n) ? 1 : -1;
    }

    // Index past the capacity over-allocates by 256 so that filling element by element
    // reallocates rarely.
    T& operator[](const unsigned& i) {
        if (static_cast<long long>(i) >= m_nCapacity) {
            if (!Grow(static_cast<long long>(i) + 256)) {
                static T s_dummy{};
                s_dummy = T{};
                return s_dummy;
            }
        }
        if (static_cast<long long>(i) >= m_nUsed) {
            m_nUsed = static_cast<int>(i) + 1;
        }
        return m_pData[i];
    }

    T* Get() const { return m_pData; }
    int Used() const { return m_nUsed; }
    int Capacity() const { return m_nCapacity; }

private:
    Array(const Array&) = delete;
    Array& operator=(const Array&) = delete;

    bool Grow(long long n) {
        if (n > 0x7fffffff) {
            return false;
        }
        T* data = new (std::nothrow) T[n]();
        if (!data) {
            return false;
        }
        for (int k = 0; k < m_nUsed; ++k) {
            data[k] = m_pData[k];
        }
        delete[] m_pData;
        m_pData = data;
        m_nCapacity = static_cast<int>(n);
        return true;
    }

    T* m_pData;
    int m_nUsed;
    int m_nCapacity;
};

} // namespace common
} // namespace ktora
