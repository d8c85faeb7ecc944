#include "ktora/window/C_WFont.h"

#include "ktora/window/FontImpl.h"

#include <cwchar>

namespace ktora {

namespace {

using fontimpl::ScreenFontDC;

// Width of one UTF-16 unit; false when the system cannot say.
bool UnitWidth(HDC dc, wchar_t c, int& width) {
    INT w = 0;
    if (!::GetCharWidth32W(dc, c, c, &w)) {
        return false;
    }
    width = w;
    return true;
}

} // namespace

C_WFont::C_WFont() : m_hDC(nullptr), m_hFont(nullptr), m_hOldFont(nullptr), m_tm() {}

C_WFont::C_WFont(wchar_t const* face, int const& height) : C_WFont() {
    MakeFont(face, height);
}

C_WFont::C_WFont(LOGFONTW const& logFont) : C_WFont() {
    m_hFont = ::CreateFontIndirectW(&logFont);
    if (m_hFont) {
        _Init();
    }
}

C_WFont::C_WFont(HFONT const& font) : C_WFont() {
    _CopyFont(font);
}

C_WFont::C_WFont(C_WFont const& other) : C_WFont() {
    // An empty source has no face to build from: the copy stays empty too.
    if (other.m_hFont) {
        MakeFontEx(other.m_face.c_str(), other.m_tm.tmHeight, other.m_tm.tmWeight,
                   other.m_tm.tmItalic, other.m_tm.tmUnderlined, other.m_tm.tmStruckOut);
    }
}

C_WFont& C_WFont::operator=(C_WFont const& other) {
    if (this != &other) {
        _CopyFont(other.m_hFont);
    }
    return *this;
}

C_WFont::~C_WFont() {
    _Delete();
}

void C_WFont::_Delete() {
    fontimpl::release(m_hFont, m_tm, m_face);
}

int C_WFont::MakeFontEx(wchar_t const* face, int const& height, int const& weight,
                        int const& italic, int const& underline, int const& strikeOut) {
    _Delete();
    LOGFONTW lf = fontimpl::make_record<LOGFONTW>(height, weight, italic, underline, strikeOut);
    if (face) {
        // The record holds 31 characters and the terminator; longer names are cut.
        wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
        lf.lfFaceName[LF_FACESIZE - 1] = L'\0';
    }
    m_hFont = ::CreateFontIndirectW(&lf);
    if (!m_hFont) {
        return 0;
    }
    _Init();
    return 1;
}

int C_WFont::MakeFont(wchar_t const* face, int const& height) {
    return MakeFontEx(face, height, FW_NORMAL, 0, 0, 0);
}

int C_WFont::_Init() {
    return fontimpl::read_metrics(m_hFont, m_tm, m_face);
}

void C_WFont::_CopyFont(HFONT const& font) {
    _Delete();
    LOGFONTW lf = {};
    if (!font || ::GetObjectW(font, sizeof lf, &lf) != static_cast<int>(sizeof lf)) {
        return;
    }
    m_hFont = ::CreateFontIndirectW(&lf);
    if (m_hFont) {
        _Init();
    }
}

HFONT C_WFont::SelectFont(HDC const& dc) {
    return fontimpl::select(dc, m_hFont, m_hDC, m_hOldFont);
}

int C_WFont::SelectBackFont(HDC const& dc) {
    return fontimpl::select_back(dc, m_hFont, m_hDC, m_hOldFont);
}

int C_WFont::GetStringWidth(wchar_t const* text) const {
    if (!text || !m_hFont) {
        return 0;
    }
    ScreenFontDC dc(m_hFont);
    if (!dc.Ready()) {
        return 0;
    }
    int total = 0;
    for (wchar_t const* p = text; *p; ++p) {
        int w = 0;
        if (!UnitWidth(dc.Get(), *p, w)) {
            return 0;
        }
        total += w;
    }
    return total;
}

int C_WFont::GetLineBreak(wchar_t const* text, int start, int count, int maxWidth) const {
    if (!text || !m_hFont) {
        return 0;
    }
    // Positions outside the text are pulled back into it rather than read past its end.
    int length = static_cast<int>(wcslen(text));
    if (start < 0) {
        start = 0;
    }
    if (start > length) {
        start = length;
    }
    if (GetStringWidth(text + start) < maxWidth) {
        return start + count;
    }
    if (count > length - start) {
        count = length - start;
    }
    ScreenFontDC dc(m_hFont);
    if (!dc.Ready()) {
        return start;
    }
    // Widths add up, so the prefix grows by one character's width per step.
    int width = 0;
    for (int i = 0; i < count; ++i) {
        int w = 0;
        if (!UnitWidth(dc.Get(), text[start + i], w)) {
            return start;
        }
        width += w;
        if (width >= maxWidth) {
            return start + i;
        }
    }
    return start;
}

C_WFont C_WFont::GetDefaultFont() {
    return fontimpl::default_font<C_WFont>();
}

} // namespace ktora
