// Long runs cut short: by the abort question, and by closing the window.
#include <cstdio>
#include <string>

#include "ScenarioHelpers.h"

namespace e2e {

namespace {

// Makes a slow source at t\src, starts the program in t and a long run of 99 copies (one
// question only), and waits until the run has written lines.
bool StartLongRun(Kasumido& k, TempDir const& t, int lines) {
    std::wstring src = t / L"src";
    MakeSampleTree(src);
    AddManyFiles(src, 400);
    if (!k.Start(g_exe, t.Path()) || !StartRun(k, t, src, L"99")) {
        return false;
    }
    // 99 asks no second question: the run starts.
    bool running = WaitUntil(
        [&] { return k.Text(IDC_START) == L"中止" || k.WaitBox(0).hwnd != nullptr; }, 15000);
    CHECK(running && k.Text(IDC_START) == L"中止");
    std::wstring outInfo = t / L"out\\src\\outinfo.txt";
    CHECK(WaitUntil([&] { return CountLines(outInfo) >= lines; }, 60000));
    return k.Text(IDC_START) == L"中止";
}

} // namespace

// Abort during a long run: the question (No goes on, Yes stops), the message, no further
// copies and no completion message; the last summary line names the interrupted copy.
void ScenarioAbort() {
    TempDir t(L"abort");
    Kasumido k;
    if (!StartLongRun(k, t, 2)) {
        return;
    }
    std::wstring src = t / L"src";
    std::wstring container = t / L"out\\src";
    // The title and the band show where the run stands, with the time left from the second
    // copy on.
    CHECK(WaitUntil(
        [&] { return TextOf(k.Dialog()).find(L"/99 - Kasumido") != std::wstring::npos; }, 5000));
    CHECK(WaitUntil(
        [&] {
            return k.Text(IDC_PREVIEW_NAMES).find(L"/99 コピー中\u3000残り約 ") == 1 ||
                   k.Text(IDC_PREVIEW_NAMES).find(L"/99 コピー中\u3000残り約 ") == 2;
        },
        30000));
    k.Click(IDC_START);
    CHECK(k.Expect(L"確認", L"中止しますか？", IDNO));
    CHECK_EQ_W(L"中止", k.Text(IDC_START));
    k.Click(IDC_START);
    CHECK(k.Expect(L"確認", L"中止しますか？", IDYES));
    CHECK(k.Expect(L"メッセージ", L"中止しました。", IDOK, 20000));
    CHECK(k.WaitText(IDC_START, L"生成開始", 5000));
    CHECK(WaitUntil([&] { return TextOf(k.Dialog()) == L"Kasumido"; }, 5000));
    int lines = CountLines(container + L"\\outinfo.txt");
    CHECK(lines >= 2 && lines < 99);
    printf("aborted after %d of 99 copies had started\n", lines);
    // Nothing more happens: no completion message, no further line or copy.
    CHECK(k.NoBox(2000));
    CHECK_EQ_I(lines, CountLines(container + L"\\outinfo.txt"));
    CHECK(!Exists(container + L"\\src" + std::to_wstring(lines + 1)));
    std::string bytes = ReadOr(container + L"\\outinfo.txt");
    std::string last = "src" + std::to_string(lines) + "\r\n";
    CHECK(bytes.size() >= last.size() &&
          bytes.compare(bytes.size() - last.size(), last.size(), last) == 0);
    for (int i = 1; i < lines; ++i) {
        SameTree(src, container + L"\\src" + std::to_wstring(i));
    }
    DWORD pid = k.Pid();
    k.Close();
    // The interrupted copy may still be finishing by itself; let it end before cleaning up.
    WaitForChildren(pid, 15000);
}

// Closing the window during a run ends the program within a bounded time.
void ScenarioClose() {
    TempDir t(L"close");
    Kasumido k;
    if (!StartLongRun(k, t, 1)) {
        return;
    }
    DWORD start = GetTickCount();
    DWORD pid = k.Pid();
    CHECK(k.Close(15000));
    printf("closed during a run: ended after %lu ms\n", GetTickCount() - start);
    int lines = CountLines(t / L"out\\src\\outinfo.txt");
    CHECK(lines < 99);
    WaitForChildren(pid, 15000);
}

} // namespace e2e
