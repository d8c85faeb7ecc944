#pragma once
// The system's xcopy as the copier: one child process per copy, started suspended and put into
// the run's job before it runs (so an abort ends it even before it has a window), up to jobs
// at once. Its exit code goes into CopyEnd::code.
#include <atomic>
#include <memory>
#include <vector>

#include "app/CopyState.h"
#include "app/copier/I_Copier.h"
#include "ktora/string/C_WString.h"
#include "ktora/thread/C_Job.h"
#include "ktora/thread/C_Process.h"

class C_SystemCopier : public I_Copier {
public:
    // From the run: xcopy's full path, the source, folders only, state.jobs at once, its job
    // object. Where state.interrupt_aborts, a copier ending with code 2 is the abort when the
    // flag follows within half a second (Ctrl+C reached the copier and this process's console).
    C_SystemCopier(CopyState& state, std::atomic<int> const& abort);
    ~C_SystemCopier() override;

    int Capacity() const override { return m_nJobs; }
    int InFlight() const override { return static_cast<int>(m_running.size()); }
    bool Start(CopyJob const& job) override;
    void Wait(unsigned long milliseconds, CopyTick const& tick,
              std::vector<CopyEnd>* ended) override;
    void Stop() override;

private:
    struct Running {
        CopyJob job;
        std::unique_ptr<ktora::C_Process> process;
        bool in_job = false; // in the run's job object, which ends it on abort
    };

    ktora::C_WString m_copier;
    ktora::C_WString m_source;
    bool m_bTreeOnly;
    int m_nJobs;
    ktora::C_Job& m_job;
    std::atomic<int> const& m_abort;
    bool m_bInterruptAborts;
    std::vector<Running> m_running;
};
