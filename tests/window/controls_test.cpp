// Every control wrapper against a real control in a dialog made by the test.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "ktora/string/C_WString.h"
#include "ktora/window/C_Button.h"
#include "ktora/window/C_ComboBox.h"
#include "ktora/window/C_Edit.h"
#include "ktora/window/C_ListView.h"
#include "ktora/window/C_WFont.h"
#include "window/gui_helpers.h"

using ktora::C_Button;
using ktora::C_ComboBox;
using ktora::C_Edit;
using ktora::C_ListView;
using ktora::C_WString;

namespace {

// A parent for the controls that stands for the test dialog.
class Parent : public ktora::I_Wnd {
public:
    explicit Parent(HWND hwnd) : m_hWnd(hwnd) {}
    HWND GetHWnd() const override { return m_hWnd; }

private:
    HWND m_hWnd;
};

class Controls : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, m_dialog.Get()) << "no dialog (no display?)"; }
    guitest::TestDialog m_dialog{300, 200};
    Parent m_parent{m_dialog.Get()};
};

std::wstring Text(HWND hwnd) {
    wchar_t buffer[512] = {};
    GetWindowTextW(hwnd, buffer, 512);
    return buffer;
}

} // namespace

TEST_F(Controls, EditRoundTripsShortAndLongTexts) {
    C_Edit edit;
    EXPECT_EQ(0, edit.Create(nullptr, 0, 0, 100, 20, reinterpret_cast<HMENU>(101), 0));
    ASSERT_EQ(1,
              edit.Create(&m_parent, 5, 5, 200, 20, reinterpret_cast<HMENU>(101), ES_AUTOHSCROLL));
    HWND hwnd = edit.GetHWnd();
    EXPECT_EQ(m_dialog.Get(), GetParent(hwnd));
    EXPECT_EQ(101, GetDlgCtrlID(hwnd));
    EXPECT_NE(0, GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(0, edit.Create(&m_parent, 5, 5, 200, 20, reinterpret_cast<HMENU>(102), 0));
    EXPECT_EQ(hwnd, edit.GetHWnd());

    EXPECT_EQ(1, edit.SetText(C_WString(L"\u30b3\u30d4\u30fc\u5143 abc")));
    EXPECT_STREQ(L"\u30b3\u30d4\u30fc\u5143 abc", edit.GetText().GetString());
    // 259 characters do not fit the fixed buffer with room to spare: the long road.
    for (int length : {258, 259, 260, 1000}) {
        std::wstring text(static_cast<size_t>(length), L'x');
        text[static_cast<size_t>(length) - 1] = L'Z';
        edit.SetText(C_WString(text.c_str()));
        EXPECT_EQ(text, edit.GetText().GetString()) << length;
    }
    edit.SetLimitText(10);
    EXPECT_EQ(10, edit.GetLimitText());

    C_Edit copy(edit);
    EXPECT_EQ(hwnd, copy.GetHWnd());
    edit.Destroy();
    EXPECT_EQ(nullptr, edit.GetHWnd());
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(ControlsWithoutWindow, AnswerTheirFailureValues) {
    C_Edit edit;
    EXPECT_TRUE(edit.GetText().Empty());
    C_ComboBox combo;
    RECT r;
    EXPECT_EQ(-1, combo.AppEnd(C_WString(L"a")));
    EXPECT_EQ(-1, combo.GetCount());
    EXPECT_EQ(-1, combo.GetScreenRect(&r));
    EXPECT_EQ(0, combo.IsGetExtendedUI());
    EXPECT_TRUE(combo.GetString(0).Empty());
    C_Button button;
    EXPECT_EQ(0, button.SetName(C_WString(L"x")));
    EXPECT_EQ(0, button.GetID());
    C_ListView list(1);
    EXPECT_EQ(-1, list.GetID());
    EXPECT_EQ(0, list.AddItem(C_WString(L"a"), 0, 0, 0, 0));
    EXPECT_EQ(0, list.SortItems(0, 0));
    EXPECT_EQ(0, list.GetColumnCount());
    EXPECT_EQ(0, list.SetExtendedStyle(LVS_EX_GRIDLINES));
    EXPECT_EQ(nullptr, list.GetEditLabel(0));
    EXPECT_EQ(0, list.Create(nullptr, 1, LVS_REPORT));
}

TEST_F(Controls, ComboBoxMessagesRoundTrip) {
    C_ComboBox combo;
    ASSERT_EQ(1, combo.Create(&m_parent, 5, 30, 200, 150, reinterpret_cast<HMENU>(201),
                              CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL));
    // Appending ignores the sorting style.
    EXPECT_EQ(0, combo.AppEnd(C_WString(L"b")));
    EXPECT_EQ(1, combo.AppEnd(C_WString(L"a")));
    EXPECT_EQ(-1, combo.AppEnd(C_WString()));
    EXPECT_EQ(0, combo.Insert(C_WString(L"\u3042"), 0));
    EXPECT_EQ(-1, combo.Insert(C_WString(), 0));
    ASSERT_EQ(3, combo.GetCount());
    EXPECT_STREQ(L"\u3042", combo.GetString(0).GetString());
    EXPECT_STREQ(L"b", combo.GetString(1).GetString());
    EXPECT_STREQ(L"a", combo.GetString(2).GetString());
    EXPECT_EQ(2, combo.Find(C_WString(L"a")));
    EXPECT_EQ(-1, combo.Find(C_WString(L"zz")));
    EXPECT_EQ(-1, combo.Find(C_WString()));

    std::wstring longText(300, L'k');
    longText[299] = L'E';
    EXPECT_EQ(3, combo.AppEnd(C_WString(longText.c_str())));
    EXPECT_EQ(300, combo.GetStringLength(3));
    EXPECT_EQ(longText, combo.GetString(3).GetString());
    EXPECT_TRUE(combo.GetString(-5).Empty());
    EXPECT_TRUE(combo.GetString(99).Empty());

    EXPECT_EQ(1, combo.SetCurrent(1));
    EXPECT_EQ(1, combo.GetCurrent());
    EXPECT_EQ(3, combo.Delete(0));
    EXPECT_STREQ(L"b", combo.GetString(0).GetString());

    EXPECT_EQ(0, combo.IsGetExtendedUI());
    combo.SetExtendedUI(1);
    EXPECT_EQ(1, combo.IsGetExtendedUI());
    EXPECT_EQ(250, combo.SetDropWidth(250));
    EXPECT_EQ(250, static_cast<int>(SendMessageW(combo.GetHWnd(), CB_GETDROPPEDWIDTH, 0, 0)));
    RECT r = {};
    EXPECT_EQ(-1, combo.GetScreenRect(nullptr));
    EXPECT_NE(-1, combo.GetScreenRect(&r));
    EXPECT_GT(r.right - r.left, 0);
    EXPECT_EQ(1, combo.SetLimitLength(5));
    combo.ShowDropDown(1);
    EXPECT_NE(0, SendMessageW(combo.GetHWnd(), CB_GETDROPPEDSTATE, 0, 0));
    combo.ShowDropDown(0);
    EXPECT_EQ(0, SendMessageW(combo.GetHWnd(), CB_GETDROPPEDSTATE, 0, 0));
    combo.Reset();
    EXPECT_EQ(0, combo.GetCount());

    HWND hwnd = combo.GetHWnd();
    EXPECT_EQ(1, combo.Destroy());
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(-1, combo.GetCount());
}

TEST_F(Controls, ButtonKeepsTheIdentifierGivenToCreate) {
    C_Button button;
    ASSERT_EQ(1, button.Create(&m_parent, C_WString(L"\u958b\u59cb"), 5, 60, 80, 24,
                               reinterpret_cast<HMENU>(1234), BS_PUSHBUTTON));
    EXPECT_EQ(1234, button.GetID());
    EXPECT_EQ(1234, GetDlgCtrlID(button.GetHWnd()));
    EXPECT_EQ(L"\u958b\u59cb", Text(button.GetHWnd()));
    EXPECT_EQ(0, button.SetName(C_WString()));
    EXPECT_EQ(L"\u958b\u59cb", Text(button.GetHWnd()));
    EXPECT_EQ(1, button.SetName(C_WString(L"\u4e2d\u6b62")));
    EXPECT_EQ(L"\u4e2d\u6b62", Text(button.GetHWnd()));

    C_Button copy(button);
    EXPECT_EQ(1234, copy.GetID());
    EXPECT_EQ(button.GetHWnd(), copy.GetHWnd());

    C_Button blank;
    ASSERT_EQ(1, blank.Create(&m_parent, C_WString(), 5, 90, 80, 24, reinterpret_cast<HMENU>(7),
                              BS_CHECKBOX));
    EXPECT_EQ(L"", Text(blank.GetHWnd()));
    HWND hwnd = button.GetHWnd();
    button.Destroy();
    blank.Destroy();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(nullptr, button.GetHWnd());
}

TEST_F(Controls, ListViewMessagesRoundTrip) {
    C_ListView list(1);
    ASSERT_EQ(1, list.Create(&m_parent, 301, LVS_REPORT | LVS_EDITLABELS));
    EXPECT_EQ(301, list.GetID());
    EXPECT_EQ(0, list.Create(&m_parent, 302, LVS_REPORT));
    EXPECT_EQ(1, list.SetSize(0, 0, 280, 150));
    RECT r = {};
    GetWindowRect(list.GetHWnd(), &r);
    EXPECT_EQ(280, r.right - r.left);

    EXPECT_EQ(0, list.AddColumn(C_WString(L"\u540d\u524d"), 0, 100, LVCFMT_LEFT));
    EXPECT_EQ(1, list.AddColumn(C_WString(L"size"), 1, 60, LVCFMT_RIGHT));
    EXPECT_EQ(2, list.GetColumnCount());
    EXPECT_EQ(100, list.GetColumnWidth(0));
    list.SetColumnWidth(1, 75);
    EXPECT_EQ(75, list.GetColumnWidth(1));
    int order[2] = {1, 0};
    EXPECT_NE(0, list.SetColumnOrderArray(order, 2));
    int back[2] = {};
    EXPECT_NE(0, list.GetColumnOrderArray(back, 2));
    EXPECT_EQ(1, back[0]);
    EXPECT_EQ(0, back[1]);

    EXPECT_EQ(0, list.AddItem(C_WString(L"first"), 0, 0, LVIF_PARAM, 10));
    EXPECT_EQ(1, list.AddItem(C_WString(L"second"), 0, 1, LVIF_PARAM, 20));
    EXPECT_NE(0, list.AddItem(C_WString(L"12"), 1, 0, 0, 0));
    EXPECT_NE(0, list.SetItemText(C_WString(L"\u3042"), 1, 1));
    EXPECT_EQ(2, list.GetItemCount());
    wchar_t buffer[64] = {};
    EXPECT_EQ(2, list.GetItemText(buffer, 64, 1, 0));
    EXPECT_STREQ(L"12", buffer);
    EXPECT_EQ(1, list.GetItemText(buffer, 64, 1, 1));
    EXPECT_STREQ(L"\u3042", buffer);
    EXPECT_EQ(3, list.GetItemText(buffer, 4, 0, 1)); // cut to the buffer
    EXPECT_STREQ(L"sec", buffer);
    EXPECT_EQ(0, list.GetItemText(nullptr, 64, 0, 0));

    EXPECT_NE(0, list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(1, list.GetNextItem(-1, LVNI_SELECTED));
    EXPECT_NE(0, list.EnsureVisible(1, 0));

    list.SetBkColor(RGB(1, 2, 3));
    list.SetTextColor(RGB(4, 5, 6));
    list.SetTextBkColor(RGB(7, 8, 9));
    EXPECT_EQ(RGB(1, 2, 3), list.GetBkColor());
    EXPECT_EQ(RGB(4, 5, 6), list.GetTextColor());
    EXPECT_EQ(RGB(7, 8, 9), list.GetTextBkColor());

    ktora::C_WFont font(L"MS UI Gothic", 14);
    EXPECT_EQ(1, list.SetFont(font));
    EXPECT_EQ(reinterpret_cast<LRESULT>(font.GetObjectW()),
              SendMessageW(list.GetHWnd(), WM_GETFONT, 0, 0));
    EXPECT_EQ(2, static_cast<int>(list.Message(LVM_GETITEMCOUNT, 0, 0)));

    SetFocus(list.GetHWnd());
    HWND label = list.GetEditLabel(0);
    ASSERT_NE(nullptr, label);
    wchar_t className[32] = {};
    GetClassNameW(label, className, 32);
    EXPECT_EQ(0, lstrcmpiW(L"Edit", className));
    EXPECT_EQ(L"first", Text(label));
    SendMessageW(list.GetHWnd(), LVM_CANCELEDITLABEL, 0, 0);

    EXPECT_NE(0, list.DeleteItem(0));
    EXPECT_EQ(1, list.GetItemCount());
    EXPECT_NE(0, list.DeleteColumn(1));
    EXPECT_EQ(1, list.GetColumnCount());
    EXPECT_NE(0, list.DeleteAllItems());
    EXPECT_EQ(0, list.GetItemCount());
    EXPECT_NE(0, list.SetItemCountEx(50, LVSICF_NOSCROLL));

    HWND hwnd = list.GetHWnd();
    list.Destroy();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(-1, list.GetID());
    EXPECT_EQ(nullptr, list.GetHWnd());
}

TEST_F(Controls, ListViewExtendedStyleOnlyAddsAndCheckBoxesRoundTrip) {
    C_ListView list(1);
    ASSERT_EQ(1, list.Create(&m_parent, 310, LVS_REPORT));
    list.AddColumn(C_WString(L"c"), 0, 100, LVCFMT_LEFT);
    list.AddItem(C_WString(L"x"), 0, 0, LVIF_PARAM, 1);
    // No check-box image yet.
    EXPECT_EQ(-1, list.GetCheckState(0));

    list.SetExtendedStyle(LVS_EX_CHECKBOXES);
    list.SetExtendedStyle(LVS_EX_GRIDLINES);
    LRESULT style = SendMessageW(list.GetHWnd(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_EQ(LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES, style & (LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES));

    list.SetCheckState(0, 1);
    EXPECT_EQ(1, list.GetCheckState(0));
    list.SetCheckState(0, 0);
    EXPECT_EQ(0, list.GetCheckState(0));
    // Any non-zero flag ticks the box rather than choosing an image that does not exist.
    list.SetCheckState(0, 5);
    EXPECT_EQ(1, list.GetCheckState(0));
    list.Destroy();
}

namespace {

// The first column's texts from top to bottom.
std::wstring Column(C_ListView const& list, int column) {
    std::wstring all;
    wchar_t buffer[2048];
    for (int i = 0; i < list.GetItemCount(); ++i) {
        buffer[0] = L'\0';
        list.GetItemText(buffer, 2048, column, i);
        if (i) {
            all += L'|';
        }
        all += buffer;
    }
    return all;
}

} // namespace

TEST_F(Controls, ListViewSortsByTextInCharacterOrder) {
    C_ListView list(1);
    ASSERT_EQ(1, list.Create(&m_parent, 320, LVS_REPORT));
    list.SetSize(0, 0, 280, 150);
    list.AddColumn(C_WString(L"name"), 0, 100, LVCFMT_LEFT);
    list.AddColumn(C_WString(L"key"), 1, 100, LVCFMT_LEFT);
    wchar_t const* names[] = {L"abc", L"b", L"ab", L"\u3100", L"\u30ff", L"ab", L"A"};
    wchar_t const* keys[] = {L"3", L"1", L"2", L"7", L"6", L"5", L"4"};
    for (int i = 0; i < 7; ++i) {
        list.AddItem(C_WString(names[i]), 0, i, LVIF_PARAM, 100 + i);
        list.AddItem(C_WString(keys[i]), 1, i, 0, 0);
    }
    EXPECT_NE(0, list.SortItems(0, 0));
    // A prefix sorts first; U+30FF before U+3100 (a byte-wise comparison of the UTF-16 text
    // would put U+3100, stored 00 31, first).
    EXPECT_EQ(L"A|ab|ab|abc|b|\u30ff|\u3100", Column(list, 0));
    EXPECT_NE(0, list.SortItems(0, 1));
    EXPECT_EQ(L"\u3100|\u30ff|b|abc|ab|ab|A", Column(list, 0));
    EXPECT_NE(0, list.SortItems(1, 0));
    EXPECT_EQ(L"1|2|3|4|5|6|7", Column(list, 1));
    EXPECT_EQ(L"b|ab|abc|A|ab|\u30ff|\u3100", Column(list, 0));
    list.Destroy();
}

TEST_F(Controls, ListViewSortReadsLongTextsWhole) {
    C_ListView list(1);
    ASSERT_EQ(1, list.Create(&m_parent, 330, LVS_REPORT));
    list.AddColumn(C_WString(L"long"), 0, 100, LVCFMT_LEFT);
    // Alike for the first 1000 characters; only the end tells them apart.
    std::wstring common(1000, L'p');
    wchar_t const ends[] = {L'c', L'a', L'b'};
    for (int i = 0; i < 3; ++i) {
        list.AddItem(C_WString((common + ends[i]).c_str()), 0, i, LVIF_PARAM, i + 1);
    }
    list.SortItems(0, 0);
    wchar_t buffer[1100];
    std::wstring order;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(1001, list.GetItemText(buffer, 1100, 0, i));
        order += buffer[1000];
    }
    EXPECT_EQ(L"abc", order);
    list.Destroy();
}
