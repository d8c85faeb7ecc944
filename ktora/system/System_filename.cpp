// Turning any text into a valid Windows file name: each forbidden character becomes a
// full-width look-alike. Narrow text is walked by whole characters so that a trail byte
// equal to a forbidden character (0x5C, the backslash) is never replaced.
#include "ktora/system/System.h"

#include "ktora/string/C_String.h"
#include "ktora/string/C_WString.h"
#include "ktora/system/System_textwork.h"

#include <string>

namespace ktora {
namespace common {

using namespace textwork;

namespace {

struct Replacement {
    char ascii;
    wchar_t wide;
    const char* sjis;
};

const Replacement kReplacements[] = {
    {'"', 0x201C, "\x81\x67"},  {'\\', 0xFFE5, "\x81\x8F"}, {'/', 0xFF0F, "\x81\x5E"},
    {'*', 0xFF0A, "\x81\x96"},  {'<', 0xFF1C, "\x81\x83"},  {'>', 0xFF1E, "\x81\x84"},
    {':', 0xFF1A, "\x81\x46"},  {'?', 0xFF1F, "\x81\x48"},  {'|', 0xFF5C, "\x81\x62"},
    {'\t', 0x3000, "\x81\x40"},
};

const Replacement* find(unsigned int c) {
    for (const Replacement& r : kReplacements) {
        if (static_cast<unsigned char>(r.ascii) == c)
            return &r;
    }
    return nullptr;
}

std::string clean(const std::string& s, WorkType work) {
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (size_t i = 0; i < s.size();) {
        size_t n = static_cast<size_t>(char_length(s.data(), i, s.size(), work));
        const Replacement* r = n == 1 ? find(static_cast<unsigned char>(s[i])) : nullptr;
        if (r == nullptr)
            out.append(s, i, n);
        else if (work == WORK_UTF8)
            out += bytes_of(System::sjis_to_utf8(C_String(r->sjis)));
        else
            out += r->sjis;
        i += n;
    }
    return out;
}

} // namespace

C_WString System::_to_create_winname_w(const C_WString& text) {
    std::wstring out(text.GetString(), static_cast<size_t>(text.Length()));
    for (wchar_t& c : out) {
        const Replacement* r = find(c);
        if (r != nullptr)
            c = r->wide;
    }
    return make_wstring(out);
}

C_WString System::_to_create_winname(const C_WString& text) {
    return _to_create_winname_w(text);
}

C_String System::to_create_winname(const C_String& text, const char* charset) {
    Work work = prepare(text, charset);
    if (work.work == WORK_NONE)
        return C_String();
    return finish(work, clean(work.text, work.work));
}

C_String System::_to_create_winname_a(const C_String& text) {
    return to_create_winname(text, nullptr);
}

} // namespace common
} // namespace ktora
