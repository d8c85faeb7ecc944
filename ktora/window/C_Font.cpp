#include "ktora/window/C_Font.h"

#include "ktora/window/FontImpl.h"

#include <cstring>

namespace ktora {

namespace {

using fontimpl::ScreenFontDC;

bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Width of one single-byte character. It is asked for in the font's own code page, so a
// half-width katakana byte is measured as katakana and not as the Latin-1 sign of that value.
bool ByteWidth(HDC dc, unsigned char b, int& width) {
    INT w = 0;
    if (!::GetCharWidth32A(dc, b, b, &w)) {
        return false;
    }
    width = w;
    return true;
}

// Every double-byte character counts as wide as the hiragana letter a (0x82A0).
bool WideCharWidth(HDC dc, int& width) {
    INT w = 0;
    if (!::GetCharWidthA(dc, 0x82A0, 0x82A0, &w)) {
        return false;
    }
    width = w;
    return true;
}

// Copies a face name into the record's 32-byte field, cut before a double-byte character that
// would not fit whole.
void CopyFace(char (&field)[LF_FACESIZE], char const* face) {
    std::memset(field, 0, sizeof field);
    if (!face) {
        return;
    }
    int n = 0;
    while (face[n]) {
        int step = (IsLeadByte(static_cast<unsigned char>(face[n])) && face[n + 1]) ? 2 : 1;
        if (n + step > LF_FACESIZE - 1) {
            break;
        }
        n += step;
    }
    std::memcpy(field, face, n);
}

} // namespace

C_Font::C_Font() : m_hDC(nullptr), m_hFont(nullptr), m_hOldFont(nullptr), m_tm() {}

C_Font::C_Font(char const* face, int const& height) : C_Font() {
    MakeFont(face, height);
}

C_Font::C_Font(LOGFONTA const& logFont) : C_Font() {
    m_hFont = ::CreateFontIndirectA(&logFont);
    if (m_hFont) {
        _Init();
    }
}

C_Font::C_Font(HFONT const& font) : C_Font() {
    _CopyFont(font);
}

C_Font::C_Font(C_Font const& other) : C_Font() {
    // An empty source has no face to build from: the copy stays empty too.
    if (other.m_hFont) {
        MakeFontEx(other.m_face.c_str(), other.m_tm.tmHeight, other.m_tm.tmWeight,
                   other.m_tm.tmItalic, other.m_tm.tmUnderlined, other.m_tm.tmStruckOut);
    }
}

C_Font& C_Font::operator=(C_Font const& other) {
    if (this != &other) {
        _CopyFont(other.m_hFont);
    }
    return *this;
}

C_Font::~C_Font() {
    _Delete();
}

void C_Font::_Delete() {
    fontimpl::release(m_hFont, m_tm, m_face);
}

HFONT C_Font::_CreateFrom(LOGFONTA const& lf) const {
    return ::CreateFontA(lf.lfHeight, lf.lfWidth, lf.lfEscapement, lf.lfOrientation, lf.lfWeight,
                         lf.lfItalic, lf.lfUnderline, lf.lfStrikeOut, lf.lfCharSet,
                         lf.lfOutPrecision, lf.lfClipPrecision, lf.lfQuality, lf.lfPitchAndFamily,
                         lf.lfFaceName);
}

int C_Font::MakeFontEx(char const* face, int const& height, int const& weight, int const& italic,
                       int const& underline, int const& strikeOut) {
    _Delete();
    LOGFONTA lf = fontimpl::make_record<LOGFONTA>(height, weight, italic, underline, strikeOut);
    CopyFace(lf.lfFaceName, face);
    m_hFont = _CreateFrom(lf);
    if (!m_hFont) {
        return 0;
    }
    _Init();
    return 1;
}

int C_Font::MakeFont(char const* face, int const& height) {
    return MakeFontEx(face, height, FW_NORMAL, 0, 0, 0);
}

int C_Font::_Init() {
    return fontimpl::read_metrics(m_hFont, m_tm, m_face);
}

void C_Font::_CopyFont(HFONT const& font) {
    _Delete();
    LOGFONTA lf = {};
    if (!font || ::GetObjectA(font, sizeof lf, &lf) != static_cast<int>(sizeof lf)) {
        return;
    }
    // The height keeps its sign: a negative height asks for the character height, a positive
    // one for the cell height, and the copy must be the same size as its source.
    m_hFont = _CreateFrom(lf);
    if (m_hFont) {
        _Init();
    }
}

HFONT C_Font::SelectFont(HDC const& dc) {
    return fontimpl::select(dc, m_hFont, m_hDC, m_hOldFont);
}

int C_Font::SelectBackFont(HDC const& dc) {
    return fontimpl::select_back(dc, m_hFont, m_hDC, m_hOldFont);
}

int C_Font::GetStringWidth(char const* text) const {
    if (!text || !m_hFont) {
        return 0;
    }
    ScreenFontDC dc(m_hFont);
    if (!dc.Ready()) {
        return 0;
    }
    int singles = 0;
    int doubles = 0;
    for (unsigned char const* p = reinterpret_cast<unsigned char const*>(text); *p; ++p) {
        if (IsLeadByte(*p)) {
            if (!p[1]) {
                break; // a lead byte without its trail byte ends the text
            }
            ++doubles;
            ++p;
            continue;
        }
        int w = 0;
        if (!ByteWidth(dc.Get(), *p, w)) {
            return 0;
        }
        singles += w;
    }
    if (doubles == 0) {
        return singles;
    }
    int wide = 0;
    if (!WideCharWidth(dc.Get(), wide)) {
        return 0;
    }
    return singles + doubles * wide;
}

int C_Font::GetLineBreak(char const* text, int start, int count, int maxWidth) const {
    if (!text || !m_hFont) {
        return 0;
    }
    int length = static_cast<int>(std::strlen(text));
    if (start < 0) {
        start = 0;
    }
    if (start > length) {
        start = length;
    }
    if (GetStringWidth(text + start) < maxWidth) {
        return start + count;
    }
    ScreenFontDC dc(m_hFont);
    if (!dc.Ready()) {
        return start;
    }
    int wide = -1;
    int width = 0;
    unsigned char const* p = reinterpret_cast<unsigned char const*>(text) + start;
    int used = 0; // bytes of the prefix
    for (int step = 0; step < count && p[used]; ++step) {
        int w = 0;
        int size = 1;
        if (IsLeadByte(p[used])) {
            if (!p[used + 1]) {
                break; // a cut double-byte character at the end is not measured
            }
            if (wide < 0 && !WideCharWidth(dc.Get(), wide)) {
                return start;
            }
            w = wide;
            size = 2;
        } else if (!ByteWidth(dc.Get(), p[used], w)) {
            return start;
        }
        width += w;
        if (width >= maxWidth) {
            return start + used;
        }
        used += size;
    }
    return start;
}

C_Font C_Font::GetDefaultFont() {
    return fontimpl::default_font<C_Font>();
}

} // namespace ktora
