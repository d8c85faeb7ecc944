#pragma once

#include "ktora/thread/I_CriticalSection.h"

namespace ktora {

// Lets code written against I_CriticalSection run without locking.
class C_CriticalDummy : public I_CriticalSection {
public:
    void Enter() override {}
    void Leave() override {}
    int IsLockedByCurrentThread() const override { return 0; }
    int GetEnterCount() const override { return 0; }
};

} // namespace ktora
