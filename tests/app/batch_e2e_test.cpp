// kasumido-batch.exe end to end: real runs under the prefix's copier, every refusal, an abort.
#include <gtest/gtest.h>

#include "app/batch_helpers.h"

using namespace batch_test;

namespace {

// A small tree to copy: two files, a sub-folder and an empty folder.
struct Tree {
    TempDir dir;
    std::wstring source = dir / L"photo";
    std::wstring out = dir / L"out";
    Tree() {
        CreateDirectoryW(source.c_str(), nullptr);
        CreateDirectoryW((source + L"\\sub").c_str(), nullptr);
        CreateDirectoryW((source + L"\\empty").c_str(), nullptr);
        CreateDirectoryW(out.c_str(), nullptr);
        WriteBytes(source + L"\\a.txt", "hello\r\n");
        WriteBytes(source + L"\\sub\\b.txt", "b");
    }
    std::wstring Args(std::wstring const& more) const {
        return L"/s \"" + source + L"\" /d \"" + out + L"\" " + more;
    }
    bool IsCopy(std::wstring const& name) const {
        std::wstring copy = out + L"\\photo\\" + name;
        return ReadBytes(copy + L"\\a.txt") == "hello\r\n" &&
               ReadBytes(copy + L"\\sub\\b.txt") == "b" && IsDir(copy + L"\\empty");
    }
};

bool Has(std::wstring const& text, std::wstring const& part) {
    return text.find(part) != std::wstring::npos;
}

} // namespace

TEST(BatchEndToEnd, RunMakesNamedCopiesWithSummaryFromProfileAndOptions) {
    Tree t;
    // The profile sets the letter counter, a joining text and text output; the options override
    // the count and add a leading text.
    std::wstring profile = t.dir / L"写真.txt";
    ASSERT_TRUE(
        WriteBytes(profile, "dir_cat1=_\r\ndir_type=1\r\ntxt_enable=1\r\nmake_count=7\r\n"));
    BatchResult r = RunBatchExe(t.Args(L"/p \"" + profile + L"\" /N 3 /f " + L"ID: /Y"));
    EXPECT_EQ(0, r.exit_code) << r.err.size();
    for (wchar_t const* name : {L"photoa_", L"photob_", L"photoc_"}) {
        EXPECT_TRUE(t.IsCopy(name)) << Sjis(name);
    }
    EXPECT_EQ(3, CountDirs(t.out + L"\\photo"));
    EXPECT_EQ("ID:photoa_\r\nID:photob_\r\nID:photoc_\r\n",
              ReadBytes(t.out + L"\\photo\\outinfo.txt"));
    // One progress line per copy on standard output, the messages on standard error.
    std::wstring base = t.out + L"\\photo\\photo";
    EXPECT_TRUE(Has(r.out, L"[1/3] " + base + L"a_  (経過 0:0"));
    EXPECT_TRUE(Has(r.out, L"[3/3] " + base + L"c_"));
    EXPECT_TRUE(Has(r.err, L"コピーを実行します。続けて良いですか？"));
    EXPECT_TRUE(Has(r.err, L"コピーが終了しました。"));
    EXPECT_FALSE(Has(r.out, L"コピーが終了しました。"));
}

TEST(BatchEndToEnd, QuestionsAreAnsweredFromInput) {
    Tree t;
    // Yes to the first question, No to the one for 100 copies: the container stays, empty.
    BatchResult no = RunBatchExe(t.Args(L"/n 100"), "y\r\nn\r\n");
    EXPECT_EQ(1, no.exit_code);
    EXPECT_TRUE(Has(no.err, L"複製回数が非常に多いですが、実行しても良いですか？"));
    EXPECT_TRUE(IsDir(t.out + L"\\photo"));
    EXPECT_EQ(0, CountDirs(t.out + L"\\photo"));
    // No input at all answers No: nothing is made.
    TempDir other;
    BatchResult none = RunBatchExe(L"/s \"" + t.source + L"\" /d \"" + other.Path() + L"\"");
    EXPECT_EQ(1, none.exit_code);
    EXPECT_FALSE(IsDir(other / L"photo"));
    // An answer of y runs it.
    BatchResult yes = RunBatchExe(t.Args(L"/n 1 /k 1 /r 1 /a x"), "y\n");
    EXPECT_EQ(0, yes.exit_code);
    EXPECT_TRUE(t.IsCopy(L"photoxa"));
}

