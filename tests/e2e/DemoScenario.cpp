// The scenario behind `make run` without a display.
#include <cstdio>
#include <string>
#include <vector>

#include "ScenarioHelpers.h"

namespace e2e {

// `make run` without a display: the real dialog filled for a run, a pause for the screenshot
// (the caller creates the file named by the third argument), then 3 copies.
void ScenarioDemo(std::vector<std::wstring> const& args) {
    if (args.size() < 5) {
        Report(__FILE__, __LINE__, "demo needs: workdir source destination shot-flag");
        return;
    }
    std::wstring work = args[1], src = args[2], dest = args[3], flag = args[4];
    Kasumido k;
    if (!k.Start(g_exe, work)) {
        return;
    }
    // The last sample profile (the Japanese one), loaded as a user would.
    k.SelectCombo(IDC_PROFILES, k.ComboCount(IDC_PROFILES) - 1);
    k.Click(IDC_LOAD);
    WaitUntil([&] { return !k.Text(IDC_TXT_FRONT).empty() || !k.Text(IDC_DIR_CAT1).empty(); },
              3000);
    k.SetText(IDC_SRC, src);
    k.SetText(IDC_DEST, dest);
    k.SetText(IDC_COUNT, L"3");
    printf("demo: dialog ready\n");
    fflush(stdout);
    // The dialog's place on the screen, for the caller to crop its screenshot.
    RECT rc = {};
    GetWindowRect(k.Dialog(), &rc);
    std::wstring ready = flag + L".ready";
    WriteBytes(ready, std::to_string(rc.right - rc.left) + "x" +
                          std::to_string(rc.bottom - rc.top) + "+" + std::to_string(rc.left) + "+" +
                          std::to_string(rc.top) + "\n");
    if (!WaitUntil([&] { return Exists(flag); }, 60000)) {
        Report(__FILE__, __LINE__, "no screenshot was taken");
    }
    DeleteFileW(ready.c_str());
    DeleteFileW(flag.c_str());
    if (RunToCompletion(k)) {
        printf("demo: 3 copies made\n");
    }
    // A longer run into a second folder, for a picture of the title and the progress band
    // while copies are made; then aborted as a user would.
    k.SetText(IDC_DEST, dest + L"-progress");
    k.SetText(IDC_COUNT, L"40");
    k.Click(IDC_START);
    if (k.Expect(L"確認", L"コピーを実行します。続けて良いですか？", IDYES) &&
        WaitUntil([&] { return k.Text(IDC_PREVIEW_NAMES).find(L"残り約") != std::wstring::npos; },
                  60000)) {
        GetWindowRect(k.Dialog(), &rc);
        std::wstring running = flag + L"-run";
        WriteBytes(running + L".ready",
                   std::to_string(rc.right - rc.left) + "x" + std::to_string(rc.bottom - rc.top) +
                       "+" + std::to_string(rc.left) + "+" + std::to_string(rc.top) + "\n");
        WaitUntil([&] { return Exists(running); }, 60000);
        DeleteFileW((running + L".ready").c_str());
        DeleteFileW(running.c_str());
        k.Click(IDC_START);
        if (k.Expect(L"確認", L"中止しますか？", IDYES)) {
            k.Expect(L"メッセージ", L"中止しました。", IDOK, 20000);
        }
        printf("demo: a run of 40 copies shown and aborted\n");
    }
    k.Close();
}

} // namespace e2e
