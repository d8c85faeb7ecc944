#include "ktora/window/C_WFont.h"

#include <cwchar>

namespace ktora {

namespace {

// The screen device context with a font selected for as long as the object lives.
class ScreenFontDC {
public:
    explicit ScreenFontDC(HFONT font) : m_dc(::GetDC(nullptr)) {
        if (m_dc && font) {
            m_old = ::SelectObject(m_dc, font);
        }
    }
    ~ScreenFontDC() {
        if (m_dc) {
            if (m_old) {
                ::SelectObject(m_dc, m_old);
            }
            ::ReleaseDC(nullptr, m_dc);
        }
    }
    ScreenFontDC(ScreenFontDC const&) = delete;
    ScreenFontDC& operator=(ScreenFontDC const&) = delete;
    // True when the font really is selected.
    bool Ready() const { return m_dc && m_old; }
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
    HGDIOBJ m_old = nullptr;
};

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
    if (m_hFont) {
        ::DeleteObject(m_hFont);
        m_hFont = nullptr;
    }
    // Without a font there is nothing to describe.
    m_tm = {};
    m_face.clear();
}

int C_WFont::MakeFontEx(wchar_t const* face, int const& height, int const& weight,
                        int const& italic, int const& underline, int const& strikeOut) {
    _Delete();
    LOGFONTW lf = {};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic);
    lf.lfUnderline = static_cast<BYTE>(underline);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfOutPrecision = 0;
    lf.lfClipPrecision = 0;
    lf.lfQuality = PROOF_QUALITY;
    lf.lfPitchAndFamily = FF_MODERN | FIXED_PITCH;
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
    if (!m_hFont) {
        return 0;
    }
    ScreenFontDC dc(m_hFont);
    if (!dc.Ready()) {
        return 0;
    }
    TEXTMETRICW tm = {};
    wchar_t face[256] = {};
    if (!::GetTextMetricsW(dc.Get(), &tm)) {
        return 0;
    }
    int n = ::GetTextFaceW(dc.Get(), 256, face);
    m_tm = tm;
    // The count includes the terminator on success.
    m_face.assign(face, n > 0 ? wcsnlen(face, 256) : 0);
    return 1;
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
    if (!m_hFont || !dc) {
        return nullptr;
    }
    m_hDC = dc;
    HFONT old = static_cast<HFONT>(::SelectObject(dc, m_hFont));
    // Selecting twice must not forget the font that was there first.
    if (old != m_hFont) {
        m_hOldFont = old;
    }
    return old;
}

int C_WFont::SelectBackFont(HDC const& dc) {
    if (!m_hFont || !dc) {
        return 0;
    }
    m_hDC = dc;
    if (!m_hOldFont) {
        return 0;
    }
    return ::SelectObject(dc, m_hOldFont) != nullptr ? 1 : 0;
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
    HDC dc = ::GetDC(nullptr);
    if (!dc) {
        return C_WFont();
    }
    HFONT current = static_cast<HFONT>(::GetCurrentObject(dc, OBJ_FONT));
    C_WFont font(current);
    ::ReleaseDC(nullptr, dc);
    return font;
}

} // namespace ktora
