// Random and mutated input through every text walker, narrow and wide, with every heap
// block ending against an inaccessible page: reading or writing one byte past a block
// crashes the test instead of passing unnoticed. The seed is fixed, so a failure repeats.
#include <gtest/gtest.h>

#include "ktora/string/C_String.h"
#include "ktora/string/C_StringMemory.h"
#include "ktora/string/C_WString.h"
#include "ktora/string/C_WStringMemory.h"
#include "ktora/system/System.h"
#include "system/guard_alloc.h"
#include "system/text_view.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <windows.h>

using ktora::C_String;
using ktora::C_StringMemory;
using ktora::C_WString;
using ktora::C_WStringMemory;
using ktora::CharCode;
using ktora::common::System;
using systest::str;

namespace {

const int kInputs = 100000;

struct Random {
    uint64_t s;
    explicit Random(uint64_t seed) : s(seed) {}
    uint32_t next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return static_cast<uint32_t>(s >> 16);
    }
    uint32_t below(uint32_t n) { return next() % n; }
};

// Bytes that start, continue, break or escape something in one of the encodings.
const unsigned char kNasty[] = {
    0x1B, '$',  '(',  'B',  'J',  '@',  '=',  '?',  '&',  '<',  '>',  '"',  '\'', '#',
    ';',  '\r', '\n', '\t', ' ',  'a',  'Z',  '0',  '1',  'D',  'a',  'm',  'p',  0x5C,
    0x8E, 0x81, 0x82, 0x83, 0x9F, 0xE0, 0xEA, 0xFC, 0xA1, 0xB6, 0xCA, 0xDE, 0xDF, 0xFF,
    0x80, 0xC3, 0xE3, 0xEF, 0xBC, 0xBD, 0xF0, 0xF8, 0xFD, 0xFE, 0xA4, 0x40, 0x7F, 0xA0,
};

const char* const kFragments[] = {
    "=?ISO-2022-JP?B?",
    "?=",
    "=1B$B",
    "=1B(B",
    "=\r\n",
    "=\n",
    "=3D",
    "=A",
    "\x1B$B",
    "\x1B(B",
    "\x1B(J",
    "\x1B$@",
    "$\"",
    "&amp;",
    "&lt;",
    "&#039;",
    "&quot;",
    "&apos;",
    "\xB6\xDE",
    "\xCA\xDF",
    "\x83\x4B",
    "\x82\xA0",
    "\x81\x40",
    "\x8E\xB1",
    "\xA4\xA2",
    "\xEF\xBD\xB6\xEF\xBE\x9E",
    "\xE3\x80\x80",
    "\xEF\xBC\xA1",
    "\x82\x60",
    "\x81\x8F",
    "GyRCJCIbKEI",
    "YWJj",
    "\x95\x5C",
    "a/b:c?",
    "Zm9v====",
};

std::string random_input(Random& r) {
    std::string s;
    uint32_t kind = r.below(16);
    if (kind == 0) {
        // A long run of one byte (or of one fragment).
        size_t n = 200 + r.below(1800);
        if (r.below(2))
            s.assign(n, static_cast<char>(kNasty[r.below(sizeof kNasty)]));
        else
            for (const char* f = kFragments[r.below(sizeof kFragments / sizeof *kFragments)];
                 s.size() < n;)
                s += f;
        return s;
    }
    size_t n = r.below(kind < 8 ? 24 : 90);
    while (s.size() < n) {
        uint32_t pick = r.below(10);
        if (pick < 5)
            s += static_cast<char>(kNasty[r.below(sizeof kNasty)]);
        else if (pick < 8)
            s += kFragments[r.below(sizeof kFragments / sizeof *kFragments)];
        else
            s += static_cast<char>(r.below(256));
    }
    // Mutations: cut anywhere (a multi-byte sequence may end halfway), flip a byte.
    if (r.below(2) && !s.empty())
        s.resize(r.below(static_cast<uint32_t>(s.size())) + 1);
    if (r.below(4) == 0 && !s.empty())
        s[r.below(static_cast<uint32_t>(s.size()))] = static_cast<char>(0x80 | r.below(128));
    return s;
}

