#pragma once

#include "ktora/string/C_WString.h"
#include "ktora/window/I_Wnd.h"

namespace ktora {

// Holds one child or top-level window that it created itself. The destructor leaves the
// window alone: KillWindow is the only way this class ends one.
class C_Wnd : public I_Wnd {
public:
    C_Wnd();
    ~C_Wnd() override;
    HWND GetHWnd() const override;

    void SetHWnd(HWND hWnd);
    // 0 when a window is already held or creation fails.
    int MakeWindow(I_Wnd const* parent, C_WString const& className, C_WString const& text,
                   unsigned long style, int width, int height, HMENU menu);
    void KillWindow();
    // Registers a class with the framework's defaults; the caller keeps the name alive.
    static int RegistWnd(WNDPROC proc, C_WString const& className, wchar_t const* menuName);

private:
    HWND m_hWnd;
};

// A class record with the framework's defaults: redraw on resize, arrow cursor, white background.
WNDCLASSW ktora_DefaultWndClass(HINSTANCE instance, wchar_t const* className, WNDPROC proc,
                                wchar_t const* menuName);

// Registers a class with the framework's defaults for the given instance.
int InitApp(HINSTANCE const& instance, wchar_t const* className, WNDPROC proc,
            wchar_t const* menuName);

} // namespace ktora
