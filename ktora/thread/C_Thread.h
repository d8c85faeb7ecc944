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
    // What Join answers (another set than C_ThreadEx's).
    enum JoinResult : int {
        kJoinEnded = 0,   // the thread has ended and its handle was released, or none was held
        kJoinTimeout = 1, // the handle stays
        kJoinFailed = 2,  // the wait failed, or Join was called on the thread itself
    };

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
    // 0 and INFINITE wait without limit. A JoinResult.
    int Join(unsigned long milliseconds);
    int IsAlive() const;

private:
    static unsigned __stdcall Thread(void* arg);

    I_Runnable* m_pTarget;
    HANDLE m_hThread;
    std::atomic<int> m_nAlive;
};

} // namespace ktora
