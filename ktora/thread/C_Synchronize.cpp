#include "ktora/thread/C_Synchronize.h"

namespace ktora {

C_Synchronize::C_Synchronize() : m_nCount(0), m_nExclusive(0) {
    m_readersGone.SetEvent();
}

void C_Synchronize::Lock(int const& type) {
    if (type == 0) {
        // Blocks while a writer holds the section.
        m_cs.Enter();
        m_nCount.fetch_add(1);
        m_cs.Leave();
        return;
    }
    if (m_cs.IsLockedByCurrentThread()) {
        m_nCount.fetch_add(1);
        return;
    }
    m_cs.Enter();
    while (m_nCount.load() != 0) {
        m_readersGone.ResetEvent();
        m_cs.Leave();
        if (m_readersGone.Wait(-1) == 2) {
            Sleep(1); // a broken event must not turn this into a busy loop
        }
        m_cs.Enter();
    }
    m_nCount.store(1);
    m_nExclusive = type;
}

void C_Synchronize::Unlock() {
    // Only the writer's own thread takes the exclusive branch; a stray call from another
    // thread must not leave a section it does not hold.
    if (m_cs.IsLockedByCurrentThread() && m_nExclusive != 0) {
        int n = m_nCount.load();
        if (n >= 2) {
            m_nCount.store(n - 1);
        } else if (n == 1) {
            m_nCount.store(0);
            m_nExclusive = 0;
            m_cs.Leave();
        }
        return;
    }
    m_cs.Enter();
    int n = m_nCount.load();
    if (n > 0) {
        m_nCount.store(n - 1);
        if (n == 1) {
            m_readersGone.SetEvent();
        }
    }
    m_cs.Leave();
}

int C_Synchronize::GetLockCount() const {
    return m_nCount.load();
}

int C_Synchronize::IsLockedByCurrentThread() const {
    return m_cs.IsLockedByCurrentThread();
}

} // namespace ktora
