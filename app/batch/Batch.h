#pragma once
// The batch front: the copy run from a console, settings from "/" options and a profile.
#include <atomic>
#include <functional>
#include <string>

#include "app/CopySettings.h"
#include "app/I_CopyFront.h"
#include "app/CopyRun.h"
#include "ktora/string/C_WString.h"

struct BatchOptions {
    CopySettings settings;
    bool yes_to_all = false; // answer Yes to every question
    bool help = false;       // print the usage and make no run
    bool list_only = false;  // print the plan and make nothing
    int jobs = 0; // xcopy processes at once, or the built-in copier's writer threads (1 to
                  // kMaxJobs; 0: the copier's default)
};

// Exit codes of the batch front.
enum BatchExit { kBatchDone = 0, kBatchRefused = 1, kBatchAborted = 2, kBatchFailed = 3 };

// Parses the options (argv as wmain gets it). Starts from the dialog's start values, applies
// the profile given with /p, then the other options, whatever their order. 1 on success; 0 on
// a usage error, described in *error.
int ParseBatchOptions(int argc, wchar_t* const* argv, BatchOptions* options,
                      ktora::C_WString* error);

// The usage text (Japanese, then English).
wchar_t const* BatchUsage();

// The exit code of a run's outcome.
BatchExit BatchExitOf(RunOutcome outcome);

// One run: the checks and questions, then the copies by the settings' copier, jobs as
// PrepareCopyRun takes it. Tells "中止しました。" after an abort.
BatchExit RunBatch(CopySettings const& settings, std::atomic<int> const& abort, I_CopyFront& front,
                   int jobs = 0);

// The plan as lines for /l: first told, "<count> 個: <first target> … <last target>"; then each
// folder, its text line when text output is on, and "(上書き)" beside targets that exist.
// Creates nothing. A refused plan tells its message. Stops with kBatchRefused at the first
// line writeLine could not write (the reader went away).
BatchExit ListBatchPlan(CopySettings const& settings, I_CopyFront& front,
                        std::function<bool(std::wstring const&)> const& writeLine);