TEST(BatchEndToEnd, EveryRefusalHasTheDialogsTextAndExitCodeOne) {
    Tree t;
    std::wstring file = t.dir / L"file.txt";
    WriteBytes(file, "x");
    struct Case {
        std::wstring args;
        wchar_t const* message;
    };
    const Case cases[] = {
        {L"/s \"" + t.source + L"\" /d \"" + t.source + L"/\" /y",
         L"コピー元＆コピー先が同一です。"},
        {L"/y", L"コピー元＆コピー先が同一です。"}, // both empty: equal before empty
        {L"/s \"" + t.source + L"\" /y", L"コピー先が認識できませんでした。"},
        {L"/s \"" + (t.dir / L"missing") + L"\" /d \"" + t.out + L"\" /y",
         L"コピー元が認識できません。"},
        {L"/s \"" + file + L"\" /d \"" + t.out + L"\" /y", L"コピー元が認識できません。"},
        {t.Args(L"/n 0 /y"), L"生成回数が不正です。"},
        {t.Args(L"/n -3 /y"), L"生成回数が不正です。"},
        {t.Args(L"/n abc /y"), L"生成回数が不正です。"},
        // The container cannot be made below a file.
        {L"/s \"" + t.source + L"\" /d \"" + file + L"\\deeper\" /y",
         L"コピー先が認識できませんでした。"},
        // A joining text that would put the copies outside the container, and a source with
        // no last name to name the container after.
        {t.Args(L"/a ..\\..\\x /y"), L"コピー先が認識できませんでした。"},
        {L"/s Z:\\ /d \"" + t.out + L"\" /y", L"コピー元が認識できません。"},
        // Usage errors.
        {t.Args(L"/x"), L"/x 無効なオプションです。"},
        {t.Args(L"/n"), L"/n オプションに引数が必要です。"},
        {t.Args(L"/r 3"), L"/r の値が不正です: 3"},
        {t.Args(L"extra"), L"余分な引数です: extra"},
        {t.Args(L"/p \"" + (t.dir / L"nothere.txt") + L"\""), L"プロファイルを開けません"},
    };
    for (Case const& c : cases) {
        BatchResult r = RunBatchExe(c.args);
        EXPECT_EQ(1, r.exit_code) << Sjis(c.args);
        EXPECT_TRUE(Has(r.err, c.message)) << Sjis(c.args) << " -> " << Sjis(r.err);
        EXPECT_TRUE(r.out.empty()) << Sjis(c.args);
    }
    // Nothing was copied, and the missing profile was not created.
    EXPECT_EQ(0, CountDirs(t.out));
    EXPECT_FALSE(IsFile(t.dir / L"nothere.txt"));
}

TEST(BatchEndToEnd, CtrlCAbortsTheRunWithExitCodeTwo) {
    Tree t;
    // Enough copies that the run is still going when Ctrl+C arrives after the second one.
    BatchResult r = RunBatchExe(t.Args(L"/n 99 /o 1 /y"), std::string(), L"[3/99]");
    ASSERT_TRUE(r.interrupted) << "Ctrl+C could not be sent";
    EXPECT_EQ(2, r.exit_code);
    EXPECT_TRUE(Has(r.err, L"中止しました。"));
    EXPECT_FALSE(Has(r.err, L"コピーが終了しました。"));
    int made = CountDirs(t.out + L"\\photo");
    EXPECT_GE(made, 2);
    EXPECT_LT(made, 99);
    // The summary names every copy that was started, the interrupted one last.
    std::string info = ReadBytes(t.out + L"\\photo\\outinfo.txt");
    EXPECT_EQ(0u, info.find("photo1\r\nphoto2\r\nphoto3\r\n"));
    EXPECT_FALSE(Has(r.out, L"[99/99]"));
}

TEST(BatchEndToEnd, HelpListsTheOptions) {
    BatchResult r = RunBatchExe(L"/?");
    EXPECT_EQ(0, r.exit_code);
    EXPECT_TRUE(Has(r.out, L"/s"));
    EXPECT_TRUE(Has(r.out, L"Usage: kasumido-batch"));
}
