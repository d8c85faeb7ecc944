#include "ktora/window/C_ComboBox.h"

#include "ktora/string/C_Memory.h"
#include "ktora/window/C_MainWnd.h"

namespace ktora {

int C_ComboBox::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!m_hWnd) {
        return -1;
    }
    return static_cast<int>(::SendMessageW(m_hWnd, message, wParam, lParam));
}

int C_ComboBox::Create(I_Wnd const* parent, int const& x, int const& y, int const& width,
                       int const& height, HMENU const& id, unsigned long const& style) {
    if (m_hWnd || !parent) {
        return 0;
    }
    HWND hwnd =
        ::CreateWindowExW(0, L"COMBOBOX", L"", style | WS_CHILD | WS_VISIBLE, x, y, width, height,
                          parent->GetHWnd(), id, C_MainWnd::GetHInstance(), nullptr);
    if (!hwnd) {
        return 0;
    }
    m_hWnd = hwnd;
    return 1;
}

int C_ComboBox::AppEnd(C_WString const& text) {
    if (text.Empty()) {
        return -1;
    }
    // Inserting at -1 appends at the end even in a sorting combo box.
    return Send(CB_INSERTSTRING, static_cast<WPARAM>(-1),
                reinterpret_cast<LPARAM>(text.GetString()));
}

int C_ComboBox::Insert(C_WString const& text, int const& index) {
    if (text.Empty()) {
        return -1;
    }
    return Send(CB_INSERTSTRING, static_cast<WPARAM>(index),
                reinterpret_cast<LPARAM>(text.GetString()));
}

int C_ComboBox::Delete(int const& index) {
    return Send(CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

int C_ComboBox::Reset() {
    return Send(CB_RESETCONTENT, 0, 0);
}

int C_ComboBox::Find(C_WString const& text) {
    if (text.Empty()) {
        return -1;
    }
    return Send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                reinterpret_cast<LPARAM>(text.GetString()));
}

int C_ComboBox::SetCurrent(int const& index) {
    return Send(CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int C_ComboBox::ShowDropDown(int const& show) {
    return Send(CB_SHOWDROPDOWN, static_cast<WPARAM>(show), 0);
}

int C_ComboBox::SetDropWidth(int const& width) {
    return Send(CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}

int C_ComboBox::SetLimitLength(int const& length) {
    return Send(CB_LIMITTEXT, static_cast<WPARAM>(length), 0);
}

int C_ComboBox::GetCount() const {
    return Send(CB_GETCOUNT, 0, 0);
}

C_WString C_ComboBox::GetString(int const& index) {
    if (!m_hWnd) {
        return C_WString();
    }
    int length = Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) {
        return C_WString();
    }
    if (length <= 258) {
        wchar_t fixed[260] = {};
        if (Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(fixed)) < 0) {
            return C_WString();
        }
        return C_WString(fixed);
    }
    C_Memory block;
    if (!block.CreateBuffer(static_cast<unsigned long>(length + 2) * sizeof(wchar_t))) {
        return C_WString();
    }
    if (Send(CB_GETLBTEXT, static_cast<WPARAM>(index),
             reinterpret_cast<LPARAM>(block.GetMemory())) < 0) {
        return C_WString();
    }
    return C_WString(static_cast<wchar_t const*>(block.GetMemory()));
}

int C_ComboBox::GetStringLength(int const& index) const {
    return Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
}

int C_ComboBox::GetCurrent() const {
    return Send(CB_GETCURSEL, 0, 0);
}

int C_ComboBox::GetScreenRect(RECT* rect) const {
    if (!rect) {
        return -1;
    }
    return Send(CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(rect));
}

int C_ComboBox::SetExtendedUI(int const& on) {
    return Send(CB_SETEXTENDEDUI, static_cast<WPARAM>(on), 0);
}

int C_ComboBox::IsGetExtendedUI() const {
    if (!m_hWnd) {
        return 0;
    }
    return Send(CB_GETEXTENDEDUI, 0, 0);
}

int C_ComboBox::Destroy() {
    if (!m_hWnd) {
        return -1;
    }
    int ok = ::DestroyWindow(m_hWnd) ? 1 : 0;
    m_hWnd = nullptr;
    return ok;
}

} // namespace ktora
