#pragma once

#include "ktora/thread/C_FunctionManager.h"

namespace ktora {

// Binds a free function without arguments.
class C_FunctionTypeA0 : public C_FunctionManager {
public:
    typedef int (*Function)();

    explicit C_FunctionTypeA0(Function function) : m_pFunction(function) {}

    int Invoke() override { return m_pFunction ? m_pFunction() : 0; }

private:
    Function m_pFunction;
};

} // namespace ktora
