#pragma once

namespace ktora {

// Tag base for lock kinds; carries nothing.
class LockType {
public:
    virtual ~LockType() = default;
};

} // namespace ktora
