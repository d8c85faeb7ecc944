#include "ktora/thread/C_CriticalLock.h"

#include "ktora/thread/LockImpl.h"

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
    lockimpl::release_levels(m_nCount, all != 0, [this] { m_pTarget->Leave(); });
}

int C_CriticalLock::IsLocked() const {
    return m_pTarget->GetEnterCount() > 0 ? 1 : 0;
}

int C_CriticalLock::IsLockedByCurrentThread() const {
    return m_pTarget->IsLockedByCurrentThread();
}

} // namespace ktora
