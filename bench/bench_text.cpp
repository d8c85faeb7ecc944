// Throughput of the library's Japanese conversions, Base64 and quoted-printable on a few MB of
// Japanese text. The inputs are written beside the report so the same bytes can go through
// iconv, base64 and Python's quopri.
#include <windows.h>

#include <cstdint>
#include <functional>

#include "bench/bench_clock.h"
#include "ktora/system/System.h"

using ktora::C_String;
using ktora::C_WString;
using ktora::common::System;

namespace {

// Kana, common kanji, full-width punctuation and ASCII: characters every Shift_JIS, EUC-JP and
// ISO-2022-JP converter maps the same way (no backslash or tilde).
const wchar_t kKanji[] =
    L"日本語文字変換速度測定試験東京大阪京都名古屋札幌福岡神戸横浜写真控保存複製作成"
    L"時間分秒年月火水木金土曜朝昼夜春夏秋冬山川海空雨雪風花鳥魚犬猫馬牛羊学校先生"
    L"会社社員電話番号住所氏名男女子供親友達家族結婚式場駅前通道路橋港空港新聞雑誌"
    L"図書館病院薬局銀行郵便局役所警察消防署公園動物植物料理食事飲酒茶菓子果物野菜";
const wchar_t kPunct[] = L"、。「」・ー！？（）";
const char kAscii[] = "abcdefghijklmnopqrstuvwxyz0123456789 ABCDEFG.,:;-_=+()";

std::wstring MakeText(size_t units) {
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    std::wstring text;
    text.reserve(units + 100);
    size_t column = 0;
    while (text.size() < units) {
        uint32_t kind = next(10);
        if (kind < 3) {
            text += static_cast<wchar_t>(0x3041 + next(0x53)); // hiragana
        } else if (kind < 5) {
            text += static_cast<wchar_t>(0x30A1 + next(0x56)); // katakana
        } else if (kind < 8) {
            text += kKanji[next(static_cast<uint32_t>(wcslen(kKanji)))];
        } else if (kind < 9) {
            text += kPunct[next(static_cast<uint32_t>(wcslen(kPunct)))];
        } else {
            text += static_cast<wchar_t>(kAscii[next(sizeof(kAscii) - 1)]);
        }
        if (++column == 60) {
            text += L"\r\n";
            column = 0;
        }
    }
    text += L"\r\n";
    return text;
}

std::string Encode(UINT codePage, std::wstring const& text) {
    int n = WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n,
                        nullptr, nullptr);
    return bytes;
}

void Save(std::wstring const& path, char const* data, size_t size) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f) {
        fwrite(data, 1, size, f);
        fclose(f);
    }
}

} // namespace

// bench_text <work folder> <report>
int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        return 1;
    }
    std::wstring work = argv[1];
    bench::Report report(argv[2]);
    std::wstring text = MakeText(2u * 1024 * 1024);
    std::string sjisBytes = Encode(932, text);
    std::string utf8Bytes = Encode(CP_UTF8, text);
    C_String sjis(sjisBytes.c_str());
    C_String euc = System::sjis_to_euc(sjis);
    C_String jis = System::sjis_to_jis(sjis);
    C_String utf8(utf8Bytes.c_str());
    C_String base64 = System::base64_encode(
        reinterpret_cast<unsigned char const*>(sjis.GetString()), sjis.Length());
    C_String framed("=?ISO-2022-JP?B?");
    framed += base64;
    framed += "?=";
    C_String qp = System::quoted_printable_encode(sjis);

    Save(work + L"\\sjis.txt", sjis.GetString(), sjis.Length());
    Save(work + L"\\euc.txt", euc.GetString(), euc.Length());
    Save(work + L"\\jis.txt", jis.GetString(), jis.Length());
    Save(work + L"\\utf8.txt", utf8.GetString(), utf8.Length());
    Save(work + L"\\base64.txt", base64.GetString(), base64.Length());
    Save(work + L"\\qp.txt", qp.GetString(), qp.Length());

    struct Case {
        char const* name;
        int bytes;
        std::function<void()> work;
    };
    volatile int sink = 0;
    const Case cases[] = {
        {"sjis_to_euc", sjis.Length(), [&] { sink = sink + System::sjis_to_euc(sjis).Length(); }},
        {"euc_to_sjis", euc.Length(), [&] { sink = sink + System::euc_to_sjis(euc).Length(); }},
        {"sjis_to_jis", sjis.Length(), [&] { sink = sink + System::sjis_to_jis(sjis).Length(); }},
        {"jis_to_sjis", jis.Length(), [&] { sink = sink + System::jis_to_sjis(jis).Length(); }},
        {"utf8_to_utf16", utf8.Length(),
         [&] { sink = sink + System::utf8_to_utf16(utf8).Length(); }},
        {"base64_encode", sjis.Length(),
         [&] {
             sink = sink +
                    System::base64_encode(reinterpret_cast<unsigned char const*>(sjis.GetString()),
                                          sjis.Length())
                        .Length();
         }},
        {"base64_decode", framed.Length(),
         [&] { sink = sink + System::base64_decode(framed).Length(); }},
        {"qp_encode", sjis.Length(),
         [&] { sink = sink + System::quoted_printable_encode(sjis).Length(); }},
        {"qp_decode", qp.Length(),
         [&] { sink = sink + System::quoted_printable_decode(qp).Length(); }},
    };
    for (Case const& c : cases) {
        report.Line("text %s bytes %d seconds %.6f", c.name, c.bytes, bench::Best(3, c.work));
    }
    // The conversions must agree with each other, else the figures mean nothing.
    bool roundTrip = System::euc_to_sjis(euc) == sjis && System::base64_decode(framed) == sjis &&
                     System::quoted_printable_decode(qp) == sjis;
    report.Line("text check %s", roundTrip ? "ok" : "MISMATCH");
    return 0;
}
