#include "ktora/window/C_DebugWnd.h"

#include <commdlg.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

#include "ktora/system/System.h"

namespace ktora {

namespace {

// "デバッグ Ver1.07"
constexpr wchar_t kDefaultTitle[] = L"\u30c7\u30d0\u30c3\u30b0 Ver1.07";
// Room of the formatting buffers, terminator included.
constexpr int kFormatUnits = 2048;

constexpr UINT kScrollMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;

// Signed client coordinates of a mouse message (windowsx.h is left out: its SelectFont macro
// would clash with C_WFont::SelectFont).
int XOf(LPARAM lParam) {
    return static_cast<short>(LOWORD(lParam));
}
int YOf(LPARAM lParam) {
    return static_cast<short>(HIWORD(lParam));
}

bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Formats into buffer, cut to fit with the terminator always written; a cut never leaves half a
// surrogate pair behind.
void Format(wchar_t (&buffer)[kFormatUnits], wchar_t const* format, va_list args) {
    int n = _vsnwprintf(buffer, kFormatUnits - 1, format, args);
    buffer[kFormatUnits - 1] = L'\0';
    if (n < 0 || n >= kFormatUnits - 1) {
        size_t length = wcslen(buffer);
        if (length > 0 && buffer[length - 1] >= 0xD800 && buffer[length - 1] <= 0xDBFF) {
            buffer[length - 1] = L'\0';
        }
    }
}

// The narrow twin: a cut never leaves a Shift_JIS lead byte without its trail byte.
void Format(char (&buffer)[kFormatUnits], char const* format, va_list args) {
    int n = _vsnprintf(buffer, kFormatUnits - 1, format, args);
    buffer[kFormatUnits - 1] = '\0';
    if (n < 0 || n >= kFormatUnits - 1) {
        size_t length = strlen(buffer);
        size_t i = 0;
        while (i < length) {
            if (IsLeadByte(static_cast<unsigned char>(buffer[i]))) {
                if (i + 1 >= length) {
                    buffer[i] = '\0';
                    break;
                }
                i += 2;
            } else {
                ++i;
            }
        }
    }
}

// Formats into a buffer of its own and hands the text to out.
template <typename Char, typename Out> void FormatThen(Char const* format, va_list args, Out out) {
    Char buffer[kFormatUnits];
    Format(buffer, format, args);
    out(buffer);
}

// Puts `units` UTF-16 units (terminator included) that fill() writes on the clipboard; 1 when
// they went there.
template <typename Fill> int PutOnClipboard(HWND owner, size_t units, Fill fill) {
    if (!::OpenClipboard(owner)) {
        return 0;
    }
    ::EmptyClipboard();
    int done = 0;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, units * sizeof(wchar_t));
    if (memory) {
        wchar_t* p = static_cast<wchar_t*>(::GlobalLock(memory));
        if (p) {
            fill(p);
            ::GlobalUnlock(memory);
            done = ::SetClipboardData(CF_UNICODETEXT, memory) ? 1 : 0;
        }
        if (!done) {
            ::GlobalFree(memory);
        }
    }
    ::CloseClipboard();
    return done;
}

} // namespace

C_DebugWnd* C_DebugWnd::m_this = nullptr;

C_DebugWnd::C_DebugWnd() : m_wc() {
    _D_Init();
    m_this = this;
}

C_DebugWnd::~C_DebugWnd() {
    D_Destroy();
    // No message may reach an object that is gone.
    if (m_this == this) {
        m_this = nullptr;
    }
}

void C_DebugWnd::_D_Init() {
    m_nClientWidth = 0;
    m_nClientHeight = 0;
    m_nBufferWidth = 0;
    m_nBufferHeight = 0;
    m_textColor = RGB(0, 0, 0);
    m_backColor = RGB(255, 255, 255);
    m_hDrawDC = nullptr;
    m_hDrawBmp = nullptr;
    m_hDrawOldBmp = nullptr;
    m_hBackDC = nullptr;
    m_hBackBmp = nullptr;
    m_hBackOldBmp = nullptr;
    m_si = SCROLLINFO();
    m_si.cbSize = sizeof(SCROLLINFO);
    m_si.fMask = kScrollMask;
    m_si.nPage = 1;
    m_nTextHeight = 0;
    m_hMenu = nullptr;
    m_bNewLine = 0;
    m_nSelect = -1;
    m_nTab = 4;
    m_nDrawLine = 0;
}

