#pragma once

#include "ktora/thread/C_FunctionManager.h"

namespace ktora {

// Binds an object (not owned), one of its member functions and one argument held by
// value (for a Pointer, one shared reference, released with this object).
template <class T, class A> class C_FunctionTypeMemberA1 : public C_FunctionManager {
public:
    typedef int (T::*Method)(A);

    C_FunctionTypeMemberA1(T* object, Method method, A const& argument)
        : m_pMethod(method), m_pObject(object), m_arg(argument) {}

    // The member function gets its own copy of the argument.
    int Invoke() override { return (m_pObject && m_pMethod) ? (m_pObject->*m_pMethod)(m_arg) : 0; }

private:
    Method m_pMethod;
    T* m_pObject;
    A m_arg;
};

} // namespace ktora
