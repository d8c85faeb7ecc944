// The shared run's checks and questions with a recording front end, the profile rules, the
// batch count and option parsing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/batch/Batch.h"
#include "app/batch_runner.h"
#include "app/CopyPlan.h"
#include "app/CopyRun.h"
#include "app/Profile.h"
#include "app/TreeListing.h"

using batch_test::TempDir;
using ktora::C_WString;

namespace {

class RecordingFront : public I_CopyFront {
public:
    std::vector<std::wstring> said;
    std::vector<bool> answers; // given in order; missing answers are No
    int completed = 0;
    bool Ask(wchar_t const* text, wchar_t const*, bool) override {
        said.push_back(std::wstring(L"? ") + text);
        size_t i = asked++;
        return i < answers.size() && answers[i];
    }
    void Tell(wchar_t const* text, wchar_t const*) override { said.push_back(text); }
    void RunStarted() override {}
    void CopyStarting(CopyProgress const&) override {}
    void RunCompleted() override { ++completed; }

private:
    size_t asked = 0;
};

// Settings for copies of dir\photo (made here) into dir\out.
CopySettings PhotoSettings(TempDir const& dir, int count) {
    CreateDirectoryW((dir / L"photo").c_str(), nullptr);
    CopySettings s;
    s.source = (dir / L"photo").c_str();
    s.destination = (dir / L"out").c_str();
    s.count = count;
    return s;
}

FILETIME WriteTime(std::wstring const& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

bool SetWriteTime(std::wstring const& path, FILETIME time) {
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    bool ok = h != INVALID_HANDLE_VALUE && SetFileTime(h, nullptr, nullptr, &time);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
    }
    return ok;
}

// A copy of folder\\from named to beside it, made on the Linux side with its time: Win32 opens
// either of two names that differ only in case, so only a Linux program can make the second.
bool CopyAsTwin(std::wstring const& from, std::wstring const& folder, char const* to) {
    std::string dir = batch_test::UnixName(folder);
    std::string source = batch_test::UnixName(from);
    return !dir.empty() && !source.empty() &&
           batch_test::UnixCommand("/bin/cp -p " + source + " " + dir + "/" + to) &&
           batch_test::Eventually([&] { return batch_test::CountNames(folder, to) == 2; });
}

} // namespace

TEST(CopyCheck, EachRuleHasARowThatFailsWithoutIt) {
    using Fault = TreeListing::Fault;
    TempDir dir;
    std::wstring src = dir / L"src";
    CreateDirectoryW(src.c_str(), nullptr);
    CreateDirectoryW((src + L"\\sub").c_str(), nullptr);
    CreateDirectoryW((src + L"\\empty").c_str(), nullptr);
    ASSERT_TRUE(batch_test::WriteBytes(src + L"\\sub\\a.txt", "abc"));
    ASSERT_TRUE(batch_test::WriteBytes(src + L"\\A.txt", "twin"));
    // Twins need a case-sensitive folder, as Wine's are; elsewhere the twin row is left out.
    const bool twins = CopyAsTwin(src + L"\\A.txt", src, "a.txt");
    if (!twins) {
        printf("no case-sensitive folder here: no twin row\n");
    }
    struct Row {
        char const* what;
        void (*spoil)(std::wstring const& copy);
        bool foldersOnly;
        Fault fault;
        wchar_t const* path;
    };
    const Row rows[] = {
        {"whole", [](std::wstring const&) {}, false, Fault::kNone, L""},
        {"a file missing",
         [](std::wstring const& c) { DeleteFileW((c + L"\\sub\\a.txt").c_str()); }, false,
         Fault::kMissing, L"sub\\a.txt"},
        {"a file one byte short, its time kept",
         [](std::wstring const& c) {
             FILETIME t = WriteTime(c + L"\\sub\\a.txt");
             batch_test::WriteBytes(c + L"\\sub\\a.txt", "ab");
             SetWriteTime(c + L"\\sub\\a.txt", t);
         },
         false, Fault::kDiffers, L"sub\\a.txt"},
        {"a stale file of the same size, three seconds older",
         [](std::wstring const& c) {
             ULARGE_INTEGER t;
             FILETIME f = WriteTime(c + L"\\sub\\a.txt");
             t.LowPart = f.dwLowDateTime;
             t.HighPart = f.dwHighDateTime;
             t.QuadPart -= 30000000;
             batch_test::WriteBytes(c + L"\\sub\\a.txt", "old");
             SetWriteTime(c + L"\\sub\\a.txt", FILETIME{t.LowPart, t.HighPart});
         },
         false, Fault::kDiffers, L"sub\\a.txt"},
        {"a folder missing",
         [](std::wstring const& c) { RemoveDirectoryW((c + L"\\empty").c_str()); }, false,
         Fault::kMissing, L"empty"},
        {"folders only: files are not looked at",
         [](std::wstring const& c) {
             DeleteFileW((c + L"\\sub\\a.txt").c_str());
             batch_test::WriteBytes(c + L"\\A.txt", "other");
         },
         true, Fault::kNone, L""},
        {"folders only: a folder missing",
         [](std::wstring const& c) { RemoveDirectoryW((c + L"\\empty").c_str()); }, true,
         Fault::kMissing, L"empty"},
        {"no copy at all", [](std::wstring const& c) { testsupport::RemoveTree(c); }, true,
         Fault::kMissing, L""},
    };
    TreeListing listing;
    ASSERT_TRUE(listing.Take(C_WString(src.c_str())));
    EXPECT_EQ(twins ? 3 : 2, listing.Files());
    int n = 0;
    auto copyOf = [&]() {
        std::wstring copy = dir / (L"copy" + std::to_wstring(n++));
        for (wchar_t const* folder : {L"", L"\\sub", L"\\empty"}) {
            CreateDirectoryW((copy + folder).c_str(), nullptr);
        }
        // CopyFileW keeps the write time; the twins' copy holds one of them only, as a
        // case-blind target does.
        for (wchar_t const* file : {L"\\sub\\a.txt", L"\\A.txt"}) {
            CopyFileW((src + file).c_str(), (copy + file).c_str(), FALSE);
        }
        return copy;
    };
    for (Row const& row : rows) {
        std::wstring copy = copyOf();
        if (twins) {
            ASSERT_TRUE(CopyAsTwin(copy + L"\\A.txt", copy, "a.txt"));
        }
        row.spoil(copy);
        TreeListing::Result r = listing.Check(C_WString(copy.c_str()), row.foldersOnly);
        EXPECT_EQ(row.fault, r.fault) << row.what;
        EXPECT_EQ(std::wstring(row.path), r.path) << row.what;
    }
    if (twins) {
        // One name for both twins: the lower-case one is missing under its own name.
        TreeListing::Result r = listing.Check(C_WString(copyOf().c_str()), false);
        EXPECT_EQ(Fault::kMissing, r.fault);
        EXPECT_EQ(std::wstring(L"a.txt"), r.path);
    }
    // The walks stop on the run's abort flag.
    std::atomic<int> abort(1);
    EXPECT_EQ(Fault::kAborted, listing.Check(C_WString(copyOf().c_str()), false, &abort).fault);
    TreeListing stopped;
    EXPECT_FALSE(stopped.Take(C_WString(src.c_str()), &abort));
    EXPECT_EQ(Fault::kUnlisted, stopped.Check(C_WString(copyOf().c_str()), false).fault);
}

