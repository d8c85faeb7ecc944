#pragma once
// A font for wide (UTF-16) text that owns its Windows font and keeps the metrics and the face
// name of the font the system really made, which may differ from the one asked for.
#include <windows.h>

#include <string>

namespace ktora {

class C_WFont {
public:
    C_WFont();
    C_WFont(wchar_t const* face, int const& height);
    explicit C_WFont(LOGFONTW const& logFont);
    explicit C_WFont(HFONT const& font);
    C_WFont(C_WFont const& other);
    C_WFont& operator=(C_WFont const& other);
    virtual ~C_WFont();

    int MakeFontEx(wchar_t const* face, int const& height, int const& weight, int const& italic,
                   int const& underline, int const& strikeOut);
    int MakeFont(wchar_t const* face, int const& height);

    HFONT SelectFont(HDC const& dc);
    int SelectBackFont(HDC const& dc);

    int GetStringWidth(wchar_t const* text) const;
    int GetLineBreak(wchar_t const* text, int start, int count, int maxWidth) const;

    HFONT GetObjectW() const { return m_hFont; }
    // Never null: an empty name while there is no font.
    wchar_t const* GetFontFace() const { return m_face.c_str(); }
    int GetFontHeight() const { return m_tm.tmHeight; }
    int GetFontAscent() const { return m_tm.tmAscent; }
    int GetFontDescent() const { return m_tm.tmDescent; }
    int GetFontWeight() const { return m_tm.tmWeight; }
    int IsItaric() const { return m_tm.tmItalic; }
    int IsUnderlined() const { return m_tm.tmUnderlined; }
    int IsDellined() const { return m_tm.tmStruckOut; }

    static C_WFont GetDefaultFont();

private:
    int _Init();
    void _CopyFont(HFONT const& font);
    void _Delete();

    HDC m_hDC;
    HFONT m_hFont;
    HFONT m_hOldFont;
    TEXTMETRICW m_tm;
    std::wstring m_face;
};

} // namespace ktora
