#pragma once
// What a copy run needs from the front end that started it: the dialog answers with message
// boxes, its title and its progress band, the batch front with the console. Every call during
// the copies comes on the run's own thread.
#include "ktora/string/C_WString.h"

// Where a run stands, handed to the front as each copy starts and ends.
struct CopyProgress {
    int index = 0;               // the copy concerned, from 0
    int count = 0;               // copies in the run
    int done = 0;                // copies finished so far, made or failed
    int failed = 0;              // of those, copies that failed
    unsigned elapsed_ms = 0;     // since the run began
    long long remaining_ms = -1; // estimate from the finished copies (from the bytes, where
                                 // they are known); -1 before there is one
    // Bytes written so far and to be written in the whole run, summed over the copies: known
    // with the built-in copier only (bytes_total 0 otherwise, and for folder-only runs).
    unsigned long long bytes_done = 0;
    unsigned long long bytes_total = 0;
    bool builtin = false;    // the built-in copier: copies are handed over several at once, so
                             // a front counts finished copies, not started ones
    ktora::C_WString target; // the copy's folder
    ktora::C_WString reason; // why the copy that ended failed (shown in parentheses after
                             // its name); empty for a made copy
};

class I_CopyFront {
public:
    virtual ~I_CopyFront() = default;
    // A Yes/No question; true for Yes. defaultNo makes No the default answer.
    virtual bool Ask(wchar_t const* text, wchar_t const* caption, bool defaultNo = false) = 0;
    // A message to acknowledge.
    virtual void Tell(wchar_t const* text, wchar_t const* caption) = 0;
    // The copies begin (called on the thread that makes them).
    virtual void RunStarted() = 0;
    // A copy goes to the copier next.
    virtual void CopyStarting(CopyProgress const& progress) = 0;
    // A copy ended; made is false when it failed. Called in order of finishing.
    virtual void CopyFinished(CopyProgress const& /*progress*/, bool /*made*/) {}
    // The bytes moved on (built-in copier, about every 500 ms while copies are in flight).
    virtual void BytesCopied(CopyProgress const& /*progress*/) {}
    // Every copy was handled; the completion message follows.
    virtual void RunCompleted() = 0;
};
