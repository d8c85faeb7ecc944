#pragma once

namespace ktora {

class I_Runnable {
public:
    virtual ~I_Runnable() = default;
    virtual void Run() = 0;
};

} // namespace ktora
