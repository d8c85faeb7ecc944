#pragma once
// Shared font ownership of C_Font and C_WFont: the parts that do not depend on the width of
// a character. Face names and measuring stay with each class.
#include <windows.h>

#include <algorithm>
#include <cstddef>

namespace ktora {
namespace fontimpl {

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

// The record both classes ask for; the face name is left to the caller.
template <typename LogFont>
inline LogFont make_record(int height, int weight, int italic, int underline, int strikeOut) {
    LogFont lf = {};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic);
    lf.lfUnderline = static_cast<BYTE>(underline);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfQuality = PROOF_QUALITY;
    lf.lfPitchAndFamily = FF_MODERN | FIXED_PITCH;
    return lf;
}

inline BOOL text_metrics(HDC dc, TEXTMETRICA* tm) {
    return ::GetTextMetricsA(dc, tm);
}
inline BOOL text_metrics(HDC dc, TEXTMETRICW* tm) {
    return ::GetTextMetricsW(dc, tm);
}
inline int text_face(HDC dc, int size, char* face) {
    return ::GetTextFaceA(dc, size, face);
}
inline int text_face(HDC dc, int size, wchar_t* face) {
    return ::GetTextFaceW(dc, size, face);
}

// Reads the metrics and the face name of the font the system really made, which may differ
// from the one asked for. Nothing changes when the metrics cannot be read.
template <typename Metrics, typename Face>
inline int read_metrics(HFONT font, Metrics& tm, Face& face) {
    if (!font) {
        return 0;
    }
    ScreenFontDC dc(font);
    if (!dc.Ready()) {
        return 0;
    }
    Metrics got = {};
    typename Face::value_type name[256] = {};
    if (!text_metrics(dc.Get(), &got)) {
        return 0;
    }
    int n = text_face(dc.Get(), 256, name);
    tm = got;
    // The count includes the terminator on success.
    face.assign(name, n > 0 ? static_cast<std::size_t>(std::find(name, name + 256, 0) - name) : 0);
    return 1;
}

// Deletes the font; without a font there is nothing to describe.
template <typename Metrics, typename Face>
inline void release(HFONT& font, Metrics& tm, Face& face) {
    if (font) {
        ::DeleteObject(font);
        font = nullptr;
    }
    tm = {};
    face.clear();
}

inline HFONT select(HDC dc, HFONT font, HDC& lastDC, HFONT& oldFont) {
    if (!font || !dc) {
        return nullptr;
    }
    lastDC = dc;
    HFONT old = static_cast<HFONT>(::SelectObject(dc, font));
    // Selecting twice must not forget the font that was there first.
    if (old != font) {
        oldFont = old;
    }
    return old;
}

inline int select_back(HDC dc, HFONT font, HDC& lastDC, HFONT oldFont) {
    if (!font || !dc) {
        return 0;
    }
    lastDC = dc;
    if (!oldFont) {
        return 0;
    }
    return ::SelectObject(dc, oldFont) != nullptr ? 1 : 0;
}

// A copy of the font the screen currently uses, or an empty font.
template <typename Font> inline Font default_font() {
    HDC dc = ::GetDC(nullptr);
    if (!dc) {
        return Font();
    }
    HFONT current = static_cast<HFONT>(::GetCurrentObject(dc, OBJ_FONT));
    Font font(current);
    ::ReleaseDC(nullptr, dc);
    return font;
}

} // namespace fontimpl
} // namespace ktora
