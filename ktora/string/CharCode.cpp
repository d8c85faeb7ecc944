#include "ktora/string/CharCode.h"

#include "ktora/string/C_String.h"

#include <cstring>

namespace ktora {

namespace {

struct CharTypeName {
    const char* name;
    int type;
};

// Each number's first entry is the name getCharTypeString gives for it ("SJIS" for 0).
const CharTypeName kNames[] = {
    {"SJIS", 0},      {"SHIFT-JIS", 0}, {"SHIFT_JIS", 0},    {"CP932", 1},     {"EUC", 2},
    {"JIS", 3},       {"UTF-7", 4},     {"UTF7", 4},         {"UTF-8", 5},     {"UTF8", 5},
    {"UTF-16", 6},    {"UTF16", 6},     {"UTF-16BE", 7},     {"UTF16BE", 7},   {"UTF-16LE", 8},
    {"UTF16LE", 8},   {"UTF-32", 9},    {"UTF32", 9},        {"UTF-32BE", 10}, {"UTF32BE", 10},
    {"UTF-32LE", 11}, {"UTF32LE", 11},  {"ISO-2022-JP", 12}, {nullptr, -1},
};

} // namespace

CharCode::CHAR_TYPE CharCode::getCharType(const C_String& name) {
    const char* text = name.GetString();
    int length = name.Length();
    if (text == nullptr || length <= 0 || length > 31)
        return CHAR_UNKNOWN;
    char upper[32] = {};
    for (int i = 0; i < length; ++i) {
        char c = text[i];
        upper[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    for (const CharTypeName* entry = kNames; entry->name != nullptr; ++entry) {
        if (static_cast<int>(std::strlen(entry->name)) == length &&
            std::memcmp(entry->name, upper, static_cast<size_t>(length)) == 0)
            return static_cast<CHAR_TYPE>(entry->type);
    }
    return CHAR_UNKNOWN;
}

const char* CharCode::getCharTypeString(const CHAR_TYPE& type) {
    for (const CharTypeName* entry = kNames; entry->name != nullptr; ++entry) {
        if (entry->type == static_cast<int>(type))
            return entry->name;
    }
    return nullptr;
}

} // namespace ktora
