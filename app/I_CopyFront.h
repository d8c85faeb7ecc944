#pragma once
// What a copy run needs from the front end that started it: the dialog answers with message
// boxes and its start button, the batch front with the console.
#include "ktora/string/C_WString.h"

class I_CopyFront {
public:
    virtual ~I_CopyFront() = default;
    // A Yes/No question; true for Yes.
    virtual bool Ask(wchar_t const* text, wchar_t const* caption) = 0;
    // A message to acknowledge.
    virtual void Tell(wchar_t const* text, wchar_t const* caption) = 0;
    // The copies begin (called on the thread that makes them).
    virtual void RunStarted() = 0;
    // Copy index (from 0) of count goes to the copier next, into target.
    virtual void CopyStarting(int index, int count, ktora::C_WString const& target) = 0;
    // Every copy was made; the completion message follows.
    virtual void RunCompleted() = 0;
};
