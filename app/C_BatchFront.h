#pragma once
// The console side of a batch run: messages on standard error, a progress line per copy on
// standard output, questions answered from standard input or by the yes-to-all switch.
#include <windows.h>

#include "app/I_CopyFront.h"

class C_BatchFront : public I_CopyFront {
public:
    explicit C_BatchFront(bool yesToAll);
    ~C_BatchFront() override = default;

    // Asks on standard error; Yes when the answer line starts with y or Y. No at end of input.
    bool Ask(wchar_t const* text, wchar_t const* caption) override;
    void Tell(wchar_t const* text, wchar_t const* caption) override;
    void RunStarted() override {}
    void CopyStarting(int index, int count, ktora::C_WString const& target) override;
    void RunCompleted() override {}

    // Writes text to a standard handle: console text as is, redirected output as bytes in the
    // console's output code page (the ANSI code page when there is no console).
    static void Write(DWORD stdHandle, wchar_t const* text);

private:
    bool m_bYesToAll;
};
