#include "ktora/thread/C_SynchronizeLock.h"

#include "ktora/thread/LockImpl.h"

namespace ktora {

C_SynchronizeLock::C_SynchronizeLock(I_Synchronize* target, int const& type)
    : m_pTarget(target ? target : &m_dummy), m_nCount(0) {
    Lock(type);
}

C_SynchronizeLock::~C_SynchronizeLock() {
    Unlock(1);
}

void C_SynchronizeLock::Lock(int const& type) {
    m_pTarget->Lock(type);
    ++m_nCount;
}

void C_SynchronizeLock::Unlock(int const& all) {
    lockimpl::release_levels(m_nCount, all != 0, [this] { m_pTarget->Unlock(); });
}

int C_SynchronizeLock::IsLocked() const {
    return m_pTarget->GetLockCount() > 0 ? 1 : 0;
}

int C_SynchronizeLock::IsLockedByCurrentThread() const {
    return m_pTarget->IsLockedByCurrentThread();
}

} // namespace ktora
