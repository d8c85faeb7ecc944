#include "ktora/window/C_Edit.h"

#include "ktora/string/C_Memory.h"
#include "ktora/window/C_MainWnd.h"

namespace ktora {

int C_Edit::Create(I_Wnd const* parent, int const& x, int const& y, int const& width,
                   int const& height, HMENU const& id, unsigned long const& style) {
    if (m_hWnd || !parent) {
        return 0;
    }
    HWND hwnd =
        ::CreateWindowExW(0, L"EDIT", L"", style | WS_CHILD | WS_VISIBLE, x, y, width, height,
                          parent->GetHWnd(), id, C_MainWnd::GetHInstance(), nullptr);
    if (!hwnd) {
        return 0;
    }
    m_hWnd = hwnd;
    return 1;
}

int C_Edit::SetLimitText(int limit) {
    return static_cast<int>(::SendMessageW(m_hWnd, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0));
}

int C_Edit::GetLimitText() const {
    return static_cast<int>(::SendMessageW(m_hWnd, EM_GETLIMITTEXT, 0, 0));
}

int C_Edit::SetText(C_WString const& text) {
    return static_cast<int>(
        ::SendMessageW(m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.GetString())));
}

C_WString C_Edit::GetText() {
    wchar_t fixed[260] = {};
    int copied =
        static_cast<int>(::SendMessageW(m_hWnd, WM_GETTEXT, 260, reinterpret_cast<LPARAM>(fixed)));
    if (copied + 1 < 260) {
        return C_WString(fixed);
    }
    int length = static_cast<int>(::SendMessageW(m_hWnd, WM_GETTEXTLENGTH, 0, 0));
    C_Memory block;
    if (length < 0 ||
        !block.CreateBuffer(static_cast<unsigned long>(length + 2) * sizeof(wchar_t))) {
        return C_WString(fixed);
    }
    ::SendMessageW(m_hWnd, WM_GETTEXT, static_cast<WPARAM>(length + 2),
                   reinterpret_cast<LPARAM>(block.GetMemory()));
    return C_WString(static_cast<wchar_t const*>(block.GetMemory()));
}

void C_Edit::Destroy() {
    if (m_hWnd) {
        ::DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
    }
}

} // namespace ktora
