// The debug window on a real display (Xvfb): output, scrolling, selection, the context menu,
// the clipboard, line numbers and a screenshot for review.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ktora/string/C_WString.h"
#include "ktora/window/C_DebugWnd.h"
#include "ktora/window/C_WFont.h"
#include "window/gui_helpers.h"

using ktora::C_DebugWnd;
using ktora::C_WString;

namespace {

wchar_t const kClass[] = L"KtoraDebugWndTest";
int const kWidth = 400;
int const kHeight = 300;
// The clipboard holds this while nothing was copied.
wchar_t const kUntouched[] = L"(untouched)";

SCROLLINFO Scroll(HWND hwnd) {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(hwnd, SB_VERT, &si);
    return si;
}

void Command(HWND hwnd, int id) {
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void Key(HWND hwnd, WPARAM key) {
    SendMessageW(hwnd, WM_KEYDOWN, key, 0);
}

// The text of a copied line or lines, read back from the clipboard.
std::wstring CopiedLine(C_DebugWnd& wnd, int index) {
    guitest::WriteClipboard(kUntouched);
    wnd.D_CopyToClipboard(index);
    return guitest::ReadClipboard();
}

class DebugWnd : public testing::Test {
protected:
    void SetUp() override {
        // The clipboard and the mouse belong to the whole display.
        ASSERT_TRUE(m_lock.Held());
        ASSERT_EQ(1, m_wnd.D_Create(C_WString(kClass), kWidth, kHeight, 40, 50, C_WString(), 1));
        m_hwnd = m_wnd.GetHWnd();
        m_fontHeight = m_wnd.D_GetFont().GetFontHeight();
        ASSERT_GT(m_fontHeight, 0);
        m_visible = kHeight / m_fontHeight;
    }

    // Paints now and returns the client area.
    guitest::Capture Paint() {
        UpdateWindow(m_hwnd);
        return guitest::CaptureWindow(m_hwnd, false);
    }

    RECT Rows(int first, int count) const {
        RECT r = {0, first * m_fontHeight, kWidth, (first + count) * m_fontHeight};
        return r;
    }

    guitest::SessionLock m_lock{L"KtoraWindowTestsClipboardAndMouse"};
    C_DebugWnd m_wnd;
    HWND m_hwnd = nullptr;
    int m_fontHeight = 0;
    int m_visible = 0;
};

// Records the items of the popup menu that is open and closes it.
struct MenuSpy {
    static std::vector<std::pair<UINT, std::wstring>> items;
    static bool seen;
    static void CALLBACK OnTimer(HWND hwnd, UINT, UINT_PTR id, DWORD) {
        HWND popup = FindWindowW(L"#32768", nullptr);
        if (!popup || !IsWindowVisible(popup)) {
            return;
        }
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
        items.clear();
        for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
            items.emplace_back(GetMenuItemID(menu, i), text);
        }
        seen = true;
        KillTimer(hwnd, id);
        EndMenu();
    }
};
std::vector<std::pair<UINT, std::wstring>> MenuSpy::items;
bool MenuSpy::seen = false;

} // namespace

TEST(DebugWndWithoutWindow, DropsOutputAndRefusesSettings) {
    C_DebugWnd wnd;
    wnd.D_Out(L"a");
    wnd.D_OutA("a");
    wnd.D_Outf(L"%d", 1);
    wnd.D_OutfA("%d", 1);
    wnd.D_FastOut(L"a");
    EXPECT_EQ(0, wnd.D_GetCount());
    EXPECT_EQ(nullptr, wnd.GetHWnd());
    EXPECT_EQ(0, wnd.D_Visible(1));
    EXPECT_EQ(0, wnd.D_SetTitle(C_WString(L"t")));
    EXPECT_EQ(0, wnd.D_SelectLine(1));
    EXPECT_EQ(0, wnd.D_Size(100, 100));
    EXPECT_EQ(0, wnd.D_CopyToClipboard());
}

