#pragma once

#include "ktora/thread/C_CriticalDummy.h"
#include "ktora/thread/I_CriticalSection.h"

namespace ktora {

// Scoped holder: locks at construction, releases every level it took when destroyed.
// Belongs to the thread that made it.
class C_CriticalLock {
public:
    explicit C_CriticalLock(I_CriticalSection* target);
    virtual ~C_CriticalLock();
    C_CriticalLock(const C_CriticalLock&) = delete;
    C_CriticalLock& operator=(const C_CriticalLock&) = delete;

    virtual void Lock();
    virtual void Unlock(int all);
    virtual int IsLocked() const;
    virtual int IsLockedByCurrentThread() const;

private:
    I_CriticalSection* m_pTarget;
    C_CriticalDummy m_dummy;
    int m_nCount;
};

} // namespace ktora
