#pragma once
// Reference-counted ownership: a shared control block that knows how (and whether) to free
// the object, and the pointer that shares it.
#include <atomic>
#include <new>
#include <type_traits>

namespace ktora {
namespace common {

class Reference {
public:
    Reference(const int& size, const int& count, const bool& owns)
        : m_nCount(1), m_nSize(size), m_nElements(count), m_bOwns(owns) {}
    virtual ~Reference() {}
    virtual void ReleaseMemory() = 0;

    // The count is shared between the dialog thread and the copy worker, so it is atomic:
    // a lost update would free a record still in use or leak it.
    std::atomic<int> m_nCount;
    int m_nSize;
    int m_nElements;
    bool m_bOwns;

private:
    Reference(const Reference&) = delete;
    Reference& operator=(const Reference&) = delete;
};

template <class T> class ArrayMemory : public Reference {
public:
    ArrayMemory(T* object, const int& count, const bool& owns)
        : Reference(static_cast<int>(sizeof(T)), count, owns), m_pObject(object) {}
    void ReleaseMemory() override {
        // An abstract type can never have been allocated as an array.
        if constexpr (!std::is_abstract<T>::value) {
            delete[] m_pObject;
        }
        m_pObject = nullptr;
    }
    T* m_pObject;
};

template <class T> class NonArrayMemory : public Reference {
public:
    NonArrayMemory(T* object, const int& count, const bool& owns)
        : Reference(static_cast<int>(sizeof(T)), count, owns), m_pObject(object) {}
    void ReleaseMemory() override {
        delete m_pObject;
        m_pObject = nullptr;
    }
    T* m_pObject;
};

template <class T> class Pointer {
public:
    Pointer() : m_pObject(nullptr), m_pBlock(nullptr) {}
    Pointer(T* object, const bool& owns, const int& count, const bool& isArray)
        : m_pObject(nullptr), m_pBlock(nullptr) {
        Attach(object, owns, count, isArray);
    }
    Pointer(T* object) : m_pObject(nullptr), m_pBlock(nullptr) { Attach(object, true, 1, false); }
    Pointer(const Pointer& other) : m_pObject(other.m_pObject), m_pBlock(other.m_pBlock) {
        if (m_pBlock) {
            m_pBlock->m_nCount.fetch_add(1);
        }
    }
    Pointer& operator=(const Pointer& other) {
        if (this == &other || m_pBlock == other.m_pBlock) {
            return *this;
        }
        // Take the new share first: releasing ours may destroy the object owning `other`.
        Reference* block = other.m_pBlock;
        T* object = other.m_pObject;
        if (block) {
            block->m_nCount.fetch_add(1);
        }
        Release();
        m_pObject = object;
        m_pBlock = block;
        return *this;
    }
    virtual ~Pointer() { Release(); }

    T* Get() const { return m_pObject; }
    T* operator->() const { return m_pObject; }
    T& operator*() const { return *m_pObject; }
    bool IsNull() const { return m_pObject == nullptr; }
    explicit operator bool() const { return m_pObject != nullptr; }
    // Number of pointers sharing the object; 0 when empty.
    int UseCount() const { return m_pBlock ? m_pBlock->m_nCount.load() : 0; }
    // Element count recorded at creation; 0 when empty.
    int ElementCount() const { return m_pBlock ? m_pBlock->m_nElements : 0; }

    // Drops this share; the object goes when the last share goes (if owned).
    void Release() {
        Reference* block = m_pBlock;
        m_pObject = nullptr;
        m_pBlock = nullptr;
        if (!block) {
            return;
        }
        if (block->m_nCount.fetch_sub(1) == 1) {
            if (block->m_bOwns) {
                block->ReleaseMemory();
            }
            delete block;
        }
    }

private:
    void Attach(T* object, const bool& owns, const int& count, const bool& isArray) {
        if (!object) {
            return;
        }
        Reference* block = nullptr;
        if (isArray) {
            block = new (std::nothrow) ArrayMemory<T>(object, count, owns);
        } else {
            block = new (std::nothrow) NonArrayMemory<T>(object, count, owns);
        }
        if (!block) {
            return;
        }
        m_pObject = object;
        m_pBlock = block;
    }

    T* m_pObject;
    Reference* m_pBlock;
};

} // namespace common
} // namespace ktora