LRESULT CALLBACK C_DebugWnd::gWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    C_DebugWnd* self = m_this;
    if (!self) {
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    try {
        return self->D_WndProc(hwnd, message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's message dispatch.
        return 0;
    }
}

int C_DebugWnd::_FontHeight() const {
    int height = m_font.GetFontHeight();
    return height > 0 ? height : 1;
}

int C_DebugWnd::D_Create(C_WString const& className, int const& width, int const& height,
                         int const& x, int const& y, C_WString const& title, int const& visible) {
    if (m_wnd.GetHWnd()) {
        return 0;
    }
    std::vector<wchar_t> path(32768);
    DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0 || n >= path.size() || !::GetModuleHandleW(path.data())) {
        return 0;
    }
    // An already registered class is fine.
    C_Wnd::RegistWnd(gWndProc, className, nullptr);

    C_WString caption = title.Empty() ? C_WString(kDefaultTitle) : title;
    unsigned long style = kWindowStyle | (visible ? WS_VISIBLE : 0);
    if (!m_wnd.MakeWindow(nullptr, className, caption, style, width, height, nullptr)) {
        return 0;
    }
    HWND hwnd = m_wnd.GetHWnd();

    RECT outer = {0, 0, width, height};
    ::AdjustWindowRect(&outer, kWindowStyle, FALSE);
    ::SetWindowPos(hwnd, nullptr, x, y, outer.right - outer.left + ::GetSystemMetrics(SM_CXVSCROLL),
                   outer.bottom - outer.top, 0);

    RECT client = {};
    ::GetClientRect(hwnd, &client);
    m_nClientWidth = client.right;
    m_nClientHeight = client.bottom;

    // The buffers cover the requested size and at least the client area.
    int bufferWidth = width > client.right ? width : static_cast<int>(client.right);
    int bufferHeight = height > client.bottom ? height : static_cast<int>(client.bottom);
    HDC dc = ::GetDC(hwnd);
    bool made = dc && _MakeBuffers(dc, bufferWidth, bufferHeight);
    if (dc) {
        ::ReleaseDC(hwnd, dc);
    }
    if (!made) {
        D_Destroy();
        return 0;
    }
    _FillBackground();

    m_font = C_WFont::GetDefaultFont();
    m_font.SelectFont(m_hDrawDC);
    m_nTextHeight = m_lines.Count() * _FontHeight();
    ::SetTextColor(m_hDrawDC, m_textColor);
    ::SetBkMode(m_hDrawDC, TRANSPARENT);

    m_hMenu = ::CreatePopupMenu();
    if (m_hMenu) {
        UINT const at = MF_BYPOSITION;
        ::InsertMenuW(m_hMenu, static_cast<UINT>(-1), at | MF_STRING, kIdClear,
                      L"\u30d0\u30c3\u30d5\u30a1\u306e\u30af\u30ea\u30a2"); // バッファのクリア
        ::InsertMenuW(m_hMenu, static_cast<UINT>(-1), at | MF_SEPARATOR, kIdSeparator, nullptr);
        ::InsertMenuW(m_hMenu, static_cast<UINT>(-1), at | MF_STRING, kIdCopyLine,
                      L"\u9078\u629e\u884c\u306e\u30b3\u30d4\u30fc"); // 選択行のコピー
        ::InsertMenuW(
            m_hMenu, static_cast<UINT>(-1), at | MF_STRING, kIdCopyAll,
            L"\u3059\u3079\u3066\u306e\u884c\u306e\u5168\u30b3\u30d4\u30fc"); // すべての行の全コピー
        ::InsertMenuW(m_hMenu, static_cast<UINT>(-1), at | MF_SEPARATOR, kIdSeparator, nullptr);
        ::InsertMenuW(
            m_hMenu, static_cast<UINT>(-1), at | MF_STRING, kIdLineNumbers,
            L"\u884c\u756a\u53f7\u306e\u8868\u793a\u306e\u5207\u308a\u66ff\u3048"); // 行番号の表示の切り替え
        ::InsertMenuW(m_hMenu, static_cast<UINT>(-1), at | MF_STRING, kIdFont,
                      L"\u30d5\u30a9\u30f3\u30c8\u9078\u629e"); // フォント選択
    }
    m_nSelect = -1;
    m_nTab = 4;
    ::InvalidateRect(hwnd, nullptr, FALSE);
    return 1;
}

