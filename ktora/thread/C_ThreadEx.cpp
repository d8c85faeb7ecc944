#include "ktora/thread/C_ThreadEx.h"

#include <process.h>

#include "ktora/thread/C_CriticalLock.h"
#include "ktora/thread/ktora_thread.h"

namespace ktora {

using common::Pointer;

namespace {
const DWORD kNoThread = static_cast<DWORD>(-1);
} // namespace

C_ThreadEx::C_ThreadEx()
    : m_hThread(nullptr), m_dwThreadId(kNoThread), m_nStackSize(0), m_nState(0), m_nRepeat(0),
      m_nResultFlag(0), m_nResult(0) {}

C_ThreadEx::~C_ThreadEx() {
    // Switch repeat off even during a run: a thread parked at the gate must end, not run
    // again on a destroyed object.
    {
        C_CriticalLock lock(&m_cs);
        m_nRepeat.store(0);
    }
    Join();
}

int C_ThreadEx::Start(Pointer<I_Function> const& fn) {
    SetFunction(fn);
    return Start();
}

int C_ThreadEx::Start() {
    C_CriticalLock lock(&m_cs);
    if (m_hThread) {
        if (m_evGo.IsSignal()) {
            return 0;
        }
        m_nState.store(1);
        if (m_pDone.Get()) {
            m_pDone->ResetEvent();
        }
        m_evGo.SetEvent();
        return 1;
    }
    int old = m_nState.load();
    m_nState.store(1);
    if (m_pDone.Get()) {
        m_pDone->ResetEvent();
    }
    m_evGo.SetEvent();
    m_evStarted.ResetEvent();
    if (!CreateThreadLocked()) {
        m_nState.store(old);
        m_evGo.ResetEvent();
        return 0;
    }
    return 1;
}

int C_ThreadEx::Create() {
    C_CriticalLock lock(&m_cs);
    if (m_hThread) {
        return 0;
    }
    m_evGo.ResetEvent();
    m_evStarted.ResetEvent();
    return CreateThreadLocked();
}

int C_ThreadEx::CreateThreadLocked() {
    unsigned id = 0;
    uintptr_t h =
        _beginthreadex(nullptr, static_cast<unsigned>(m_nStackSize), &ThreadProc, this, 0, &id);
    if (!h) {
        return 0;
    }
    // The new thread needs the lock before it does anything, so it sees these set.
    m_hThread = reinterpret_cast<HANDLE>(h);
    m_dwThreadId.store(id);
    return 1;
}

int C_ThreadEx::Join() {
    return JoinFor(INFINITE);
}

int C_ThreadEx::Join(unsigned long milliseconds) {
    return JoinFor(milliseconds == 0 ? INFINITE : static_cast<DWORD>(milliseconds));
}

// The thread has ended: release it so that the next Start makes a new one, unless a new
// thread has taken its place meanwhile.
void C_ThreadEx::ReleaseEnded(HANDLE h) {
    C_CriticalLock lock(&m_cs);
    if (m_hThread == h) {
        m_hThread = nullptr;
        m_dwThreadId.store(kNoThread);
        CloseHandle(h);
    }
}

int C_ThreadEx::JoinFor(DWORD milliseconds) {
    HANDLE h = nullptr;
    Pointer<C_Event> done;
    bool repeat = false;
    {
        C_CriticalLock lock(&m_cs);
        if (!m_hThread) {
            return kJoinNothing;
        }
        if (m_dwThreadId.load() == GetCurrentThreadId()) {
            return kJoinSelf;
        }
        repeat = m_nRepeat.load() != 0;
        if (repeat) {
            if (!m_evGo.IsSignal()) {
                // A run that ended since its start and was not joined yet counts as done,
                // whether or not the join came in before it ended.
                if (m_pDone.Get() && m_pDone->IsSignal()) {
                    m_pDone->ResetEvent();
                    return kJoinDone;
                }
                if (m_nState.load() == 0) {
                    return kJoinNothing;
                }
                m_nState.store(0);
                return kJoinDone;
            }
            done = m_pDone;
            h = m_hThread;
        } else {
            if (!m_evGo.IsSignal()) {
                // Parked at the gate: let it through to end without running.
                m_nState.store(-1);
                m_evGo.SetEvent();
            }
            h = m_hThread;
            if (milliseconds == INFINITE) {
                m_hThread = nullptr;
                m_dwThreadId.store(kNoThread);
            }
        }
    }
    if (repeat) {
        if (!done.Get()) {
            return kJoinNothing;
        }
        // Also watch the thread itself: repeat mode may have been switched on after a
        // thread without it had run and ended, and then no run will ever set the event.
        HANDLE both[2] = {h, done->GetHandle()};
        DWORD r = WaitForMultipleObjects(2, both, FALSE, milliseconds);
        if (r == WAIT_TIMEOUT) {
            return kJoinTimeout;
        }
        if (r == WAIT_OBJECT_0 + 1) {
            done->ResetEvent();
            return kJoinDone;
        }
        if (r != WAIT_OBJECT_0) {
            return kJoinNothing;
        }
        done->ResetEvent();
        ReleaseEnded(h);
        return kJoinDone;
    }
    if (milliseconds == INFINITE) {
        // The object has let go of the handle: it is closed whatever the wait reports.
        DWORD r = common::ktora_join_close_thread(h, INFINITE);
        return (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) ? kJoinDone : kJoinNothing;
    }
    int r = common::ktora_wait_handle(h, milliseconds);
    if (r == common::kWaitTimeout) {
        return kJoinTimeout;
    }
    if (r == common::kWaitFailed) {
        return kJoinNothing;
    }
    ReleaseEnded(h);
    return kJoinDone;
}

int C_ThreadEx::SetFunction(Pointer<I_Function> const& fn) {
    Pointer<I_Function> old; // the replaced function dies outside the lock
    C_CriticalLock lock(&m_cs);
    if (m_nState.load() != 0) {
        return 0;
    }
    old = m_pFunction;
    m_pFunction = fn;
    return 1;
}

void C_ThreadEx::SetStackSize(int size) {
    C_CriticalLock lock(&m_cs);
    m_nStackSize = size;
}

int C_ThreadEx::SetPriority(int priority) {
    C_CriticalLock lock(&m_cs);
    return m_hThread && SetThreadPriority(m_hThread, priority) ? 1 : 0;
}

int C_ThreadEx::SetRepeat(bool on) {
    C_CriticalLock lock(&m_cs);
    if (m_nState.load() != 0) {
        return 0;
    }
    m_nRepeat.store(on ? 1 : 0);
    if (on && !m_pDone.Get()) {
        m_pDone = Pointer<C_Event>(new C_Event);
    }
    return 1;
}

int C_ThreadEx::Suspend() {
    C_CriticalLock lock(&m_cs);
    return m_hThread ? static_cast<int>(SuspendThread(m_hThread)) : -1;
}

int C_ThreadEx::Resume() {
    C_CriticalLock lock(&m_cs);
    return m_hThread ? static_cast<int>(ResumeThread(m_hThread)) : -1;
}

int C_ThreadEx::Terminate(int exitCode) {
    HANDLE h = nullptr;
    {
        C_CriticalLock lock(&m_cs);
        if (!m_hThread) {
            return 0;
        }
        h = m_hThread;
        m_hThread = nullptr;
        m_dwThreadId.store(kNoThread);
        m_nState.store(0);
    }
    BOOL ok = TerminateThread(h, static_cast<DWORD>(exitCode));
    CloseHandle(h);
    return ok ? 1 : 0;
}

int C_ThreadEx::WaitForStart() {
    {
        C_CriticalLock lock(&m_cs);
        if (!m_hThread) {
            return 1;
        }
    }
    return m_evStarted.Wait(-1) == 0 ? 0 : 2;
}

DWORD C_ThreadEx::GetThreadId() const {
    return m_dwThreadId.load();
}

int C_ThreadEx::GetStackSize() const {
    C_CriticalLock lock(&m_cs);
    return m_nStackSize;
}

int C_ThreadEx::GetPriority() const {
    C_CriticalLock lock(&m_cs);
    return m_hThread ? GetThreadPriority(m_hThread) : THREAD_PRIORITY_ERROR_RETURN;
}

int C_ThreadEx::IsRepeat() const {
    return m_nRepeat.load();
}

int C_ThreadEx::GetResult(int* out) const {
    if (out) {
        *out = m_nResultFlag.load();
    }
    return m_nResult.load();
}

int C_ThreadEx::IsRunning() const {
    return m_nState.load();
}

C_CriticalSection* C_ThreadEx::GetCriticalSection() {
    return &m_cs;
}

unsigned __stdcall C_ThreadEx::ThreadProc(void* arg) {
    static_cast<C_ThreadEx*>(arg)->Run();
    return 0;
}

void C_ThreadEx::Run() {
    m_evStarted.SetEvent();
    if (m_evGo.Wait(-1) == 0) {
        for (;;) {
            Pointer<I_Function> fn;
            {
                C_CriticalLock lock(&m_cs);
                if (m_nState.load() == -1) {
                    break;
                }
                m_nState.store(1);
                fn = m_pFunction;
                if (m_pDone.Get()) {
                    m_pDone->ResetEvent();
                }
            }
            m_evStarted.SetEvent();
            if (fn.Get()) {
                m_nResultFlag.store(0);
                m_nResult.store(0);
                fn->Invoke();
                int flag = 0;
                int result = fn->GetResult(&flag);
                m_nResultFlag.store(flag);
                m_nResult.store(result);
            }
            fn = Pointer<I_Function>();
            {
                // One step for the controller: a Start sees either a run still going or
                // a parked thread with the done event already set.
                C_CriticalLock lock(&m_cs);
                if (!m_nRepeat.load()) {
                    break;
                }
                m_nState.store(0);
                m_evStarted.ResetEvent();
                m_evGo.ResetEvent();
                if (m_pDone.Get()) {
                    m_pDone->SetEvent();
                }
            }
            if (m_evGo.Wait(-1) != 0) {
                break;
            }
        }
    }
    // The function object, and whatever it holds, dies here on this thread, outside the
    // lock, before the state says idle.
    Pointer<I_Function> last;
    {
        C_CriticalLock lock(&m_cs);
        last = m_pFunction;
        m_pFunction = Pointer<I_Function>();
    }
    last = Pointer<I_Function>();
    C_CriticalLock lock(&m_cs);
    m_nState.store(0);
    if (m_pDone.Get()) {
        m_pDone->SetEvent();
    }
}

} // namespace ktora
