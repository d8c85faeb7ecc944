#pragma once
// Character-set names and their numbers, as the text utilities accept them.

namespace ktora {

class C_String;

class CharCode {
public:
    enum CHAR_TYPE {
        CHAR_UNKNOWN = -1,
        CHAR_SJIS = 0,
        CHAR_CP932 = 1,
        CHAR_EUC = 2,
        CHAR_JIS = 3,
        CHAR_UTF7 = 4,
        CHAR_UTF8 = 5,
        CHAR_UTF16 = 6,
        CHAR_UTF16BE = 7,
        CHAR_UTF16LE = 8,
        CHAR_UTF32 = 9,
        CHAR_UTF32BE = 10,
        CHAR_UTF32LE = 11,
        CHAR_ISO2022JP = 12
    };

    // Upper-cases the ASCII letters of `name` and returns the number of the first matching
    // table entry; CHAR_UNKNOWN when none matches.
    static CHAR_TYPE getCharType(const C_String& name);
    // The first name listed for `type`; null for a number without a name.
    static const char* getCharTypeString(const CHAR_TYPE& type);

private:
    CharCode() = delete;
};

} // namespace ktora
