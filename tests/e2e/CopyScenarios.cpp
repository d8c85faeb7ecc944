// Runs that copy: a full tree with its summary, the naming rules and the preview, every
// refusal of the start command, and the question before 100 copies.
#include <string>
#include <vector>

#include "ScenarioHelpers.h"

namespace e2e {

// Three copies of a full tree with the summary file, then a second run (by Enter) into the
// same container, which empties the summary first.
void ScenarioCopy() {
    TempDir t(L"copy");
    std::wstring src = t / L"photo";
    MakeSampleTree(src);
    Kasumido k;
    if (!k.Start(g_exe, t.Path())) {
        return;
    }
    Run run;
    run.src = src + L"\\"; // typed with a trailing separator
    run.dest = Slashes(t / L"out\\deep");
    run.count = L"3";
    run.text = true;
    Fill(k, run);
    if (!RunToCompletion(k)) {
        return;
    }
    std::wstring container = t / L"out\\deep\\photo";
    for (int i = 1; i <= 3; ++i) {
        SameTree(src, container + L"\\photo" + std::to_wstring(i));
    }
    CHECK((Names(container) ==
           std::vector<std::wstring>{L"outinfo.txt", L"photo1", L"photo2", L"photo3"}));
    CHECK(ReadOr(container + L"\\outinfo.txt") == "photo1\r\nphoto2\r\nphoto3\r\n");
    DWORD attributes = GetFileAttributesW((container + L"\\photo2\\secret.dat").c_str());
    CHECK(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN));

    // A second run into the same container asks before writing over the first run's copies;
    // No leaves them byte for byte.
    k.SetText(IDC_COUNT, L"2");
    k.Click(IDC_START);
    CHECK(k.Expect(L"確認", L"コピーを実行します。続けて良いですか？", IDYES));
    CHECK(k.Expect(L"確認",
                   L"outinfo.txt も書き直されます。\nコピー先に同じ名前のフォルダが 2 個あります。"
                   L"上書きしますか？",
                   IDNO));
    CHECK(ReadOr(container + L"\\outinfo.txt") == "photo1\r\nphoto2\r\nphoto3\r\n");
    SameTree(src, container + L"\\photo1");

    // Enter in an edit starts a run like the start button.
    k.Key(IDC_COUNT, VK_RETURN);
    CHECK(k.Expect(L"確認", L"コピーを実行します。続けて良いですか？", IDYES));
    CHECK(k.Expect(L"確認",
                   L"outinfo.txt も書き直されます。\nコピー先に同じ名前のフォルダが 2 個あります。"
                   L"上書きしますか？",
                   IDYES));
    CHECK(k.Expect(L"メッセージ", L"コピーが終了しました。", IDOK, 120000));
    CHECK(WaitUntil([&] { return TextOf(k.Dialog()) == L"Kasumido"; }, 5000));
    CHECK(k.WaitText(IDC_START, L"生成開始", 5000));
    CHECK(ReadOr(container + L"\\outinfo.txt") == "photo1\r\nphoto2\r\n");

    // A copy that cannot be made (a file holds its folder name) is not reported as done, and the
    // message says why after its name.
    WriteBytes(container + L"\\photo4", "in the way");
    k.SetText(IDC_COUNT, L"4");
    k.Click(IDC_START);
    CHECK(k.Expect(L"確認", L"コピーを実行します。続けて良いですか？", IDYES));
    CHECK(k.Expect(L"確認",
                   L"outinfo.txt も書き直されます。\nコピー先に同じ名前のフォルダが 3 個あります。"
                   L"上書きしますか？",
                   IDYES));
    CHECK(k.Expect(L"メッセージ",
                   L"コピーが終了しました。\n1 個のコピーに失敗しました。\nphoto4 (終了コード 5)",
                   IDOK, 120000));
    CHECK(k.WaitText(IDC_START, L"生成開始", 5000));
    SameTree(src, container + L"\\photo3");

