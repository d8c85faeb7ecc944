#pragma once

#include "ktora/thread/I_Synchronize.h"

namespace ktora {

// Lets code written against I_Synchronize run without locking.
class C_SynchronizeDummy : public I_Synchronize {
public:
    void Lock(int const&) override {}
    void Unlock() override {}
    int GetLockCount() const override { return 0; }
    int IsLockedByCurrentThread() const override { return 0; }
};

} // namespace ktora
