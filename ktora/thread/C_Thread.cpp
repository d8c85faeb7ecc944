#include "ktora/thread/C_Thread.h"

#include "ktora/thread/ktora_thread.h"

namespace ktora {

C_Thread::C_Thread() : m_pTarget(this), m_hThread(nullptr), m_nAlive(0) {}

C_Thread::C_Thread(I_Runnable* target)
    : m_pTarget(target ? target : this), m_hThread(nullptr), m_nAlive(0) {}

C_Thread::~C_Thread() {
    Stop();
}

int C_Thread::Start() {
    if (m_hThread) {
        return 0;
    }
    m_hThread = common::ktora_create_thread(&C_Thread::Thread, this);
    return m_hThread ? 1 : 0;
}

void C_Thread::Stop() {
    Join(INFINITE);
}

int C_Thread::Join(unsigned long milliseconds) {
    if (!m_hThread) {
        return kJoinEnded;
    }
    if (GetThreadId(m_hThread) == GetCurrentThreadId()) {
        return kJoinFailed; // waiting for itself would never end
    }
    if (milliseconds == 0) {
        milliseconds = INFINITE;
    }
    HANDLE h = m_hThread;
    DWORD r = common::ktora_join_close_thread(h, milliseconds);
    if (r == WAIT_TIMEOUT) {
        return kJoinTimeout;
    }
    m_hThread = nullptr;
    return (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) ? kJoinEnded : kJoinFailed;
}

int C_Thread::IsAlive() const {
    return m_nAlive.load();
}

unsigned __stdcall C_Thread::Thread(void* arg) {
    C_Thread* self = static_cast<C_Thread*>(arg);
    self->m_nAlive.store(1);
    self->m_pTarget->Run();
    self->m_nAlive.store(0);
    return 0;
}

} // namespace ktora
