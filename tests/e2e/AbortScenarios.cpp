// Long runs cut short: by the abort question, and by closing the window or ending the session.
#include "ScenarioHelpers.h"
#include "tests/support/unix_side.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace e2e {

namespace {

// Processes still running that pid started.
int LiveChildren(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    int n = 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID != pid) {
            continue;
        }
        HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (h != nullptr) {
            n += WaitForSingleObject(h, 0) == WAIT_TIMEOUT ? 1 : 0;
            CloseHandle(h);
        }
    }
    CloseHandle(snapshot);
    return n;
}

// The program ended within ms and left no copier running.
void CheckEndedClean(Kasumido& k, DWORD pid, DWORD ms, char const* what) {
    DWORD code = 0;
    bool ended = k.WaitExit(ms, &code);
    if (!ended) {
        printf("%s: the program did not end\n", what);
    }
    CHECK(ended);
    int left = LiveChildren(pid);
    if (left != 0) {
        printf("%s: %d copiers left behind\n", what, left);
    }
    CHECK_EQ_I(0, left);
}

// Posts a start as Enter or another program would (IDOK, not a click of the button).
void PostStart(Kasumido& k) {
    PostMessageW(k.Dialog(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

using testsupport::UnixCommand;
using testsupport::UnixName;

// A chain of one-letter folders, levels deep, below root: long to look through. Made from the
// Linux side where it can be (folder by folder through Wine takes minutes).
std::wstring MakeDeepTree(std::wstring const& root, int levels) {
    std::wstring path = L"\\\\?\\" + root;
    std::string unixPath = UnixName(root);
    for (int i = 0; i < levels; ++i) {
        path += L"\\d";
        unixPath += "/d";
    }
    if (!UnixName(root).empty()) {
        UnixCommand("/bin/mkdir -p " + unixPath);
        WaitUntil([&] { return IsDir(path); }, 30000);
    } else {
        std::wstring step = L"\\\\?\\" + root;
        CreateDirectoryW(step.c_str(), nullptr);
        for (int i = 0; i < levels; ++i) {
            step += L"\\d";
            CreateDirectoryW(step.c_str(), nullptr);
        }
    }
    CHECK(IsDir(path));
    return path;
}

// Removes it again from the deepest folder up (a recursive removal would need a deep stack).
void RemoveDeepTree(std::wstring deepest) {
    while (RemoveDirectoryW(deepest.c_str())) {
        deepest.resize(deepest.find_last_of(L'\\'));
    }
}

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
    setvbuf(stdout, nullptr, _IONBF, 0);
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
    // A second press while the abort question is open asks nothing more.
    CHECK(k.WaitBox().hwnd != nullptr);
    PostStart(k);
    Sleep(300);
    CHECK(k.Expect(L"確認", L"中止しますか？", IDYES));
    // Stopping: the copier is asked to close (a console copier has no window to close), which
    // takes up to a second; meanwhile the button is disabled and a start does nothing.
    bool stopping =
        WaitUntil([&] { return k.Text(IDC_START) == L"中止中…" && !k.Enabled(IDC_START); }, 500);
    printf("stopping seen: %d\n", stopping ? 1 : 0);
    PostStart(k);
    PostStart(k);
    CHECK(k.Expect(L"メッセージ", L"中止しました。", IDOK, 20000));
    CHECK(k.WaitText(IDC_START, L"生成開始", 5000));
    CHECK(k.Enabled(IDC_START));
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
    // The aborted copier was ended, not left to finish by itself.
    CHECK_EQ_I(0, LiveChildren(k.Pid()));

    // A deep source, aborted while the run first looks through it: the worker stops looking,
    // and nothing of that run shows up later, even after a run elsewhere.
    std::wstring deepSrc = t / L"deep";
    DWORD made = GetTickCount();
    std::wstring deepest = MakeDeepTree(deepSrc, 1500);
    printf("deep source made in %lu ms\n", GetTickCount() - made);
    std::wstring deepOut = t / L"out\\deep";
    CHECK(StartRun(k, t, deepSrc, L"3"));
    CHECK(k.WaitText(IDC_START, L"中止", 5000));
    DWORD asked = GetTickCount();
    k.Click(IDC_START);
    CHECK(k.Expect(L"確認", L"中止しますか？", IDYES));
    PostStart(k); // disabled or its message open: nothing happens
    CHECK(k.Expect(L"メッセージ", L"中止しました。", IDOK, 20000));
    printf("deep source: stopped %lu ms after the abort was asked\n", GetTickCount() - asked);
    CHECK(k.WaitText(IDC_START, L"生成開始", 5000));
    CHECK(k.NoBox(500));
    // Two starts back to back, and one while the run question is open: one question, one run.
    Run other;
    other.src = src;
    other.dest = t / L"elsewhere";
    other.count = L"2";
    other.text = true;
    Fill(k, other);
    PostStart(k);
    PostStart(k);
    Box run = k.WaitBox();
    CHECK_EQ_W(L"コピーを実行します。続けて良いですか？", run.text);
    PostStart(k);
    Sleep(500);
    k.Press(run, IDYES);
    CHECK(k.Expect(L"メッセージ", L"コピーが終了しました。", IDOK, 120000));
    printf("the run elsewhere completed\n");
    CHECK(k.NoBox(2000));
    CHECK_EQ_I(2, CountLines(t / L"elsewhere\\src\\outinfo.txt"));
    CHECK(!Exists(t / L"elsewhere\\src\\src3"));
    // Nothing of the aborted run, for 30 s: no line, no copy.
    bool late = WaitUntil(
        [&] { return CountLines(deepOut + L"\\outinfo.txt") > 0 || Exists(deepOut + L"\\deep1"); },
        30000);
    CHECK(!late);
    printf("nothing of the aborted run\n");
    DWORD pid = k.Pid();
    k.Close();
    WaitForChildren(pid, 15000);
    printf("closed\n");
    RemoveDeepTree(deepest);
    CHECK(!Exists(deepSrc));
    printf("removed\n");
}

// Closing the window during a run ends the program within a bounded time, and no copier stays
// behind; so does the end of the session, and closing while the completion message is open.
void ScenarioClose() {
    {
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
        CHECK_EQ_I(0, LiveChildren(pid));
        WaitForChildren(pid, 15000);
    }
    {
        TempDir t(L"endsession");
        Kasumido k;
        if (!StartLongRun(k, t, 1)) {
            return;
        }
        // The query never holds shutdown up, and changes nothing yet.
        DWORD_PTR answer = 0;
        CHECK(SendMessageTimeoutW(k.Dialog(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000,
                                  &answer) != 0);
        CHECK(answer == TRUE);
        CHECK_EQ_W(L"中止", k.Text(IDC_START));
        DWORD start = GetTickCount();
        DWORD pid = k.Pid();
        CHECK(SendMessageTimeoutW(k.Dialog(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000,
                                  &answer) != 0);
        DWORD spent = GetTickCount() - start;
        printf("session end answered after %lu ms\n", spent);
        CHECK(spent < 2000);
        CheckEndedClean(k, pid, 15000, "session end");
        WaitForChildren(pid, 15000);
    }
    {
        TempDir t(L"closebox");
        Kasumido k;
        std::wstring src = t / L"src";
        MakeSampleTree(src);
        if (!k.Start(g_exe, t.Path()) || !StartRun(k, t, src, L"1")) {
            return;
        }
        Box done = k.WaitBox(60000);
        CHECK_EQ_W(L"コピーが終了しました。", done.text);
        DWORD pid = k.Pid();
        PostMessageW(k.Dialog(), WM_CLOSE, 0, 0);
        CheckEndedClean(k, pid, 15000, "closed with the completion message open");
    }
}

} // namespace e2e
