#pragma once
// Wrapper of a standard combo box. Every operation answers -1 while no control is held.
#include <windows.h>

#include "ktora/string/C_WString.h"
#include "ktora/window/I_Wnd.h"

namespace ktora {

class C_ComboBox : public I_Wnd {
public:
    C_ComboBox() : m_hWnd(nullptr) {}
    C_ComboBox(C_ComboBox const& other) : I_Wnd(), m_hWnd(other.m_hWnd) {}
    C_ComboBox& operator=(C_ComboBox const&) = delete;
    // Leaves the control alone: Destroy ends it.
    virtual ~C_ComboBox() {}
    virtual HWND GetHWnd() const { return m_hWnd; }

    int Create(I_Wnd const* parent, int const& x, int const& y, int const& width, int const& height,
               HMENU const& id, unsigned long const& style);
    int AppEnd(C_WString const& text);
    int Insert(C_WString const& text, int const& index);
    int Delete(int const& index);
    int Reset();
    int Find(C_WString const& text);
    int SetCurrent(int const& index);
    int ShowDropDown(int const& show);
    int SetDropWidth(int const& width);
    int SetLimitLength(int const& length);
    int GetCount() const;
    C_WString GetString(int const& index);
    int GetStringLength(int const& index) const;
    int GetCurrent() const;
    int GetScreenRect(RECT* rect) const;
    int SetExtendedUI(int const& on);
    int IsGetExtendedUI() const;
    int Destroy();

private:
    int Send(UINT message, WPARAM wParam, LPARAM lParam) const;

    HWND m_hWnd;
};

} // namespace ktora