TEST_F(DebugWnd, CreatesTheWindowWithItsCaptionSizeAndPlace) {
    wchar_t caption[64] = {};
    GetWindowTextW(m_hwnd, caption, 64);
    EXPECT_STREQ(L"\u30c7\u30d0\u30c3\u30b0 Ver1.07", caption);
    EXPECT_EQ(C_DebugWnd::kWindowStyle,
              static_cast<DWORD>(GetWindowLongW(m_hwnd, GWL_STYLE)) & C_DebugWnd::kWindowStyle);
    RECT client = {};
    GetClientRect(m_hwnd, &client);
    EXPECT_EQ(kWidth, client.right);
    EXPECT_EQ(kHeight, client.bottom);
    EXPECT_EQ(kWidth, m_wnd.D_GetClientSize().cx);
    EXPECT_EQ(kHeight, m_wnd.D_GetClientSize().cy);
    RECT outer = {};
    GetWindowRect(m_hwnd, &outer);
    EXPECT_EQ(40, outer.left);
    EXPECT_EQ(50, outer.top);
    EXPECT_EQ(4, m_wnd.D_GetTabCharaCount());
    EXPECT_EQ(0, m_wnd.D_Create(C_WString(kClass), 100, 100, 0, 0, C_WString(), 1));

    EXPECT_EQ(1, m_wnd.D_SetTitle(C_WString(L"log")));
    GetWindowTextW(m_hwnd, caption, 64);
    EXPECT_STREQ(L"log", caption);
    EXPECT_EQ(1, m_wnd.D_Visible(0));
    EXPECT_FALSE(IsWindowVisible(m_hwnd));
    EXPECT_EQ(1, m_wnd.D_Visible(1));
    EXPECT_TRUE(IsWindowVisible(m_hwnd));
    EXPECT_EQ(1, m_wnd.D_Move(70, 80));
    GetWindowRect(m_hwnd, &outer);
    EXPECT_EQ(70, outer.left);
    EXPECT_EQ(80, outer.top);
}

// Splitting and lookups are the line store's (C_DebugLines_test); here the view follows.
TEST_F(DebugWnd, KeepsThousandsOfLinesAndFollowsTheOutput) {
    int const n = 5000;
    std::wstring expected;
    for (int i = 0; i < n; ++i) {
        m_wnd.D_Outf(L"line %d \u884c", i);
        expected += L"line " + std::to_wstring(i) + L" \u884c\r\n";
    }
    ASSERT_EQ(n, m_wnd.D_GetCount());
    // The view followed the output to the last page.
    SCROLLINFO si = Scroll(m_hwnd);
    EXPECT_EQ(n - m_visible, si.nMax);
    EXPECT_EQ(si.nMax, si.nPos);

    EXPECT_EQ(1, m_wnd.D_CopyToClipboard());
    EXPECT_EQ(expected, guitest::ReadClipboard());
    EXPECT_EQ(L"line 2500 \u884c", CopiedLine(m_wnd, 2500));
    EXPECT_EQ(kUntouched, CopiedLine(m_wnd, n)); // past the last line

    for (int i = 0; i < 20000; ++i) {
        m_wnd.D_FastOut(L"fast");
    }
    m_wnd.D_Out(L"last");
    EXPECT_EQ(n + 20001, m_wnd.D_GetCount());
    EXPECT_EQ(L"last", CopiedLine(m_wnd, n + 20000));
}

