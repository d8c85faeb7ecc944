#include "app/copier/C_SystemCopier.h"

#include <windows.h>

#include "app/CopyPaths.h"

namespace {

// The copier's exit code for "interrupted by the user".
constexpr int kCopierInterrupted = 2;
// How long the copiers of an aborted run may take to close when asked, all together.
constexpr DWORD kCloseMilliseconds = 1000;
// The exit code given to a copier that had to be ended.
constexpr UINT kEndedCode = 0xFFFFFFFFU;

// A copier that Ctrl+C reached may end before this process's console handler has set the
// flag; a copier ended with code 2 from outside (its window closed) is no abort.
bool AbortFollows(std::atomic<int> const& abort) {
    for (int waited = 0; waited < 500 && !abort; waited += 10) {
        Sleep(10);
    }
    return abort != 0;
}

} // namespace

C_SystemCopier::C_SystemCopier(CopyState& state, std::atomic<int> const& abort)
    : m_copier(state.copier), m_source(state.src_dir), m_bTreeOnly(state.tree_only),
      m_nJobs(state.jobs), m_job(state.copiers), m_abort(abort),
      m_bInterruptAborts(state.interrupt_aborts) {}

C_SystemCopier::~C_SystemCopier() {
    Stop();
}

bool C_SystemCopier::Start(CopyJob const& job) {
    Running copy;
    copy.job = job;
    copy.process = std::make_unique<ktora::C_Process>();
    ktora::C_WString command = MakeCopyCommand(m_source, job.target, m_bTreeOnly);
    // Started suspended: it is in the run's job before it can do anything.
    if (m_copier.Empty() || copy.process->RunApplication(m_copier.GetString(), command.GetString(),
                                                         SW_SHOW, ktora::C_Process::kPipeNone,
                                                         true) == ktora::C_Process::kRunFailed) {
        return false;
    }
    copy.in_job = m_job.Assign(copy.process->GetHandle()) != 0;
    copy.process->Resume();
    m_running.push_back(std::move(copy));
    return true;
}

void C_SystemCopier::Wait(unsigned long milliseconds, CopyTick const& /*tick*/,
                          std::vector<CopyEnd>* ended) {
    // A little on each running copier, the slices adding up to the whole wait.
    const unsigned long slice =
        m_running.size() > 1 ? milliseconds / m_running.size() : milliseconds;
    for (size_t k = 0; k < m_running.size() && !m_abort;) {
        Running& copy = m_running[k];
        int waited = copy.process->Join(slice);
        if (waited == ktora::C_Process::kJoinTimeout) {
            ++k;
            continue;
        }
        CopyEnd end;
        end.job = copy.job;
        int known = 0;
        end.code = waited == ktora::C_Process::kJoinEnded ? copy.process->GetExitCode(&known) : -1;
        end.code_known = known != 0;
        // Ctrl+C reached the copier too: the abort, not a failed copy.
        end.aborted =
            known && end.code == kCopierInterrupted && m_bInterruptAborts && AbortFollows(m_abort);
        m_running.erase(m_running.begin() + static_cast<std::ptrdiff_t>(k));
        ended->push_back(end);
        if (end.aborted) {
            break;
        }
    }
}

void C_SystemCopier::Stop() {
    if (m_running.empty()) {
        return;
    }
    // Every copier is asked to close, all are waited for once together, then what is left is
    // ended: the job's processes, and each process that could not be put into the job.
    std::vector<HANDLE> handles;
    for (Running& copy : m_running) {
        if (copy.process->GetHandle() != nullptr) {
            copy.process->AskToClose();
            handles.push_back(copy.process->GetHandle());
        }
    }
    if (!handles.empty()) {
        WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE,
                               kCloseMilliseconds);
    }
    m_job.Terminate(kEndedCode);
    for (Running& copy : m_running) {
        if (!copy.in_job) {
            copy.process->Terminate();
        }
        copy.process->Join(kCloseMilliseconds);
    }
    m_running.clear();
}