    // The built-in copier makes both copies in one walk: while none has finished, the band
    // counts the time left down from the bytes (xcopy's count has none before its first copy).
    // Many small files beside the large one: a file's cost is Wine's, not the disk's, so the run
    // outlasts the band's first refresh on an idle machine too.
    std::wstring big = t / L"big";
    CreateDirectoryW(big.c_str(), nullptr);
    WriteBytes(big + L"\\big.bin", std::string(96u << 20, 'b'));
    AddManyFiles(big, 2000);
    k.SetText(IDC_SRC, big);
    k.SetText(IDC_COUNT, L"2");
    k.SetChecked(IDC_TXT_ENABLE, false);
    k.SetChecked(IDC_COPY_BUILTIN, true);
    k.Click(IDC_START);
    CHECK(k.Expect(L"確認", L"コピーを実行します。続けて良いですか？", IDYES));
    CHECK(WaitUntil(
        [&] { return k.Text(IDC_PREVIEW_NAMES).find(L"0/2 コピー中\u3000残り約 ") == 0; }, 60000));
    CHECK(k.Expect(L"メッセージ", L"コピーが終了しました。", IDOK, 120000));
    for (wchar_t const* name : {L"\\big1", L"\\big2"}) {
        SameTree(big, t / L"out\\deep\\big" + name);
    }
    k.Close();
}

