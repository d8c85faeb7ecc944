#include "app/CopyRun.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "app/CodePageText.h"
#include "app/TreeListing.h"
#include "app/copier/C_BuiltinCopier.h"
#include "app/copier/C_SystemCopier.h"
#include "app/CopyMessages.h"
#include "app/CopyPaths.h"
#include "ktora/file/ktora_file.h"
#include "ktora/file/ktora_lastname.h"

using ktora::C_WString;
using ktora::common::Pointer;

namespace {

// True when the code page holds the line exactly (no "?" or look-alike put in).
bool CodePageHolds(C_WString const& line) {
    int length = line.Length();
    if (length == 0) {
        return true;
    }
    int bytes =
        WideCharToMultiByte(CP_ACP, 0, line.GetString(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return false;
    }
    std::vector<char> narrow(static_cast<size_t>(bytes));
    WideCharToMultiByte(CP_ACP, 0, line.GetString(), length, narrow.data(), bytes, nullptr,
                        nullptr);
    int units = MultiByteToWideChar(CP_ACP, 0, narrow.data(), bytes, nullptr, 0);
    std::vector<wchar_t> back(static_cast<size_t>(units > 0 ? units : 0));
    if (units != length ||
        MultiByteToWideChar(CP_ACP, 0, narrow.data(), bytes, back.data(), units) != units) {
        return false;
    }
    return std::equal(back.begin(), back.end(), line.GetString());
}

// From this many copies on, the run asks once more.
constexpr int kManyCopies = 100;
// How often the abort flag is looked at while copiers run.
constexpr unsigned long kPollMilliseconds = 100;

// Exit codes of the system's copier: 0 copied, 1 nothing to copy.
constexpr int kCopierDone = 0;
constexpr int kCopierNothing = 1;

// The built-in copier's default writer threads: the processor's cores, at most kMaxJobs.
int DefaultWriters() {
    DWORD cores = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
    return cores < 1 ? 1
                     : (cores > static_cast<DWORD>(kMaxJobs) ? kMaxJobs : static_cast<int>(cores));
}

std::unique_ptr<I_Copier> MakeCopier(CopyState& s, std::atomic<int> const& abort) {
    if (s.builtin) {
        return std::make_unique<C_BuiltinCopier>(s, abort);
    }
    return std::make_unique<C_SystemCopier>(s, abort);
}

// Why a copy whose copier ended is not made; empty when it is. A copier killed from outside
// may report success, so only the check of the copy against the source decides, whatever the
// copier; the copier's code or reason adds only its own failures. A folder-only copy is
// decided by its folders alone: xcopy may answer "nothing copied" for it.
C_WString WhyNotMade(TreeListing const& source, CopyEnd const& end, bool treeOnly,
                     std::atomic<int> const& abort) {
    if (!end.code_known) {
        return C_WString::Stringf(kReasonExitCode, L"?");
    }
    if (!end.failure.Empty()) {
        return end.failure;
    }
    if (!treeOnly && end.code != kCopierDone && end.code != kCopierNothing) {
        // Codes past the copier's own small ones are system status values (a crash).
        unsigned value = static_cast<unsigned>(end.code);
        C_WString number = value > 0xFFFF ? C_WString::Stringf(L"0x%08X", value)
                                          : C_WString::Stringf(L"%d", end.code);
        return C_WString::Stringf(kReasonExitCode, number.GetString());
    }
    TreeListing::Result checked = source.Check(end.job.target, treeOnly, &abort);
    C_WString path(checked.path.empty() ? end.job.folder.GetString() : checked.path.c_str());
    switch (checked.fault) {
    case TreeListing::Fault::kNone:
    case TreeListing::Fault::kAborted:
        return C_WString();
    case TreeListing::Fault::kMissing:
        return C_WString::Stringf(kReasonMissing, path.GetString());
    case TreeListing::Fault::kDiffers:
        return C_WString::Stringf(kReasonDiffers, path.GetString());
    case TreeListing::Fault::kUnlisted:
        return C_WString::Stringf(kReasonSourceUnlisted,
                                  checked.path.empty() ? L"." : checked.path.c_str());
    }
    return C_WString();
}

// Where the run stands, as the front is told, and the names of the first failed copies.
class RunTally {
public:
    RunTally(CopyState const& s, TreeListing const& source, I_CopyFront& front)
        : m_front(front), m_began(GetTickCount()) {
        m_progress.count = s.make_count;
        m_progress.builtin = s.builtin;
        unsigned long long bytes = s.builtin && !s.tree_only ? source.Bytes() : 0;
        unsigned long long copies = static_cast<unsigned long long>(s.make_count);
        m_progress.bytes_total = bytes > ~0ULL / copies ? ~0ULL : bytes * copies;
    }
    void Starting(CopyJob const& job) {
        Stamp(job);
        m_front.CopyStarting(m_progress);
    }
    void Bytes(unsigned long long bytes) {
        m_progress.bytes_done = bytes;
        Stamp();
        m_front.BytesCopied(m_progress);
    }
    // reason: empty for a made copy.
    void Finished(CopyJob const& job, C_WString const& reason) {
        ++m_progress.done;
        if (!reason.Empty()) {
            ++m_progress.failed;
            if (m_failedNames.size() < static_cast<size_t>(kFailedNamesShown)) {
                C_WString named = job.folder;
                named += L" (";
                named += reason;
                named += L")";
                m_failedNames.push_back(named);
            }
        }
        m_progress.reason = reason;
        Stamp(job);
        m_front.CopyFinished(m_progress, reason.Empty());
    }
    int Failed() const { return m_progress.failed; }
    // The completion message: the run goes on after a failed copy, the user learns of it here.
    C_WString DoneMessage(CopyState const& s) const {
        C_WString done =
            Failed() == 0 ? C_WString(kTellDone) : C_WString::Stringf(kTellDoneFailed, Failed());
        for (C_WString const& name : m_failedNames) {
            done += L"\n";
            done += name;
        }
        if (Failed() > kFailedNamesShown) {
            done += L"\n";
            done += kMoreFailedNames;
        }
        if (s.out_info_lost) {
            done += L"\n";
            done += kTellSummaryLost;
        }
        if (s.out_info_inexact) {
            done += L"\n";
            done += kTellSummaryInexact;
        }
        return done;
    }

private:
    void Stamp(CopyJob const& job) {
        m_progress.index = job.index;
        m_progress.target = job.target;
        Stamp();
    }
    // Time left from the bytes where they are known, else from the copies finished.
    void Stamp() {
        CopyProgress& p = m_progress;
        p.elapsed_ms = GetTickCount() - m_began;
        long long elapsed = static_cast<long long>(p.elapsed_ms);
        if (p.bytes_total > 0 && p.bytes_done > 0) {
            double left =
                static_cast<double>(p.bytes_total - std::min(p.bytes_done, p.bytes_total));
            p.remaining_ms =
                static_cast<long long>(elapsed * left / static_cast<double>(p.bytes_done));
        } else {
            p.remaining_ms = p.done <= 0 ? -1 : elapsed * (p.count - p.done) / p.done;
        }
    }

    I_CopyFront& m_front;
    const DWORD m_began;
    CopyProgress m_progress;
    std::vector<C_WString> m_failedNames;
};

// Copy index as a job: its name, and its outinfo.txt line written before it is handed over,
// so an interrupted copy is listed too.
CopyJob MakeJob(CopyState& s, int index, C_WString const& lastName) {
    CopyJob job;
    job.index = index;
    CopyNaming naming = NamingAt(s, index);
    job.folder = MakeFolderName(naming, lastName);
    job.target = s.dest_dir;
    job.target += L"\\";
    job.target += job.folder;
    C_WString wide = MakeTextLine(naming, job.folder);
    // "?" for what Shift_JIS cannot hold, never a look-alike letter.
    ktora::C_String line(ToCodePageBytes(wide.GetString(), wide.Length(), CP_ACP).c_str());
    if (s.out_info.IsOpen()) {
        if (s.out_info.WriteLineA(line) < line.Length() + 2) {
            s.out_info_lost = true; // a full disk, for instance
        }
        if (!s.out_info_inexact && !CodePageHolds(wide)) {
            s.out_info_inexact = true;
        }
    }
    return job;
}

} // namespace

Pointer<CopyState> PrepareCopyRun(CopySettings const& settings, I_CopyFront& front) {
    return PrepareCopyRun(MakeCopyPlan(settings), front, 0, settings.copy_builtin);
}

Pointer<CopyState> PrepareCopyRun(CopyPlan const& plan, I_CopyFront& front, int jobs,
                                  bool builtin) {
    if (plan.IsRefused()) {
        front.Tell(RefusalMessage(plan).GetString(), kTitleMessage);
        return Pointer<CopyState>();
    }
    if (!front.Ask(kAskRun, kTitleConfirm)) {
        return Pointer<CopyState>();
    }
    // Before anything is written: folders of an earlier run would be written over, and the
    // question counts folders only; outinfo.txt is said apart.
    ExistingTargets existing = FindExistingTargets(plan);
    const bool outInfo = plan.text_output && existing.out_info;
    if (!existing.known || existing.Count() > 0 || outInfo) {
        C_WString question;
        if (existing.known && existing.Count() == 0) {
            question = kAskOverwriteOutInfo;
        } else {
            C_WString count =
                existing.known ? C_WString::Stringf(L"%d", existing.Count()) : C_WString(L"?");
            if (outInfo) {
                question = kTellOutInfoRewritten;
                question += L"\n";
            }
            question += C_WString::Stringf(kAskOverwrite, count.GetString());
        }
        if (!front.Ask(question.GetString(), kTitleConfirm, true)) {
            return Pointer<CopyState>();
        }
    }
    ktora::common::ktora_CreateDirectory(FileCallPath(plan.container),
                                         ktora::common::kDirectoryModeAll);
    if (!IsFolderAt(plan.container)) {
        front.Tell(kTellBadDestination, kTitleMessage);
        return Pointer<CopyState>();
    }
    // Looked at again once the container is there (a link may have been put in its place
    // since the plan), before outinfo.txt is opened in it.
    if (LeadsIntoSource(plan.container, plan.source)) {
        front.Tell(kTellSameFolder, kTitleMessage);
        return Pointer<CopyState>();
    }
    if (plan.count >= kManyCopies && !front.Ask(kAskMany, kTitleConfirm)) {
        return Pointer<CopyState>();
    }

    Pointer<CopyState> state(new CopyState());
    CopyState& s = *state;
    static_cast<CopyNaming&>(s) = plan.first;
    s.make_count = plan.count;
    s.dest_dir = plan.container;
    s.src_dir = plan.source;
    s.tree_only = plan.tree_only;
    s.builtin = builtin;
    if (jobs < 1) {
        jobs = builtin ? DefaultWriters() : 1;
    }
    s.jobs = jobs > kMaxJobs ? kMaxJobs : jobs;
    // The system's copier by its full path: never an xcopy.exe beside the program or in the
    // current folder.
    s.copier = SystemCopierPath();
    if (plan.text_output) {
        C_WString outInfo = plan.container;
        outInfo += L"\\outinfo.txt";
        // A summary file that cannot be opened (another program holds it) does not stop the
        // run, but the completion message says so: an old outinfo.txt must not pass for this
        // run's.
        if (!s.out_info.Open(FileCallPath(outInfo), ktora::C_FileStream::kOpenReadWrite) ||
            !s.out_info.SetEndFile(0)) {
            s.out_info_lost = true;
        }
    }
    return state;
}

RunOutcome RunCopies(CopyState& s, std::atomic<int> const& abort, I_CopyFront& front) {
    front.RunStarted();
    const C_WString lastName = ktora::common::ktora_GetLastName(s.dest_dir);
    // The source as it is now: every copy is checked against it.
    TreeListing source;
    source.Take(s.src_dir, &abort);
    RunTally tally(s, source, front);
    std::unique_ptr<I_Copier> copier = MakeCopier(s, abort);
    const CopyTick tick = [&tally](unsigned long long bytes) { tally.Bytes(bytes); };
    // The one place the flag is read; once seen, the run stops.
    bool aborted = false;
    auto stopped = [&]() { return aborted = aborted || abort.load() != 0; };

    std::vector<CopyEnd> ended;
    for (int next = 0; !stopped();) {
        // Hand copies over, in counter order, while the copier takes them.
        while (next < s.make_count && copier->InFlight() < copier->Capacity() && !stopped()) {
            CopyJob job = MakeJob(s, next++, lastName);
            tally.Starting(job);
            if (!copier->Start(job)) {
                tally.Finished(job, C_WString(kReasonNotStarted)); // the run goes on
            }
        }
        if (copier->InFlight() == 0 || stopped()) {
            break; // every copy handled, or the abort
        }
        ended.clear();
        copier->Wait(kPollMilliseconds, tick, &ended);
        for (CopyEnd const& end : ended) {
            aborted = aborted || end.aborted;
            C_WString reason =
                stopped() ? C_WString() : WhyNotMade(source, end, s.tree_only, abort);
            if (stopped()) {
                break; // a check cut short: the run ends without a word on this copy
            }
            tally.Finished(end.job, reason);
        }
    }
    if (aborted) {
        copier->Stop();
        return RunOutcome::kAborted;
    }
    // Every copy was handled before the abort was seen (if there was one): the run is complete.
    front.RunCompleted();
    front.Tell(tally.DoneMessage(s).GetString(), kTitleMessage);
    return tally.Failed() == 0 && !s.out_info_lost ? RunOutcome::kDone : RunOutcome::kFailures;
}