std::wstring random_wide(Random& r) {
    static const wchar_t kUnits[] = {
        L'&',   L'<',   L'>',   L'"',   L'\'',  L'\\',  L'/',   L':',   L'?',   L'*',
        L'|',   L'\t',  L' ',   L'a',   L'Z',   L'5',   L';',   L'#',   0xFF76, 0xFF9E,
        0xFF9F, 0xFF8A, 0xFF66, 0xFF70, 0xFF61, 0x30AC, 0x30AB, 0x304B, 0x30FC, 0x309B,
        0x3000, 0xFF21, 0xFF41, 0xFF10, 0xFF01, 0xFF5E, 0xFFE5, 0xD800, 0xDC00, 0xDBFF,
        0xDFFF, 0xFFFF, 0xFEFF, 0x00E9, 0x2019, 0x7F,   0x80,
    };
    std::wstring w;
    size_t n = r.below(16) == 0 ? 300 + r.below(700) : r.below(40);
    while (w.size() < n) {
        if (r.below(4))
            w += kUnits[r.below(sizeof kUnits / sizeof *kUnits)];
        else
            w += static_cast<wchar_t>(1 + r.below(0xFFFF));
    }
    return w;
}

C_String make(const std::string& s) {
    C_String out;
    if (!s.empty())
        out.SetBytes(s.data(), 0, static_cast<int>(s.size()), static_cast<int>(s.size()));
    return out;
}

// A copy whose terminator is the last byte before the inaccessible page.
struct EdgeText {
    char* p;
    explicit EdgeText(const std::string& s) {
        std::string t(s.c_str()); // up to the first zero byte
        p = static_cast<char*>(std::malloc(t.size() + 1));
        std::memcpy(p, t.c_str(), t.size() + 1);
    }
    ~EdgeText() { std::free(p); }
    EdgeText(const EdgeText&) = delete;
    EdgeText& operator=(const EdgeText&) = delete;
};

struct EdgeWide {
    wchar_t* p;
    explicit EdgeWide(const std::wstring& s) {
        p = static_cast<wchar_t*>(std::malloc((s.size() + 1) * sizeof(wchar_t)));
        std::memcpy(p, s.c_str(), (s.size() + 1) * sizeof(wchar_t));
    }
    ~EdgeWide() { std::free(p); }
    EdgeWide(const EdgeWide&) = delete;
    EdgeWide& operator=(const EdgeWide&) = delete;
};

const char* const kCharsets[] = {"Shift_JIS", "UTF-8", "EUC", "JIS", "UTF-16"};

// Random operations on a text buffer, checked against a plain string after each step.
template <typename Buffer, typename T> void buffer_against_model(uint64_t seed) {
    Random r(seed);
    Buffer b;
    std::basic_string<T> model;
    for (int n = 0; n < kInputs; ++n) {
        std::basic_string<T> text(r.below(12), static_cast<T>('a' + r.below(26)));
        switch (r.below(8)) {
        case 0:
        case 1:
            b.Add(text.c_str());
            model += text;
            break;
        case 2:
            b.Insert(text.c_str());
            model = text + model;
            break;
        case 3: {
            unsigned long size = r.below(4) == 0 ? r.below(4) : r.below(80);
            unsigned long units = size / sizeof(T);
            unsigned long keep = units > 0 ? units - 1 : 0;
            bool shrinks = size != 0 && size < b.Capacity();
            b.ReCreate(size);
            if (shrinks && model.size() > keep)
                model.resize(keep);
            break;
        }
        case 4:
            b = text.c_str();
            model = text;
            break;
        case 5:
            if (r.below(8) == 0) {
                b.Delete();
                model.clear();
            }
            break;
        default:
            b.Add(text.c_str(), 0, static_cast<int>(text.size()));
            model += text;
            break;
        }
        ASSERT_EQ(model.size(), b.Length());
        if (!model.empty()) {
            ASSERT_EQ(0, std::memcmp(model.data(), b.Get(), model.size() * sizeof(T)));
        }
        if (b.Get() != nullptr && b.Capacity() >= (model.size() + 1) * sizeof(T)) {
            ASSERT_EQ(0, b.Get()[model.size()]);
        }
        if (model.size() > 2000) {
            b.Clear();
            model.clear();
        }
    }
}

} // namespace