// The counter kinds, the folder and text rules, Japanese joining texts and a joining text
// with a backslash; text output off writes no summary.
void ScenarioRules() {
    TempDir t(L"rules");
    std::wstring src = t / L"写真";
    CreateDirectoryW(src.c_str(), nullptr);
    WriteBytes(src + L"\\f.txt", "x");
    Kasumido k;
    if (!k.Start(g_exe, t.Path())) {
        return;
    }
    // The preview follows every change: the first and last names, the first text line, and a
    // refusal's own text instead; nothing without a source.
    CHECK_EQ_W(L"", k.Text(IDC_PREVIEW_NAMES));
    k.SetText(IDC_SRC, src);
    k.SetText(IDC_DEST, t / L"out");
    k.SetText(IDC_COUNT, L"100");
    k.SetText(IDC_DIR_CAT1, L"_控え");
    CHECK(k.WaitText(IDC_PREVIEW_NAMES, L"写真1_控え … 写真100_控え", 5000));
    k.SetChecked(IDC_TXT_ENABLE, true);
    k.SetText(IDC_TXT_FRONT, L"保存先:");
    CHECK(k.WaitText(IDC_PREVIEW_LINE, L"保存先:写真1_控え", 5000));
    k.SetText(IDC_DIR_START, L"0");
    k.SetText(IDC_DIR_WIDTH, L"3");
    CHECK(k.WaitText(IDC_PREVIEW_NAMES, L"写真000_控え … 写真099_控え", 5000));
    k.SetText(IDC_DIR_WIDTH, L"10");
    CHECK(k.WaitText(IDC_PREVIEW_NAMES, L"桁数が不正です。", 5000));
    k.SetText(IDC_COUNT, L"2000000000");
    k.SelectCombo(IDC_DIR_TYPE, 1);
    CHECK(k.WaitText(IDC_PREVIEW_NAMES, L"フォルダ名が長すぎます。", 5000));
    k.SetText(IDC_DIR_CAT1, L"a|b");
    CHECK(k.WaitText(IDC_PREVIEW_NAMES, L"連結文字に使えない文字が含まれています。", 5000));
    k.SetText(IDC_SRC, L"");
    CHECK(k.WaitText(IDC_PREVIEW_NAMES, L"", 5000));
    for (int id : {IDC_DIR_CAT1, IDC_TXT_FRONT}) {
        k.SetText(id, L"");
    }
    k.SetText(IDC_DIR_START, L"1");
    k.SetText(IDC_DIR_WIDTH, L"0");
    k.SelectCombo(IDC_DIR_TYPE, 0);
    k.SetChecked(IDC_TXT_ENABLE, false);

    // The list kind and a names file: the count follows the list, the preview shows its first
    // and last name, another count is refused, and a run makes one copy per name.
    std::wstring roster = t / L"名簿.txt";
    WriteBytes(roster, Utf8(L"# 2 組\r\n田中\r\n\r\n鈴木\r\n\u3000高橋\r\n"));
    k.SetText(IDC_SRC, src);
    k.SetText(IDC_DEST, t / L"list");
    k.SelectCombo(IDC_DIR_TYPE, 2);
    k.SetText(IDC_NAME_LIST, roster);
    CHECK(k.WaitText(IDC_COUNT, L"3", 5000));
    CHECK(k.WaitText(IDC_PREVIEW_NAMES, L"写真田中 … 写真高橋", 5000));
    k.SetText(IDC_COUNT, L"4");
    CHECK(k.WaitText(IDC_PREVIEW_NAMES, L"生成回数が名前リストの名前の数 (3) と違います。", 5000));
    k.SetText(IDC_COUNT, L"3");
    CHECK(RunToCompletion(k));
    for (wchar_t const* name : {L"写真田中", L"写真鈴木", L"写真高橋"}) {
        CHECK(Exists(t / L"list\\写真\\" + name + L"\\f.txt"));
    }
    k.SetText(IDC_NAME_LIST, L"");
    k.SelectCombo(IDC_DIR_TYPE, 0);
    struct Case {
        Run run;
        std::vector<std::wstring> folders;
        std::vector<std::wstring> lines; // empty: no summary expected
    };
    std::vector<Case> cases;
    {
        Case c;
        c.run.kind = 1; // letters
        c.run.dirRule = 2;
        c.run.dirCat1 = L"_";
        c.run.dirCat2 = L"x";
        c.run.txtRule = 1;
        c.run.txtCat1 = L"A";
        c.run.txtCat3 = L"C";
        c.run.txtFront = L"ID:";
        c.run.text = true;
        c.folders = {L"写真_ax", L"写真_bx", L"写真_cx"};
        c.lines = {L"ID:A.写真_ax.C", L"ID:A.写真_bx.C", L"ID:A.写真_cx.C"};
        cases.push_back(c);
    }
    {
        Case c;
        c.run.count = L"2";
        c.run.dirRule = 1;
        c.run.dirCat1 = L"の";
        c.run.dirCat2 = L"版";
        c.run.txtRule = 2;
        c.run.txtCat1 = L"甲";
        c.run.txtCat2 = L"乙";
        c.run.txtFront = L"前";
        c.run.text = true;
        c.folders = {L"写真の版1", L"写真の版2"};
        c.lines = {L"前甲.乙.写真の版1", L"前甲.乙.写真の版2"};
        cases.push_back(c);
    }
    {
        Case c;
        c.run.count = L"1";
        c.run.kind = 1;
        c.run.txtRule = 3;
        c.run.txtCat2 = L"B";
        c.run.txtFront = L"ID:";
        c.run.text = true;
        c.folders = {L"写真a"};
        c.lines = {L"ID:.B/写真a"};
        cases.push_back(c);
    }
    {
        Case c;
        c.run.count = L"2";
        c.run.dirCat1 = L"x\\y";
        c.run.dirCat2 = L"z";
        c.run.text = true;
        c.folders = {L"写真1x\\yz", L"写真2x\\yz"};
        c.lines = {L"yz", L"yz"};
        cases.push_back(c);
    }
    {
        Case c;
        c.run.count = L"2";
        c.run.text = false;
        c.folders = {L"写真1", L"写真2"};
        cases.push_back(c);
    }
    int n = 0;
    for (Case& c : cases) {
        ++n;
        c.run.src = src;
        c.run.dest = t / (L"out" + std::to_wstring(n));
        Fill(k, c.run);
        if (!RunToCompletion(k)) {
            continue;
        }
        std::wstring container = c.run.dest + L"\\写真";
        for (auto const& folder : c.folders) {
            std::wstring copy = container + L"\\" + folder;
            if (!IsDir(copy)) {
                Report(__FILE__, __LINE__, "case " + std::to_string(n) + ": no " + Utf8(copy));
            } else {
                SameTree(src, copy);
            }
        }
        std::string expected = c.lines.empty() ? "<missing>" : Lines(c.lines);
        if (ReadOr(container + L"\\outinfo.txt") != expected) {
            Report(__FILE__, __LINE__,
                   "case " + std::to_string(n) + ": outinfo.txt is \"" +
                       ReadOr(container + L"\\outinfo.txt") + "\"");
        }
    }
    k.Close();
}

