#pragma once
// Shared level counting of C_CriticalLock and C_SynchronizeLock: a holder gives back only
// the levels it took itself.

namespace ktora {
namespace lockimpl {

// Gives back one level, or every level when all is set; leave() releases one level.
template <typename Leave> inline void release_levels(int& count, bool all, Leave leave) {
    if (count == 0) {
        return;
    }
    int n = all ? count : 1;
    count -= n;
    while (n-- > 0) {
        leave();
    }
}

} // namespace lockimpl
} // namespace ktora
