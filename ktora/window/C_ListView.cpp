#include "ktora/window/C_ListView.h"

#include <commctrl.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "ktora/window/C_MainWnd.h"

namespace ktora {

namespace {

// What one SortItems call needs: the texts of the sort column, read before the sort starts.
// A list view is unstable while it sorts and answers other messages during the sort
// unreliably, so the compare function only looks the texts up here.
struct tag_ListViewSort {
    HWND hWnd;
    int column;
    int descending;
    std::unordered_map<LPARAM, std::wstring> texts;
};

// Reads an item's text whole: a text that fills the buffer may have been cut, so the buffer
// doubles (from 256 characters) until the text fits with room to spare.
std::wstring ReadItemText(HWND hwnd, int item, int subItem) {
    std::vector<wchar_t> buffer(256);
    for (;;) {
        LVITEMW lvi = {};
        lvi.iSubItem = subItem;
        lvi.pszText = buffer.data();
        lvi.cchTextMax = static_cast<int>(buffer.size());
        buffer[0] = L'\0';
        int length = static_cast<int>(::SendMessageW(
            hwnd, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi)));
        if (length + 1 < static_cast<int>(buffer.size()) || buffer.size() >= (1u << 24)) {
            if (length < 0) {
                length = 0;
            }
            return std::wstring(buffer.data(), static_cast<size_t>(length));
        }
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

// Character order of the UTF-16 units; a text that begins another sorts before it.
int CompareTexts(std::wstring const& a, std::wstring const& b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned ca = static_cast<unsigned short>(a[i]);
        unsigned cb = static_cast<unsigned short>(b[i]);
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

int CALLBACK CompareItems(LPARAM first, LPARAM second, LPARAM context) {
    tag_ListViewSort const* sort = reinterpret_cast<tag_ListViewSort const*>(context);
    static std::wstring const empty;
    auto a = sort->texts.find(first);
    auto b = sort->texts.find(second);
    int result = CompareTexts(a != sort->texts.end() ? a->second : empty,
                              b != sort->texts.end() ? b->second : empty);
    return sort->descending ? -result : result;
}

} // namespace

C_ListView::C_ListView(int const& initCommonControls) : m_id(-1), m_hWnd(nullptr) {
    if (initCommonControls) {
        ::InitCommonControls();
    }
}

LRESULT C_ListView::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!m_hWnd) {
        return 0;
    }
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

int C_ListView::Create(I_Wnd const* parent, int id, int style) {
    if (m_hWnd || !parent) {
        return 0;
    }
    HWND hwnd =
        ::CreateWindowExW(0, WC_LISTVIEWW, L"", static_cast<DWORD>(style) | WS_CHILD | WS_VISIBLE,
                          0, 0, 0, 0, parent->GetHWnd(), reinterpret_cast<HMENU>(INT_PTR(id)),
                          C_MainWnd::GetHInstance(), nullptr);
    if (!hwnd) {
        return 0;
    }
    m_hWnd = hwnd;
    m_id = id;
    return 1;
}

void C_ListView::Destroy() {
    if (m_hWnd) {
        ::DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
    }
    m_id = -1;
}

int C_ListView::AddColumn(C_WString const& text, int index, int width, int format) {
    LVCOLUMNW col = {};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    col.fmt = format;
    col.cx = width;
    col.pszText = const_cast<wchar_t*>(text.GetString());
    col.iSubItem = index;
    return static_cast<int>(
        Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col)));
}

int C_ListView::AddItem(C_WString const& text, int subItem, int item, int mask, LPARAM param) {
    LVITEMW lvi = {};
    lvi.mask = static_cast<UINT>(mask) | LVIF_TEXT;
    lvi.iItem = item;
    lvi.iSubItem = subItem;
    lvi.pszText = const_cast<wchar_t*>(text.GetString());
    lvi.lParam = param;
    UINT message = subItem == 0 ? LVM_INSERTITEMW : LVM_SETITEMW;
    return static_cast<int>(Send(message, 0, reinterpret_cast<LPARAM>(&lvi)));
}

int C_ListView::DeleteColumn(int column) {
    return static_cast<int>(Send(LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0));
}

int C_ListView::DeleteItem(int item) {
    return static_cast<int>(Send(LVM_DELETEITEM, static_cast<WPARAM>(item), 0));
}

int C_ListView::DeleteAllItems() {
    return static_cast<int>(Send(LVM_DELETEALLITEMS, 0, 0));
}

int C_ListView::EnsureVisible(int item, int const& partialOk) {
    return static_cast<int>(
        Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), static_cast<LPARAM>(LOWORD(partialOk))));
}