// Every refusal of the start command with its message; nothing is created by a refused run.
void ScenarioRefusals() {
    TempDir t(L"refuse");
    std::wstring src = t / L"src";
    MakeSampleTree(src);
    Kasumido k;
    if (!k.Start(g_exe, t.Path())) {
        return;
    }
    const std::wstring same = L"コピー元＆コピー先が同一です。";
    const std::wstring noDest = L"コピー先が認識できませんでした。";
    const std::wstring noSrc = L"コピー元が認識できません。";
    const std::wstring badCount = L"生成回数が不正です。";
    struct Case {
        std::wstring src, dest, count, message;
    };
    const Case cases[] = {
        {src + L"\\", Slashes(src), L"1", same},      // equal after normalisation
        {L"", L"", L"1", same},                       // both empty: equality comes first
        {src, L"", L"1", noDest},                     // destination empty
        {t / L"nothere", t / L"out", L"1", noSrc},    // missing source
        {L"", t / L"out", L"1", noSrc},               // source empty
        {t / L"src\\a.txt", t / L"out", L"1", noSrc}, // a file is not a folder
        {src, t / L"out", L"0", badCount},
        {src, t / L"out", L"-3", badCount},
        {src, t / L"out", L"abc", badCount},
        {src, t / L"out", L"", badCount},
        {src, t / L"out", L"12abc", badCount}, // a number must be all of the text
        {src, t / L"out", L"2147483648", badCount},
        {src, t / L"out", L"99999999999999999999", badCount},
        {src, t.Path(), L"1", same}, // the container would be the source
        {src, t.Path() + L"\\", L"1", same},
        {src, src + L"\\inside", L"1", same},   // destination inside the source
        {t / L"SRC", t / L"src\\", L"1", same}, // same folder, other case
        {src, t / L"SRC\\sub\\..", L"1", same},
    };
    for (Case const& c : cases) {
        k.SetText(IDC_SRC, c.src);
        k.SetText(IDC_DEST, c.dest);
        k.SetText(IDC_COUNT, c.count);
        k.Click(IDC_START);
        if (!k.Expect(L"メッセージ", c.message, IDOK)) {
            Report(__FILE__, __LINE__,
                   "for \"" + Utf8(c.src) + "\" -> \"" + Utf8(c.dest) + "\" count \"" +
                       Utf8(c.count) + "\"");
        }
        CHECK_EQ_W(L"生成開始", k.Text(IDC_START));
    }
    NoContainer(t / L"out");
    CHECK(!Exists(src + L"\\inside"));

    // A joining text that would lead the copies out of the container.
    k.SetText(IDC_SRC, src);
    k.SetText(IDC_DEST, t / L"out");
    k.SetText(IDC_COUNT, L"1");
    k.SetText(IDC_DIR_CAT1, L"\\..\\..");
    k.Click(IDC_START);
    CHECK(k.Expect(L"メッセージ", noDest, IDOK));
    k.SetText(IDC_DIR_CAT1, L"");

    // Enter also reaches the checks.
    k.SetText(IDC_SRC, src);
    k.SetText(IDC_DEST, t / L"out");
    k.SetText(IDC_COUNT, L"x");
    k.Key(IDC_DEST, VK_RETURN);
    CHECK(k.Expect(L"メッセージ", badCount, IDOK));

    // No to the question changes nothing.
    k.SetText(IDC_COUNT, L"1");
    k.Click(IDC_START);
    CHECK(k.Expect(L"確認", L"コピーを実行します。続けて良いですか？", IDNO));
    CHECK(k.NoBox(500));
    NoContainer(t / L"out");

    // Two trailing separators still name the source's folder as the container.
    k.SetText(IDC_SRC, src + L"\\\\");
    if (RunToCompletion(k)) {
        CHECK(IsDir(t / L"out\\src\\src1"));
        CHECK((Names(t / L"out") == std::vector<std::wstring>{L"src"}));
    }
    k.Close();
}

// 100 copies ask a second question; No leaves only the container.
void ScenarioHundred() {
    TempDir t(L"hundred");
    std::wstring src = t / L"src";
    MakeSampleTree(src);
    Kasumido k;
    if (!k.Start(g_exe, t.Path())) {
        return;
    }
    CHECK(StartRun(k, t, src, L"100"));
    CHECK(k.Expect(L"確認", L"複製回数が非常に多いですが、実行しても良いですか？", IDNO));
    CHECK(k.NoBox(800));
    CHECK(IsDir(t / L"out\\src"));
    CHECK(Names(t / L"out\\src").empty());
    CHECK_EQ_W(L"生成開始", k.Text(IDC_START));
    k.Close();
}

} // namespace e2e