bool C_DebugWnd::_MakeBuffers(HDC dc, int width, int height) {
    if (width < 1) {
        width = 1;
    }
    if (height < 1) {
        height = 1;
    }
    m_hDrawDC = ::CreateCompatibleDC(dc);
    m_hDrawBmp = ::CreateCompatibleBitmap(dc, width, height);
    m_hBackDC = ::CreateCompatibleDC(dc);
    m_hBackBmp = ::CreateCompatibleBitmap(dc, width, height);
    if (!m_hDrawDC || !m_hDrawBmp || !m_hBackDC || !m_hBackBmp) {
        _DeleteBuffers();
        return false;
    }
    m_hDrawOldBmp = ::SelectObject(m_hDrawDC, m_hDrawBmp);
    m_hBackOldBmp = ::SelectObject(m_hBackDC, m_hBackBmp);
    m_nBufferWidth = width;
    m_nBufferHeight = height;
    return true;
}

void C_DebugWnd::_DeleteBuffers() {
    if (m_hDrawDC) {
        m_font.SelectBackFont(m_hDrawDC);
        if (m_hDrawOldBmp) {
            ::SelectObject(m_hDrawDC, m_hDrawOldBmp);
        }
        ::DeleteDC(m_hDrawDC);
    }
    if (m_hDrawBmp) {
        ::DeleteObject(m_hDrawBmp);
    }
    if (m_hBackDC) {
        if (m_hBackOldBmp) {
            ::SelectObject(m_hBackDC, m_hBackOldBmp);
        }
        ::DeleteDC(m_hBackDC);
    }
    if (m_hBackBmp) {
        ::DeleteObject(m_hBackBmp);
    }
    m_hDrawDC = nullptr;
    m_hDrawBmp = nullptr;
    m_hDrawOldBmp = nullptr;
    m_hBackDC = nullptr;
    m_hBackBmp = nullptr;
    m_hBackOldBmp = nullptr;
}

void C_DebugWnd::_FillBackground() {
    if (!m_hBackDC) {
        return;
    }
    HBRUSH brush = ::CreateSolidBrush(m_backColor);
    if (!brush) {
        return;
    }
    RECT r;
    ::SetRect(&r, 0, 0, m_nBufferWidth, m_nBufferHeight);
    ::FillRect(m_hBackDC, &r, brush);
    ::DeleteObject(brush);
}

void C_DebugWnd::D_Destroy() {
    if (m_wnd.GetHWnd()) {
        // WM_DESTROY comes back here with the handle already forgotten.
        m_wnd.KillWindow();
    }
    _DeleteBuffers();
    if (m_hMenu) {
        ::DestroyMenu(m_hMenu);
        m_hMenu = nullptr;
    }
    m_lines.Clear();
    m_nTextHeight = 0;
    m_nSelect = -1;
    m_si.nPos = 0;
    m_si.nMax = 0;
}

void C_DebugWnd::_Append(wchar_t const* text) {
    m_nTextHeight += m_lines.Add(text, m_bNewLine != 0) * _FontHeight();
}

void C_DebugWnd::_ApplyScroll(HWND window, BOOL redraw) {
    // Keep the position inside the range, so a later scroll moves the way it was asked to.
    if (m_si.nPos > m_si.nMax) {
        m_si.nPos = m_si.nMax;
    }
    if (m_si.nPos < 0) {
        m_si.nPos = 0;
    }
    m_si.cbSize = sizeof(SCROLLINFO);
    m_si.fMask = kScrollMask;
    m_si.nMin = 0;
    m_si.nPage = 1;
    if (window) {
        ::SetScrollInfo(window, SB_VERT, &m_si, redraw);
    }
}

