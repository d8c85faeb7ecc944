#pragma once

#include "ktora/thread/C_FunctionManager.h"

namespace ktora {

// Binds a free function and one argument held by value.
template <class A> class C_FunctionTypeA1 : public C_FunctionManager {
public:
    typedef int (*Function)(A);

    C_FunctionTypeA1(Function function, A const& argument)
        : m_pFunction(function), m_arg(argument) {}

    int Invoke() override { return m_pFunction ? m_pFunction(m_arg) : 0; }

private:
    Function m_pFunction;
    A m_arg;
};

} // namespace ktora
