#pragma once

#include <windows.h>

#include <atomic>

#include "ktora/string/C_WString.h"

namespace ktora {

// Process-wide (or named, system-wide) mutex; not recursive.
class C_Mutex {
public:
    C_Mutex();
    // An empty name gives an unnamed mutex.
    explicit C_Mutex(C_WString const& name);
    virtual ~C_Mutex();
    C_Mutex(const C_Mutex&) = delete;
    C_Mutex& operator=(const C_Mutex&) = delete;

    // 1 when taken; 0 when this thread already owns it or the wait failed.
    int Lock();
    // 0 unless the calling thread is the owner; else the result of ReleaseMutex.
    int Unlock();
    int IsLockedByCurrentThread() const;
    DWORD GetLockedID() const;

private:
    HANDLE m_hMutex;
    std::atomic<DWORD> m_dwOwner;
};

} // namespace ktora
