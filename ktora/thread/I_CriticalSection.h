#pragma once

namespace ktora {

// A re-entrant lock that knows its owner and depth.
class I_CriticalSection {
public:
    virtual ~I_CriticalSection() = default;
    virtual void Enter() = 0;
    virtual void Leave() = 0;
    virtual int IsLockedByCurrentThread() const = 0;
    virtual int GetEnterCount() const = 0;
};

} // namespace ktora
