#pragma once
// The narrow twin of C_WFont: the same font ownership for Shift_JIS text, measured by bytes.
#include <windows.h>

#include <string>

namespace ktora {

class C_Font {
public:
    C_Font();
    C_Font(char const* face, int const& height);
    explicit C_Font(LOGFONTA const& logFont);
    explicit C_Font(HFONT const& font);
    C_Font(C_Font const& other);
    C_Font& operator=(C_Font const& other);
    virtual ~C_Font();

    int MakeFontEx(char const* face, int const& height, int const& weight, int const& italic,
                   int const& underline, int const& strikeOut);
    int MakeFont(char const* face, int const& height);

    HFONT SelectFont(HDC const& dc);
    int SelectBackFont(HDC const& dc);

    int GetStringWidth(char const* text) const;
    int GetLineBreak(char const* text, int start, int count, int maxWidth) const;

    HFONT GetObjectW() const { return m_hFont; }
    // Never null: an empty name while there is no font.
    char const* GetFontFace() const { return m_face.c_str(); }
    int GetFontHeight() const { return m_tm.tmHeight; }
    int GetFontAscent() const { return m_tm.tmAscent; }
    int GetFontDescent() const { return m_tm.tmDescent; }
    int GetFontWeight() const { return m_tm.tmWeight; }
    int IsItaric() const { return m_tm.tmItalic; }
    int IsUnderlined() const { return m_tm.tmUnderlined; }
    int IsDellined() const { return m_tm.tmStruckOut; }

    static C_Font GetDefaultFont();

private:
    int _Init();
    void _CopyFont(HFONT const& font);
    void _Delete();
    HFONT _CreateFrom(LOGFONTA const& logFont) const;

    HDC m_hDC;
    HFONT m_hFont;
    HFONT m_hOldFont;
    TEXTMETRICA m_tm;
    std::string m_face;
};

} // namespace ktora
