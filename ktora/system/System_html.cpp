// HTML and XML escaping. Narrow text is walked whole character by whole character, so a
// trail byte is never taken for a markup character; a character cut off by the end of the
// text is copied as the bytes that are there.
#include "ktora/system/System.h"

#include "ktora/string/C_StringMemory.h"
#include "ktora/string/C_WStringMemory.h"
#include "ktora/system/System_textwork.h"

#include <cstring>
#include <cwchar>
#include <string>

namespace ktora {
namespace common {

using namespace textwork;

namespace {

enum Condition { ALWAYS, DOUBLE_UNLESS_BIT0, SINGLE_IF_BIT1 };

struct Entity {
    const char* text;
    const wchar_t* wtext;
    char ch;
    int length;
    Condition condition;
};

const Entity kHtml[] = {
    {"&amp;", L"&amp;", '&', 5, ALWAYS},
    {"&quot;", L"&quot;", '"', 6, DOUBLE_UNLESS_BIT0},
    {"&#039;", L"&#039;", '\'', 6, SINGLE_IF_BIT1},
    {"&lt;", L"&lt;", '<', 4, ALWAYS},
    {"&gt;", L"&gt;", '>', 4, ALWAYS},
    {nullptr, nullptr, 0, 0, ALWAYS},
};

const Entity kXml[] = {
    {"&amp;", L"&amp;", '&', 5, ALWAYS},    {"&quot;", L"&quot;", '"', 6, ALWAYS},
    {"&apos;", L"&apos;", '\'', 6, ALWAYS}, {"&lt;", L"&lt;", '<', 4, ALWAYS},
    {"&gt;", L"&gt;", '>', 4, ALWAYS},      {nullptr, nullptr, 0, 0, ALWAYS},
};

bool applies(const Entity& e, int style) {
    switch (e.condition) {
    case DOUBLE_UNLESS_BIT0:
        return (style & 1) == 0;
    case SINGLE_IF_BIT1:
        return (style & 2) != 0;
    default:
        return true;
    }
}

const Entity* find_char(const Entity* table, int style, unsigned int c) {
    for (const Entity* e = table; e->text != nullptr; ++e) {
        if (static_cast<unsigned char>(e->ch) == c && applies(*e, style))
            return e;
    }
    return nullptr;
}

std::string escape(const char* s, size_t n, int style, WorkType work, const Entity* table) {
    std::string out;
    out.reserve(n + n / 8);
    for (size_t i = 0; i < n;) {
        const Entity* e = find_char(table, style, static_cast<unsigned char>(s[i]));
        if (e != nullptr) {
            out.append(e->text, static_cast<size_t>(e->length));
            ++i;
            continue;
        }
        int length = char_length(s, i, n, work);
        out.append(s + i, static_cast<size_t>(length));
        i += static_cast<size_t>(length);
    }
    return out;
}

std::string unescape(const char* s, size_t n, const Entity* table) {
    std::string out;
    out.reserve(n);
    for (size_t i = 0; i < n;) {
        const Entity* match = nullptr;
        for (const Entity* e = table; e->text != nullptr; ++e) {
            size_t length = static_cast<size_t>(e->length);
            if (n - i >= length && std::memcmp(s + i, e->text, length) == 0) {
                match = e;
                break;
            }
        }
        if (match != nullptr) {
            out += match->ch;
            i += static_cast<size_t>(match->length);
        } else {
            out += s[i];
            ++i;
        }
    }
    return out;
}

std::wstring escape_w(const wchar_t* s, size_t n, int style) {
    std::wstring out;
    out.reserve(n + n / 8);
    for (size_t i = 0; i < n; ++i) {
        const Entity* e = find_char(kHtml, style, static_cast<unsigned int>(s[i]));
        if (e != nullptr)
            out.append(e->wtext, static_cast<size_t>(e->length));
        else
            out += s[i];
    }
    return out;
}

std::wstring unescape_w(const wchar_t* s, size_t n) {
    std::wstring out;
    out.reserve(n);
    for (size_t i = 0; i < n;) {
        const Entity* match = nullptr;
        for (const Entity* e = kHtml; e->text != nullptr; ++e) {
            size_t length = static_cast<size_t>(e->length);
            if (n - i >= length && std::wmemcmp(s + i, e->wtext, length) == 0) {
                match = e;
                break;
            }
        }
        if (match != nullptr) {
            out += static_cast<wchar_t>(static_cast<unsigned char>(match->ch));
            i += static_cast<size_t>(match->length);
        } else {
            out += s[i];
            ++i;
        }
    }
    return out;
}

WorkType work_of(const CharCode::CHAR_TYPE& type) {
    if (type == CharCode::CHAR_UTF8)
        return WORK_UTF8;
    return type == CharCode::CHAR_EUC ? WORK_EUC : WORK_SJIS;
}

int to_buffer(C_StringMemory* out, const std::string& text) {
    if (out == nullptr)
        return 0;
    out->Clear();
    out->Add(text.data(), 0, static_cast<int>(text.size()));
    return static_cast<int>(out->Length());
}

int to_buffer(C_WStringMemory* out, const std::wstring& text) {
    if (out == nullptr)
        return 0;
    out->Clear();
    out->Add(text.data(), 0, static_cast<int>(text.size()));
    return static_cast<int>(out->Length());
}

enum Direction { ESCAPE, UNESCAPE };

C_String convert(const C_String& text, const char* charset, int style, const Entity* table,
                 Direction direction) {
    Work work = prepare(text, charset);
    if (work.work == WORK_NONE)
        return C_String();
    const std::string& s = work.text;
    std::string result = direction == ESCAPE ? escape(s.data(), s.size(), style, work.work, table)
                                             : unescape(s.data(), s.size(), table);
    return finish(work, result);
}

} // namespace

C_String System::htmlspecialchars(const C_String& text, int style, const char* charset) {
    return convert(text, charset, style, kHtml, ESCAPE);
}

C_String System::htmlspecialchars_decode(const C_String& text, const char* charset) {
    return convert(text, charset, 0, kHtml, UNESCAPE);
}

C_String System::xmlspecialchars(const C_String& text, const char* charset) {
    return convert(text, charset, 0, kXml, ESCAPE);
}

C_String System::xmlspecialchars_decode(const C_String& text, const char* charset) {
    return convert(text, charset, 0, kXml, UNESCAPE);
}

C_String System::_htmlspecialchars_a(const C_String& text, int style) {
    return htmlspecialchars(text, style, CharCode::getCharTypeString(CharCode::CHAR_SJIS));
}

C_String System::_htmlspecialchars_decode_a(const C_String& text) {
    return htmlspecialchars_decode(text, CharCode::getCharTypeString(CharCode::CHAR_SJIS));
}

// The wide forms work on the code units directly: the same characters as the narrow
// forms give for the same text, and unpaired surrogates survive.
C_WString System::_htmlspecialchars_w(const C_WString& text, int style) {
    return make_wstring(escape_w(text.GetString(), static_cast<size_t>(text.Length()), style));
}

C_WString System::_htmlspecialchars_decode_w(const C_WString& text) {
    return make_wstring(unescape_w(text.GetString(), static_cast<size_t>(text.Length())));
}

C_WString System::_htmlspecialchars(const C_WString& text, int style) {
    return _htmlspecialchars_w(text, style);
}

C_WString System::_htmlspecialchars_decode(const C_WString& text) {
    return _htmlspecialchars_decode_w(text);
}

int System::htmlspecialchars_fast(C_StringMemory* out, const char* text, int style,
                                  const CharCode::CHAR_TYPE& type) {
    size_t n = text != nullptr ? std::strlen(text) : 0;
    return to_buffer(out, escape(text, n, style, work_of(type), kHtml));
}

int System::xmlspecialchars_fast(C_StringMemory* out, const char* text,
                                 const CharCode::CHAR_TYPE& type) {
    size_t n = text != nullptr ? std::strlen(text) : 0;
    return to_buffer(out, escape(text, n, 0, work_of(type), kXml));
}

int System::htmlspecialchars_decode_fast(C_StringMemory* out, const char* text) {
    size_t n = text != nullptr ? std::strlen(text) : 0;
    return to_buffer(out, unescape(text, n, kHtml));
}

int System::xmlspecialchars_decode_fast(C_StringMemory* out, const char* text) {
    size_t n = text != nullptr ? std::strlen(text) : 0;
    return to_buffer(out, unescape(text, n, kXml));
}

int System::_htmlspecialchars_fast_a(C_StringMemory* out, const char* text, int style) {
    return htmlspecialchars_fast(out, text, style, CharCode::CHAR_SJIS);
}

int System::_htmlspecialchars_fast_w(C_WStringMemory* out, const wchar_t* text, int style) {
    size_t n = text != nullptr ? std::wcslen(text) : 0;
    return to_buffer(out, escape_w(text, n, style));
}

int System::_htmlspecialchars_fast(C_WStringMemory* out, const wchar_t* text, int style) {
    return _htmlspecialchars_fast_w(out, text, style);
}

int System::_htmlspecialchars_decode_fast_w(C_WStringMemory* out, const wchar_t* text) {
    size_t n = text != nullptr ? std::wcslen(text) : 0;
    return to_buffer(out, unescape_w(text, n));
}

int System::_htmlspecialchars_decode_fast(C_WStringMemory* out, const wchar_t* text) {
    return _htmlspecialchars_decode_fast_w(out, text);
}

} // namespace common
} // namespace ktora