void C_DebugWnd::_Follow(int before) {
    HWND hwnd = m_wnd.GetHWnd();
    if (m_nTextHeight >= m_nClientHeight) {
        m_si.nMax = m_lines.Count() - m_nClientHeight / _FontHeight();
        if (m_nTextHeight != m_nClientHeight) {
            m_si.nPos += m_lines.Count() - before;
        }
        // The bar is redrawn with the next paint, not once per line: a synchronous redraw
        // costs milliseconds, and output comes in bursts.
        _ApplyScroll(hwnd, FALSE);
        ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
        return;
    }
    ::InvalidateRect(hwnd, nullptr, FALSE);
}

void C_DebugWnd::D_Out(wchar_t const* text) {
    if (!text || !m_wnd.GetHWnd()) {
        return;
    }
    int before = m_lines.Count();
    _Append(text);
    _Follow(before);
}

void C_DebugWnd::D_OutW(wchar_t const* text) {
    D_Out(text);
}

void C_DebugWnd::D_OutA(char const* text) {
    if (!text || !m_wnd.GetHWnd()) {
        return;
    }
    int units = 0;
    std::unique_ptr<wchar_t[]> wide(
        common::System::sjis_to_utf16(text, static_cast<int>(std::strlen(text)), &units));
    if (!wide) {
        return;
    }
    D_Out(wide.get());
}

void C_DebugWnd::D_Outf(wchar_t const* format, ...) {
    if (!format || !m_wnd.GetHWnd()) {
        return;
    }
    va_list args;
    va_start(args, format);
    FormatThen(format, args, [this](wchar_t const* text) { D_Out(text); });
    va_end(args);
}

void C_DebugWnd::D_OutfW(wchar_t const* format, ...) {
    if (!format || !m_wnd.GetHWnd()) {
        return;
    }
    va_list args;
    va_start(args, format);
    FormatThen(format, args, [this](wchar_t const* text) { D_Out(text); });
    va_end(args);
}

void C_DebugWnd::D_OutfA(char const* format, ...) {
    if (!format || !m_wnd.GetHWnd()) {
        return;
    }
    va_list args;
    va_start(args, format);
    FormatThen(format, args, [this](char const* text) { D_OutA(text); });
    va_end(args);
}

void C_DebugWnd::D_FastOut(wchar_t const* text) {
    if (!text || !m_wnd.GetHWnd()) {
        return;
    }
    _Append(text);
}

void C_DebugWnd::D_FastOutf(wchar_t const* format, ...) {
    if (!format || !m_wnd.GetHWnd()) {
        return;
    }
    va_list args;
    va_start(args, format);
    FormatThen(format, args, [this](wchar_t const* text) { D_FastOut(text); });
    va_end(args);
}

int C_DebugWnd::D_Move(int const& x, int const& y) {
    HWND hwnd = m_wnd.GetHWnd();
    if (!hwnd) {
        return 0;
    }
    return ::SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE) ? 1 : 0;
}

int C_DebugWnd::D_Size(int const& width, int const& height) {
    HWND hwnd = m_wnd.GetHWnd();
    if (!hwnd) {
        return 0;
    }
    RECT outer = {0, 0, width, height};
    ::AdjustWindowRect(&outer, kWindowStyle, FALSE);
    if (!::SetWindowPos(hwnd, nullptr, 0, 0,
                        outer.right - outer.left + ::GetSystemMetrics(SM_CXVSCROLL),
                        outer.bottom - outer.top, SWP_NOMOVE)) {
        return 0;
    }
    ::SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    return 1;
}

int C_DebugWnd::D_Visible(int show) {
    HWND hwnd = m_wnd.GetHWnd();
    if (!hwnd) {
        return 0;
    }
    ::ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE);
    return 1;
}

int C_DebugWnd::D_SetTitle(C_WString const& title) {
    HWND hwnd = m_wnd.GetHWnd();
    if (!hwnd) {
        return 0;
    }
    return ::SetWindowTextW(hwnd, title.GetString()) ? 1 : 0;
}

