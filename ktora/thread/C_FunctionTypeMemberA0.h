#pragma once

#include "ktora/thread/C_FunctionManager.h"

namespace ktora {

// Binds an object (not owned) and one of its member functions without arguments.
template <class T> class C_FunctionTypeMemberA0 : public C_FunctionManager {
public:
    typedef int (T::*Method)();

    C_FunctionTypeMemberA0(T* object, Method method) : m_pMethod(method), m_pObject(object) {}

    int Invoke() override { return (m_pObject && m_pMethod) ? (m_pObject->*m_pMethod)() : 0; }

private:
    Method m_pMethod;
    T* m_pObject;
};

} // namespace ktora
