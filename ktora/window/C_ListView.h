#pragma once
// Wrapper of a list-view control ("SysListView32") with a text sort on one column. Every
// operation answers 0 while no control is held, unless its comment says otherwise.
#include <windows.h>

#include "ktora/string/C_WString.h"
#include "ktora/window/C_WFont.h"
#include "ktora/window/I_Wnd.h"

namespace ktora {

class C_ListView {
public:
    explicit C_ListView(int const& initCommonControls = 0);
    C_ListView(C_ListView const& other) = default;
    C_ListView& operator=(C_ListView const& other) = default;
    // Leaves the control alone: Destroy ends it.
    virtual ~C_ListView() {}

    int Create(I_Wnd const* parent, int id, int style);
    void Destroy();
    HWND GetHWnd() const { return m_hWnd; }
    // -1 while no control is held.
    int GetID() const { return m_id; }

    int AddColumn(C_WString const& text, int index, int width, int format);
    int AddItem(C_WString const& text, int subItem, int item, int mask, LPARAM param);
    int DeleteColumn(int column);
    int DeleteItem(int item);
    int DeleteAllItems();
    int EnsureVisible(int item, int const& partialOk);
    // Orders the items by the text of one column; items are told apart by their param values.
    int SortItems(int column, int const& descending);
    int SetItemText(C_WString const& text, int subItem, int item);
    int SetItemState(int item, unsigned int state, unsigned int mask);
    int SetCheckState(int item, int const& checked);
    // 1 checked, 0 unchecked, -1 no check box.
    int GetCheckState(int item) const;
    int SetColumnWidth(int column, int width);
    int SetColumnOrderArray(int const* order, int count);
    int GetColumnOrderArray(int* order, int count) const;
    int SetBkColor(unsigned long color);
    int SetTextColor(unsigned long color);
    int SetTextBkColor(unsigned long color);
    unsigned long GetBkColor() const;
    unsigned long GetTextColor() const;
    unsigned long GetTextBkColor() const;
    int SetSize(int x, int y, int width, int height);
    int SetFont(C_WFont const& font);
    // Only ever adds bits to the extended style.
    int SetExtendedStyle(unsigned long style);
    int SetItemCountEx(int count, unsigned long const& flags);
    LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam);
    int GetColumnCount() const;
    int GetItemCount() const;
    int GetItemText(wchar_t* buffer, unsigned int capacity, int subItem, int item) const;
    int GetColumnWidth(int column) const;
    int GetNextItem(int start, unsigned int const& flags) const;
    HWND GetEditLabel(int item) const;

private:
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const;

    int m_id;
    HWND m_hWnd;
};

} // namespace ktora
