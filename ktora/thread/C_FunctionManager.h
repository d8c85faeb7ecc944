#pragma once

#include "ktora/thread/I_Function.h"

namespace ktora {

// Common base of the binding templates. The bound function's result is not kept:
// GetResult reports 0.
class C_FunctionManager : public I_Function {
public:
    int GetResult(int* out) override {
        if (out) {
            *out = 0;
        }
        return 0;
    }
};

} // namespace ktora
