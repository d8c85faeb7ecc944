#include "app/CopyRun.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "app/TreeListing.h"
#include "app/CodePageText.h"
#include "app/CopyMessages.h"
#include "app/CopyPaths.h"
#include "ktora/file/ktora_file.h"
#include "ktora/file/ktora_lastname.h"
#include "ktora/thread/C_Process.h"

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

// One copy handed to a copier.
struct Copy {
    int index = 0;
    C_WString folder; // below the container
    C_WString target;
    std::unique_ptr<ktora::C_Process> process;
    bool in_job = false; // in the run's job object, which ends it on abort
};

// From this many copies on, the run asks once more.
constexpr int kManyCopies = 100;
// How often the abort flag is looked at while copiers run.
constexpr unsigned long kPollMilliseconds = 100;

// Exit codes of the copier: 0 copied, 1 nothing to copy, 2 interrupted by the user.
constexpr int kCopierDone = 0;
constexpr int kCopierNothing = 1;
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

// Asks every running copier to close, waits once for all of them together, then ends what is
// left: the job's processes, and each process that could not be put into the job.
void StopCopiers(std::vector<Copy>& running, ktora::C_Job& job) {
    std::vector<HANDLE> handles;
    for (Copy& copy : running) {
        if (copy.process->GetHandle() != nullptr) {
            copy.process->AskToClose();
            handles.push_back(copy.process->GetHandle());
        }
    }
    if (!handles.empty()) {
        WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE,
                               kCloseMilliseconds);
    }
    job.Terminate(kEndedCode);
    for (Copy& copy : running) {
        if (!copy.in_job) {
            copy.process->Terminate();
        }
        copy.process->Join(kCloseMilliseconds);
    }
}

// Time left from the copies finished so far, in milliseconds; -1 before the first.
long long Remaining(unsigned elapsed, int done, int count) {
    if (done <= 0) {
        return -1;
    }
    return static_cast<long long>(elapsed) * (count - done) / done;
}

// Why a copy whose copier ended is not made; empty when it is. A copier killed from outside
// may report success, so only the check of the copy against the source decides; the copier's
// code adds only its own failures. A folder-only copy is decided by its folders alone: the
// copier may answer "nothing copied" for it.
C_WString WhyNotMade(TreeListing const& source, Copy const& copy, bool ended, int code,
                     bool treeOnly, std::atomic<int> const& abort) {
    if (!ended) {
        return C_WString::Stringf(kReasonExitCode, L"?");
    }
    if (!treeOnly && code != kCopierDone && code != kCopierNothing) {
        // Codes past the copier's own small ones are system status values (a crash).
        unsigned value = static_cast<unsigned>(code);
        C_WString number =
            value > 0xFFFF ? C_WString::Stringf(L"0x%08X", value) : C_WString::Stringf(L"%d", code);
        return C_WString::Stringf(kReasonExitCode, number.GetString());
    }
    TreeListing::Result checked = source.Check(copy.target, treeOnly, &abort);
    C_WString path(checked.path.empty() ? copy.folder.GetString() : checked.path.c_str());
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

} // namespace

Pointer<CopyState> PrepareCopyRun(CopySettings const& settings, I_CopyFront& front) {
    return PrepareCopyRun(MakeCopyPlan(settings), front);
}