void C_DebugWnd::D_SetTextColor(unsigned long const& color) {
    HWND hwnd = m_wnd.GetHWnd();
    if (!hwnd) {
        return;
    }
    m_textColor = color;
    if (m_hDrawDC) {
        ::SetTextColor(m_hDrawDC, m_textColor);
        ::SetBkMode(m_hDrawDC, TRANSPARENT);
    }
    ::InvalidateRect(hwnd, nullptr, FALSE);
}

void C_DebugWnd::D_SetBackground(unsigned long const& color) {
    HWND hwnd = m_wnd.GetHWnd();
    if (!hwnd) {
        return;
    }
    m_backColor = color;
    _FillBackground();
    ::InvalidateRect(hwnd, nullptr, FALSE);
}

void C_DebugWnd::D_SetNewLine(int split) {
    m_bNewLine = split;
}

void C_DebugWnd::D_SetFont(C_WFont const& font) {
    if (&font != &m_font) {
        // The old font leaves the drawing buffer before it is deleted.
        if (m_hDrawDC) {
            m_font.SelectBackFont(m_hDrawDC);
        }
        m_font = font;
        if (m_hDrawDC) {
            m_font.SelectFont(m_hDrawDC);
        }
    }
    m_nTextHeight = _FontHeight() * m_lines.Count();
    HWND hwnd = m_wnd.GetHWnd();
    if (hwnd) {
        // Another height shows another number of lines.
        ::SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(m_nClientWidth, m_nClientHeight));
        ::InvalidateRect(hwnd, nullptr, FALSE);
    }
}

void C_DebugWnd::D_SetDrawLine(int on) {
    int flag = on ? ~0 : 0;
    if (flag == m_nDrawLine) {
        return;
    }
    m_nDrawLine = flag;
    if (HWND hwnd = m_wnd.GetHWnd()) {
        ::InvalidateRect(hwnd, nullptr, FALSE);
    }
}

int C_DebugWnd::D_SelectLine(int const& line) {
    if (!m_wnd.GetHWnd() || line <= 0) {
        return 0;
    }
    m_nSelect = line - 1;
    return 1;
}

void C_DebugWnd::D_Scroll(int const& lines) {
    if (HWND hwnd = m_wnd.GetHWnd()) {
        _D_Scroll(lines, hwnd);
    }
}

void C_DebugWnd::_D_Scroll(int const& lines, HWND const& window) {
    int d = lines;
    if (d > m_si.nMax - m_si.nPos) {
        d = m_si.nMax - m_si.nPos;
    }
    if (d < -m_si.nPos) {
        d = -m_si.nPos;
    }
    if (d == 0) {
        return;
    }
    m_si.nPos += d;
    _ApplyScroll(window);
    ::InvalidateRect(window, nullptr, FALSE);
}

void C_DebugWnd::D_Clear() {
    m_lines.Clear();
    m_nSelect = -1;
    m_nTextHeight = 0;
    if (HWND hwnd = m_wnd.GetHWnd()) {
        ::SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(m_nClientWidth, m_nClientHeight));
    }
}

int C_DebugWnd::D_CopyToClipboard() {
    if (m_lines.Count() == 0) {
        return 0;
    }
    return PutOnClipboard(m_wnd.GetHWnd(), m_lines.JoinedLength() + 1,
                          [this](wchar_t* out) { m_lines.JoinTo(out); });
}

int C_DebugWnd::D_CopyToClipboard(int const& index) {
    if (index < 0 || m_lines.Count() == 0) {
        return 0;
    }
    wchar_t const* text = m_lines.Get(index);
    if (!text) {
        return 0;
    }
    size_t units = wcslen(text) + 1;
    return PutOnClipboard(m_wnd.GetHWnd(), units, [text, units](wchar_t* out) {
        std::memcpy(out, text, units * sizeof(wchar_t));
    });
}

