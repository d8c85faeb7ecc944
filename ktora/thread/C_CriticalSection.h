#pragma once

#include <windows.h>

#include <atomic>

#include "ktora/thread/I_CriticalSection.h"

namespace ktora {

// Recursive critical section with owner and depth bookkeeping.
class C_CriticalSection : public I_CriticalSection {
public:
    C_CriticalSection();
    ~C_CriticalSection() override;
    C_CriticalSection(const C_CriticalSection&) = delete;
    C_CriticalSection& operator=(const C_CriticalSection&) = delete;

    void Enter() override;
    // Only the owning thread can leave; a call from any other thread does nothing.
    void Leave() override;
    int IsLockedByCurrentThread() const override;
    int GetEnterCount() const override;

private:
    CRITICAL_SECTION m_cs;
    // Written only by the thread inside, but read by any thread.
    std::atomic<DWORD> m_dwOwner;
    std::atomic<int> m_nCount;
};

} // namespace ktora