Pointer<CopyState> PrepareCopyRun(CopyPlan const& plan, I_CopyFront& front, int jobs) {
    if (plan.IsRefused()) {
        front.Tell(RefusalText(plan.refusal), kTitleMessage);
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
    s.jobs = jobs < 1 ? 1 : (jobs > kMaxJobs ? kMaxJobs : jobs);
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
    const DWORD began = GetTickCount();
    const C_WString lastName = ktora::common::ktora_GetLastName(s.dest_dir);
    // The source as it is now: every copy is checked against it.
    TreeListing source;
    source.Take(s.src_dir, &abort);

    std::vector<Copy> running;
    // The first failed copies by name (the message shows a few); the count is in progress.
    std::vector<C_WString> failedNames;
    CopyProgress progress;
    progress.count = s.make_count;
    auto stamp = [&]() {
        progress.elapsed_ms = GetTickCount() - began;
        progress.remaining_ms = Remaining(progress.elapsed_ms, progress.done, progress.count);
    };
    // reason: empty for a made copy.
    auto finish = [&](Copy const& copy, C_WString const& reason) {
        const bool made = reason.Empty();
        ++progress.done;
        if (!made) {
            ++progress.failed;
            if (failedNames.size() < static_cast<size_t>(kFailedNamesShown)) {
                C_WString named = copy.folder;
                named += L" (";
                named += reason;
                named += L")";
                failedNames.push_back(named);
            }
        }
        progress.index = copy.index;
        progress.target = copy.target;
        progress.reason = reason;
        stamp();
        front.CopyFinished(progress, made);
    };

    int next = 0;
    bool aborted = false;
    for (;;) {
        if (abort || aborted) {
            aborted = true;
            break;
        }
        // Start copies, in counter order, while a copier is free.
        while (next < s.make_count && static_cast<int>(running.size()) < s.jobs && !abort) {
            Copy copy;
            copy.index = next++;
            CopyNaming naming = NamingAt(s, copy.index);
            C_WString folder = MakeFolderName(naming, lastName);
            copy.folder = folder;
            copy.target = s.dest_dir;
            copy.target += L"\\";
            copy.target += folder;
            // The line goes out before the copy is made, so an interrupted copy is listed too.
            C_WString wide = MakeTextLine(naming, folder);
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
            progress.index = copy.index;
            progress.target = copy.target;
            stamp();
            front.CopyStarting(progress);

            copy.process = std::make_unique<ktora::C_Process>();
            C_WString command = MakeCopyCommand(s.src_dir, copy.target, s.tree_only);
            // Started suspended: it is in the run's job before it can do anything, so an abort
            // stops it even if it has no window yet.
            bool started = !s.copier.Empty() &&
                           copy.process->RunApplication(s.copier.GetString(), command.GetString(),
                                                        SW_SHOW, ktora::C_Process::kPipeNone,
                                                        true) != ktora::C_Process::kRunFailed;
            if (started) {
                copy.in_job = s.copiers.Assign(copy.process->GetHandle()) != 0;
                copy.process->Resume();
            }
            if (!started) {
                // Counted as failed, and the run goes on with the next copy.
                finish(copy, C_WString(kReasonNotStarted));
                continue;
            }
            running.push_back(std::move(copy));
        }
        if (running.empty()) {
            break; // every copy handled
        }
        if (abort) {
            aborted = true;
            break;
        }
        // Wait a little on each running copier; handle those that ended.
        const unsigned long slice =
            running.size() > 1 ? kPollMilliseconds / running.size() : kPollMilliseconds;
        for (size_t k = 0; k < running.size() && !abort && !aborted;) {
            Copy& copy = running[k];
            int waited = copy.process->Join(slice);
            if (waited == ktora::C_Process::kJoinTimeout) {
                ++k;
                continue;
            }
            int known = 0;
            int code =
                waited == ktora::C_Process::kJoinEnded ? copy.process->GetExitCode(&known) : -1;
            if (known && code == kCopierInterrupted && s.interrupt_aborts && AbortFollows(abort)) {
                aborted = true; // Ctrl+C reached the copier too: the abort, not a failed copy
                running.erase(running.begin() + static_cast<std::ptrdiff_t>(k));
                break;
            }
            C_WString reason = WhyNotMade(source, copy, known != 0, code, s.tree_only, abort);
            if (abort) {
                break; // the check was cut short: the run ends without a word on this copy
            }
            finish(copy, reason);
            running.erase(running.begin() + static_cast<std::ptrdiff_t>(k));
        }
    }
    if (aborted) {
        StopCopiers(running, s.copiers);
        return RunOutcome::kAborted;
    }
    // Every copy was handled before the abort was seen (if there was one): the run is complete.
    front.RunCompleted();
    // The run goes on after a failed copy; the user learns about failures here.
    C_WString done = progress.failed == 0 ? C_WString(kTellDone)
                                          : C_WString::Stringf(kTellDoneFailed, progress.failed);
    for (C_WString const& name : failedNames) {
        done += L"\n";
        done += name;
    }
    if (progress.failed > kFailedNamesShown) {
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
    front.Tell(done.GetString(), kTitleMessage);
    return progress.failed == 0 && !s.out_info_lost ? RunOutcome::kDone : RunOutcome::kFailures;
}
