#include "ktora/thread/C_CriticalLock.h"

namespace ktora {

C_CriticalLock::C_CriticalLock(I_CriticalSection* target)
    : m_pTarget(target ? target : &m_dummy), m_nCount(0) {
    Lock();
}

C_CriticalLock::~C_CriticalLock() {
    Unlock(1);
}

void C_CriticalLock::Lock() {
    m_pTarget->Enter();
    ++m_nCount;
}

void C_CriticalLock::Unlock(int all) {
    if (m_nCount == 0) {
        return;
    }
    if (all) {
        int n = m_nCount;
        m_nCount = 0;
        while (n-- > 0) {
            m_pTarget->Leave();
        }
    } else {
        --m_nCount;
        m_pTarget->Leave();
    }
}

int C_CriticalLock::IsLocked() const {
    return m_pTarget->GetEnterCount() > 0 ? 1 : 0;
}

int C_CriticalLock::IsLockedByCurrentThread() const {
    return m_pTarget->IsLockedByCurrentThread();
}

} // namespace ktora
