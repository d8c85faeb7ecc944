#pragma once

namespace ktora {

// A callable object that a C_ThreadEx runs.
class I_Function {
public:
    virtual ~I_Function() = default;
    virtual int Invoke() = 0;
    virtual int GetResult(int* out) = 0;
};

} // namespace ktora
