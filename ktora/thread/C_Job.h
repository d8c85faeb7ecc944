#pragma once

#include <windows.h>

namespace ktora {

// A job object that holds child processes so that they can be ended together. Whatever is still
// in the job when the object goes is ended with it (also when the process that holds it ends
// without cleaning up), so no child of a job outlives its holder. Assign a child while it is
// still suspended, so it cannot start children of its own outside the job first.
//
// Create, Assign and Terminate may be called from different threads (they are system calls on
// one handle that does not change between Create and destruction).
class C_Job {
public:
    C_Job();
    // Ends every process still in the job.
    virtual ~C_Job();
    C_Job(const C_Job&) = delete;
    C_Job& operator=(const C_Job&) = delete;

    // 1 when the job exists (made now or before), 0 when the system gives none.
    int Create();
    int IsCreated() const;
    // 1 when process (a handle with PROCESS_SET_QUOTA and PROCESS_TERMINATE access) is now in the
    // job. 0 without a job, or where the system refuses (a process already in a job that allows
    // no nesting, as on Windows before 8): the caller then has to end that process itself.
    int Assign(HANDLE process);
    // Ends every process in the job with exitCode. 1 when done (also for an empty job).
    int Terminate(UINT exitCode);
    // Processes in the job that have not ended yet; -1 without a job or when the system cannot
    // tell.
    int ActiveProcesses() const;

private:
    HANDLE m_hJob;
};

} // namespace ktora
