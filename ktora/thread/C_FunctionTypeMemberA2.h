#pragma once

#include "ktora/thread/C_FunctionManager.h"

namespace ktora {

// Binds an object (not owned), one of its member functions and two arguments held by value.
template <class T, class A1, class A2> class C_FunctionTypeMemberA2 : public C_FunctionManager {
public:
    typedef int (T::*Method)(A1, A2);

    C_FunctionTypeMemberA2(T* object, Method method, A1 const& arg1, A2 const& arg2)
        : m_pMethod(method), m_pObject(object), m_arg1(arg1), m_arg2(arg2) {}

    int Invoke() override {
        return (m_pObject && m_pMethod) ? (m_pObject->*m_pMethod)(m_arg1, m_arg2) : 0;
    }

private:
    Method m_pMethod;
    T* m_pObject;
    A1 m_arg1;
    A2 m_arg2;
};

} // namespace ktora
