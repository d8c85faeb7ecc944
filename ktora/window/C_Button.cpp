#include "ktora/window/C_Button.h"

#include "ktora/window/C_MainWnd.h"

namespace ktora {

int C_Button::Create(I_Wnd const* parent, C_WString const& caption, int const& x, int const& y,
                     int const& width, int const& height, HMENU const& id,
                     unsigned long const& style) {
    if (m_hWnd || !parent) {
        return 0;
    }
    HWND hwnd =
        ::CreateWindowExW(0, L"BUTTON", caption.GetString(), style | WS_CHILD | WS_VISIBLE, x, y,
                          width, height, parent->GetHWnd(), id, C_MainWnd::GetHInstance(), nullptr);
    if (!hwnd) {
        return 0;
    }
    m_hWnd = hwnd;
    m_id = static_cast<int>(reinterpret_cast<INT_PTR>(id));
    return 1;
}

int C_Button::SetName(C_WString const& caption) {
    if (!m_hWnd || caption.Empty()) {
        return 0;
    }
    return ::SetWindowTextW(m_hWnd, caption.GetString()) ? 1 : 0;
}

void C_Button::Destroy() {
    if (m_hWnd) {
        ::DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
    }
}

} // namespace ktora
