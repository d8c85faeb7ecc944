#pragma once

namespace ktora {

// A reader/writer lock: type 0 locks shared, any other type exclusive.
class I_Synchronize {
public:
    virtual ~I_Synchronize() = default;
    virtual void Lock(int const& type) = 0;
    virtual void Unlock() = 0;
    virtual int GetLockCount() const = 0;
    virtual int IsLockedByCurrentThread() const = 0;
};

} // namespace ktora
