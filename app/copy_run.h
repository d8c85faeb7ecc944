#pragma once
// The copy run, one implementation for every front end: the checks and questions before a run,
// and the loop that makes the copies.
#include <atomic>

#include "app/CopySettings.h"
#include "app/CopyState.h"
#include "app/I_CopyFront.h"
#include "ktora/string/Pointer.h"

// Normalises and checks the settings, asks the questions, creates the container folder and
// opens outinfo.txt when asked for. The run record, or a null pointer when a check refused
// the run (its message told) or a question was answered No.
ktora::common::Pointer<CopyState> PrepareCopyRun(CopySettings const& settings, I_CopyFront& front);

// Makes the copies of a prepared run, one copier process at a time. abort is polled between
// steps and while a copier runs (which is then asked to close). 1 when every copy was made
// (the completion message told), 2 when the run ended but some copier could not be started or
// reported an error (exit code 4 or more), or outinfo.txt was asked for and could not be
// written (the completion message says so), 0 when the run stopped on abort.
int RunCopies(CopyState& state, std::atomic<int> const& abort, I_CopyFront& front);