TEST(CopyRun, ChecksComeInTheDialogsOrderAndRefuseWithOneMessage) {
    TempDir dir;
    std::wstring src = dir / L"src";
    CreateDirectoryW(src.c_str(), nullptr);
    struct Case {
        wchar_t const* source;
        wchar_t const* destination;
        char const* count;
        std::wstring expected;
    };
    std::wstring out = dir / L"out";
    const Case cases[] = {
        {L"", L"", "x", L"コピー元＆コピー先が同一です。"}, // equality before emptiness
        {src.c_str(), L"", "x", L"コピー先が認識できませんでした。"},
        {L"", out.c_str(), "x", L"コピー元が認識できません。"},
        {L"Z:\\", out.c_str(), "1", L"コピー元が認識できません。"}, // no last name
        {L"Z:", out.c_str(), "1", L"コピー元が認識できません。"},
        {L".", out.c_str(), "1", L"コピー元が認識できません。"},
        {(src + L"\\.").c_str(), out.c_str(), "1", L"コピー元が認識できません。"},
        {src.c_str(), out.c_str(), "x", L"生成回数が不正です。"},
        {src.c_str(), out.c_str(), "0", L"生成回数が不正です。"},
    };
    for (Case const& c : cases) {
        CopySettings s;
        s.source = c.source;
        s.destination = c.destination;
        s.count_valid = ParseCountText(C_WString(c.count), &s.count);
        RecordingFront front;
        EXPECT_TRUE(PrepareCopyRun(s, front).IsNull());
        ASSERT_EQ(1u, front.said.size());
        EXPECT_EQ(c.expected, front.said[0]);
    }
    EXPECT_FALSE(batch_test::IsDir(out)); // nothing made before the question
}