TEST(Robustness, GuardPagesCatchOverruns) {
    guard_alloc::Scope guard;
    char* p = static_cast<char*>(std::malloc(5));
    ASSERT_TRUE(guard_alloc::owns(p));
    MEMORY_BASIC_INFORMATION info = {};
    ASSERT_NE(0u, VirtualQuery(p + 5, &info, sizeof info));
    EXPECT_TRUE(info.State != MEM_COMMIT || info.Protect == PAGE_NOACCESS);
    ASSERT_NE(0u, VirtualQuery(p + 4, &info, sizeof info));
    EXPECT_EQ(static_cast<DWORD>(PAGE_READWRITE), info.Protect);
    std::free(p);
    // The library's own blocks come from the guarded arena too.
    std::string long_text(100, 'x');
    C_String s = make(long_text);
    EXPECT_TRUE(guard_alloc::owns(s.GetString()));
    C_StringMemory m;
    m.Add("abc");
    EXPECT_TRUE(guard_alloc::owns(m.Get()));
}

TEST(Robustness, StringBuffersAgainstAModel) {
    guard_alloc::Scope guard;
    buffer_against_model<C_StringMemory, char>(0x6b746f72610005ULL);
    buffer_against_model<C_WStringMemory, wchar_t>(0x6b746f72610006ULL);
}

TEST(Robustness, NarrowEncodingWalkers) {
    guard_alloc::Scope guard;
    Random r(0x6b746f72610001ULL);
    for (int n = 0; n < kInputs; ++n) {
        std::string s = random_input(r);
        C_String text = make(s);
        System::sjis_to_jis(text, 0);
        System::sjis_to_jis(text, 1);
        System::jis_to_sjis(text);
        C_String sjis = System::euc_to_sjis(text);
        ASSERT_LE(sjis.Length(), text.Length());
        System::sjis_to_euc(text);
        System::utf8_to_utf16(text);
        System::_utf8_to_utf16(text.GetString(), text.Length());
        System::sjis_to_utf16(text);
        System::utf8_to_auto(text, nullptr);
        C_WString out;
        System::sjis_to_utf16(reinterpret_cast<const unsigned char*>(text.GetString()),
                              static_cast<unsigned>(text.Length()), &out);
        int usedDefault = 0;
        System::utf8_to_sjis(text, &usedDefault);
        System::sjis_to_utf8(text);
        CharCode::getCharType(text);
        C_String qp = System::quoted_printable_decode(text);
        ASSERT_LE(qp.Length(), text.Length());
        // Encoding and decoding give the text back up to its first zero byte.
        ASSERT_EQ(std::string(text.GetString()),
                  str(System::quoted_printable_decode(System::quoted_printable_encode(text))));
        C_String b64 = System::base64_decode(text);
        ASSERT_LE(b64.Length(), text.Length());
        System::base64_encode(text, true, true);
        System::crc16(reinterpret_cast<const unsigned char*>(text.GetString()), text.Length());
    }
}

TEST(Robustness, NarrowMarkupAndFileNameWalkers) {
    guard_alloc::Scope guard;
    Random r(0x6b746f72610002ULL);
    C_StringMemory buffer;
    for (int n = 0; n < kInputs; ++n) {
        std::string s = random_input(r);
        C_String text = make(s);
        const char* charset = kCharsets[n % 5];
        C_String escaped = System::htmlspecialchars(text, static_cast<int>(n & 3), charset);
        System::htmlspecialchars_decode(text, charset);
        System::xmlspecialchars(text, charset);
        System::xmlspecialchars_decode(text, charset);
        System::to_create_winname(text, charset);
        // Escaping then decoding gives back the bytes in the working character sets.
        if (n % 5 < 2) {
            ASSERT_EQ(s, str(System::htmlspecialchars_decode(escaped, charset)));
        }
        System::_to_create_winname_a(text);
        System::_htmlspecialchars_a(text, 2);
        System::_htmlspecialchars_decode_a(text);
        EdgeText edge(s);
        std::string plain(edge.p);
        for (CharCode::CHAR_TYPE type : {CharCode::CHAR_SJIS, CharCode::CHAR_UTF8}) {
            System::htmlspecialchars_fast(&buffer, edge.p, 2, type);
            System::xmlspecialchars_fast(&buffer, edge.p, type);
        }
        System::_htmlspecialchars_fast_a(&buffer, edge.p, 0);
        EdgeText escapedEdge(std::string(buffer.Get(), buffer.Length()));
        ASSERT_EQ(static_cast<int>(plain.size()),
                  System::htmlspecialchars_decode_fast(&buffer, escapedEdge.p));
        ASSERT_EQ(plain, std::string(buffer.Get()));
        System::xmlspecialchars_decode_fast(&buffer, edge.p);
    }
}

