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
    bool closing = false; // asked to close on abort
};

// From this many copies on, the run asks once more.
constexpr int kManyCopies = 100;
// How often the abort flag is looked at while copiers run.
constexpr unsigned long kPollMilliseconds = 100;

// Exit codes of the copier: 0 copied, 1 nothing to copy, 2 interrupted by the user.
constexpr int kCopierDone = 0;
constexpr int kCopierNothing = 1;

// Time left from the copies finished so far, in milliseconds; -1 before the first.
long long Remaining(unsigned elapsed, int done, int count) {
    if (done <= 0) {
        return -1;
    }
    return static_cast<long long>(elapsed) * (count - done) / done;
}

} // namespace

Pointer<CopyState> PrepareCopyRun(CopySettings const& settings, I_CopyFront& front) {
    return PrepareCopyRun(MakeCopyPlan(settings), front);
}

Pointer<CopyState> PrepareCopyRun(CopyPlan const& plan, I_CopyFront& front, int jobs) {
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
    const bool sourceListed = source.Take(s.src_dir);

    std::vector<Copy> running;
    // The first failed copies by name (the message shows a few); the count is in progress.
    std::vector<C_WString> failedNames;
    CopyProgress progress;
    progress.count = s.make_count;
    auto stamp = [&]() {
        progress.elapsed_ms = GetTickCount() - began;
        progress.remaining_ms = Remaining(progress.elapsed_ms, progress.done, progress.count);
    };
    auto finish = [&](Copy const& copy, bool made) {
        ++progress.done;
        if (!made) {
            ++progress.failed;
            if (failedNames.size() < static_cast<size_t>(kFailedNamesShown)) {
                failedNames.push_back(copy.folder);
            }
        }
        progress.index = copy.index;
        progress.target = copy.target;
        stamp();
        front.CopyFinished(progress, made);
    };

    int next = 0;
    bool aborted = false;
    for (;;) {
        if (abort) {
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
            bool started = !s.copier.Empty() &&
                           copy.process->RunApplication(s.copier.GetString(), command.GetString(),
                                                        SW_SHOW, ktora::C_Process::kPipeNone) !=
                               ktora::C_Process::kRunFailed;
            if (!started) {
                // Counted as failed, and the run goes on with the next copy.
                finish(copy, false);
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
        for (size_t k = 0; k < running.size() && !abort;) {
            Copy& copy = running[k];
            int waited = copy.process->Join(slice);
            if (waited == ktora::C_Process::kJoinTimeout) {
                ++k;
                continue;
            }
            int known = 0;
            int code =
                waited == ktora::C_Process::kJoinEnded ? copy.process->GetExitCode(&known) : -1;
            // Only a copier that ended on its own with success made a copy, and only when the
            // copy holds the whole source: a copier killed from outside may report 0 too.
            bool made = known && (code == kCopierDone ||
                                  (code == kCopierNothing && sourceListed && source.Files() == 0));
            if (made) {
                made = sourceListed && source.IsCopiedInto(copy.target, s.tree_only);
            }
            finish(copy, made);
            running.erase(running.begin() + static_cast<std::ptrdiff_t>(k));
        }
    }
    if (aborted) {
        // Asked to close; those that do not are no longer waited for.
        for (Copy& copy : running) {
            copy.process->TryExit();
        }
        return RunOutcome::kAborted;
    }
    // A run that was asked to stop makes no further calls on its front: the dialog may be gone.
    if (abort) {
        return RunOutcome::kAborted;
    }
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
