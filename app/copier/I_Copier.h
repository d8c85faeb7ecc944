#pragma once
// How a run hands its copies to a copier and learns how each ended. Two copiers: the system's
// xcopy, one child process per copy (C_SystemCopier), and the built-in one, which makes up to
// eight copies in one walk of the source (C_BuiltinCopier). Whether a copy counts as made is
// decided by the run (its check of the copy against the source), not here.
//
// Every call comes on the run's own thread.
#include <functional>
#include <vector>

#include "ktora/string/C_WString.h"

// One copy handed to a copier.
struct CopyJob {
    int index = 0;           // in the run, from 0
    ktora::C_WString folder; // below the container
    ktora::C_WString target; // full path of the copy
};

// How a copy ended, as its copier saw it.
struct CopyEnd {
    CopyJob job;
    bool code_known = true;   // false: the copier's end could not be learnt (no exit code)
    int code = 0;             // the system xcopy's exit code
    ktora::C_WString failure; // the copier's own reason (built-in copier); empty when none
    bool aborted = false;     // the copier stopped for the run's abort
};

// Bytes written so far in the run, summed over its copies (built-in copier only).
using CopyTick = std::function<void(unsigned long long bytes)>;

class I_Copier {
public:
    virtual ~I_Copier() = default;
    // Copies that may be in flight at once.
    virtual int Capacity() const = 0;
    // Copies handed over and not yet reported by Wait.
    virtual int InFlight() const = 0;
    // Hands a copy over. False when it could not be started (it is then not in flight).
    virtual bool Start(CopyJob const& job) = 0;
    // Waits up to about milliseconds for copies to end and appends those that ended. The
    // built-in copier makes every copy handed over before it returns, calling tick meanwhile.
    virtual void Wait(unsigned long milliseconds, CopyTick const& tick,
                      std::vector<CopyEnd>* ended) = 0;
    // The run is aborted: ends what is still in flight (at most about a second).
    virtual void Stop() = 0;
};