TEST_F(DebugWnd, ScrollsByKeysWheelAndScrollBar) {
    int const n = 200;
    for (int i = 0; i < n; ++i) {
        m_wnd.D_Outf(L"row %d", i);
    }
    int const max = n - m_visible;
    ASSERT_EQ(max, Scroll(m_hwnd).nPos);
    Key(m_hwnd, VK_HOME);
    EXPECT_EQ(0, Scroll(m_hwnd).nPos);
    Key(m_hwnd, VK_UP);
    EXPECT_EQ(0, Scroll(m_hwnd).nPos);
    Key(m_hwnd, VK_DOWN);
    EXPECT_EQ(1, Scroll(m_hwnd).nPos);
    Key(m_hwnd, VK_NEXT);
    EXPECT_EQ(11, Scroll(m_hwnd).nPos);
    Key(m_hwnd, VK_PRIOR);
    Key(m_hwnd, VK_UP);
    EXPECT_EQ(0, Scroll(m_hwnd).nPos);
    Key(m_hwnd, VK_END);
    EXPECT_EQ(max, Scroll(m_hwnd).nPos);
    Key(m_hwnd, VK_DOWN);
    EXPECT_EQ(max, Scroll(m_hwnd).nPos);

    // One line per wheel message, whatever the delta.
    SendMessageW(m_hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 3 * WHEEL_DELTA), 0);
    EXPECT_EQ(max - 1, Scroll(m_hwnd).nPos);
    SendMessageW(m_hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(max - 2, Scroll(m_hwnd).nPos);
    SendMessageW(m_hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(max - 1, Scroll(m_hwnd).nPos);

    SendMessageW(m_hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 50), 0);
    EXPECT_EQ(50, Scroll(m_hwnd).nPos);
    SendMessageW(m_hwnd, WM_VSCROLL, MAKEWPARAM(SB_PAGEUP, 0), 0);
    EXPECT_EQ(49, Scroll(m_hwnd).nPos);
    SendMessageW(m_hwnd, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    SendMessageW(m_hwnd, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    EXPECT_EQ(51, Scroll(m_hwnd).nPos);
    m_wnd.D_Scroll(-1000);
    EXPECT_EQ(0, Scroll(m_hwnd).nPos);
    m_wnd.D_Scroll(1000);
    EXPECT_EQ(max, Scroll(m_hwnd).nPos);

    // The top row shows the line at the scroll position: a click there selects it.
    m_wnd.D_Scroll(-(max - 37));
    SendMessageW(m_hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 1));
    guitest::WriteClipboard(kUntouched);
    Command(m_hwnd, C_DebugWnd::kIdCopyLine);
    EXPECT_EQ(L"row 37", guitest::ReadClipboard());
}

// Past 65535 lines the scroll message's 16 bits cannot hold where the thumb was dragged to.
TEST_F(DebugWnd, DraggingTheThumbOfAVeryLongLogLandsWhereItWasDropped) {
    for (int i = 0; i < 200000; ++i) {
        m_wnd.D_FastOut(L"x");
    }
    m_wnd.D_Out(L"end");
    int const max = Scroll(m_hwnd).nMax;
    ASSERT_GT(max, 3 * 65536);
    m_wnd.D_Scroll(max); // the thumb goes to the bottom
    ASSERT_EQ(max, Scroll(m_hwnd).nPos);
    guitest::PumpPending();
    SCROLLBARINFO bar = {};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(GetScrollBarInfo(m_hwnd, OBJID_VSCROLL, &bar));
    int const x = (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2;
    ASSERT_TRUE(SetCursorPos(x, bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2));
    // Press on the thumb at the bottom, drag it to the middle of the bar, let go.
    INPUT input[3] = {};
    for (INPUT& one : input) {
        one.type = INPUT_MOUSE;
    }
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input[1].mi.dy = (bar.rcScrollBar.top + bar.rcScrollBar.bottom) / 2 * 65535 /
                     (GetSystemMetrics(SM_CYSCREEN) - 1);
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(3u, SendInput(3, input, sizeof(INPUT)));
    guitest::PumpUntil([this, max] { return Scroll(m_hwnd).nPos < max - 1000; }, 3000);
    guitest::PumpPending();
    int const pos = Scroll(m_hwnd).nPos;
    EXPECT_GT(pos, max / 4);
    EXPECT_LT(pos, max * 3 / 4);
}

TEST_F(DebugWnd, ABurstThatFillsTheViewScrollsNoFurtherThanTheLastPage) {
    for (int i = 0; i + 1 < m_visible; ++i) {
        m_wnd.D_Out(L"-");
    }
    EXPECT_EQ(0, Scroll(m_hwnd).nPos);
    m_wnd.D_SetNewLine(1);
    m_wnd.D_Out(L"1\n2\n3\n4\n5\n6");
    EXPECT_EQ(5, Scroll(m_hwnd).nMax);
    EXPECT_EQ(5, Scroll(m_hwnd).nPos);
    // The last line sits in the last full row.
    SendMessageW(m_hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(3, (m_visible - 1) * m_fontHeight + 1));
    guitest::WriteClipboard(kUntouched);
    Command(m_hwnd, C_DebugWnd::kIdCopyLine);
    EXPECT_EQ(L"6", guitest::ReadClipboard());
    // The kept position is the shown one: one line up shows one more line above.
    Key(m_hwnd, VK_UP);
    EXPECT_EQ(4, Scroll(m_hwnd).nPos);
}

TEST_F(DebugWnd, AFontWithoutHeightCountsAsOnePixel) {
    m_wnd.D_SetFont(ktora::C_WFont());
    EXPECT_EQ(0, m_wnd.D_GetFont().GetFontHeight());
    for (int i = 0; i < kHeight + 10; ++i) {
        m_wnd.D_Outf(L"%d", i);
    }
    EXPECT_EQ(10, Scroll(m_hwnd).nMax);
    SendMessageW(m_hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(3, 7));
    SendMessageW(m_hwnd, WM_SIZE, 0, MAKELPARAM(kWidth, kHeight));
    UpdateWindow(m_hwnd);
    guitest::WriteClipboard(kUntouched);
    Command(m_hwnd, C_DebugWnd::kIdCopyLine);
    EXPECT_EQ(L"17", guitest::ReadClipboard());
}

TEST_F(DebugWnd, WithFewLinesTheScrollBarIsDisabled) {
    m_wnd.D_Out(L"1");
    m_wnd.D_Out(L"2");
    SCROLLINFO si = Scroll(m_hwnd);
    EXPECT_LE(si.nMax, 0);
    EXPECT_EQ(0, si.nPos);
    SCROLLBARINFO bar = {};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(GetScrollBarInfo(m_hwnd, OBJID_VSCROLL, &bar));
    EXPECT_NE(0u, bar.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
    Key(m_hwnd, VK_DOWN);
    EXPECT_EQ(0, Scroll(m_hwnd).nPos);
}

TEST_F(DebugWnd, ClicksSelectLinesAndTheMenuCopiesAndClears) {
    for (int i = 0; i < 5; ++i) {
        m_wnd.D_Outf(L"item %d", i);
    }
    guitest::WriteClipboard(kUntouched);
    Command(m_hwnd, C_DebugWnd::kIdCopyLine); // nothing selected yet
    EXPECT_EQ(kUntouched, guitest::ReadClipboard());

    SendMessageW(m_hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(3, 2 * m_fontHeight + 1));
    Command(m_hwnd, C_DebugWnd::kIdCopyLine);
    EXPECT_EQ(L"item 2", guitest::ReadClipboard());
    // Below the last line nothing changes.
    SendMessageW(m_hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(3, 8 * m_fontHeight + 1));
    Command(m_hwnd, C_DebugWnd::kIdCopyLine);
    EXPECT_EQ(L"item 2", guitest::ReadClipboard());
    EXPECT_EQ(1, m_wnd.D_SelectLine(5));
    Command(m_hwnd, C_DebugWnd::kIdCopyLine);
    EXPECT_EQ(L"item 4", guitest::ReadClipboard());

    Command(m_hwnd, C_DebugWnd::kIdCopyAll);
    EXPECT_EQ(L"item 0\r\nitem 1\r\nitem 2\r\nitem 3\r\nitem 4\r\n", guitest::ReadClipboard());

    Command(m_hwnd, C_DebugWnd::kIdClear);
    EXPECT_EQ(0, m_wnd.D_GetCount());
    EXPECT_EQ(0, Scroll(m_hwnd).nPos);
    guitest::WriteClipboard(kUntouched);
    Command(m_hwnd, C_DebugWnd::kIdCopyLine);
    Command(m_hwnd, C_DebugWnd::kIdCopyAll);
    EXPECT_EQ(kUntouched, guitest::ReadClipboard());
}

TEST_F(DebugWnd, RightClickOpensTheMenuWithItsItems) {
    for (int i = 0; i < 4; ++i) {
        m_wnd.D_Outf(L"item %d", i);
    }
    MenuSpy::seen = false;
    SetTimer(m_hwnd, 77, 30, MenuSpy::OnTimer);
    SendMessageW(m_hwnd, WM_RBUTTONDOWN, 0, MAKELPARAM(3, 1 * m_fontHeight + 1));
    KillTimer(m_hwnd, 77);
    ASSERT_TRUE(MenuSpy::seen);
    std::vector<std::pair<UINT, std::wstring>> expected = {
        {C_DebugWnd::kIdClear, L"\u30d0\u30c3\u30d5\u30a1\u306e\u30af\u30ea\u30a2"},
        {C_DebugWnd::kIdSeparator, L""},
        {C_DebugWnd::kIdCopyLine, L"\u9078\u629e\u884c\u306e\u30b3\u30d4\u30fc"},
        {C_DebugWnd::kIdCopyAll, L"\u3059\u3079\u3066\u306e\u884c\u306e\u5168\u30b3\u30d4\u30fc"},
        {C_DebugWnd::kIdSeparator, L""},
        {C_DebugWnd::kIdLineNumbers,
         L"\u884c\u756a\u53f7\u306e\u8868\u793a\u306e\u5207\u308a\u66ff\u3048"},
        {C_DebugWnd::kIdFont, L"\u30d5\u30a9\u30f3\u30c8\u9078\u629e"},
    };
    EXPECT_EQ(expected, MenuSpy::items);
    guitest::WriteClipboard(kUntouched);
    Command(m_hwnd, C_DebugWnd::kIdCopyLine);
    EXPECT_EQ(L"item 1", guitest::ReadClipboard());
}

TEST_F(DebugWnd, ShiftOpensTheMenuAtTheMouseInClientCoordinates) {
    for (int i = 0; i < 10; ++i) {
        m_wnd.D_Outf(L"item %d", i);
    }
    // Far from the screen origin, so screen and client coordinates point at other lines.
    m_wnd.D_Move(100, 200);
    POINT pt = {10, 3 * m_fontHeight + m_fontHeight / 2};
    ClientToScreen(m_hwnd, &pt);
    ASSERT_TRUE(SetCursorPos(pt.x, pt.y));
    POINT now = {};
    GetCursorPos(&now);
    ASSERT_EQ(pt.y, now.y);

    MenuSpy::seen = false;
    SetTimer(m_hwnd, 78, 30, MenuSpy::OnTimer);
    Key(m_hwnd, VK_SHIFT);
    EXPECT_TRUE(guitest::PumpUntil([] { return MenuSpy::seen; }, 5000));
    KillTimer(m_hwnd, 78);
    guitest::WriteClipboard(kUntouched);
    Command(m_hwnd, C_DebugWnd::kIdCopyLine);
    EXPECT_EQ(L"item 3", guitest::ReadClipboard());
}

TEST_F(DebugWnd, LineNumbersAndTabsShowInThePaintedRows) {
    for (int i = 0; i < 5; ++i) {
        m_wnd.D_Out(L"");
    }
    EXPECT_EQ(0, Paint().CountDark(Rows(0, 5)));
    Command(m_hwnd, C_DebugWnd::kIdLineNumbers);
    guitest::Capture numbered = Paint();
    EXPECT_GT(numbered.CountDark(Rows(0, 1)), 0);
    EXPECT_GT(numbered.CountDark(Rows(4, 1)), 0);
    EXPECT_EQ(0, numbered.CountDark(Rows(5, 3)));
    Command(m_hwnd, C_DebugWnd::kIdLineNumbers);
    EXPECT_EQ(0, Paint().CountDark(Rows(0, 5)));
    m_wnd.D_SetDrawLine(1);
    EXPECT_GT(Paint().CountDark(Rows(0, 5)), 0);
    m_wnd.D_SetDrawLine(0);

    int space = m_wnd.D_GetFont().GetStringWidth(L" ");
    ASSERT_GT(space, 0);
    m_wnd.D_Out(L"\tX");
    EXPECT_GE(Paint().FirstDarkColumn(Rows(5, 1)), 4 * space);
    m_wnd.D_SetTabCharaCount(0);
    InvalidateRect(m_hwnd, nullptr, FALSE);
    EXPECT_LT(Paint().FirstDarkColumn(Rows(5, 1)), space);
    // A long line with many tabs is drawn whole: its end shows at the right edge.
    m_wnd.D_SetTabCharaCount(8);
    std::wstring tabs(300, L'\t');
    m_wnd.D_Out((std::wstring(L"A") + tabs.substr(0, kWidth / (8 * space)) + L"XXXX").c_str());
    guitest::Capture wide = Paint();
    RECT edge = Rows(6, 1);
    edge.left = kWidth - 8 * space;
    EXPECT_GT(wide.CountDark(edge), 0);
}

TEST_F(DebugWnd, OnlyASelectedLineThatExistsIsMarked) {
    for (int i = 0; i < 3; ++i) {
        m_wnd.D_Out(L""); // empty lines: only a selection mark can colour a row
    }
    auto marked = [](guitest::Capture const& image, RECT const& area) {
        int n = 0;
        for (int y = area.top; y < area.bottom && y < image.height; ++y) {
            for (int x = area.left; x < area.right && x < image.width; ++x) {
                n += image.At(x, y) != 0xFFFFFF ? 1 : 0;
            }
        }
        return n;
    };
    EXPECT_EQ(1, m_wnd.D_SelectLine(3));
    InvalidateRect(m_hwnd, nullptr, FALSE);
    guitest::Capture last = Paint();
    EXPECT_GT(marked(last, Rows(2, 1)), 0);
    EXPECT_EQ(0, marked(last, Rows(0, 2)));
    EXPECT_EQ(1, m_wnd.D_SelectLine(5)); // accepted, but there is no fifth line to mark
    InvalidateRect(m_hwnd, nullptr, FALSE);
    EXPECT_EQ(0, marked(Paint(), Rows(0, m_visible)));
}

TEST_F(DebugWnd, FormattedOutputIsCutToTheBufferAndTerminated) {
    std::wstring longWide(3000, L'w');
    m_wnd.D_Outf(L"%s", longWide.c_str());
    m_wnd.D_OutfW(L"%s!", longWide.c_str());
    m_wnd.D_FastOutf(L"<%s>", longWide.c_str());
    std::string longNarrow;
    for (int i = 0; i < 1500; ++i) {
        longNarrow += "\x82\xA0"; // あ
    }
    m_wnd.D_OutfA("%s", longNarrow.c_str());
    m_wnd.D_OutfA("x%s", longNarrow.c_str());
    ASSERT_EQ(5, m_wnd.D_GetCount());
    EXPECT_EQ(std::wstring(2047, L'w'), CopiedLine(m_wnd, 0));
    EXPECT_EQ(std::wstring(2047, L'w'), CopiedLine(m_wnd, 1));
    EXPECT_EQ(L"<" + std::wstring(2046, L'w'), CopiedLine(m_wnd, 2));
    // 2047 bytes hold 1023 whole characters; the half of the next one is not kept.
    EXPECT_EQ(std::wstring(1023, L'\u3042'), CopiedLine(m_wnd, 3));
    EXPECT_EQ(L"x" + std::wstring(1023, L'\u3042'), CopiedLine(m_wnd, 4));

    m_wnd.D_OutA("\x83\x52\x83\x73\x81\x5B"); // コピー
    m_wnd.D_OutfA("%d:%s", 7, "\x8C\xB3");    // 元
    EXPECT_EQ(L"\u30b3\u30d4\u30fc", CopiedLine(m_wnd, 5));
    EXPECT_EQ(L"7:\u5143", CopiedLine(m_wnd, 6));
}

TEST_F(DebugWnd, FontsChangeTheRowHeight) {
    for (int i = 0; i < 100; ++i) {
        m_wnd.D_Outf(L"f %d", i);
    }
    ktora::C_WFont big(L"MS UI Gothic", 30);
    m_wnd.D_SetFont(big);
    EXPECT_EQ(30, m_wnd.D_GetFont().GetFontHeight());
    EXPECT_EQ(100 - kHeight / 30, Scroll(m_hwnd).nMax);
    SendMessageW(m_hwnd, WM_LBUTTONDOWN, 0, MAKELPARAM(3, 30 + 1));
    guitest::WriteClipboard(kUntouched);
    Command(m_hwnd, C_DebugWnd::kIdCopyLine);
    EXPECT_EQ(L"f " + std::to_wstring(Scroll(m_hwnd).nPos + 1), guitest::ReadClipboard());
}

namespace {

bool g_fontDialogSeen = false;

// Presses OK in the font dialog owned by the debug window.
void CALLBACK AcceptFontDialog(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    HWND dialog = nullptr;
    do {
        dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr);
    } while (dialog && GetWindow(dialog, GW_OWNER) != hwnd);
    if (!dialog) {
        return;
    }
    g_fontDialogSeen = true;
    KillTimer(hwnd, id);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

} // namespace

TEST_F(DebugWnd, FontDialogAppliesTheChosenFont) {
    g_fontDialogSeen = false;
    SetTimer(m_hwnd, 79, 50, AcceptFontDialog);
    DWORD start = GetTickCount();
    int chosen = m_wnd.D_ShowMenuSetFont();
    KillTimer(m_hwnd, 79);
    EXPECT_LT(GetTickCount() - start, 10000u);
    ASSERT_TRUE(g_fontDialogSeen);
    EXPECT_EQ(1, chosen);
    EXPECT_NE(nullptr, m_wnd.D_GetFont().GetObjectW());
    EXPECT_GT(m_wnd.D_GetFont().GetFontHeight(), 0);
}

TEST_F(DebugWnd, GrowingTheWindowGrowsTheBuffers) {
    ASSERT_EQ(1, m_wnd.D_Size(600, 450));
    RECT client = {};
    GetClientRect(m_hwnd, &client);
    EXPECT_EQ(600, client.right);
    EXPECT_EQ(450, client.bottom);
    EXPECT_EQ(600, m_wnd.D_GetClientSize().cx);
    std::wstring longLine(200, L'M');
    for (int i = 0; i < 450 / m_fontHeight + 2; ++i) {
        m_wnd.D_Out(longLine.c_str());
    }
    guitest::Capture image = Paint();
    ASSERT_EQ(600, image.width);
    RECT corner = {kWidth + 20, kHeight + 20, 600, 450 - m_fontHeight};
    EXPECT_GT(image.CountDark(corner), 0);

    m_wnd.D_SetBackground(RGB(0, 0, 255));
    EXPECT_EQ(0x0000FFu, Paint().At(599, 449));
    m_wnd.D_SetTextColor(RGB(255, 0, 0));
    EXPECT_EQ(RGB(255, 0, 0), m_wnd.D_GetTextColor());
}

TEST_F(DebugWnd, ClosingFreesEverythingAndTheWindowCanOpenAgain) {
    m_wnd.D_Out(L"a");
    SendMessageW(m_hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(m_hwnd));
    EXPECT_EQ(nullptr, m_wnd.GetHWnd());
    EXPECT_EQ(0, m_wnd.D_GetCount());
    m_wnd.D_Out(L"dropped");
    EXPECT_EQ(0, m_wnd.D_GetCount());
    ASSERT_EQ(1, m_wnd.D_Create(C_WString(kClass), 200, 100, 0, 0, C_WString(L"again"), 0));
    EXPECT_FALSE(IsWindowVisible(m_wnd.GetHWnd()));
    m_wnd.D_Out(L"b");
    EXPECT_EQ(1, m_wnd.D_GetCount());
    EXPECT_EQ(0, Scroll(m_wnd.GetHWnd()).nPos);
}

TEST_F(DebugWnd, ScreenshotForReview) {
    m_wnd.D_SetNewLine(1);
    m_wnd.D_Out(
        L"Kasumido \u30c7\u30d0\u30c3\u30b0\u51fa\u529b\r\n\u30b3\u30d4\u30fc\u5143: C:\\src");
    for (int i = 1; i <= 40; ++i) {
        m_wnd.D_Outf(L"copy %d\t\u2192 \u30b3\u30d4\u30fc\u5148_%03d", i, i);
    }
    m_wnd.D_SetDrawLine(1);
    m_wnd.D_SelectLine(m_wnd.D_GetCount() - 2);
    InvalidateRect(m_hwnd, nullptr, FALSE);
    UpdateWindow(m_hwnd);
    RedrawWindow(m_hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    guitest::Capture image = guitest::CaptureWindow(m_hwnd, true);
    ASSERT_GT(image.width, kWidth);
    std::wstring path = guitest::ExeFolder() + L"screenshots\\debug_window.bmp";
    ASSERT_TRUE(guitest::SaveBmp(image, path));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
    RECT all = {0, 0, image.width, image.height};
    EXPECT_GT(image.CountDark(all), 0);
}