TEST(CopyRun, RefusesCopiesOutsideTheContainerOrWhereNoContainerCanBe) {
    TempDir dir;
    std::wstring out = dir / L"out";
    CopySettings s = PhotoSettings(dir, 3);
    struct Case {
        wchar_t const* cat1;
        wchar_t const* cat2;
        int rule;
        bool badCharacter;
    };
    // A joining text that climbs out of the container, or that breaks the copier's quoting:
    // refused before the question, nothing made.
    // A character no folder name holds is the joining texts' fault, and the message says so.
    for (Case const& c : {Case{L"\\..\\..", L"", 1, false}, Case{L"/../x", L"", 0, false},
                          Case{L"", L"\\..", 0, false}, Case{L"\" /L \"", L"", 2, true},
                          Case{L"a", L"b|c", 0, true}}) {
        s.texts.dir_cat1 = c.cat1;
        s.texts.dir_cat2 = c.cat2;
        s.dir_rule = c.rule;
        RecordingFront front;
        front.answers = {true, true};
        EXPECT_TRUE(PrepareCopyRun(s, front).IsNull());
        ASSERT_EQ(1u, front.said.size());
        EXPECT_EQ(std::wstring(c.badCharacter ? L"連結文字に使えない文字が含まれています。"
                                              : L"コピー先が認識できませんでした。"),
                  front.said[0]);
    }
    EXPECT_FALSE(batch_test::IsDir(out));

    // A destination that is a file, or a file where the container would go: no container can
    // be made, which the run says after the question.
    s.texts.dir_cat1 = L"\\sub";
    s.texts.dir_cat2 = L"";
    ASSERT_TRUE(batch_test::WriteBytes(out, "a file"));
    std::wstring out2 = dir / L"out2";
    CreateDirectoryW(out2.c_str(), nullptr);
    ASSERT_TRUE(batch_test::WriteBytes(out2 + L"\\photo", "in the way"));
    // A destination pasted with its quotes names no folder.
    std::wstring quoted = L"\"" + out2 + L"\"";
    for (std::wstring const& destination : {out, out2, out + L"\\deeper", quoted}) {
        s.destination = destination.c_str();
        RecordingFront front;
        front.answers = {true, true};
        EXPECT_TRUE(PrepareCopyRun(s, front).IsNull());
        ASSERT_EQ(2u, front.said.size());
        EXPECT_EQ(std::wstring(L"コピー先が認識できませんでした。"), front.said[1]);
    }
    EXPECT_TRUE(batch_test::IsFile(out2 + L"\\photo"));
}

TEST(CopyRun, RefusesARunWhoseCopyWouldBeNamedLikeADevice) {
    TempDir dir;
    std::wstring com = dir / L"com";
    std::wstring co = dir / L"co";
    CreateDirectoryW(com.c_str(), nullptr);
    CreateDirectoryW(co.c_str(), nullptr);
    std::wstring out = dir / L"out";
    struct Case {
        std::wstring source;
        int count;
        int counterKind;
        int rule;
        wchar_t const* cat1;
        bool refused;
    };
    const Case cases[] = {
        {com, 3, 0, 0, L"", true},    // com1: a serial port
        {com, 3, 0, 1, L"_", false},  // com_1
        {co, 13, 1, 0, L"", false},   // coa .. com
        {co, 14, 1, 0, L"", true},    // the 14th copy would be con
        {co, 99, 1, 1, L"\\", false}, // co\a ..
        {com, 1, 1, 1, L"\\nul.", true},
    };
    for (Case const& c : cases) {
        CopySettings s;
        s.source = c.source.c_str();
        s.destination = out.c_str();
        s.count = c.count;
        s.counter_kind = c.counterKind;
        s.dir_rule = c.rule;
        s.texts.dir_cat1 = c.cat1;
        RecordingFront front; // every question answered No
        EXPECT_TRUE(PrepareCopyRun(s, front).IsNull());
        ASSERT_EQ(1u, front.said.size());
        EXPECT_EQ(c.refused ? std::wstring(L"コピー先が認識できませんでした。")
                            : std::wstring(L"? コピーを実行します。続けて良いですか？"),
                  front.said[0])
            << c.count;
    }
    EXPECT_FALSE(batch_test::IsDir(out));
}

TEST(CopyRun, QuestionsDecideAndTheRecordIsFilled) {
    TempDir dir;
    std::wstring src = dir / L"photo";
    CreateDirectoryW(src.c_str(), nullptr);
    CopySettings s;
    s.source = (src + L"/").c_str(); // trailing separator and slashes are normalised
    s.destination = (dir / L"out").c_str();
    s.count = 100;
    {
        RecordingFront front; // No to the first question: no container
        EXPECT_TRUE(PrepareCopyRun(s, front).IsNull());
        EXPECT_FALSE(batch_test::IsDir(dir / L"out\\photo"));
    }
    {
        RecordingFront front; // Yes, then No for 100 copies: the container stays
        front.answers = {true, false};
        EXPECT_TRUE(PrepareCopyRun(s, front).IsNull());
        EXPECT_EQ(2u, front.said.size());
        EXPECT_TRUE(batch_test::IsDir(dir / L"out\\photo"));
    }
    RecordingFront front;
    front.answers = {true, true};
    s.counter_kind = 1;
    s.dir_rule = 2;
    s.txt_rule = -1;
    s.text_output = true;
    ktora::common::Pointer<CopyState> state = PrepareCopyRun(s, front);
    ASSERT_FALSE(state.IsNull());
    EXPECT_FALSE(state->is_number);
    EXPECT_EQ(1, state->name_order);
    EXPECT_EQ(3, state->text_order);
    EXPECT_EQ(std::wstring(src), state->src_dir.GetString());
    EXPECT_EQ(dir / L"out\\photo", state->dest_dir.GetString());
    EXPECT_TRUE(batch_test::IsFile(dir / L"out\\photo\\outinfo.txt"));
    // One xcopy at a time by default; the built-in copier's writers are the cores, at most 8.
    EXPECT_FALSE(state->builtin);
    EXPECT_EQ(1, state->jobs);
    s.copy_builtin = true;
    RecordingFront again; // run, outinfo.txt written over, 100 copies
    again.answers = {true, true, true};
    ktora::common::Pointer<CopyState> builtin = PrepareCopyRun(s, again);
    ASSERT_FALSE(builtin.IsNull());
    EXPECT_TRUE(builtin->builtin);
    DWORD cores = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
    EXPECT_EQ(static_cast<int>(cores < 8 ? cores : 8), builtin->jobs);

    // An abort before the first copy: no copy, no completion, nothing told.
    std::atomic<int> abort(1);
    RecordingFront runFront;
    EXPECT_EQ(RunOutcome::kAborted, RunCopies(*state, abort, runFront));
    EXPECT_EQ(0, runFront.completed);
    EXPECT_TRUE(runFront.said.empty());
    EXPECT_EQ(0, batch_test::CountDirs(dir / L"out\\photo"));
}

