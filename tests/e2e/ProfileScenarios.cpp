// Profiles from the "list" folder: listing, loading by button and by Escape; started with a
// folder elsewhere, as Explorer's folder menu starts it.
#include <string>
#include <vector>

#include "ScenarioHelpers.h"
#include "app/CopyMessages.h"

namespace e2e {

namespace {

void WriteProfile(std::wstring const& path, std::vector<std::wstring> const& lines) {
    WriteBytes(path, Lines(lines));
}

} // namespace

// Profiles: the list sorted, loading by button and by Escape, the example profile, a rule
// index beyond the list, two profiles in turn, a profile deleted after listing.
void ScenarioProfiles() {
    TempDir t(L"profiles");
    std::wstring list = t / L"list";
    CreateDirectoryW(list.c_str(), nullptr);
    WriteProfile(list + L"\\b.txt", {L"dir_cat1=_", L"dir_rule=1", L"dir_type=1", L"txt_enable=1",
                                     L"txt_front=ID:", L"make_count=20"});
    WriteProfile(list + L"\\c.txt", {L"txt_cat2=乙", L"make_count=0"});
    WriteProfile(list + L"\\a.txt", {L"dir_rule=5", L"dir_cat2=Z", L"dir_type=2"});
    WriteProfile(list + L"\\日本語.txt", {L"txt_cat1=甲"});
    WriteBytes(list + L"\\notes.dat", "dir_rule=2\r\n");
    std::wstring src = t / L"photo";
    CreateDirectoryW(src.c_str(), nullptr);
    WriteBytes(src + L"\\f.txt", "x");

    Kasumido k;
    if (!k.Start(g_exe, t.Path())) {
        return;
    }
    CHECK_EQ_I(4, k.ComboCount(IDC_PROFILES));
    CHECK_EQ_W(L"a.txt", k.ComboItem(IDC_PROFILES, 0));
    CHECK_EQ_W(L"b.txt", k.ComboItem(IDC_PROFILES, 1));
    CHECK_EQ_W(L"c.txt", k.ComboItem(IDC_PROFILES, 2));
    CHECK_EQ_W(L"日本語.txt", k.ComboItem(IDC_PROFILES, 3));
    CHECK_EQ_I(0, k.ComboSel(IDC_PROFILES));

    // The example profile, by the button.
    k.SelectCombo(IDC_PROFILES, 1);
    k.Click(IDC_LOAD);
    CHECK(k.WaitText(IDC_DIR_CAT1, L"_", 5000));
    CHECK_EQ_I(1, k.ComboSel(IDC_DIR_RULE));
    CHECK_EQ_W(L"フォルダ名_その1_その2_種類", k.ComboItem(IDC_DIR_RULE, k.ComboSel(IDC_DIR_RULE)));
    CHECK_EQ_I(1, k.ComboSel(IDC_DIR_TYPE));
    CHECK(k.Checked(IDC_TXT_ENABLE));
    for (int id : kTextGroup) {
        CHECK(k.Enabled(id));
    }
    CHECK_EQ_W(L"ID:", k.Text(IDC_TXT_FRONT));
    CHECK_EQ_W(L"20", k.Text(IDC_COUNT));
    CHECK_EQ_I(0, k.ComboSel(IDC_TXT_RULE));

    // A second profile by Escape: its text keys apply, absent ones keep the first's values,
    // the integer keys always apply, a zero count leaves the count.
    k.SelectCombo(IDC_PROFILES, 2);
    k.SelectCombo(IDC_TXT_RULE, 2);
    k.Key(IDC_SRC, VK_ESCAPE);
    CHECK(k.WaitText(IDC_TXT_CAT2, L"乙", 5000));
    CHECK(IsWindowVisible(k.Dialog()));
    CHECK_EQ_W(L"_", k.Text(IDC_DIR_CAT1));
    CHECK_EQ_W(L"ID:", k.Text(IDC_TXT_FRONT));
    CHECK_EQ_W(L"20", k.Text(IDC_COUNT));
    CHECK_EQ_I(0, k.ComboSel(IDC_DIR_RULE));
    CHECK_EQ_I(0, k.ComboSel(IDC_TXT_RULE));
    CHECK_EQ_I(0, k.ComboSel(IDC_DIR_TYPE));
    CHECK(!k.Checked(IDC_TXT_ENABLE));
    for (int id : kTextGroup) {
        CHECK(!k.Enabled(id));
    }

    // A rule index beyond the list leaves no selection; the run then puts the counter last.
    // dir_type=2 means the sequence number.
    k.SelectCombo(IDC_PROFILES, 0);
    k.SelectCombo(IDC_DIR_TYPE, 1);
    k.Click(IDC_LOAD);
    CHECK(k.WaitText(IDC_DIR_CAT2, L"Z", 5000));
    CHECK_EQ_I(-1, k.ComboSel(IDC_DIR_RULE));
    CHECK_EQ_I(0, k.ComboSel(IDC_DIR_TYPE));
    k.SetText(IDC_SRC, src);
    k.SetText(IDC_DEST, t / L"out");
    k.SetText(IDC_COUNT, L"2");
    if (RunToCompletion(k)) {
        CHECK((Names(t / L"out\\photo") == std::vector<std::wstring>{L"photo_Z1", L"photo_Z2"}));
    }

    // A profile deleted after the list was filled is created empty and resets the switches.
    DeleteFileW((list + L"\\日本語.txt").c_str());
    k.SelectCombo(IDC_DIR_RULE, 2);
    k.SetChecked(IDC_TXT_ENABLE, true);
    k.SelectCombo(IDC_PROFILES, 3);
    k.Click(IDC_LOAD);
    CHECK(WaitUntil([&] { return k.ComboSel(IDC_DIR_RULE) == 0; }, 5000));
    CHECK(!k.Checked(IDC_TXT_ENABLE));
    std::string bytes;
    CHECK(ReadBytes(list + L"\\日本語.txt", &bytes) && bytes.empty());
    k.Close();

    // Started with a folder (a missing one, typed in cmd with a trailing backslash) in a folder
    // without list\: the folder fills the source as given, the destination is left to the
    // user and has the focus, and the profiles are those beside the program.
    std::wstring program = t / L"program";
    std::wstring work = t / L"work";
    std::wstring missing = t / L"無い写真";
    CreateDirectoryW(program.c_str(), nullptr);
    CreateDirectoryW((program + L"\\list").c_str(), nullptr);
    CreateDirectoryW(work.c_str(), nullptr);
    CHECK(CopyFileW(g_exe.c_str(), (program + L"\\Kasumido.exe").c_str(), FALSE));
    WriteProfile(program + L"\\list\\beside.txt", {L"dir_cat1=beside"});
    Kasumido v;
    if (!v.Start(program + L"\\Kasumido.exe", work, L"\"" + missing + L"\\\" /x")) {
        return;
    }
    CHECK_EQ_W(missing + L"\\", v.Text(IDC_SRC));
    CHECK_EQ_W(L"", v.Text(IDC_DEST));
    CHECK(WaitUntil([&] { return v.Focus() == v.Item(IDC_DEST); }, 5000));
    CHECK_EQ_I(1, v.ComboCount(IDC_PROFILES));
    CHECK_EQ_W(L"beside.txt", v.ComboItem(IDC_PROFILES, 0));
    v.Click(IDC_LOAD);
    CHECK(v.WaitText(IDC_DIR_CAT1, L"beside", 5000));
    v.SetText(IDC_DEST, work);
    CHECK(v.WaitText(IDC_PREVIEW_NAMES, kTellBadSource, 5000));
    v.Close();
}

} // namespace e2e