int C_ListView::SortItems(int column, int const& descending) {
    if (!m_hWnd) {
        return 0;
    }
    tag_ListViewSort sort;
    sort.hWnd = m_hWnd;
    sort.column = column;
    sort.descending = descending;
    int count = GetItemCount();
    for (int i = 0; i < count; ++i) {
        LVITEMW lvi = {};
        lvi.mask = LVIF_PARAM;
        lvi.iItem = i;
        if (!::SendMessageW(m_hWnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lvi))) {
            continue;
        }
        // Two items with the same param both sort by the first one.
        if (sort.texts.find(lvi.lParam) == sort.texts.end()) {
            sort.texts.emplace(lvi.lParam, ReadItemText(m_hWnd, i, column));
        }
    }
    return static_cast<int>(::SendMessageW(m_hWnd, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&sort),
                                           reinterpret_cast<LPARAM>(&CompareItems)));
}

int C_ListView::SetItemText(C_WString const& text, int subItem, int item) {
    LVITEMW lvi = {};
    lvi.iSubItem = subItem;
    lvi.pszText = const_cast<wchar_t*>(text.GetString());
    return static_cast<int>(
        Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi)));
}

int C_ListView::SetItemState(int item, unsigned int state, unsigned int mask) {
    LVITEMW lvi = {};
    lvi.state = state;
    lvi.stateMask = mask;
    return static_cast<int>(
        Send(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi)));
}

int C_ListView::SetCheckState(int item, int const& checked) {
    // State image 1 is the empty box, 2 the ticked one; any non-zero flag means ticked.
    return SetItemState(item, static_cast<unsigned int>((checked ? 2 : 1) << 12),
                        LVIS_STATEIMAGEMASK);
}

int C_ListView::GetCheckState(int item) const {
    if (!m_hWnd) {
        return 0;
    }
    unsigned int state = static_cast<unsigned int>(
        Send(LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK));
    return static_cast<int>(state >> 12) - 1;
}

int C_ListView::SetColumnWidth(int column, int width) {
    return static_cast<int>(
        Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)));
}

int C_ListView::SetColumnOrderArray(int const* order, int count) {
    return static_cast<int>(
        Send(LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order)));
}

int C_ListView::GetColumnOrderArray(int* order, int count) const {
    return static_cast<int>(
        Send(LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order)));
}

int C_ListView::SetBkColor(unsigned long color) {
    return static_cast<int>(Send(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(color)));
}

int C_ListView::SetTextColor(unsigned long color) {
    return static_cast<int>(Send(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(color)));
}

int C_ListView::SetTextBkColor(unsigned long color) {
    return static_cast<int>(Send(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(color)));
}

unsigned long C_ListView::GetBkColor() const {
    return static_cast<unsigned long>(Send(LVM_GETBKCOLOR, 0, 0));
}

unsigned long C_ListView::GetTextColor() const {
    return static_cast<unsigned long>(Send(LVM_GETTEXTCOLOR, 0, 0));
}

unsigned long C_ListView::GetTextBkColor() const {
    return static_cast<unsigned long>(Send(LVM_GETTEXTBKCOLOR, 0, 0));
}

int C_ListView::SetSize(int x, int y, int width, int height) {
    if (!m_hWnd) {
        return 0;
    }
    return ::MoveWindow(m_hWnd, x, y, width, height, TRUE) ? 1 : 0;
}

int C_ListView::SetFont(C_WFont const& font) {
    if (!m_hWnd) {
        return 0;
    }
    Send(WM_SETFONT, reinterpret_cast<WPARAM>(font.GetObjectW()), TRUE);
    return 1;
}

int C_ListView::SetExtendedStyle(unsigned long style) {
    if (!m_hWnd) {
        return 0;
    }
    LRESULT current = Send(LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    return static_cast<int>(
        Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, current | static_cast<LPARAM>(style)));
}

int C_ListView::SetItemCountEx(int count, unsigned long const& flags) {
    return static_cast<int>(
        Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), static_cast<LPARAM>(flags)));
}

LRESULT C_ListView::Message(UINT message, WPARAM wParam, LPARAM lParam) {
    return Send(message, wParam, lParam);
}

int C_ListView::GetColumnCount() const {
    HWND header = reinterpret_cast<HWND>(Send(LVM_GETHEADER, 0, 0));
    if (!header) {
        return 0;
    }
    return static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

int C_ListView::GetItemCount() const {
    return static_cast<int>(Send(LVM_GETITEMCOUNT, 0, 0));
}

int C_ListView::GetItemText(wchar_t* buffer, unsigned int capacity, int subItem, int item) const {
    if (!buffer || capacity == 0) {
        return 0;
    }
    LVITEMW lvi = {};
    lvi.iSubItem = subItem;
    lvi.pszText = buffer;
    lvi.cchTextMax = static_cast<int>(capacity);
    return static_cast<int>(
        Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi)));
}

int C_ListView::GetColumnWidth(int column) const {
    return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

int C_ListView::GetNextItem(int start, unsigned int const& flags) const {
    return static_cast<int>(
        Send(LVM_GETNEXTITEM, static_cast<WPARAM>(start), static_cast<LPARAM>(LOWORD(flags))));
}

HWND C_ListView::GetEditLabel(int item) const {
    return reinterpret_cast<HWND>(Send(LVM_EDITLABELW, static_cast<WPARAM>(item), 0));
}

} // namespace ktora
