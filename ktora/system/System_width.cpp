// Full-width/half-width, kana and case conversion over whole characters of Shift_JIS or
// UTF-8 text. The tables are kept in Shift_JIS; their UTF-8 copies are made once, on first
// use, under a one-time guard so that concurrent first calls cannot see a half-built table.
#include "ktora/system/System.h"

#include "ktora/string/C_String.h"
#include "ktora/string/C_WString.h"
#include "ktora/system/System_textwork.h"
#include "ktora/thread/ktora_thread.h"

#include <cstring>
#include <string>
#include <vector>

namespace ktora {
namespace common {

using namespace textwork;

namespace {

struct TableRow {
    const char* half;
    const char* hira;
    const char* kata;
    unsigned flags;
};

// Flags: the voiced mark may follow (1), the semi-voiced mark may follow (2), the row is a
// letter with the voiced mark (4) or with the semi-voiced mark (8).
const TableRow kKanaRows[] = {
    {"\xB0", "\x81\x5B", "\x81\x5B", 0},     // ｰ ー ー
    {"\xB1", "\x82\xA0", "\x83\x41", 0},     // ｱ あ ア
    {"\xB2", "\x82\xA2", "\x83\x43", 0},     // ｲ い イ
    {"\xB3", "\x82\xA4", "\x83\x45", 0},     // ｳ う ウ
    {"\xB4", "\x82\xA6", "\x83\x47", 0},     // ｴ え エ
    {"\xB5", "\x82\xA8", "\x83\x49", 0},     // ｵ お オ
    {"\xB6", "\x82\xA9", "\x83\x4A", 1},     // ｶ か カ
    {"\xB7", "\x82\xAB", "\x83\x4C", 1},     // ｷ き キ
    {"\xB8", "\x82\xAD", "\x83\x4E", 1},     // ｸ く ク
    {"\xB9", "\x82\xAF", "\x83\x50", 1},     // ｹ け ケ
    {"\xBA", "\x82\xB1", "\x83\x52", 1},     // ｺ こ コ
    {"\xBB", "\x82\xB3", "\x83\x54", 1},     // ｻ さ サ
    {"\xBC", "\x82\xB5", "\x83\x56", 1},     // ｼ し シ
    {"\xBD", "\x82\xB7", "\x83\x58", 1},     // ｽ す ス
    {"\xBE", "\x82\xB9", "\x83\x5A", 1},     // ｾ せ セ
    {"\xBF", "\x82\xBB", "\x83\x5C", 1},     // ｿ そ ソ
    {"\xC0", "\x82\xBD", "\x83\x5E", 1},     // ﾀ た タ
    {"\xC1", "\x82\xBF", "\x83\x60", 1},     // ﾁ ち チ
    {"\xC2", "\x82\xC2", "\x83\x63", 1},     // ﾂ つ ツ
    {"\xC3", "\x82\xC4", "\x83\x65", 1},     // ﾃ て テ
    {"\xC4", "\x82\xC6", "\x83\x67", 1},     // ﾄ と ト
    {"\xC5", "\x82\xC8", "\x83\x69", 0},     // ﾅ な ナ
    {"\xC6", "\x82\xC9", "\x83\x6A", 0},     // ﾆ に ニ
    {"\xC7", "\x82\xCA", "\x83\x6B", 0},     // ﾇ ぬ ヌ
    {"\xC8", "\x82\xCB", "\x83\x6C", 0},     // ﾈ ね ネ
    {"\xC9", "\x82\xCC", "\x83\x6D", 0},     // ﾉ の ノ
    {"\xCA", "\x82\xCD", "\x83\x6E", 3},     // ﾊ は ハ
    {"\xCB", "\x82\xD0", "\x83\x71", 3},     // ﾋ ひ ヒ
    {"\xCC", "\x82\xD3", "\x83\x74", 3},     // ﾌ ふ フ
    {"\xCD", "\x82\xD6", "\x83\x77", 3},     // ﾍ へ ヘ
    {"\xCE", "\x82\xD9", "\x83\x7A", 3},     // ﾎ ほ ホ
    {"\xCF", "\x82\xDC", "\x83\x7D", 0},     // ﾏ ま マ
    {"\xD0", "\x82\xDD", "\x83\x7E", 0},     // ﾐ み ミ
    {"\xD1", "\x82\xDE", "\x83\x80", 0},     // ﾑ む ム
    {"\xD2", "\x82\xDF", "\x83\x81", 0},     // ﾒ め メ
    {"\xD3", "\x82\xE0", "\x83\x82", 0},     // ﾓ も モ
    {"\xD4", "\x82\xE2", "\x83\x84", 0},     // ﾔ や ヤ
    {"\xD5", "\x82\xE4", "\x83\x86", 0},     // ﾕ ゆ ユ
    {"\xD6", "\x82\xE6", "\x83\x88", 0},     // ﾖ よ ヨ
    {"\xD7", "\x82\xE7", "\x83\x89", 0},     // ﾗ ら ラ
    {"\xD8", "\x82\xE8", "\x83\x8A", 0},     // ﾘ り リ
    {"\xD9", "\x82\xE9", "\x83\x8B", 0},     // ﾙ る ル
    {"\xDA", "\x82\xEA", "\x83\x8C", 0},     // ﾚ れ レ
    {"\xDB", "\x82\xEB", "\x83\x8D", 0},     // ﾛ ろ ロ
    {"\xDC", "\x82\xED", "\x83\x8F", 0},     // ﾜ わ ワ
    {"\xA6", "\x82\xF0", "\x83\x92", 0},     // ｦ を ヲ
    {"\xDD", "\x82\xF1", "\x83\x93", 0},     // ﾝ ん ン
    {"\xB6\xDE", "\x82\xAA", "\x83\x4B", 4}, // ｶﾞ が ガ
    {"\xB7\xDE", "\x82\xAC", "\x83\x4D", 4}, // ｷﾞ ぎ ギ
    {"\xB8\xDE", "\x82\xAE", "\x83\x4F", 4}, // ｸﾞ ぐ グ
    {"\xB9\xDE", "\x82\xB0", "\x83\x51", 4}, // ｹﾞ げ ゲ
    {"\xBA\xDE", "\x82\xB2", "\x83\x53", 4}, // ｺﾞ ご ゴ
    {"\xBB\xDE", "\x82\xB4", "\x83\x55", 4}, // ｻﾞ ざ ザ
    {"\xBC\xDE", "\x82\xB6", "\x83\x57", 4}, // ｼﾞ じ ジ
    {"\xBD\xDE", "\x82\xB8", "\x83\x59", 4}, // ｽﾞ ず ズ
    {"\xBE\xDE", "\x82\xBA", "\x83\x5B", 4}, // ｾﾞ ぜ ゼ
    {"\xBF\xDE", "\x82\xBC", "\x83\x5D", 4}, // ｿﾞ ぞ ゾ
    {"\xC0\xDE", "\x82\xBE", "\x83\x5F", 4}, // ﾀﾞ だ ダ
    {"\xC1\xDE", "\x82\xC0", "\x83\x61", 4}, // ﾁﾞ ぢ ヂ
    {"\xC2\xDE", "\x82\xC3", "\x83\x64", 4}, // ﾂﾞ づ ヅ
    {"\xC3\xDE", "\x82\xC5", "\x83\x66", 4}, // ﾃﾞ で デ
    {"\xC4\xDE", "\x82\xC7", "\x83\x68", 4}, // ﾄﾞ ど ド
    {"\xCA\xDE", "\x82\xCE", "\x83\x6F", 4}, // ﾊﾞ ば バ
    {"\xCB\xDE", "\x82\xD1", "\x83\x72", 4}, // ﾋﾞ び ビ
    {"\xCC\xDE", "\x82\xD4", "\x83\x75", 4}, // ﾌﾞ ぶ ブ
    {"\xCD\xDE", "\x82\xD7", "\x83\x78", 4}, // ﾍﾞ べ ベ
    {"\xCE\xDE", "\x82\xDA", "\x83\x7B", 4}, // ﾎﾞ ぼ ボ
    {"\xCA\xDF", "\x82\xCF", "\x83\x70", 8}, // ﾊﾟ ぱ パ
    {"\xCB\xDF", "\x82\xD2", "\x83\x73", 8}, // ﾋﾟ ぴ ピ
    {"\xCC\xDF", "\x82\xD5", "\x83\x76", 8}, // ﾌﾟ ぷ プ
    {"\xCD\xDF", "\x82\xD8", "\x83\x79", 8}, // ﾍﾟ ぺ ペ
    {"\xCE\xDF", "\x82\xDB", "\x83\x7C", 8}, // ﾎﾟ ぽ ポ
    {"\xDE", "\x81\x4A", "\x81\x4A", 0},     // ﾞ ゛ ゛
    {"\xDF", "\x81\x4B", "\x81\x4B", 0},     // ﾟ ゜ ゜
    {"", "", "", 0},
};

const TableRow kSmallKanaRows[] = {
    {"\xA7", "\x82\x9F", "\x83\x40", 0}, // ｧ ぁ ァ
    {"\xA8", "\x82\xA1", "\x83\x42", 0}, // ｨ ぃ ィ
    {"\xA9", "\x82\xA3", "\x83\x44", 0}, // ｩ ぅ ゥ
    {"\xAA", "\x82\xA5", "\x83\x46", 0}, // ｪ ぇ ェ
    {"\xAB", "\x82\xA7", "\x83\x48", 0}, // ｫ ぉ ォ
    {"\xAF", "\x82\xC1", "\x83\x62", 0}, // ｯ っ ッ
    {"\xAC", "\x82\xE1", "\x83\x83", 0}, // ｬ ゃ ャ
    {"\xAD", "\x82\xE3", "\x83\x85", 0}, // ｭ ゅ ュ
    {"\xAE", "\x82\xE5", "\x83\x87", 0}, // ｮ ょ ョ
    {"\xDC", "\x82\xEC", "\x83\x8E", 0}, // ﾜ ゎ ヮ
    {"", "", "", 0},
};

// Half-width symbol and its full-width form; the katakana column is unused.
const TableRow kSymbolRows[] = {
    {"\x21", "\x81\x49", "", 0}, // ! ！ U+FF01
    {"\x3B", "\x81\x47", "", 0}, // ; ； U+FF1B
    {"\x23", "\x81\x94", "", 0}, // # ＃ U+FF03
    {"\x3C", "\x81\x83", "", 0}, // < ＜ U+FF1C
    {"\x24", "\x81\x90", "", 0}, // $ ＄ U+FF04
    {"\x3D", "\x81\x81", "", 0}, // = ＝ U+FF1D
    {"\x25", "\x81\x93", "", 0}, // % ％ U+FF05
    {"\x3E", "\x81\x84", "", 0}, // > ＞ U+FF1E
    {"\x26", "\x81\x95", "", 0}, // & ＆ U+FF06
    {"\x3F", "\x81\x48", "", 0}, // ? ？ U+FF1F
    {"\x27", "\x81\x66", "", 0}, // ' ’ U+2019
    {"\x40", "\x81\x97", "", 0}, // @ ＠ U+FF20
    {"\x28", "\x81\x69", "", 0}, // ( （ U+FF08
    {"\x5B", "\x81\x6D", "", 0}, // [ ［ U+FF3B
    {"\x29", "\x81\x6A", "", 0}, // ) ） U+FF09
    {"\x5C", "\x81\x8F", "", 0}, // backslash ￥ U+FFE5
    {"\x2A", "\x81\x96", "", 0}, // * ＊ U+FF0A
    {"\x5D", "\x81\x6E", "", 0}, // ] ］ U+FF3D
    {"\x2B", "\x81\x7B", "", 0}, // + ＋ U+FF0B
    {"\x5F", "\x81\x51", "", 0}, // _ ＿ U+FF3F
    {"\x2C", "\x81\x43", "", 0}, // , ， U+FF0C
    {"\x7B", "\x81\x6F", "", 0}, // { ｛ U+FF5B
    {"\x2D", "\x81\x7C", "", 0}, // - － U+FF0D
    {"\x7C", "\x81\x62", "", 0}, // | ｜ U+FF5C
    {"\x2E", "\x81\x44", "", 0}, // . ． U+FF0E
    {"\x7D", "\x81\x70", "", 0}, // } ｝ U+FF5D
    {"\x2F", "\x81\x5E", "", 0}, // / ／ U+FF0F
    {"\x5E", "\x81\x4F", "", 0}, // ^ ＾ U+FF3E
    {"\x3A", "\x81\x46", "", 0}, // : ： U+FF1A
    {"", "", "", 0},
};

struct Row {
    std::string half, hira, kata;
    unsigned flags;
};

// Rows plus, per column, which bytes can start a cell: most characters are rejected there.
struct Table {
    std::vector<Row> rows;
    bool first[3][256] = {};
};

struct TableSet {
    Table kana, small, symbol;
    std::string voiced, semivoiced, space;
};

TableSet g_sjis;
TableSet g_utf8;
long g_tablesOnce = 0;

void copy_rows(const TableRow* rows, Table& table, bool toUtf8) {
    std::vector<Row>& out = table.rows;
    for (const TableRow* r = rows; r->half[0] != 0; ++r) {
        Row row;
        if (toUtf8) {
            row.half = bytes_of(System::sjis_to_utf8(C_String(r->half)));
            row.hira = bytes_of(System::sjis_to_utf8(C_String(r->hira)));
            row.kata = bytes_of(System::sjis_to_utf8(C_String(r->kata)));
        } else {
            row.half = r->half;
            row.hira = r->hira;
            row.kata = r->kata;
        }
        row.flags = r->flags;
        out.push_back(row);
        const std::string* cells[] = {&row.half, &row.hira, &row.kata};
        for (int c = 0; c < 3; ++c)
            if (!cells[c]->empty())
                table.first[c][static_cast<unsigned char>((*cells[c])[0])] = true;
    }
}

void build_tables() {
    copy_rows(kKanaRows, g_sjis.kana, false);
    copy_rows(kSmallKanaRows, g_sjis.small, false);
    copy_rows(kSymbolRows, g_sjis.symbol, false);
    g_sjis.voiced = "\xDE";
    g_sjis.semivoiced = "\xDF";
    g_sjis.space = "\x81\x40";
    copy_rows(kKanaRows, g_utf8.kana, true);
    copy_rows(kSmallKanaRows, g_utf8.small, true);
    copy_rows(kSymbolRows, g_utf8.symbol, true);
    g_utf8.voiced = "\xEF\xBE\x9E";
    g_utf8.semivoiced = "\xEF\xBE\x9F";
    g_utf8.space = "\xE3\x80\x80";
}

const TableSet& tables(WorkType work) {
    ktora_pthread_once(&g_tablesOnce, build_tables);
    return work == WORK_UTF8 ? g_utf8 : g_sjis;
}

enum Column { HALF, HIRA, KATA };

const std::string& column(const Row& row, Column c) {
    return c == HALF ? row.half : c == HIRA ? row.hira : row.kata;
}

bool is_wide(int length, WorkType work) {
    return work == WORK_UTF8 ? length >= 3 : length == 2;
}

bool equals(const std::string& s, const char* p, size_t n) {
    return s.size() == n && std::memcmp(s.data(), p, n) == 0;
}

bool begins_with(const std::string& s, const char* p, size_t n) {
    return s.size() >= n && std::memcmp(s.data(), p, n) == 0;
}

const Row* find_row(const Table& table, Column c, const char* p, size_t n) {
    if (n == 0 || !table.first[c][static_cast<unsigned char>(p[0])])
        return nullptr;
    for (const Row& row : table.rows) {
        if (equals(column(row, c), p, n))
            return &row;
    }
    return nullptr;
}

// Full-width kana of column `from` to column `to`.
std::string kana_from_full(const std::string& s, WorkType work, Column from, Column to) {
    const TableSet& t = tables(work);
    std::string out;
    out.reserve(s.size() * 2);
    for (size_t i = 0; i < s.size();) {
        size_t n = static_cast<size_t>(char_length(s.data(), i, s.size(), work));
        const Row* row = nullptr;
        if (is_wide(static_cast<int>(n), work)) {
            row = find_row(t.kana, from, s.data() + i, n);
            if (row == nullptr)
                row = find_row(t.small, from, s.data() + i, n);
        }
        if (row != nullptr)
            out += column(*row, to);
        else
            out.append(s, i, n);
        i += n;
    }
    return out;
}

// The first row from `start` whose half-width column begins with the character; with
// `exact`, whose half-width column is exactly the text.
size_t find_half(const Table& table, size_t start, const char* p, size_t n, bool exact) {
    const std::vector<Row>& rows = table.rows;
    if (n == 0 || !table.first[HALF][static_cast<unsigned char>(p[0])])
        return rows.size();
    for (size_t r = start; r < rows.size(); ++r) {
        if (exact ? equals(rows[r].half, p, n) : begins_with(rows[r].half, p, n))
            return r;
    }
    return rows.size();
}

// Half-width katakana to full-width column `to`; `join` takes a following voiced or
// semi-voiced mark into the letter where the letter allows it.
std::string kana_from_half(const std::string& s, WorkType work, Column to, bool join) {
    const TableSet& t = tables(work);
    std::string out;
    out.reserve(s.size() * 2);
    for (size_t i = 0; i < s.size();) {
        size_t n = static_cast<size_t>(char_length(s.data(), i, s.size(), work));
        bool candidate = work == WORK_UTF8 ? n >= 3 : n == 1;
        if (!candidate) {
            out.append(s, i, n);
            i += n;
            continue;
        }
        unsigned markFlag = 0;
        size_t m = 0;
        if (i + n < s.size()) {
            m = static_cast<size_t>(char_length(s.data(), i + n, s.size(), work));
            const char* next = s.data() + i + n;
            if (equals(t.voiced, next, m))
                markFlag = 1;
            else if (equals(t.semivoiced, next, m))
                markFlag = 2;
        }
        const Table* sets[] = {&t.kana, &t.small};
        bool done = false;
        for (const Table* table : sets) {
            const std::vector<Row>& rows = table->rows;
            size_t r = find_half(*table, 0, s.data() + i, n, false);
            if (r == rows.size())
                continue;
            size_t used = n;
            if (join && markFlag != 0 && (rows[r].flags & markFlag) != 0) {
                size_t joined = find_half(*table, r + 1, s.data() + i, n + m, true);
                if (joined != rows.size()) {
                    r = joined;
                    used = n + m;
                }
            }
            out += column(rows[r], to);
            i += used;
            done = true;
            break;
        }
        if (!done) {
            out.append(s, i, n);
            i += n;
        }
    }
    return out;
}

enum Classes { LETTERS = 1, DIGITS = 2, SYMBOLS = 4 };

bool is_upper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool is_lower(char c) {
    return c >= 'a' && c <= 'z';
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

std::string alnum_to_full(const std::string& s, WorkType work, int classes) {
    const TableSet& t = tables(work);
    std::string out;
    out.reserve(s.size() * 3);
    for (size_t i = 0; i < s.size();) {
        size_t n = static_cast<size_t>(char_length(s.data(), i, s.size(), work));
        char c = s[i];
        if (n != 1) {
            out.append(s, i, n);
            i += n;
            continue;
        }
        ++i;
        if ((classes & LETTERS) && (is_upper(c) || is_lower(c))) {
            if (work == WORK_UTF8) {
                out += is_upper(c) ? "\xEF\xBC" : "\xEF\xBD";
                out += static_cast<char>(is_upper(c) ? c + 96 : c + 32);
            } else {
                out += '\x82';
                out += static_cast<char>(is_upper(c) ? c + 31 : c + 32);
            }
            continue;
        }
        if ((classes & DIGITS) && is_digit(c)) {
            out += work == WORK_UTF8 ? "\xEF\xBC" : "\x82";
            out += static_cast<char>(work == WORK_UTF8 ? c + 96 : c + 31);
            continue;
        }
        if ((classes & SYMBOLS) && c != '"' && c != '\'' && c != '\\' && c != '~') {
            const Row* row = find_row(t.symbol, HALF, &c, 1);
            if (row != nullptr) {
                out += row->hira;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string alnum_to_half(const std::string& s, WorkType work, int classes) {
    const TableSet& t = tables(work);
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        size_t n = static_cast<size_t>(char_length(s.data(), i, s.size(), work));
        const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data() + i);
        int half = -1;
        bool symbolBlock = false;
        if (work == WORK_SJIS && n == 2) {
            if (p[0] == 0x82) {
                if ((classes & LETTERS) && p[1] >= 0x60 && p[1] <= 0x79)
                    half = p[1] - 31;
                else if ((classes & LETTERS) && p[1] >= 0x81 && p[1] <= 0x9A)
                    half = p[1] - 32;
                else if ((classes & DIGITS) && p[1] >= 0x4F && p[1] <= 0x58)
                    half = p[1] - 31;
            } else if (p[0] == 0x81) {
                symbolBlock = p[1] != 0x60 && p[1] != 0x66 && p[1] != 0x68;
            }
        } else if (work == WORK_UTF8 && n == 3 && p[0] == 0xEF && (p[1] == 0xBC || p[1] == 0xBD)) {
            if ((classes & LETTERS) && p[1] == 0xBC && p[2] >= 0xA1 && p[2] <= 0xBA)
                half = p[2] - 96;
            else if ((classes & LETTERS) && p[1] == 0xBD && p[2] >= 0x81 && p[2] <= 0x9A)
                half = p[2] - 32;
            else if ((classes & DIGITS) && p[1] == 0xBC && p[2] >= 0x90 && p[2] <= 0x99)
                half = p[2] - 96;
            else
                symbolBlock = !(p[1] == 0xBD && p[2] == 0x9E);
        }
        if (half < 0 && symbolBlock && (classes & SYMBOLS)) {
            const Row* row = find_row(t.symbol, HIRA, s.data() + i, n);
            if (row != nullptr)
                half = static_cast<unsigned char>(row->half[0]);
        }
        if (half >= 0)
            out += static_cast<char>(half);
        else
            out.append(s, i, n);
        i += n;
    }
    return out;
}

std::string space_to_full(const std::string& s, WorkType work) {
    const TableSet& t = tables(work);
    std::string out;
    out.reserve(s.size() * 2);
    for (size_t i = 0; i < s.size();) {
        size_t n = static_cast<size_t>(char_length(s.data(), i, s.size(), work));
        if (n == 1 && s[i] == ' ')
            out += t.space;
        else
            out.append(s, i, n);
        i += n;
    }
    return out;
}

std::string space_to_half(const std::string& s, WorkType work) {
    const TableSet& t = tables(work);
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        size_t n = static_cast<size_t>(char_length(s.data(), i, s.size(), work));
        if (is_wide(static_cast<int>(n), work) && equals(t.space, s.data() + i, n))
            out += ' ';
        else
            out.append(s, i, n);
        i += n;
    }
    return out;
}

enum CaseMode { UPPER = 0, LOWER = 1, TITLE = 2 };

std::string convert_case(const std::string& s, WorkType work, int mode) {
    std::string out;
    out.reserve(s.size());
    bool wordStart = true;
    for (size_t i = 0; i < s.size();) {
        size_t n = static_cast<size_t>(char_length(s.data(), i, s.size(), work));
        char c = s[i];
        if (n != 1) {
            out.append(s, i, n);
            i += n;
            wordStart = true;
            continue;
        }
        ++i;
        if (mode == UPPER) {
            out += is_lower(c) ? static_cast<char>(c - 32) : c;
        } else if (mode == LOWER) {
            out += is_upper(c) ? static_cast<char>(c + 32) : c;
        } else if (is_upper(c) || is_lower(c)) {
            if (wordStart)
                out += is_lower(c) ? static_cast<char>(c - 32) : c;
            else
                out += is_upper(c) ? static_cast<char>(c + 32) : c;
            wordStart = false;
        } else {
            out += c;
            wordStart = true;
        }
    }
    return out;
}

// Narrow forms work on Shift_JIS bytes; wide forms on the UTF-8 form of the text.
template <typename F> C_String narrow(const C_String& text, F f) {
    return make_string(f(bytes_of(text), WORK_SJIS));
}

template <typename F> C_WString wide(const C_WString& text, F f) {
    std::string utf8 = bytes_of(System::utf16_to_utf8(text));
    std::string result = f(utf8, WORK_UTF8);
    return System::_utf8_to_utf16(result.data(), static_cast<int>(result.size()));
}

} // namespace

#define KTORA_WIDTH_PAIR(name, body)                                                               \
    C_String System::name##_a(const C_String& text) {                                              \
        return narrow(text, [&](const std::string& s, WorkType w) { return body; });               \
    }                                                                                              \
    C_WString System::name##_w(const C_WString& text) {                                            \
        return wide(text, [&](const std::string& s, WorkType w) { return body; });                 \
    }

KTORA_WIDTH_PAIR(mb_ztoh_kanakana, kana_from_full(s, w, KATA, HALF))
KTORA_WIDTH_PAIR(mb_ztoh_hirakana, kana_from_full(s, w, HIRA, HALF))
KTORA_WIDTH_PAIR(mb_ztoz_kanahira, kana_from_full(s, w, KATA, HIRA))
KTORA_WIDTH_PAIR(mb_ztoz_hirakana, kana_from_full(s, w, HIRA, KATA))
KTORA_WIDTH_PAIR(mb_htoz_space, space_to_full(s, w))
KTORA_WIDTH_PAIR(mb_ztoh_space, space_to_half(s, w))
KTORA_WIDTH_PAIR(mb_htoz_alpha, alnum_to_full(s, w, LETTERS))
KTORA_WIDTH_PAIR(mb_ztoh_alpha, alnum_to_half(s, w, LETTERS))
KTORA_WIDTH_PAIR(mb_htoz_number, alnum_to_full(s, w, DIGITS))
KTORA_WIDTH_PAIR(mb_ztoh_number, alnum_to_half(s, w, DIGITS))
KTORA_WIDTH_PAIR(mb_htoz_alnumsymbol, alnum_to_full(s, w, LETTERS | DIGITS | SYMBOLS))
KTORA_WIDTH_PAIR(mb_ztoh_alnumsymbol, alnum_to_half(s, w, LETTERS | DIGITS | SYMBOLS))
KTORA_WIDTH_PAIR(mb_convert_upper, convert_case(s, w, UPPER))
KTORA_WIDTH_PAIR(mb_convert_lower, convert_case(s, w, LOWER))

#undef KTORA_WIDTH_PAIR

C_String System::mb_htoz_kanakana_a(const C_String& text, int join) {
    return narrow(text, [&](const std::string& s, WorkType w) {
        return kana_from_half(s, w, KATA, join != 0);
    });
}

C_WString System::mb_htoz_kanakana_w(const C_WString& text, int join) {
    return wide(text, [&](const std::string& s, WorkType w) {
        return kana_from_half(s, w, KATA, join != 0);
    });
}

C_String System::mb_htoz_kanahira_a(const C_String& text, int join) {
    return narrow(text, [&](const std::string& s, WorkType w) {
        return kana_from_half(s, w, HIRA, join != 0);
    });
}

C_WString System::mb_htoz_kanahira_w(const C_WString& text, int join) {
    return wide(text, [&](const std::string& s, WorkType w) {
        return kana_from_half(s, w, HIRA, join != 0);
    });
}

C_String System::mb_convert_kana(const C_String& text, const char* options, const char* charset) {
    Work work = prepare(text, charset);
    if (work.work == WORK_NONE)
        return C_String();
    const char* letters = options != nullptr ? options : "KV";
    bool join = std::strchr(letters, 'V') != nullptr;
    std::string s = work.text;
    WorkType w = work.work;
    for (const char* p = letters; *p != 0; ++p) {
        switch (*p) {
        case 'A':
            s = alnum_to_full(s, w, LETTERS | DIGITS | SYMBOLS);
            break;
        case 'a':
            s = alnum_to_half(s, w, LETTERS | DIGITS | SYMBOLS);
            break;
        case 'R':
            s = alnum_to_full(s, w, LETTERS);
            break;
        case 'r':
            s = alnum_to_half(s, w, LETTERS);
            break;
        case 'N':
            s = alnum_to_full(s, w, DIGITS);
            break;
        case 'n':
            s = alnum_to_half(s, w, DIGITS);
            break;
        case 'S':
            s = space_to_full(s, w);
            break;
        case 's':
            s = space_to_half(s, w);
            break;
        case 'K':
            s = kana_from_half(s, w, KATA, join);
            break;
        case 'H':
            s = kana_from_half(s, w, HIRA, join);
            break;
        case 'k':
            s = kana_from_full(s, w, KATA, HALF);
            break;
        case 'h':
            s = kana_from_full(s, w, HIRA, HALF);
            break;
        case 'C':
            s = kana_from_full(s, w, HIRA, KATA);
            break;
        case 'c':
            s = kana_from_full(s, w, KATA, HIRA);
            break;
        default:
            break;
        }
    }
    return finish(work, s);
}

C_String System::mb_convert_case(const C_String& text, int mode, const char* charset) {
    Work work = prepare(text, charset);
    if (work.work == WORK_NONE)
        return C_String();
    int m = mode == 0 ? UPPER : mode == 1 ? LOWER : TITLE;
    return finish(work, convert_case(work.text, work.work, m));
}

} // namespace common
} // namespace ktora
