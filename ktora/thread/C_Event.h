#pragma once

#include <windows.h>

#include "ktora/thread/C_CriticalSection.h"

namespace ktora {

// Manual-reset event, initially not set, that remembers whether it was set. Every member may
// be called from any thread.
class C_Event {
public:
    C_Event();
    virtual ~C_Event();
    C_Event(const C_Event&) = delete;
    C_Event& operator=(const C_Event&) = delete;

    virtual void SetEvent();
    virtual void ResetEvent();
    // Negative milliseconds wait without limit. A common::WaitResult (ktora_thread.h).
    virtual int Wait(int milliseconds);
    virtual int IsSignal() const;
    virtual void* GetHandle() const;

private:
    HANDLE m_hEvent;
    int m_nSignal;
    mutable C_CriticalSection m_cs;
};

} // namespace ktora
