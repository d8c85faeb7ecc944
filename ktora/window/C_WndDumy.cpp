#include "ktora/window/C_WndDumy.h"

namespace ktora {

C_WndDumy::C_WndDumy(HWND hWnd) : m_hWnd(hWnd) {}

C_WndDumy::~C_WndDumy() = default;

HWND C_WndDumy::GetHWnd() const {
    return m_hWnd;
}

void C_WndDumy::SetHWnd(HWND hWnd) {
    m_hWnd = hWnd;
}

} // namespace ktora
