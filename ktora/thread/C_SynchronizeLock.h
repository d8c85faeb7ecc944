#pragma once

#include "ktora/thread/C_SynchronizeDummy.h"
#include "ktora/thread/I_Synchronize.h"

namespace ktora {

// Scoped holder over a reader/writer lock; releases every level it took when destroyed.
// Belongs to the thread that made it.
class C_SynchronizeLock {
public:
    C_SynchronizeLock(I_Synchronize* target, int const& type);
    virtual ~C_SynchronizeLock();
    C_SynchronizeLock(const C_SynchronizeLock&) = delete;
    C_SynchronizeLock& operator=(const C_SynchronizeLock&) = delete;

    virtual void Lock(int const& type);
    virtual void Unlock(int const& all);
    virtual int IsLocked() const;
    virtual int IsLockedByCurrentThread() const;

private:
    I_Synchronize* m_pTarget;
    C_SynchronizeDummy m_dummy;
    int m_nCount;
};

} // namespace ktora
