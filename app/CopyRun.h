#pragma once
// The copy run, one implementation for every front end: the questions before a run, and the
// loop that makes the copies of a plan.
#include <atomic>

#include "app/CopyPlan.h"
#include "app/CopySettings.h"
#include "app/CopyState.h"
#include "app/I_CopyFront.h"
#include "ktora/string/Pointer.h"

// How a run ended; the batch front's exit code maps from it.
enum class RunOutcome {
    kAborted,  // stopped on abort: no completion message
    kDone,     // every copy made (the completion message told)
    kFailures, // the run ended, but some copy failed or outinfo.txt could not be written
               // (the completion message says so)
};

// The most copiers a run may start at once.
constexpr int kMaxJobs = 8;

// Tells a refused plan's message, or asks the questions (run, overwrite, many copies), creates
// the container folder and opens outinfo.txt when asked for. The run record, or a null
// pointer when the plan was refused (its message told), a question was answered No or the
// container could not be made. builtin chooses the built-in copier over the system's xcopy;
// jobs is how many xcopy processes run at once, or the built-in copier's writer threads (below
// 1: the default, one xcopy, or as many writers as the processor has cores, at most kMaxJobs).
ktora::common::Pointer<CopyState> PrepareCopyRun(CopyPlan const& plan, I_CopyFront& front,
                                                 int jobs = 1, bool builtin = false);
// The same from settings (their copier, the default jobs): MakeCopyPlan first.
ktora::common::Pointer<CopyState> PrepareCopyRun(CopySettings const& settings, I_CopyFront& front);

// Makes the copies of a prepared run through its copier: the system's xcopy, up to state.jobs
// processes at once, or the built-in copier, up to eight copies in one walk of the source.
// abort is polled between steps, while copiers run and during the walks of the source and of
// each copy; on abort the running xcopy processes are asked to close, and what is left after a
// second is ended, and the built-in copier stops before its next chunk, removing the file it
// was writing. An xcopy ending with code 2 is the abort where state.interrupt_aborts. A copy
// counts as made only when its copier ended on its own without an error and the copy holds
// every folder and every file (same size and last-write time) of the source; a folder-only
// copy when it holds every folder. A failed copy's reason goes to the front in
// CopyProgress::reason and follows its name in the completion message. The built-in copier's
// bytes go to the front about every 500 ms (BytesCopied).
RunOutcome RunCopies(CopyState& state, std::atomic<int> const& abort, I_CopyFront& front);
