#pragma once

#include <windows.h>

#include <atomic>

#include "ktora/thread/I_Runnable.h"

namespace ktora {

// Runs the Run method of an I_Runnable once on a new thread. Without a target the thread
// runs this object's own Run, meant to be overridden; a derived class must then call
// Stop() in its own destructor, before its part of the object is gone.
class C_Thread : public I_Runnable {
public:
    C_Thread();
    explicit C_Thread(I_Runnable* target);
    ~C_Thread() override;
    C_Thread(const C_Thread&) = delete;
    C_Thread& operator=(const C_Thread&) = delete;

    void Run() override {}
    // 1 when a thread was started; 0 while a handle is held or when creation failed.
    int Start();
    // Waits without limit and releases the handle (not when called on the thread itself).
    void Stop();
    // 0 and 0xFFFFFFFF wait without limit. Returns 0 when the thread has ended and its
    // handle was released (or none was held), 1 on time-out (the handle stays), 2 when
    // the wait failed or was called on the thread itself.
    int Join(unsigned long milliseconds);
    int IsAlive() const;

private:
    static unsigned __stdcall Thread(void* arg);

    I_Runnable* m_pTarget;
    HANDLE m_hThread;
    std::atomic<int> m_nAlive;
};

} // namespace ktora
