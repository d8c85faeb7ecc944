#include "ktora/thread/C_Mutex.h"

namespace ktora {

namespace {
const DWORD kNoOwner = static_cast<DWORD>(-1);
}

C_Mutex::C_Mutex() : m_hMutex(CreateMutexW(nullptr, FALSE, nullptr)), m_dwOwner(kNoOwner) {}

C_Mutex::C_Mutex(C_WString const& name)
    : m_hMutex(CreateMutexW(nullptr, FALSE, name.Empty() ? nullptr : name.GetString())),
      m_dwOwner(kNoOwner) {}

C_Mutex::~C_Mutex() {
    if (m_hMutex) {
        CloseHandle(m_hMutex);
    }
}

int C_Mutex::Lock() {
    if (m_dwOwner.load() == GetCurrentThreadId()) {
        return 0;
    }
    DWORD r = WaitForSingleObject(m_hMutex, INFINITE);
    // A failed wait owns nothing: neither report success nor record an owner.
    if (r != WAIT_OBJECT_0 && r != WAIT_ABANDONED) {
        return 0;
    }
    m_dwOwner.store(GetCurrentThreadId());
    return 1;
}

int C_Mutex::Unlock() {
    if (m_dwOwner.load() != GetCurrentThreadId()) {
        return 0;
    }
    m_dwOwner.store(kNoOwner);
    return ReleaseMutex(m_hMutex) ? 1 : 0;
}

int C_Mutex::IsLockedByCurrentThread() const {
    return m_dwOwner.load() == GetCurrentThreadId() ? 1 : 0;
}

DWORD C_Mutex::GetLockedID() const {
    return m_dwOwner.load();
}

} // namespace ktora
