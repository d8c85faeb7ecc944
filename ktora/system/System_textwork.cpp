#include "ktora/system/System_textwork.h"

#include "ktora/system/System.h"

#include <cstring>
#include <vector>

namespace ktora {
namespace common {
namespace textwork {

Work prepare(const C_String& text, const char* charset) {
    Work work;
    int type = CharCode::getCharType(C_String(charset != nullptr ? charset : "Shift_JIS"));
    work.original = type;
    switch (type) {
    case CharCode::CHAR_SJIS:
    case CharCode::CHAR_CP932:
        work.work = WORK_SJIS;
        work.text = bytes_of(text);
        break;
    case CharCode::CHAR_UTF8:
        work.work = WORK_UTF8;
        work.text = bytes_of(text);
        break;
    case CharCode::CHAR_EUC:
        work.work = WORK_SJIS;
        work.text = bytes_of(System::euc_to_sjis(text));
        break;
    case CharCode::CHAR_JIS:
        work.work = WORK_SJIS;
        work.text = bytes_of(System::jis_to_sjis(text));
        break;
    case CharCode::CHAR_UTF16: {
        // The string's bytes are UTF-16 code units; an odd last byte is no unit.
        size_t units = static_cast<size_t>(text.Length()) / 2;
        std::vector<wchar_t> wide(units + 1, 0);
        if (units > 0)
            std::memcpy(wide.data(), text.GetString(), units * sizeof(wchar_t));
        work.work = WORK_UTF8;
        work.text = bytes_of(System::_utf16_to_utf8(wide.data(), static_cast<int>(units)));
        break;
    }
    default:
        work.work = WORK_NONE;
        break;
    }
    return work;
}

C_String finish(const Work& work, const std::string& result) {
    switch (work.original) {
    case CharCode::CHAR_SJIS:
    case CharCode::CHAR_CP932:
    case CharCode::CHAR_UTF8:
        return make_string(result);
    case CharCode::CHAR_EUC:
        return System::sjis_to_euc(make_string(result));
    case CharCode::CHAR_JIS:
        return System::sjis_to_jis(make_string(result), 0);
    case CharCode::CHAR_UTF16: {
        C_WString wide = System::_utf8_to_utf16(result.data(), static_cast<int>(result.size()));
        if (wide.Length() == 0)
            return C_String();
        return make_string(reinterpret_cast<const char*>(wide.GetString()),
                           static_cast<size_t>(wide.Length()) * sizeof(wchar_t));
    }
    default:
        return C_String();
    }
}

int char_length(const char* text, size_t i, size_t end, WorkType work) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text) + i;
    size_t left = end - i;
    if (work == WORK_EUC)
        return euc_char_length(p, left);
    if (work != WORK_UTF8) {
        // A lead byte without a trail byte after it is a character of its own, so that
        // it cannot hide the ASCII character that follows it.
        return left >= 2 && System::is_sjis_kanji(p[0]) && System::is_sjis_kanji2(p[1]) ? 2 : 1;
    }
    size_t length = static_cast<size_t>(System::utf8_char_bytes_count(p[0]));
    if (length > left)
        length = left;
    // Only continuation bytes (10xxxxxx) belong to the character.
    size_t n = 1;
    while (n < length && (p[n] & 0xC0) == 0x80)
        ++n;
    return static_cast<int>(n);
}

int euc_char_length(const unsigned char* p, size_t left) {
    if (p[0] == 0x8E)
        return left >= 2 && System::is_sjis_kana(p[1]) ? 2 : 1;
    if (p[0] == 0x8F)
        return left >= 3 && System::is_euc_kanji(p[1]) && System::is_euc_kanji(p[2]) ? 3 : 1;
    return left >= 2 && System::is_euc_kanji(p[0]) && System::is_euc_kanji(p[1]) ? 2 : 1;
}

} // namespace textwork
} // namespace common
} // namespace ktora
