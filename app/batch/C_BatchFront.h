#pragma once
// The console side of a batch run: messages on standard error, a progress line per copy on
// standard output, questions answered from standard input or by the yes-to-all switch.
#include <windows.h>

#include <atomic>

#include "app/I_CopyFront.h"

class C_BatchFront : public I_CopyFront {
public:
    // With more than one copier at once (jobs > 1) the progress line is written as each copy
    // finishes, in order of finishing; with one, as each copy starts.
    // abort (may be null) is the run's flag: a question stops waiting for its answer when it
    // is set (Ctrl+C, Ctrl+Break, the console closing) and is then answered No.
    explicit C_BatchFront(bool yesToAll, int jobs = 1, std::atomic<int> const* abort = nullptr);
    ~C_BatchFront() override = default;

    // Asks on standard error; Yes when the answer line starts with y or Y. No at end of input.
    bool Ask(wchar_t const* text, wchar_t const* caption, bool defaultNo = false) override;
    void Tell(wchar_t const* text, wchar_t const* caption) override;
    void RunStarted() override {}
    // "[k/n] target", then the time since the start and, from the second copy, the time left.
    void CopyStarting(CopyProgress const& progress) override;
    // A line on standard error for every copy that failed, its reason in parentheses.
    void CopyFinished(CopyProgress const& progress, bool made) override;
    void RunCompleted() override {}

    // Writes text to a standard handle: console text as is, redirected output as bytes in the
    // console's output code page (the ANSI code page when there is no console), with "?" for
    // what it cannot hold. False when the text could not be written (a reader that went away).
    static bool Write(DWORD stdHandle, wchar_t const* text);

private:
    void WriteProgress(int number, CopyProgress const& progress);

    bool m_bYesToAll;
    int m_nJobs;
    std::atomic<int> const* m_pAbort;
};
