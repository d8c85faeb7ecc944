#pragma once
// Wrapper of a standard edit control: one method, one window message.
#include <windows.h>

#include "ktora/string/C_WString.h"
#include "ktora/window/I_Wnd.h"

namespace ktora {

class C_Edit : public I_Wnd {
public:
    C_Edit() : m_hWnd(nullptr) {}
    C_Edit(C_Edit const& other) : I_Wnd(), m_hWnd(other.m_hWnd) {}
    C_Edit& operator=(C_Edit const&) = delete;
    // Leaves the control alone: Destroy ends it.
    virtual ~C_Edit() {}
    virtual HWND GetHWnd() const { return m_hWnd; }

    int Create(I_Wnd const* parent, int const& x, int const& y, int const& width, int const& height,
               HMENU const& id, unsigned long const& style);
    int SetLimitText(int limit);
    int GetLimitText() const;
    int SetText(C_WString const& text);
    C_WString GetText();
    void Destroy();

private:
    HWND m_hWnd;
};

} // namespace ktora
