#pragma once

#include <windows.h>

#include <atomic>

#include "ktora/string/Pointer.h"
#include "ktora/thread/C_CriticalSection.h"
#include "ktora/thread/C_Event.h"
#include "ktora/thread/I_Function.h"

namespace ktora {

// Worker thread that runs an I_Function. Without repeat mode each Start runs the function
// once and the thread then releases it and ends; with repeat mode one thread parks at a
// gate after each run and runs again on the next Start.
//
// Run state: 0 idle, 1 from a successful Start until the run has ended (so a second
// start or a SetFunction cannot slip in before the thread gets going), -1 a join asked a
// thread that had not run yet to end.
class C_ThreadEx {
public:
    // What Join answers (another set than C_Thread's and C_Process's).
    enum JoinResult : int {
        kJoinDone = 0,    // the run ended
        kJoinNothing = 1, // nothing to wait for, or the wait failed
        kJoinSelf = 2,    // called on the thread itself
        kJoinTimeout = 3, // the object is left as it was
    };

    C_ThreadEx();
    virtual ~C_ThreadEx();
    C_ThreadEx(const C_ThreadEx&) = delete;
    C_ThreadEx& operator=(const C_ThreadEx&) = delete;

    virtual int Start(common::Pointer<I_Function> const& fn);
    // 1 when a thread was created or a parked one let through; 0 otherwise.
    virtual int Start();
    // Waits without limit; a JoinResult other than kJoinTimeout.
    virtual int Join();
    // Creates the thread parked at the gate; the next Start lets it run.
    virtual int Create();
    // 0 waits without limit (unlike the system's waits, where 0 only looks). A JoinResult.
    virtual int Join(unsigned long milliseconds);
    // 0 without change while a run is active.
    virtual int SetFunction(common::Pointer<I_Function> const& fn);
    virtual void SetStackSize(int size);
    virtual int SetPriority(int priority);
    // 0 without change while a run is active.
    virtual int SetRepeat(bool on);
    virtual int Suspend();
    virtual int Resume();
    // Kills the thread without letting it release anything.
    virtual int Terminate(int exitCode);
    // 0 once the thread has started, 1 when there is no thread, 2 when the wait failed.
    virtual int WaitForStart();
    virtual DWORD GetThreadId() const;
    virtual int GetStackSize() const;
    virtual int GetPriority() const;
    virtual int IsRepeat() const;
    virtual int GetResult(int* out) const;
    virtual int IsRunning() const;
    virtual C_CriticalSection* GetCriticalSection();

private:
    static unsigned __stdcall ThreadProc(void* arg);
    void Run();
    int CreateThreadLocked();
    int JoinFor(DWORD milliseconds);
    void ReleaseEnded(HANDLE h);

    HANDLE m_hThread;
    std::atomic<DWORD> m_dwThreadId;
    int m_nStackSize;
    common::Pointer<I_Function> m_pFunction;
    mutable C_CriticalSection m_cs;
    std::atomic<int> m_nState;
    std::atomic<int> m_nRepeat;
    std::atomic<int> m_nResultFlag;
    std::atomic<int> m_nResult;
    C_Event m_evGo;
    C_Event m_evStarted;
    common::Pointer<C_Event> m_pDone;
};

} // namespace ktora
