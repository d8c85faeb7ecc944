#include "ktora/thread/C_CriticalSection.h"

namespace ktora {

namespace {
const DWORD kNoOwner = static_cast<DWORD>(-1);
}

C_CriticalSection::C_CriticalSection() : m_dwOwner(kNoOwner), m_nCount(0) {
    InitializeCriticalSection(&m_cs);
}

C_CriticalSection::~C_CriticalSection() {
    DeleteCriticalSection(&m_cs);
}

void C_CriticalSection::Enter() {
    EnterCriticalSection(&m_cs);
    m_nCount.fetch_add(1);
    m_dwOwner.store(GetCurrentThreadId());
}

void C_CriticalSection::Leave() {
    // Leaving a section another thread holds would corrupt it.
    if (m_nCount.load() == 0 || m_dwOwner.load() != GetCurrentThreadId()) {
        return;
    }
    if (m_nCount.fetch_sub(1) == 1) {
        m_dwOwner.store(kNoOwner);
    }
    LeaveCriticalSection(&m_cs);
}

int C_CriticalSection::IsLockedByCurrentThread() const {
    return m_dwOwner.load() == GetCurrentThreadId() ? 1 : 0;
}

int C_CriticalSection::GetEnterCount() const {
    return m_nCount.load();
}

} // namespace ktora
