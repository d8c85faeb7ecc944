#pragma once
// A top-level window that shows a growing log of text lines for diagnostics: the lines live in
// a C_DebugLines; this view draws them through two off-screen buffers, with vertical scrolling,
// optional line numbers, tab expansion, one selected line and a context menu (clear, copy,
// line numbers, font).
//
// One debug window serves a process (the newest object receives the messages); it lives on
// the thread that created it. Output while there is no window is dropped, not kept. Results:
// 1 done, 0 not done (no window, or the system refused).
#include <windows.h>

#include "ktora/string/C_WString.h"
#include "ktora/window/C_DebugLines.h"
#include "ktora/window/C_WFont.h"
#include "ktora/window/C_Wnd.h"
#include "ktora/window/I_Wnd.h"

namespace ktora {

class C_DebugWnd : public I_Wnd {
public:
    // The window's style: an overlapped window with a vertical scroll bar.
    static constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_VSCROLL;
    // Commands of the context menu (WM_COMMAND identifiers).
    enum CommandId : UINT {
        kIdClear = 2500,
        kIdSeparator = 2501,
        kIdCopyLine = 2502, // the selected line
        kIdCopyAll = 2503,
        kIdLineNumbers = 2504,
        kIdFont = 2505, // opens the font dialog
    };

    C_DebugWnd();
    C_DebugWnd(C_DebugWnd const&) = delete;
    C_DebugWnd& operator=(C_DebugWnd const&) = delete;
    virtual ~C_DebugWnd();
    virtual HWND GetHWnd() const { return m_wnd.GetHWnd(); }

    // width and height are the client area; an empty title gives the default caption. 0 while
    // a window exists already.
    int D_Create(C_WString const& className, int const& width, int const& height, int const& x,
                 int const& y, C_WString const& title, int const& visible);
    void D_Destroy();

    // Output; all of it is dropped while there is no window. The narrow forms take Shift_JIS;
    // formatted texts are cut to 2047 units without splitting a character.
    void D_Out(wchar_t const* text);
    void D_OutW(wchar_t const* text);
    void D_OutA(char const* text);
    void D_Outf(wchar_t const* format, ...);
    void D_OutfW(wchar_t const* format, ...);
    void D_OutfA(char const* format, ...);
    // Appends without updating the scroll bar or repainting.
    void D_FastOut(wchar_t const* text);
    void D_FastOutf(wchar_t const* format, ...);

    int D_Move(int const& x, int const& y);
    int D_Size(int const& width, int const& height);
    int D_Visible(int show);
    int D_SetTitle(C_WString const& title);
    void D_SetTextColor(unsigned long const& color);
    void D_SetBackground(unsigned long const& color);
    // Non-zero: later output is split into lines at CR, LF and CR LF.
    void D_SetNewLine(int split);
    void D_SetFont(C_WFont const& font);
    void D_SetTabCharaCount(int count) { m_nTab = count; }
    int D_GetTabCharaCount() const { return m_nTab; }
    void D_SetDrawLine(int on);
    // line is 1-based (unlike every other index here); any positive line is taken.
    int D_SelectLine(int const& line);
    void D_Scroll(int const& lines);
    void D_Clear();
    // 1 when the text went to the clipboard: every line, each ended by CR LF; or the 0-based
    // line alone.
    int D_CopyToClipboard();
    int D_CopyToClipboard(int const& index);
    // 1 when a font was chosen.
    int D_ShowMenuSetFont();
    int D_GetCount() const;
    C_WFont D_GetFont() { return m_font; }
    SIZE D_GetClientSize();
    unsigned long D_GetTextColor() const { return m_textColor; }

protected:
    virtual LRESULT D_WndProc(HWND& hwnd, UINT& message, WPARAM& wParam, LPARAM& lParam);

    void _D_Init();
    void _D_Scroll(int const& lines, HWND const& window);

    static LRESULT CALLBACK gWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static C_DebugWnd* m_this;

private:
    void _Append(wchar_t const* text);
    int _FontHeight() const;
    bool _MakeBuffers(HDC dc, int width, int height);
    void _DeleteBuffers();
    void _FillBackground();
    void _ApplyScroll(HWND window, BOOL redraw = TRUE);
    void _Paint(HWND window);
    void _SelectAt(HWND window, int y, bool& changed);
    void _Follow(int before);

    int m_nClientWidth;
    int m_nClientHeight;
    int m_nBufferWidth;
    int m_nBufferHeight;
    C_Wnd m_wnd;
    WNDCLASSW m_wc;
    COLORREF m_textColor;
    COLORREF m_backColor;
    HDC m_hDrawDC;
    HBITMAP m_hDrawBmp;
    HGDIOBJ m_hDrawOldBmp;
    HDC m_hBackDC;
    HBITMAP m_hBackBmp;
    HGDIOBJ m_hBackOldBmp;
    SCROLLINFO m_si;
    int m_nTextHeight;
    C_WFont m_font;
    HMENU m_hMenu;
    C_DebugLines m_lines;
    int m_bNewLine;
    int m_nSelect;
    int m_nTab;
    int m_nDrawLine;
};

} // namespace ktora
