#include "app/copier/C_BuiltinCopier.h"

#include "app/CopyMessages.h"
#include "copier/C_TreeCopier.h"

namespace {

// Hands the walk's progress to the run, on the run's thread.
class Ticker : public copier::I_CopyObserver {
public:
    Ticker(CopyTick const& tick, unsigned long long before) : m_tick(tick), m_nBefore(before) {}
    void Progress(copier::CopyCounts const& counts) override {
        if (m_tick) {
            m_tick(m_nBefore + counts.bytes);
        }
    }

private:
    CopyTick const& m_tick;
    unsigned long long m_nBefore;
};

// The reason of a copy the walk could not make whole, naming the entry concerned.
ktora::C_WString Reason(copier::CopyFailure const& failure) {
    using copier::FailureKind;
    std::wstring path = failure.path.empty() ? L"." : failure.path;
    wchar_t const* format = kReasonCopyFailed;
    switch (failure.kind) {
    case FailureKind::kMakeFolder:
    case FailureKind::kListFolder:
        format = kReasonFolderFailed;
        break;
    case FailureKind::kSecurity:
        format = kReasonSecurityFailed;
        break;
    default:
        break;
    }
    return ktora::C_WString::Stringf(format, path.c_str(), failure.error);
}

} // namespace

C_BuiltinCopier::C_BuiltinCopier(CopyState const& state, std::atomic<int> const& abort)
    : m_source(state.src_dir.GetString()), m_bTreeOnly(state.tree_only), m_nWriters(state.jobs),
      m_abort(abort) {}

int C_BuiltinCopier::Capacity() const {
    return copier::C_TreeCopier::kMaxTargets;
}

bool C_BuiltinCopier::Start(CopyJob const& job) {
    m_jobs.push_back(job);
    return true;
}

void C_BuiltinCopier::Wait(unsigned long /*milliseconds*/, CopyTick const& tick,
                           std::vector<CopyEnd>* ended) {
    if (m_jobs.empty()) {
        return;
    }
    copier::CopyOptions options; // what xcopy /E /C /H /O /Y makes
    options.structureOnly = m_bTreeOnly;
    options.writers = m_nWriters;
    Ticker ticker(tick, m_nBytesBefore);
    copier::C_TreeCopier walk(options, m_abort, &ticker);
    std::vector<std::wstring> targets;
    for (CopyJob const& job : m_jobs) {
        targets.push_back(job.target.GetString());
    }
    copier::CopyOutcome outcome = walk.Copy(m_source, targets);
    m_nBytesBefore += walk.BytesDone();
    for (size_t t = 0; t < m_jobs.size(); ++t) {
        CopyEnd end;
        end.job = m_jobs[t];
        end.aborted = outcome == copier::CopyOutcome::kAborted;
        copier::TargetResult const& result = walk.Results()[t];
        if (!result.whole && !end.aborted) {
            end.failure = Reason(result.failure);
        }
        ended->push_back(end);
    }
    m_jobs.clear();
}
