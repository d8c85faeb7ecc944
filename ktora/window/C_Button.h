#pragma once
// Wrapper of a standard button control.
#include <windows.h>

#include "ktora/string/C_WString.h"
#include "ktora/window/I_Wnd.h"

namespace ktora {

class C_Button : public I_Wnd {
public:
    C_Button() : m_id(0), m_hWnd(nullptr) {}
    C_Button(C_Button const& other) : I_Wnd(), m_id(other.m_id), m_hWnd(other.m_hWnd) {}
    C_Button& operator=(C_Button const& other) {
        m_id = other.m_id;
        m_hWnd = other.m_hWnd;
        return *this;
    }
    // Leaves the control alone: Destroy ends it.
    virtual ~C_Button() {}
    virtual HWND GetHWnd() const { return m_hWnd; }

    int Create(I_Wnd const* parent, C_WString const& caption, int const& x, int const& y,
               int const& width, int const& height, HMENU const& id, unsigned long const& style);
    int SetName(C_WString const& caption);
    void Destroy();
    // The identifier given to Create (0 before).
    int GetID() const { return m_id; }

private:
    int m_id;
    HWND m_hWnd;
};

} // namespace ktora
