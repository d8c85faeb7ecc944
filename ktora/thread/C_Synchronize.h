#pragma once

#include <atomic>

#include "ktora/thread/C_CriticalSection.h"
#include "ktora/thread/C_Event.h"
#include "ktora/thread/I_Synchronize.h"

namespace ktora {

// Reader/writer lock: readers share it, a writer excludes readers and other writers.
// The writer holds the inner critical section for as long as it holds the lock, so it
// can nest (shared or exclusive) and only its own thread can unlock it.
class C_Synchronize : public I_Synchronize {
public:
    C_Synchronize();
    ~C_Synchronize() override = default;
    C_Synchronize(const C_Synchronize&) = delete;
    C_Synchronize& operator=(const C_Synchronize&) = delete;

    void Lock(int const& type) override;
    void Unlock() override;
    int GetLockCount() const override;
    int IsLockedByCurrentThread() const override;

private:
    // Shared holders, or the exclusive holder's depth. Read without the lock so that a
    // query does not block behind a writer.
    std::atomic<int> m_nCount;
    int m_nExclusive;
    C_Event m_readersGone;
    C_CriticalSection m_cs;
};

} // namespace ktora
