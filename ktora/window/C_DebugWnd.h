#pragma once
// A top-level window that shows a growing log of text lines for diagnostics: every line kept in
// memory, drawn through two off-screen buffers, vertical scrolling, optional line numbers, tab
// expansion, one selected line and a context menu (clear, copy, line numbers, font).
// One debug window serves a process; it lives on the thread that created it.
#include <windows.h>

#include <memory>
#include <string>

#include "ktora/string/C_WString.h"
#include "ktora/window/C_WFont.h"
#include "ktora/window/C_Wnd.h"
#include "ktora/window/I_Wnd.h"

namespace ktora {

// One stored line; each line owns the one after it.
struct tag_DebugStr {
    std::wstring text;
    std::unique_ptr<tag_DebugStr> next;
    tag_DebugStr* prev = nullptr;
};

class C_DebugWnd : public I_Wnd {
public:
    C_DebugWnd();
    C_DebugWnd(C_DebugWnd const&) = delete;
    C_DebugWnd& operator=(C_DebugWnd const&) = delete;
    virtual ~C_DebugWnd();
    virtual HWND GetHWnd() const { return m_wnd.GetHWnd(); }

    int D_Create(C_WString const& className, int const& width, int const& height, int const& x,
                 int const& y, C_WString const& title, int const& visible);
    void D_Destroy();

    // Output; all of it is dropped while there is no window.
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
    void D_SetNewLine(int split);
    void D_SetFont(C_WFont const& font);
    void D_SetTabCharaCount(int count) { m_nTab = count; }
    int D_GetTabCharaCount() const { return m_nTab; }
    void D_SetDrawLine(int on);
    int D_SelectLine(int const& line);
    void D_Scroll(int const& lines);
    void D_Clear();
    // 1 when the text went to the clipboard.
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
    void _D_AddString(wchar_t const* text);
    wchar_t const* _D_GetString(int index);
    void _D_ClearCache();
    void _D_Scroll(int const& lines, HWND const& window);

    static LRESULT CALLBACK gWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static C_DebugWnd* m_this;

private:
    void _AddLine(wchar_t const* text, size_t length);
    void _FreeLines();
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
    int m_nCount;
    C_WFont m_font;
    HMENU m_hMenu;
    std::unique_ptr<tag_DebugStr> m_pFirst;
    tag_DebugStr* m_pLast;
    tag_DebugStr* m_pCache;
    int m_nCache;
    int m_bNewLine;
    int m_nSelect;
    int m_nTab;
    int m_nDrawLine;
};

} // namespace ktora