TEST(CopyRun, ACopyThatFailsIsNotReportedAsDone) {
    TempDir dir;
    CopySettings s = PhotoSettings(dir, 3);
    ASSERT_TRUE(batch_test::WriteBytes(dir / L"photo\\a.txt", "abc"));
    std::atomic<int> abort(0);
    {
        RecordingFront front;
        front.answers = {true};
        ktora::common::Pointer<CopyState> state = PrepareCopyRun(s, front);
        ASSERT_FALSE(state.IsNull());
        RecordingFront runFront;
        EXPECT_EQ(RunOutcome::kDone, RunCopies(*state, abort, runFront));
        ASSERT_EQ(1u, runFront.said.size());
        EXPECT_EQ(std::wstring(L"コピーが終了しました。"), runFront.said[0]);
    }
    // A copier that answers 1 ("nothing copied", which the system's may answer for a folder-only
    // copy of a source with files) over whole copies: the check decides, and a whole copy is
    // never failed; a copy that lacks a file is, whatever the copier said.
    for (bool treeOnly : {true, false, false}) {
        RecordingFront front;
        front.answers = {true, true};
        ktora::common::Pointer<CopyState> state = PrepareCopyRun(s, front);
        ASSERT_FALSE(state.IsNull());
        state->copier = batch_test::BatchExe().c_str(); // refuses the copier's switches: 1
        state->tree_only = treeOnly;
        RecordingFront runFront;
        bool whole = batch_test::IsFile(dir / L"out\\photo\\photo3\\a.txt");
        EXPECT_EQ(whole ? RunOutcome::kDone : RunOutcome::kFailures,
                  RunCopies(*state, abort, runFront));
        ASSERT_EQ(1u, runFront.said.size());
        EXPECT_EQ(whole ? std::wstring(L"コピーが終了しました。")
                        : std::wstring(L"コピーが終了しました。\n1 個のコピーに失敗しました。\n"
                                       L"photo3 (ファイルがありません: a.txt)"),
                  runFront.said[0]);
        if (!treeOnly) {
            DeleteFileW((dir / L"out\\photo\\photo3\\a.txt").c_str());
        }
    }
    // The second copy's folder is taken by a file: that copy fails, the run goes on and says so.
    std::wstring container = dir / L"out\\photo";
    std::wstring blocked = container + L"\\photo2";
    ASSERT_TRUE(DeleteFileW((blocked + L"\\a.txt").c_str()));
    ASSERT_TRUE(RemoveDirectoryW(blocked.c_str()));
    ASSERT_TRUE(batch_test::WriteBytes(blocked, "in the way"));
    {
        // The earlier copies would be written over: asked after the run's question, No by
        // default, and No leaves everything as it was.
        RecordingFront front;
        front.answers = {true, false};
        EXPECT_TRUE(PrepareCopyRun(s, front).IsNull());
        ASSERT_EQ(2u, front.said.size());
        EXPECT_EQ(L"? コピー先に同じ名前のフォルダが 2 個あります。上書きしますか？",
                  front.said[1]);
    }
    RecordingFront front;
    front.answers = {true, true};
    ktora::common::Pointer<CopyState> state = PrepareCopyRun(s, front);
    ASSERT_FALSE(state.IsNull());
    RecordingFront runFront;
    EXPECT_EQ(RunOutcome::kFailures, RunCopies(*state, abort, runFront));
    EXPECT_EQ(1, runFront.completed);
    ASSERT_EQ(1u, runFront.said.size());
    EXPECT_EQ(std::wstring(
                  L"コピーが終了しました。\n1 個のコピーに失敗しました。\nphoto2 (終了コード 5)"),
              runFront.said[0]);
    EXPECT_TRUE(batch_test::IsFile(container + L"\\photo3\\a.txt"));
    EXPECT_TRUE(batch_test::IsFile(blocked));

    // A copier that cannot be started fails its copy, and the others go on; the message names
    // the first five.
    s.count = 7;
    s.texts.dir_cat1 = L"_x";
    RecordingFront again;
    again.answers = {true, true};
    state = PrepareCopyRun(s, again);
    ASSERT_FALSE(state.IsNull());
    state->copier = (dir / L"no-such-copier.exe").c_str();
    state->jobs = 2;
    RecordingFront noCopier;
    EXPECT_EQ(RunOutcome::kFailures, RunCopies(*state, abort, noCopier));
    ASSERT_EQ(1u, noCopier.said.size());
    std::wstring notStarted = L" (コピーを起動できませんでした)\n";
    EXPECT_EQ(L"コピーが終了しました。\n7 個のコピーに失敗しました。\nphoto1_x" + notStarted +
                  L"photo2_x" + notStarted + L"photo3_x" + notStarted + L"photo4_x" + notStarted +
                  L"photo5_x" + notStarted + L"…",
              noCopier.said[0]);
}

