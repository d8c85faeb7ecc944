#pragma once
// The record of one copy run, created when a run starts and shared with the worker thread.
#include <atomic>
#include <vector>

#include "app/NamingRules.h"
#include "ktora/file/C_FileStream.h"
#include "ktora/string/C_WString.h"
#include "ktora/thread/C_Job.h"

struct CopyState : CopyNaming {
    // --- Run: how many copies, from where to where, and the summary file ---
    int make_count = 1;            // number of copies to make, at least 1
    ktora::C_WString dest_dir;     // the container: destination + "\" + the source's last name
    ktora::C_WString src_dir;      // the source folder
    bool tree_only = false;        // make each copy's folders only
    int jobs = 1;                  // copiers that may run at once; the built-in copier's
                                   // writer threads
    bool builtin = false;          // the built-in copier, not the system's xcopy
    ktora::C_WString copier;       // the system's xcopy.exe by its full path
    ktora::C_FileStream out_info;  // outinfo.txt, open only when text output is on; closed
                                   // when the record is destroyed
    bool out_info_lost = false;    // text output was asked for, but outinfo.txt could not be
                                   // opened or a line could not be written
    bool out_info_inexact = false; // some line held characters the code page cannot hold

    // --- Stopping: shared by the front that started the run and the thread that makes it ---
    // Non-zero: stop. Each run has its own, set once and never cleared, so a worker that is
    // still ending can never take a later run's start for its own.
    std::atomic<int> abort{0};
    // Every copier of the run; what is left in it is ended with the record (also when the
    // process ends), and the front may end it at once (log-off).
    ktora::C_Job copiers;
    // A copier ending with code 2 ends the run as an abort when the abort flag follows within
    // half a second (Ctrl+C reached the copier and the front): set where the copiers share the
    // front's console.
    bool interrupt_aborts = false;

    CopyState() { copiers.Create(); }
};
