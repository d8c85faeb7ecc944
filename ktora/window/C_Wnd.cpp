#include "ktora/window/C_Wnd.h"

#include "ktora/window/C_MainWnd.h"

namespace ktora {

// The class defaults every registration helper of the framework shares.
WNDCLASSW ktora_DefaultWndClass(HINSTANCE instance, wchar_t const* className, WNDPROC proc,
                                wchar_t const* menuName) {
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(nullptr, IDI_WINLOGO);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszMenuName = menuName;
    wc.lpszClassName = className;
    return wc;
}

C_Wnd::C_Wnd() : m_hWnd(nullptr) {}

C_Wnd::~C_Wnd() = default;

HWND C_Wnd::GetHWnd() const {
    return m_hWnd;
}

void C_Wnd::SetHWnd(HWND hWnd) {
    m_hWnd = hWnd;
}

int C_Wnd::MakeWindow(I_Wnd const* parent, C_WString const& className, C_WString const& text,
                      unsigned long style, int width, int height, HMENU menu) {
    if (m_hWnd != nullptr) {
        return 0;
    }
    HWND hWnd = CreateWindowExW(0, className.GetString(), text.GetString(), style, 0, 0, width,
                                height, parent != nullptr ? parent->GetHWnd() : nullptr, menu,
                                C_MainWnd::GetHInstance(), nullptr);
    if (hWnd == nullptr) {
        return 0;
    }
    m_hWnd = hWnd;
    return 1;
}

void C_Wnd::KillWindow() {
    if (m_hWnd != nullptr) {
        DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
    }
}

int C_Wnd::RegistWnd(WNDPROC proc, C_WString const& className, wchar_t const* menuName) {
    WNDCLASSW wc =
        ktora_DefaultWndClass(C_MainWnd::GetHInstance(), className.GetString(), proc, menuName);
    return static_cast<int>(static_cast<unsigned short>(::RegisterClassW(&wc)));
}

int InitApp(HINSTANCE const& instance, wchar_t const* className, WNDPROC proc,
            wchar_t const* menuName) {
    WNDCLASSW wc = ktora_DefaultWndClass(instance, className, proc, menuName);
    return static_cast<int>(static_cast<unsigned short>(::RegisterClassW(&wc)));
}

} // namespace ktora
