#pragma once

#include "ktora/window/I_Wnd.h"

namespace ktora {

// Lets a raw window handle (a dialog, a control) stand where an I_Wnd is asked for.
// Never destroys the window.
class C_WndDumy : public I_Wnd {
public:
    explicit C_WndDumy(HWND hWnd = nullptr);
    ~C_WndDumy() override;
    HWND GetHWnd() const override;
    virtual void SetHWnd(HWND hWnd);

private:
    HWND m_hWnd;
};

} // namespace ktora
