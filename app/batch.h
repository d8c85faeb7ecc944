#pragma once
// The batch front: the copy run from a console, settings from "/" options and a profile.
#include <atomic>

#include "app/CopySettings.h"
#include "app/I_CopyFront.h"
#include "ktora/string/C_WString.h"

struct BatchOptions {
    CopySettings settings;
    bool yes_to_all = false; // answer Yes to every question
    bool help = false;       // print the usage and make no run
};

// Exit codes of the batch front.
enum BatchExit { kBatchDone = 0, kBatchRefused = 1, kBatchAborted = 2, kBatchFailed = 3 };

// The count as the dialog reads it: optional blanks, an optional sign, decimal digits, optional
// blanks, nothing else. False when the text is no number or does not fit an int.
bool ParseCountText(ktora::C_WString const& text, int* value);

// Parses the options (argv as wmain gets it). Starts from the dialog's start values, applies
// the profile given with /p, then the other options, whatever their order. 1 on success; 0 on
// a usage error, described in *error.
int ParseBatchOptions(int argc, wchar_t* const* argv, BatchOptions* options,
                      ktora::C_WString* error);

// The usage text (Japanese, then English).
wchar_t const* BatchUsage();

// One run: the checks and questions, then the copies. Tells "中止しました。" after an abort.
BatchExit RunBatch(CopySettings const& settings, std::atomic<int> const& abort, I_CopyFront& front);