TEST(CopyRun, ASummaryThatCannotBeWrittenIsNotPassedOverInSilence) {
    TempDir dir;
    CopySettings s = PhotoSettings(dir, 2);
    s.text_output = true;
    std::wstring container = dir / L"out\\photo";
    CreateDirectoryW((dir / L"out").c_str(), nullptr);
    ASSERT_TRUE(CreateDirectoryW(container.c_str(), nullptr));
    // Another program holds last run's summary open without sharing.
    std::wstring outInfo = container + L"\\outinfo.txt";
    ASSERT_TRUE(batch_test::WriteBytes(outInfo, "old1\r\nold2\r\n"));
    HANDLE held = CreateFileW(outInfo.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    RecordingFront front;
    front.answers = {true, true}; // outinfo.txt is there: the overwrite question

    ktora::common::Pointer<CopyState> state = PrepareCopyRun(s, front);
    ASSERT_FALSE(state.IsNull());
    std::atomic<int> abort(0);
    RecordingFront runFront;
    EXPECT_EQ(RunOutcome::kFailures, RunCopies(*state, abort, runFront));
    ASSERT_EQ(1u, runFront.said.size());
    EXPECT_EQ(std::wstring(L"コピーが終了しました。\noutinfo.txt を書き込めませんでした。"),
              runFront.said[0]);
    EXPECT_TRUE(batch_test::IsDir(container + L"\\photo2")); // the copies were made
    CloseHandle(held);
}

TEST(Profile, LoadingFollowsTheDialogsRules) {
    TempDir dir;
    std::wstring path = dir / L"p.txt";
    CopySettings s;
    s.texts.dir_cat1 = L"keep";
    s.count = 5;
    s.text_output = true;
    s.txt_rule = 2;
    // Empty text values and a count of 0 change nothing; the rule keys always apply.
    // Bad values of the number and structure keys leave their settings alone.
    s.start = 7;
    s.width = 2;
    s.tree_only = true;
    s.copy_builtin = true;
    ASSERT_TRUE(
        batch_test::WriteBytes(path, "dir_cat1=\r\ndir_rule=5\r\ndir_type=2\r\nmake_count=0\r\n"
                                     "dir_start=-5\r\ndir_width=10\r\ndir_tree_only=2\r\n"
                                     "copy_builtin=yes\r\n"
                                     "txt_front=" +
                                         batch_test::Sjis(L"前") + "\r\n"));
    ProfileValues v;
    ASSERT_TRUE(ReadProfile(C_WString(path.c_str()), &v));
    ApplyProfile(v, &s);
    EXPECT_EQ(std::wstring(L"keep"), s.texts.dir_cat1.GetString());
    EXPECT_EQ(std::wstring(L"前"), s.texts.txt_front.GetString());
    EXPECT_EQ(-1, s.dir_rule); // past the list: no selection, as in the dialog
    EXPECT_EQ(0, s.counter_kind);
    EXPECT_EQ(0, s.txt_rule);
    EXPECT_FALSE(s.text_output);
    EXPECT_EQ(5, s.count);
    EXPECT_EQ(7, s.start);
    EXPECT_EQ(2, s.width);
    EXPECT_TRUE(s.tree_only);
    EXPECT_TRUE(s.copy_builtin);
    EXPECT_TRUE(s.start_valid && s.width_valid);
    EXPECT_EQ(1u, v.ignored.size()); // make_count=0
    // dir_list selects the list counter, after make_count: the list's count wins.
    ASSERT_TRUE(batch_test::WriteBytes(path, "make_count=7\r\ndir_list=roster.txt\r\n"));
    ASSERT_TRUE(ReadProfile(C_WString(path.c_str()), &v));
    ApplyProfile(v, &s);
    EXPECT_EQ(kCounterKindList, s.counter_kind);
    EXPECT_EQ(std::wstring(L"roster.txt"), s.name_list.GetString());
    EXPECT_TRUE(s.count_from_list);
}

TEST(Profile, BrokenFilesGiveValuesTheRunCanTake) {
    TempDir dir;
    std::wstring junk = dir / L"junk.txt";
    std::string bytes;
    unsigned seed = 12345;
    for (int i = 0; i < 65536; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes.push_back(static_cast<char>(seed >> 16));
    }
    std::string longLine(1 << 20, 'x');
    std::wstring huge = dir / L"huge.txt";
    std::wstring empty = dir / L"empty.txt";
    ASSERT_TRUE(batch_test::WriteBytes(junk, bytes));
    ASSERT_TRUE(batch_test::WriteBytes(huge, "txt_front=" + longLine +
                                                 "\r\nmake_count=99999999999\r\n"
                                                 "dir_rule=2147483647\r\ntxt_rule=-2147483648\r\n"
                                                 "dir_type=" +
                                                 longLine + "\r\n"));
    ASSERT_TRUE(batch_test::WriteBytes(empty, ""));
    for (std::wstring const& path : {junk, huge, empty}) {
        CopySettings s;
        s.count = 5;
        ProfileValues v;
        ASSERT_TRUE(ReadProfile(C_WString(path.c_str()), &v));
        ApplyProfile(v, &s);
        EXPECT_GE(v.make_count, 0);
        // A count beyond the int range is refused as /n and the dialog refuse it, never cut.
        EXPECT_EQ(path != huge, s.count_valid);
        EXPECT_GT(s.count, 0);
        EXPECT_TRUE(s.dir_rule >= -1 && s.dir_rule < 3) << s.dir_rule;
        EXPECT_TRUE(s.txt_rule >= -1 && s.txt_rule < 4) << s.txt_rule;
        EXPECT_TRUE(s.counter_kind == 0 || s.counter_kind == 1);
        if (path == empty) { // every key missing: the rules reset, the count stays
            EXPECT_EQ(5, s.count);
            EXPECT_EQ(0, s.dir_rule);
            EXPECT_EQ(0, s.txt_rule);
            EXPECT_FALSE(s.text_output);
        }
        if (path == huge) {
            EXPECT_EQ(-1, s.dir_rule);
            EXPECT_EQ(0, s.txt_rule);
            EXPECT_EQ(1 << 20, s.texts.txt_front.Length());
        }
    }
}

TEST(Batch, CountTextAndOptions) {
    int v = 0;
    EXPECT_TRUE(ParseCountText(C_WString(L" 12 "), &v));
    EXPECT_EQ(12, v);
    EXPECT_TRUE(ParseCountText(C_WString(L"-3"), &v));
    EXPECT_EQ(-3, v);
    EXPECT_TRUE(ParseCountText(C_WString(L"2147483647"), &v));
    EXPECT_FALSE(ParseCountText(C_WString(L"2147483648"), &v));
    EXPECT_FALSE(ParseCountText(C_WString(L"99999999999999999999"), &v));
    for (wchar_t const* bad : {L"", L" ", L"12a", L"1 2", L"-", L"0x10"}) {
        EXPECT_FALSE(ParseCountText(C_WString(bad), &v)) << batch_test::Sjis(bad);
    }

    // Options after a non-option entry still count; upper case works; /p applies first.
    std::vector<std::wstring> words = {L"kasumido-batch",
                                       L"/D",
                                       L"d",
                                       L"/1",
                                       L"t1",
                                       L"/o",
                                       L"1",
                                       L"/k",
                                       L"1",
                                       L"/y",
                                       L"/s",
                                       L"s",
                                       L"/C",
                                       L"1"};
    std::vector<wchar_t*> argv;
    for (std::wstring& w : words) {
        argv.push_back(&w[0]);
    }
    BatchOptions o;
    C_WString error;
    ASSERT_EQ(1, ParseBatchOptions(static_cast<int>(argv.size()), argv.data(), &o, &error));
    EXPECT_EQ(std::wstring(L"s"), o.settings.source.GetString());
    EXPECT_EQ(std::wstring(L"d"), o.settings.destination.GetString());
    EXPECT_EQ(std::wstring(L"t1"), o.settings.texts.txt_cat1.GetString());
    EXPECT_TRUE(o.settings.text_output);
    EXPECT_EQ(1, o.settings.counter_kind);
    EXPECT_TRUE(o.yes_to_all);
    EXPECT_EQ(1, o.settings.count); // the dialog's start value
    EXPECT_TRUE(o.settings.copy_builtin);
    EXPECT_EQ(0, o.jobs); // the copier's default
    // ":" names no option although the letter list holds it.
    std::vector<std::wstring> colon = {L"kasumido-batch", L"/:", L"/y"};
    std::vector<wchar_t*> colonArgv = {&colon[0][0], &colon[1][0], &colon[2][0]};
    BatchOptions c;
    EXPECT_EQ(0, ParseBatchOptions(3, colonArgv.data(), &c, &error));
    EXPECT_EQ(std::wstring(L"/: 無効なオプションです。 (unknown option)"), error.GetString());
    // The caller's vector is left as it was.
    EXPECT_EQ(std::wstring(L"/D"), argv[1]);
}

TEST(CopyPlan, NamesComeFromTheIndexAndExistingTargetsFromOneListing) {
    TempDir dir;
    CopySettings s = PhotoSettings(dir, 2000000000);
    s.texts.dir_cat1 = L"_x";
    CopyPlan plan = MakeCopyPlan(s);
    ASSERT_FALSE(plan.IsRefused());
    EXPECT_EQ(std::wstring(L"photo2000000000_x"), plan.FolderName(1999999999).GetString());
    // A letter counter that long can make no folder name: refused without stepping.
    s.counter_kind = 1;
    EXPECT_EQ(CopyRefusal::kNameTooLong, MakeCopyPlan(s).refusal);

    // Some targets exist beside unrelated folders, a file and a name padded otherwise.
    s.counter_kind = 0;
    s.count = 12;
    s.text_output = true;
    std::wstring container = dir / L"out\\photo";
    CreateDirectoryW((dir / L"out").c_str(), nullptr);
    CreateDirectoryW(container.c_str(), nullptr);
    for (wchar_t const* name : {L"photo2_x", L"PHOTO11_X", L"photo12_x", L"photo13_x", L"photo02_x",
                                L"photo3", L"other", L"photo_x"}) {
        CreateDirectoryW((container + L"\\" + name).c_str(), nullptr);
    }
    batch_test::WriteBytes(container + L"\\photo5_x", "a file, not a copy");
    batch_test::WriteBytes(container + L"\\outinfo.txt", "");
    ExistingTargets existing = FindExistingTargets(MakeCopyPlan(s));
    EXPECT_TRUE(existing.known);
    EXPECT_EQ((std::vector<int>{1, 10, 11}), existing.indices);
    EXPECT_TRUE(existing.out_info);
    EXPECT_EQ(3, existing.Count()); // folders only
    // A joining text with a separator: the folder below the container is listed.
    s.texts.dir_cat1 = L"";
    s.texts.dir_cat2 = L"\\sub";
    CreateDirectoryW((container + L"\\photo4\\sub").c_str(), nullptr);
    CreateDirectoryW((container + L"\\photo4").c_str(), nullptr);
    CreateDirectoryW((container + L"\\photo4\\sub").c_str(), nullptr);
    CreateDirectoryW((container + L"\\photo6").c_str(), nullptr); // no sub: not a target
    EXPECT_EQ((std::vector<int>{3}), FindExistingTargets(MakeCopyPlan(s)).indices);
}

TEST(CopyPlan, NamesFromAList) {
    TempDir dir;
    CreateDirectoryW((dir / L"co").c_str(), nullptr);
    std::wstring list = dir / L"names.txt";
    const std::wstring longName(250, L'x');
    enum Encoding { kUtf8, kUtf8Mark, kUtf16, kSjis };
    struct Row {
        std::wstring text;
        int rule;
        int count;             // 0: the list's
        std::wstring expected; // first | last name, or the refusal
        Encoding encoding = kUtf8;
        wchar_t const* source = L"photo";
    };
    const Row rows[] = {
        // Three names in each arrangement, from each encoding.
        {L"山田\n佐藤\n鈴木\n", 0, 0, L"photo山田_x|photo鈴木_x"},
        {L"山田\r\n佐藤\r\n鈴木", 1, 3, L"photo_x山田|photo_x鈴木", kUtf8Mark},
        {L"山田\r佐藤\r鈴木\r", 2, 0, L"photo_山田x|photo_鈴木x", kUtf16},
        {L"山田\n佐藤\n鈴木\n", 2, 0, L"photo_山田x|photo_鈴木x", kSjis},
        // Comments, blank lines and U+3000 around a name; editor line numbers.
        {L"# roster\r\n\r\n\u3000太郎\u3000\r\n\t# not a name\r\n  花子 \t\r\n", 0, 0,
         L"photo太郎_x|photo花子_x"},
        {L"# roster\n\na\n b \n\nc/d\n", 0, 0, L"名前リストの 6 行目の名前は使えません。"},
        // A bad name on line 3: a character, a dot at the end, a device, a path, too long.
        {L"a\nb\nc:d\n", 0, 0, L"名前リストの 3 行目の名前は使えません。"},
        {L"a\nb\nc.\n", 0, 0, L"名前リストの 3 行目の名前は使えません。"},
        {L"a\nb\nCOM1\n", 0, 0, L"名前リストの 3 行目の名前は使えません。"},
        {L"a\nb\nx\\y\n", 0, 0, L"名前リストの 3 行目の名前は使えません。"},
        {L"a\nb\n" + std::wstring(256, L'y') + L"\n", 0, 0,
         L"名前リストの 3 行目の名前は使えません。"},
        // The same name twice, without regard to case: the first line that repeats one.
        {L"Ann\nbob\nANN\n", 0, 0, L"名前リストの 3 行目が 1 行目と同じです。"},
        {L"b\na\nA\nB\n", 0, 0, L"名前リストの 3 行目が 2 行目と同じです。"},
        {L"a\nb\nB\n::\n", 0, 0, L"名前リストの 3 行目が 2 行目と同じです。"},
        // A count that is not the number of names; no name; no file.
        {L"a\nb\nc\n", 0, 2, L"生成回数が名前リストの名前の数 (3) と違います。"},
        {L"# only a comment\n\n\u3000\n", 0, 0, L"名前リストに名前がありません。"},
        // Joined to the folder's name: a device ("co" + "m1") or a name too long, though
        // the last name is short.
        {L"x\nm1\ny\n", 0, 0, L"コピー先が認識できませんでした。", kUtf8, L"co"},
        {L"x\nm10\n", 0, 0, L"cox|com10", kUtf8, L"co"},
        {longName + L"\nb\n", 0, 0, L"フォルダ名が長すぎます。"},
    };
    for (Row const& row : rows) {
        std::string bytes;
        switch (row.encoding) {
        case kUtf8:
        case kUtf8Mark: {
            int n =
                WideCharToMultiByte(CP_UTF8, 0, row.text.c_str(), -1, nullptr, 0, nullptr, nullptr);
            bytes.assign(static_cast<size_t>(n), '\0');
            WideCharToMultiByte(CP_UTF8, 0, row.text.c_str(), -1, &bytes[0], n, nullptr, nullptr);
            bytes.pop_back();
            if (row.encoding == kUtf8Mark) {
                bytes = "\xEF\xBB\xBF" + bytes;
            }
            break;
        }
        case kUtf16:
            bytes = "\xFF\xFE" + std::string(reinterpret_cast<char const*>(row.text.data()),
                                             row.text.size() * 2);
            break;
        case kSjis:
            bytes = batch_test::Sjis(row.text);
            break;
        }
        ASSERT_TRUE(batch_test::WriteBytes(list, bytes));
        CopySettings s = PhotoSettings(dir, row.count);
        s.source = (dir / row.source).c_str();
        s.counter_kind = kCounterKindList;
        s.name_list = list.c_str();
        s.count_from_list = row.count == 0;
        s.dir_rule = row.rule;
        s.texts.dir_cat1 = row.source == std::wstring(L"co") ? L"" : L"_";
        s.texts.dir_cat2 = row.source == std::wstring(L"co") ? L"" : L"x";
        s.start_valid = false; // ignored with a list
        CopyPlan plan = MakeCopyPlan(s);
        std::wstring got = plan.IsRefused() ? std::wstring(RefusalMessage(plan).GetString())
                                            : std::wstring(plan.FolderName(0).GetString()) + L"|" +
                                                  plan.FolderName(plan.count - 1).GetString();
        EXPECT_EQ(row.expected, got) << batch_test::Sjis(row.text);
    }
    CopySettings s = PhotoSettings(dir, 0);
    s.counter_kind = kCounterKindList;
    s.count_from_list = true;
    s.name_list = (dir / L"missing.txt").c_str();
    EXPECT_EQ(std::wstring(L"名前リストを読めませんでした。"),
              RefusalMessage(MakeCopyPlan(s)).GetString());

    // Read once and shared: an unchanged file is not read again, a changed one is. Existing
    // targets are found through the list's case-blind table.
    ASSERT_TRUE(batch_test::WriteBytes(list, "Ann\r\nbob\r\ncy\r\n"));
    s.name_list = list.c_str();
    s.text_output = true;
    CopyPlan plan = MakeCopyPlan(s);
    ASSERT_FALSE(plan.IsRefused());
    EXPECT_EQ(plan.name_list.get(), plan.first.names.get());
    EXPECT_EQ(std::wstring(L"photobob"), plan.FolderName(1).GetString());
    EXPECT_EQ(std::wstring(L"photocy"), plan.TextLine(2).GetString());
    s.loaded_list = plan.name_list;
    EXPECT_EQ(plan.name_list.get(), MakeCopyPlan(s).name_list.get());
    std::wstring container = dir / L"out\\photo";
    CreateDirectoryW((dir / L"out").c_str(), nullptr);
    CreateDirectoryW(container.c_str(), nullptr);
    for (wchar_t const* name : {L"PHOTOBOB", L"photoann", L"photodan", L"photo"}) {
        CreateDirectoryW((container + L"\\" + name).c_str(), nullptr);
    }
    EXPECT_EQ((std::vector<int>{0, 1}), FindExistingTargets(plan).indices);
    ASSERT_TRUE(batch_test::WriteBytes(list, "Ann\r\nbob\r\ncy\r\ndan\r\n"));
    CopyPlan changed = MakeCopyPlan(s);
    EXPECT_NE(plan.name_list.get(), changed.name_list.get());
    EXPECT_EQ(4, changed.count);
}