TEST(Robustness, NarrowWidthKanaAndCaseWalkers) {
    guard_alloc::Scope guard;
    Random r(0x6b746f72610003ULL);
    for (int n = 0; n < kInputs; ++n) {
        std::string s = random_input(r);
        C_String text = make(s);
        const char* charset = kCharsets[n % 5];
        System::mb_convert_kana(text, n & 1 ? "KVHkhCcAaRrNnSs" : "asAShHkK", charset);
        System::mb_convert_case(text, n % 3, charset);
        switch (n % 4) {
        case 0:
            System::mb_ztoh_kanakana_a(text);
            System::mb_ztoh_hirakana_a(text);
            System::mb_htoz_kanakana_a(text, 1);
            System::mb_htoz_kanahira_a(text, 0);
            break;
        case 1:
            ASSERT_EQ(text.Length(), System::mb_ztoz_kanahira_a(text).Length());
            ASSERT_EQ(text.Length(), System::mb_ztoz_hirakana_a(text).Length());
            System::mb_htoz_space_a(text);
            System::mb_ztoh_space_a(text);
            break;
        case 2:
            System::mb_htoz_alpha_a(text);
            System::mb_ztoh_alpha_a(text);
            System::mb_htoz_number_a(text);
            System::mb_ztoh_number_a(text);
            break;
        default:
            System::mb_htoz_alnumsymbol_a(text);
            System::mb_ztoh_alnumsymbol_a(text);
            ASSERT_EQ(text.Length(), System::mb_convert_upper_a(text).Length());
            ASSERT_EQ(text.Length(), System::mb_convert_lower_a(text).Length());
            break;
        }
    }
}

TEST(Robustness, WideWalkers) {
    guard_alloc::Scope guard;
    Random r(0x6b746f72610004ULL);
    C_WStringMemory buffer;
    for (int n = 0; n < kInputs; ++n) {
        std::wstring w = random_wide(r);
        C_WString text(w.c_str());
        C_WString escaped = System::_htmlspecialchars_w(text, n & 3);
        ASSERT_EQ(w, std::wstring(System::_htmlspecialchars_decode_w(escaped).GetString()));
        C_WString clean = System::_to_create_winname_w(text);
        ASSERT_EQ(text.Length(), clean.Length());
        ASSERT_EQ(std::wstring::npos,
                  std::wstring(clean.GetString()).find_first_of(L"\"\\/*<>:?|\t"));
        EdgeWide edge(w);
        System::_htmlspecialchars_fast_w(&buffer, edge.p, n & 3);
        EdgeWide escapedEdge(std::wstring(buffer.Get(), buffer.Length()));
        System::_htmlspecialchars_decode_fast_w(&buffer, escapedEdge.p);
        ASSERT_EQ(w, std::wstring(buffer.Get(), buffer.Length()));
        C_String utf8 = System::utf16_to_utf8(text);
        System::_utf16_to_utf8(edge.p, static_cast<int>(w.size()));
        System::utf16_to_sjis(text);
        switch (n % 4) {
        case 0:
            System::mb_ztoh_kanakana_w(text);
            System::mb_ztoh_hirakana_w(text);
            System::mb_htoz_kanakana_w(text, 1);
            System::mb_htoz_kanahira_w(text, 0);
            break;
        case 1:
            System::mb_ztoz_kanahira_w(text);
            System::mb_ztoz_hirakana_w(text);
            System::mb_htoz_space_w(text);
            System::mb_ztoh_space_w(text);
            break;
        case 2:
            System::mb_htoz_alpha_w(text);
            System::mb_ztoh_alpha_w(text);
            System::mb_htoz_number_w(text);
            System::mb_ztoh_number_w(text);
            break;
        default:
            System::mb_htoz_alnumsymbol_w(text);
            System::mb_ztoh_alnumsymbol_w(text);
            System::mb_convert_upper_w(text);
            System::mb_convert_lower_w(text);
            break;
        }
    }
}
