#include "ktora/thread/C_Job.h"

namespace ktora {

C_Job::C_Job() : m_hJob(nullptr) {}

C_Job::~C_Job() {
    if (m_hJob != nullptr) {
        TerminateJobObject(m_hJob, 0xFFFFFFFFU);
        CloseHandle(m_hJob);
    }
}

int C_Job::Create() {
    if (m_hJob != nullptr) {
        return 1;
    }
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr) {
        return 0;
    }
    // Closing the last handle ends what is left, however this process ends.
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    m_hJob = job;
    return 1;
}

int C_Job::IsCreated() const {
    return m_hJob != nullptr ? 1 : 0;
}

int C_Job::Assign(HANDLE process) {
    if (m_hJob == nullptr || process == nullptr) {
        return 0;
    }
    return AssignProcessToJobObject(m_hJob, process) ? 1 : 0;
}

int C_Job::Terminate(UINT exitCode) {
    if (m_hJob == nullptr) {
        return 0;
    }
    return TerminateJobObject(m_hJob, exitCode) ? 1 : 0;
}

int C_Job::ActiveProcesses() const {
    if (m_hJob == nullptr) {
        return -1;
    }
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
    if (!QueryInformationJobObject(m_hJob, JobObjectBasicAccountingInformation, &info, sizeof(info),
                                   nullptr)) {
        return -1;
    }
    return static_cast<int>(info.ActiveProcesses);
}

} // namespace ktora