int C_DebugWnd::D_ShowMenuSetFont() {
    HWND hwnd = m_wnd.GetHWnd();
    if (!hwnd) {
        return 0;
    }
    LOGFONTW lf = {};
    wcsncpy(lf.lfFaceName, m_font.GetFontFace(), LF_FACESIZE - 1);
    lf.lfHeight = m_font.GetFontHeight();
    lf.lfUnderline = static_cast<BYTE>(m_font.IsUnderlined());
    lf.lfStrikeOut = static_cast<BYTE>(m_font.IsDellined());
    lf.lfItalic = static_cast<BYTE>(m_font.IsItaric());
    lf.lfWeight = m_font.GetFontWeight();
    lf.lfCharSet = SHIFTJIS_CHARSET;

    CHOOSEFONTW cf = {};
    cf.lStructSize = sizeof(cf);
    cf.hwndOwner = hwnd;
    cf.lpLogFont = &lf;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
    cf.rgbColors = m_textColor;
    cf.nFontType = SCREEN_FONTTYPE;
    if (!::ChooseFontW(&cf)) {
        return 0;
    }
    C_WFont chosen(lf);
    if (m_hDrawDC) {
        m_font.SelectBackFont(m_hDrawDC);
    }
    m_font = chosen;
    if (m_hDrawDC) {
        m_font.SelectFont(m_hDrawDC);
    }
    m_nTextHeight = _FontHeight() * m_lines.Count();
    if (cf.rgbColors != m_textColor) {
        D_SetTextColor(cf.rgbColors);
    }
    ::SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(m_nClientWidth, m_nClientHeight));
    ::InvalidateRect(hwnd, nullptr, FALSE);
    return 1;
}

int C_DebugWnd::D_GetCount() const {
    return m_lines.Count();
}

SIZE C_DebugWnd::D_GetClientSize() {
    SIZE size = {m_nClientWidth, m_nClientHeight};
    return size;
}

void C_DebugWnd::_Paint(HWND window) {
    ::BitBlt(m_hDrawDC, 0, 0, m_nBufferWidth, m_nBufferHeight, m_hBackDC, 0, 0, SRCCOPY);
    int fontHeight = _FontHeight();
    int top = m_si.nPos;
    int visible = m_nBufferHeight / fontHeight;
    // A selection past the last line (D_SelectLine takes any positive line) marks no row.
    if (m_nSelect >= top && m_nSelect < top + visible && m_nSelect < m_lines.Count()) {
        RECT row;
        int y = fontHeight * (m_nSelect - top);
        ::SetRect(&row, 0, y, m_nBufferWidth, y + fontHeight);
        ::FillRect(m_hDrawDC, &row, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
    }
    // The work text grows with the line, its number prefix and its expanded tabs.
    std::wstring line;
    int y = 0;
    for (int index = top; y < m_nClientHeight; ++index, y += fontHeight) {
        if (!m_lines.Row(index, m_nDrawLine != 0, m_nTab, line)) {
            break;
        }
        ::TextOutW(m_hDrawDC, 0, y, line.c_str(), static_cast<int>(line.size()));
    }
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(window, &ps);
    if (dc) {
        ::BitBlt(dc, 0, 0, m_nClientWidth, m_nClientHeight, m_hDrawDC, 0, 0, SRCCOPY);
    }
    ::EndPaint(window, &ps);
}

void C_DebugWnd::_SelectAt(HWND window, int y, bool& changed) {
    changed = false;
    if (y < 0) {
        return;
    }
    int line = y / _FontHeight() + m_si.nPos;
    if (line != m_nSelect && line < m_lines.Count()) {
        m_nSelect = line;
        ::InvalidateRect(window, nullptr, FALSE);
        changed = true;
    }
}

LRESULT C_DebugWnd::D_WndProc(HWND& hwnd, UINT& message, WPARAM& wParam, LPARAM& lParam) {
    switch (message) {
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_PRIOR:
            _D_Scroll(-10, hwnd);
            return 0;
        case VK_NEXT:
            _D_Scroll(10, hwnd);
            return 0;
        case VK_END:
            _D_Scroll(m_lines.Count(), hwnd);
            return 0;
        case VK_HOME:
            _D_Scroll(-m_lines.Count(), hwnd);
            return 0;
        case VK_UP:
            _D_Scroll(-1, hwnd);
            return 0;
        case VK_DOWN:
            _D_Scroll(1, hwnd);
            return 0;
        case VK_SHIFT: {
            // The menu opens where the mouse is; the click message carries client coordinates.
            POINT pt = {};
            ::GetCursorPos(&pt);
            ::ScreenToClient(hwnd, &pt);
            ::PostMessageW(hwnd, WM_RBUTTONDOWN, 0, MAKELPARAM(pt.x, pt.y));
            return 0;
        }
        default:
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
        }
    case WM_MOUSEWHEEL: {
        short delta = GET_WHEEL_DELTA_WPARAM(wParam);
        if (delta != 0) {
            _D_Scroll(delta > 0 ? -1 : 1, hwnd);
        }
        return 0;
    }
    case WM_VSCROLL: {
        int d = 0;
        switch (LOWORD(wParam)) {
        case SB_LINEUP:
            d = -1;
            break;
        case SB_LINEDOWN:
            d = 1;
            break;
        case SB_PAGEUP:
            d = -static_cast<int>(m_si.nPage);
            break;
        case SB_PAGEDOWN:
            d = static_cast<int>(m_si.nPage);
            break;
        case SB_THUMBTRACK: {
            // The message holds 16 bits of the thumb's position; past 65535 lines only the
            // bar's own tracking position says where the thumb is.
            int thumb = static_cast<int>(HIWORD(wParam));
            SCROLLINFO track = {};
            track.cbSize = sizeof track;
            track.fMask = SIF_TRACKPOS;
            if (m_si.nMax > 0xFFFF && ::GetScrollInfo(hwnd, SB_VERT, &track)) {
                thumb = track.nTrackPos;
            }
            d = thumb - m_si.nPos;
            break;
        }
        default:
            break;
        }
        _D_Scroll(d, hwnd);
        return 0;
    }
    case WM_SIZE: {
        m_nClientWidth = LOWORD(lParam);
        m_nClientHeight = HIWORD(lParam);
        bool remade = false;
        if (m_hDrawDC && m_hBackDC &&
            (m_nClientWidth > m_nBufferWidth || m_nClientHeight > m_nBufferHeight)) {
            HDC dc = ::GetDC(hwnd);
            _DeleteBuffers();
            bool made = dc && _MakeBuffers(dc, m_nClientWidth, m_nClientHeight);
            if (dc) {
                ::ReleaseDC(hwnd, dc);
            }
            if (!made) {
                D_Destroy();
                return 0;
            }
            _FillBackground();
            m_font.SelectFont(m_hDrawDC);
            ::SetTextColor(m_hDrawDC, m_textColor);
            ::SetBkMode(m_hDrawDC, TRANSPARENT);
            m_nTextHeight = _FontHeight() * m_lines.Count();
            remade = true;
        }
        m_si.nMax = m_lines.Count() - m_nClientHeight / _FontHeight();
        _ApplyScroll(hwnd);
        if (remade) {
            ::InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    }
    case WM_PAINT:
        if (!m_hDrawDC) {
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
        }
        _Paint(hwnd);
        return 0;
    case WM_LBUTTONDOWN: {
        bool changed = false;
        _SelectAt(hwnd, YOf(lParam), changed);
        if (changed) {
            return 0;
        }
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_RBUTTONDOWN: {
        bool changed = false;
        _SelectAt(hwnd, YOf(lParam), changed);
        if (m_hMenu) {
            POINT pt = {XOf(lParam), YOf(lParam)};
            ::ClientToScreen(hwnd, &pt);
            ::TrackPopupMenu(m_hMenu, 0, pt.x, pt.y, 0, hwnd, nullptr);
        }
        return 0;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kIdClear:
            D_Clear();
            m_si.nPos = 0;
            m_si.nMax = 0;
            _ApplyScroll(hwnd);
            ::InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case kIdCopyLine:
            D_CopyToClipboard(m_nSelect);
            return 0;
        case kIdCopyAll:
            D_CopyToClipboard();
            return 0;
        case kIdLineNumbers:
            m_nDrawLine = ~m_nDrawLine;
            ::InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case kIdFont:
            D_ShowMenuSetFont();
            return 0;
        default:
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
        }
    case WM_CLOSE:
        ::DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        if (hwnd == m_wnd.GetHWnd()) {
            m_wnd.SetHWnd(nullptr);
            D_Destroy();
        }
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    default:
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

} // namespace ktora
