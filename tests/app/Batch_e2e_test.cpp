// kasumido-batch.exe end to end: real runs under the prefix's copier, every refusal, an abort.
#include <gtest/gtest.h>

#include "app/batch_runner.h"
#include "app/CopyPlan.h"
#include "app/CopyRun.h"

#include <sddl.h>

#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

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

std::string Utf8(std::wstring const& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], n, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

// A link named unixLink to target; true once the folder shows through it as seen.
bool UnixLink(std::string const& unixLink, std::wstring const& target, std::wstring const& seen) {
    // start /unix hands quotes on as they are: the names must hold no blanks.
    return UnixCommand("/bin/ln -sfn " + UnixName(target) + " " + unixLink) &&
           Eventually([&] { return IsDir(seen); });
}

bool Has(std::wstring const& text, std::wstring const& part) {
    return text.find(part) != std::wstring::npos;
}

// Answers Yes, remembers the last thing told.
class YesFront : public I_CopyFront {
public:
    std::wstring told;
    bool Ask(wchar_t const*, wchar_t const*, bool) override { return true; }
    void Tell(wchar_t const* text, wchar_t const*) override { told = text; }
    void RunStarted() override {}
    void CopyStarting(CopyProgress const&) override {}
    void RunCompleted() override {}
};

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

    // A names file of Japanese names (UTF-8): /l lists one copy per name, the run makes them
    // and writes their lines; the count is the list's.
    std::wstring roster = t.dir / L"名簿.txt";
    ASSERT_TRUE(WriteBytes(roster, Utf8(L"# 1 組\r\n山田 太郎\r\n\r\n\u3000佐藤花子\r\n")));
    std::wstring args = t.Args(L"/m \"" + roster + L"\" /a _ /r 1 /o 1 ");
    BatchResult listed = RunBatchExe(args + L"/l");
    EXPECT_EQ(0, listed.exit_code) << Sjis(listed.err);
    std::wstring container = t.out + L"\\photo\\";
    EXPECT_EQ(container + L"photo_山田 太郎\n  photo_山田 太郎\n" + container +
                  L"photo_佐藤花子\n  photo_佐藤花子\n" + container + L"outinfo.txt (上書き)\n",
              listed.out.substr(listed.out.find(container)));
    BatchResult made = RunBatchExe(args + L"/y");
    EXPECT_EQ(0, made.exit_code) << Sjis(made.err);
    EXPECT_TRUE(t.IsCopy(L"photo_山田 太郎") && t.IsCopy(L"photo_佐藤花子"));
    EXPECT_EQ(Sjis(L"photo_山田 太郎\r\nphoto_佐藤花子\r\n"),
              ReadBytes(t.out + L"\\photo\\outinfo.txt"));
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
    std::wstring names = t.dir / L"names.txt";
    WriteBytes(names, "a\r\ncom1\r\n");
    std::wstring good = t.dir / L"good.txt";
    WriteBytes(good, "a\r\nb\r\n");
    struct Case {
        std::wstring args;
        wchar_t const* message;
    };
    const Case cases[] = {
        // Names files: missing, a device, a device name on line 2, another count; /k 2 needs
        // /m, and /m goes with no other kind.
        {t.Args(L"/m \"" + (t.dir / L"nolist.txt") + L"\" /y"), L"名前リストを読めませんでした。"},
        {t.Args(L"/m com1 /l"), L"名前リストを読めませんでした。"},
        {t.Args(L"/m \"" + names + L"\" /y"), L"名前リストの 2 行目の名前は使えません。"},
        {t.Args(L"/m \"" + good + L"\" /n 3 /y"),
         L"生成回数が名前リストの名前の数 (2) と違います。"},
        {t.Args(L"/k 2 /y"), L"/k 2 には /m 名前リスト が必要です。"},
        {t.Args(L"/m \"" + good + L"\" /k 0 /y"), L"/m は /k 2 (リスト) とだけ使えます。"},
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
        // Devices are no profiles: nothing blocks on a serial port or reads a volume.
        {t.Args(L"/p com1 /l"), L"プロファイルを開けません: com1"},
        {t.Args(L"/p nul /l"), L"プロファイルを開けません: nul"},
        {t.Args(L"/p CONIN$ /l"), L"プロファイルを開けません: CONIN$"}, // would wait for keys
        {t.Args(L"/p list\\com1.txt /l"), L"プロファイルを開けません"},
        {t.Args(L"/p \\\\.\\C: /l"), L"プロファイルを開けません"},
        // Names Windows would make otherwise: a trailing dot or blank is dropped.
        {t.Args(L"/a . /y"), L"フォルダ名の最後にピリオドや空白は使えません。"},
        {t.Args(L"/a \" \" /y"), L"フォルダ名の最後にピリオドや空白は使えません。"},
        {t.Args(L"/r 2 /a \"x. \\sub\" /b y /y"),
         L"フォルダ名の最後にピリオドや空白は使えません。"},
        // Too long for a folder name: 2,000,000,000 letter copies, a 300-letter joining text.
        {t.Args(L"/k 1 /n 2000000000 /l"), L"フォルダ名が長すぎます。"},
        {t.Args(L"/a " + std::wstring(300, L'x') + L" /l"), L"フォルダ名が長すぎます。"},
        // Control characters in any text of a name or a line.
        {t.Args(L"/o 1 /1 \"a\r\nb\" /y"), L"連結文字に使えない文字が含まれています。"},
        {t.Args(L"/o 1 /f \"\tID\" /l"), L"連結文字に使えない文字が含まれています。"},
        // Path forms the copier is not known to take.
        {L"/s \"\\\\.\\" + t.source + L"\" /d \"" + t.out + L"\" /l",
         L"コピー元が認識できません。"},
        {L"/s \"\\\\?\\GLOBALROOT\\Device\\x\" /d \"" + t.out + L"\" /l",
         L"コピー元が認識できません。"},
        {L"/s \"" + t.source + L"\" /d \\\\?\\Volume{00000000-0000-0000-0000-000000000000}\\x /l",
         L"コピー先が認識できませんでした。"},
        {L"/s \"" + t.source + L"\" /d \\\\.\\pipe\\x /l", L"コピー先が認識できませんでした。"},
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

// Ctrl+C while the run question waits for its answer: an abort, not a No. (Ctrl+Break takes the
// same handler; Wine refuses to send it to a console's processes: ERROR_INVALID_HANDLE.)
TEST(BatchEndToEnd, CtrlCAtTheRunQuestionExitsTwo) {
    for (DWORD event : {static_cast<DWORD>(CTRL_C_EVENT)}) {
        Tree q;
        BatchResult asked = RunBatchExe(q.Args(L"/n 2"), std::string(), L"続けて良いですか", 60000,
                                        [event](DWORD batch) {
                                            FreeConsole();
                                            if (AttachConsole(batch)) {
                                                SetConsoleCtrlHandler(nullptr, TRUE);
                                                GenerateConsoleCtrlEvent(event, 0);
                                                FreeConsole();
                                            }
                                        });
        EXPECT_EQ(2, asked.exit_code) << event << ": " << Sjis(asked.err);
        EXPECT_TRUE(Has(asked.err, L"中止しました。")) << event;
        EXPECT_EQ(0, CountDirs(q.out + L"\\photo")) << event;
    }
}

TEST(BatchEndToEnd, HelpListsTheOptions) {
    BatchResult r = RunBatchExe(L"/?");
    EXPECT_EQ(0, r.exit_code);
    EXPECT_TRUE(Has(r.out, L"/s"));
    EXPECT_TRUE(Has(r.out, L"Usage: kasumido-batch"));
}

TEST(BatchEndToEnd, ACopierThatDoesNotEndWellFailsItsCopyByName) {
    // Ended from outside as End task (1) or closing its window (2) end it, and killed so that
    // it reports 0, as a copier killed from the Linux side does under Wine.
    for (UINT code : {1u, 2u, 0u}) {
        Tree t;
        AddManyFiles(t.source + L"\\many", 600);
        BatchResult r =
            RunBatchExe(t.Args(L"/n 2 /y"), std::string(), L"[1/2]", 120000, [code](DWORD batch) {
                for (int tries = 0; tries < 1000; ++tries) {
                    std::vector<DWORD> copiers = CopiersOf(batch);
                    if (!copiers.empty()) {
                        HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, copiers[0]);
                        if (h != nullptr) {
                            TerminateProcess(h, code);
                            CloseHandle(h);
                        }
                        return;
                    }
                    Sleep(5);
                }
            });
        EXPECT_EQ(3, r.exit_code) << code;
        // The reason follows the name: the code the copier gave, or what the copy lacks.
        std::wstring line = L"コピーに失敗しました: " + t.out + L"\\photo\\photo1 (";
        bool told = false;
        for (wchar_t const* reason :
             {L"終了コード 2)\n", L"ファイルがありません: ", L"サイズか更新日時が違います: "}) {
            told = told ||
                   (Has(r.err, line + reason) &&
                    Has(r.err, L"1 個のコピーに失敗しました。\nphoto1 (" + std::wstring(reason)));
        }
        EXPECT_TRUE(told) << code << Utf8(r.err);
        EXPECT_EQ(code == 2, Has(r.err, line + L"終了コード 2)\n")) << code;
        EXPECT_TRUE(t.IsCopy(L"photo2")) << code;
    }
}

TEST(BatchEndToEnd, NoFolderIsCopiedIntoItselfUnderAnotherName) {
    Tree t;
    std::wstring inner = t.source + L"\\inner";
    CreateDirectoryW(inner.c_str(), nullptr);
    std::vector<std::wstring> destinations = {L"\\\\?\\" + inner, L"\\\\?\\" + t.source,
                                              L"\\\\?\\" + t.dir.Path()};
    // The source reached through a link (under Wine a Unix symbolic link, which Windows
    // programs see as a plain folder), and through a second drive letter.
    std::wstring link = t.dir / L"link";
    std::string drive = UnixName(L"C:\\"); // the prefix's dosdevices/c:/
    drive =
        drive.empty() ? drive : drive.substr(0, drive.find_last_of('/', drive.size() - 2)) + "/q:";
    ASSERT_FALSE(drive.empty()) << "links are made the Wine way here";
    ASSERT_TRUE(UnixLink(UnixName(t.dir.Path()) + "/link", t.source, link));
    ASSERT_TRUE(UnixLink(drive, t.dir.Path(), L"Q:\\photo"));
    for (wchar_t const* alias : {L"\\inner", L"\\inner\\new", L"\\..\\link"}) {
        destinations.push_back(link + alias);
    }
    destinations.push_back(L"Q:\\photo\\inner");
    destinations.push_back(L"Q:\\photo\\new\\deeper");
    for (std::wstring const& d : destinations) {
        BatchResult r = RunBatchExe(L"/s \"" + t.source + L"\" /d \"" + d + L"\" /y");
        EXPECT_EQ(1, r.exit_code) << Sjis(d);
        EXPECT_TRUE(Has(r.err, L"コピー元＆コピー先が同一です。")) << Utf8(d) << Utf8(r.err);
    }
    // A container that is there already as a link to the source or a folder below it: nothing
    // is written, neither by the plan nor once the container is made.
    std::wstring out = t.dir / L"out";
    std::wstring below = t.dir / L"below";
    CreateDirectoryW(below.c_str(), nullptr);
    ASSERT_TRUE(UnixLink(UnixName(out) + "/photo", t.source, out + L"\\photo\\inner"));
    ASSERT_TRUE(UnixLink(UnixName(below) + "/photo", inner, below + L"\\photo"));
    for (std::wstring const& d : {out, below}) {
        BatchResult r = RunBatchExe(L"/s \"" + t.source + L"\" /d \"" + d + L"\" /o 1 /y");
        EXPECT_EQ(1, r.exit_code) << Utf8(d);
        EXPECT_TRUE(Has(r.err, L"コピー元＆コピー先が同一です。")) << Utf8(d) << Utf8(r.err);
        CopySettings settings;
        settings.source = t.source.c_str();
        settings.destination = d.c_str();
        settings.text_output = true;
        CopyPlan plan = MakeCopyPlan(settings, PlanDepth::kPreview); // no identity checks
        ASSERT_FALSE(plan.IsRefused()) << Utf8(d);
        YesFront front;
        EXPECT_TRUE(PrepareCopyRun(plan, front).IsNull());
        EXPECT_EQ(L"コピー元＆コピー先が同一です。", front.told) << Utf8(d);
    }
    EXPECT_FALSE(IsFile(t.source + L"\\outinfo.txt"));
    EXPECT_FALSE(IsFile(inner + L"\\outinfo.txt"));
    for (std::wstring const& alias : {link, std::wstring(L"Q:")}) {
        DeleteFileW(alias.c_str());
    }
    // Removed on the Unix side: a folder call would go through the link into the source.
    UnixCommand("/bin/rm -f " + UnixName(out) + "/photo " + UnixName(below) + "/photo");
    EXPECT_TRUE(Eventually([&] { return !IsDir(out + L"\\photo") && !IsDir(below + L"\\photo"); }));
    UnixCommand("/bin/rm -f " + drive);
    EXPECT_TRUE(Eventually([] { return !IsDir(L"Q:\\"); }));

    // Nothing was made in the source.
    EXPECT_EQ(3, CountDirs(t.source)); // sub, empty, inner
    EXPECT_EQ(0, CountDirs(inner));
}

TEST(BatchEndToEnd, LongPathsAreRefusedOrCopiedNeverCut) {
    Tree t;
    // Folder names of 200 characters, joined to about 2,100 and 1,100 characters.
    auto deep = [&](int levels) {
        std::wstring path = t.out;
        for (int i = 0; i < levels; ++i) {
            path += L"\\" + std::wstring(200, static_cast<wchar_t>(L'a' + i));
        }
        return path;
    };
    std::wstring tooLong = deep(10);
    ASSERT_GT(tooLong.size(), 2047u);
    BatchResult refused = RunBatchExe(L"/s \"" + t.source + L"\" /d \"" + tooLong + L"\" /y");
    EXPECT_EQ(1, refused.exit_code);
    EXPECT_TRUE(Has(refused.err, L"コピー先が認識できませんでした。"));
    EXPECT_EQ(0, CountDirs(t.out));

    // A source whose tree reaches past MAX_PATH below a short root, into a destination of
    // about 1,100 characters.
    std::wstring inner = t.source + L"\\sub";
    for (int i = 0; i < 3; ++i) {
        inner += L"\\" + std::wstring(120, static_cast<wchar_t>(L'p' + i));
        CreateDirectoryW((L"\\\\?\\" + inner).c_str(), nullptr);
    }
    ASSERT_TRUE(WriteBytes(L"\\\\?\\" + inner + L"\\deep.txt", "deep"));
    std::wstring longer = deep(5);
    ASSERT_GT(longer.size(), 1000u);
    BatchResult r = RunBatchExe(L"/s \"" + t.source + L"\" /d \"" + longer + L"\" /n 2 /o 1 /y");
    EXPECT_EQ(0, r.exit_code) << Sjis(r.err);
    if (r.exit_code == 0) {
        EXPECT_EQ("deep", ReadBytes(L"\\\\?\\" + longer + L"\\photo\\photo1" +
                                    inner.substr(t.source.size()) + L"\\deep.txt"));
        std::wstring copy = L"\\\\?\\" + longer + L"\\photo\\photo2";
        EXPECT_EQ("hello\r\n", ReadBytes(copy + L"\\a.txt"));
        EXPECT_TRUE(IsDir(copy + L"\\empty"));
        EXPECT_EQ("photo1\r\nphoto2\r\n", ReadBytes(L"\\\\?\\" + longer + L"\\photo\\outinfo.txt"));
    }
}

TEST(BatchEndToEnd, ProfilesInTodaysEncodingsAndTheNumberOptions) {
    Tree t;
    // UTF-8 without and with its mark, and UTF-16: Japanese joining texts come through, and
    // the first key is read.
    std::string utf8 = "dir_cat1=_\xE6\x8E\xA7\xE3\x81\x88\r\ndir_type=1\r\n"; // _控え
    std::wstring wide = L"\uFEFFdir_cat1=_控え\r\ndir_type=1\r\n";
    std::string utf16(reinterpret_cast<char const*>(wide.data()), wide.size() * 2);
    // Big endian with its mark, little endian without one, and an odd last byte.
    std::string big;
    for (size_t i = 0; i < utf16.size(); i += 2) {
        big += std::string{utf16[i + 1], utf16[i]};
    }
    for (std::string const& bytes :
         {utf8, "\xEF\xBB\xBF" + utf8, utf16, big, utf16.substr(2), utf16 + "x", big + "x"}) {
        std::wstring profile = t.dir / L"p.txt";
        ASSERT_TRUE(WriteBytes(profile, bytes));
        BatchResult r = RunBatchExe(t.Args(L"/p \"" + profile + L"\" /n 2 /l"));
        EXPECT_EQ(0, r.exit_code);
        EXPECT_TRUE(Has(r.out, t.out + L"\\photo\\photob_控え\n")) << Sjis(r.out);
    }
    // The list creates nothing.
    EXPECT_EQ(0, CountDirs(t.out));

    // Numbers from 0 padded to three digits, in the names and in outinfo.txt, from a profile's
    // keys; a bad start or width is refused with its own message before any question.
    std::wstring profile = t.dir / L"n.txt";
    ASSERT_TRUE(WriteBytes(profile, "dir_start=0\r\ndir_width=3\r\ntxt_enable=1\r\n"));
    BatchResult r = RunBatchExe(t.Args(L"/p \"" + profile + L"\" /n 12 /y"));
    EXPECT_EQ(0, r.exit_code) << Sjis(r.err);
    std::string lines;
    for (int i = 0; i < 12; ++i) {
        char name[16];
        snprintf(name, sizeof name, "photo%03d", i);
        lines += std::string(name) + "\r\n";
        EXPECT_TRUE(t.IsCopy(std::wstring(name, name + strlen(name)))) << name;
    }
    EXPECT_EQ(lines, ReadBytes(t.out + L"\\photo\\outinfo.txt"));
    EXPECT_EQ(12, CountDirs(t.out + L"\\photo"));
    // Values the rules ignore are told; bad values of the number and structure keys are
    // refused with their field's message.
    struct Bad {
        char const* line;
        wchar_t const* said;
        int exit;
    };
    for (Bad const& b : {Bad{"make_count=-5", L"プロファイルの値を無視しました: make_count=-5", 0},
                         Bad{"dir_start=-1", L"開始番号が不正です。", 1},
                         Bad{"dir_start=1000000000", L"開始番号が不正です。", 1},
                         Bad{"dir_width=10", L"桁数が不正です。", 1},
                         Bad{"dir_tree_only=2", L"dir_tree_only=2", 1},
                         Bad{"copy_builtin=x", L"copy_builtin=x", 1}}) {
        ASSERT_TRUE(WriteBytes(profile, std::string(b.line) + "\r\n"));
        BatchResult bad = RunBatchExe(t.Args(L"/p \"" + profile + L"\" /l"));
        EXPECT_EQ(b.exit, bad.exit_code) << b.line;
        EXPECT_TRUE(Has(bad.err, b.said)) << b.line << Sjis(bad.err);
    }
    for (auto const& c : {std::make_pair(L"/i -1", L"開始番号が不正です。"),
                          std::make_pair(L"/i 1000000000", L"開始番号が不正です。"),
                          std::make_pair(L"/w 10", L"桁数が不正です。"),
                          std::make_pair(L"/w x", L"桁数が不正です。")}) {
        BatchResult bad = RunBatchExe(t.Args(std::wstring(c.first) + L" /y"));
        EXPECT_EQ(1, bad.exit_code) << Sjis(c.first);
        EXPECT_TRUE(Has(bad.err, c.second)) << Sjis(c.first) << Sjis(bad.err);
    }
}

TEST(BatchEndToEnd, StructureOnlyAndParallelCopiesMakeWhatOneAtATimeMakes) {
    Tree t;
    // The folder tree alone: every folder, no file anywhere.
    BatchResult tree = RunBatchExe(t.Args(L"/e 1 /n 2 /y"));
    EXPECT_EQ(0, tree.exit_code) << Sjis(tree.err);
    for (wchar_t const* name : {L"photo1", L"photo2"}) {
        std::wstring copy = t.out + L"\\photo\\" + name;
        EXPECT_TRUE(IsDir(copy + L"\\sub") && IsDir(copy + L"\\empty")) << Sjis(name);
        EXPECT_FALSE(IsFile(copy + L"\\a.txt") || IsFile(copy + L"\\sub\\b.txt"));
    }
    // Three copiers at once make the same copies and the same outinfo.txt as one.
    TempDir other;
    std::wstring out1 = other / L"one";
    std::wstring out3 = other / L"three";
    for (std::wstring const& out : {out1, out3}) {
        CreateDirectoryW(out.c_str(), nullptr);
        std::wstring jobs = out == out1 ? L"1" : L"3";
        BatchResult r = RunBatchExe(L"/s \"" + t.source + L"\" /d \"" + out +
                                    L"\" /n 7 /k 1 /o 1 /f ID: /y /j " + jobs);
        EXPECT_EQ(0, r.exit_code) << Sjis(r.err);
        // With several copiers the line counts finished copies, so the last says 7 of 7.
        EXPECT_TRUE(Has(r.out, L"[7/7] ")) << Sjis(r.out);
    }
    EXPECT_EQ(ReadBytes(out1 + L"\\photo\\outinfo.txt"), ReadBytes(out3 + L"\\photo\\outinfo.txt"));
    for (wchar_t letter = L'a'; letter <= L'g'; ++letter) {
        std::wstring copy = std::wstring(L"\\photo\\photo") + letter;
        EXPECT_EQ("hello\r\n", ReadBytes(out3 + copy + L"\\a.txt"));
        EXPECT_EQ("b", ReadBytes(out3 + copy + L"\\sub\\b.txt"));
        EXPECT_TRUE(IsDir(out3 + copy + L"\\empty"));
    }
    for (wchar_t const* jobs : {L"0", L"9", L"x"}) {
        BatchResult bad = RunBatchExe(t.Args(std::wstring(L"/j ") + jobs + L" /y"));
        EXPECT_EQ(1, bad.exit_code);
        EXPECT_TRUE(Has(bad.err, L"Usage: kasumido-batch")) << Sjis(jobs);
    }
}

TEST(BatchEndToEnd, CtrlCStopsEveryParallelCopier) {
    Tree t;
    AddManyFiles(t.source + L"\\many", 300);
    DWORD batchPid = 0;
    BatchResult r = RunBatchExe(t.Args(L"/n 40 /o 1 /y /j 4"), std::string(), L"[6/40]", 120000,
                                [&batchPid](DWORD batch) {
                                    batchPid = batch;
                                    FreeConsole();
                                    if (AttachConsole(batch)) {
                                        SetConsoleCtrlHandler(nullptr, TRUE);
                                        GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
                                        FreeConsole();
                                    }
                                });
    EXPECT_EQ(2, r.exit_code);
    EXPECT_TRUE(CopiersOf(batchPid).empty());
    // No copy started after the abort: no folder without its line in outinfo.txt. (A copier
    // that Ctrl+C reached as it started may not have made its folder yet.)
    int lines = 0;
    for (char c : ReadBytes(t.out + L"\\photo\\outinfo.txt")) {
        lines += c == '\n';
    }
    EXPECT_LT(lines, 40);
    EXPECT_LE(CountDirs(t.out + L"\\photo"), lines);
    EXPECT_FALSE(IsDir(t.out + L"\\photo\\photo" + std::to_wstring(lines + 1)));
}

TEST(BatchEndToEnd, OnlyTheSystemsCopierRunsAndCaseClashesAndLossyLinesAreTold) {
    Tree t;
    // An xcopy.exe beside the program and in the working folder (here a copy of the batch
    // front, which would refuse the copier's switches): neither runs.
    std::wstring app = t.dir / L"app";
    CreateDirectoryW(app.c_str(), nullptr);
    std::wstring exe = app + L"\\kasumido-batch.exe";
    ASSERT_TRUE(CopyFileW(BatchExe().c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(BatchExe().c_str(), (app + L"\\xcopy.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(BatchExe().c_str(), (t.dir / L"xcopy.exe").c_str(), FALSE));
    // A line Shift_JIS cannot hold is written with "?" and the completion message says so.
    BatchResult r = RunBatchExe(t.Args(L"/n 2 /o 1 /f \U0001F600 /y"), std::string(),
                                std::wstring(), 120000, nullptr, exe, t.dir.Path());
    EXPECT_EQ(0, r.exit_code) << Sjis(r.err);
    EXPECT_TRUE(t.IsCopy(L"photo1") && t.IsCopy(L"photo2"));
    EXPECT_TRUE(Has(r.err, L"outinfo.txt に書けない文字を ? にしました。"));

    // Two source names that differ only in case are not merged in silence.
    std::wstring lower = t.source + L"\\case.txt";
    std::wstring upper = t.source + L"\\CASE.txt";
    WriteBytes(lower, "lower");
    // Case-sensitive creation, as on Wine's folders and in Windows folders with case
    // sensitivity on.
    HANDLE h = CreateFileW(upper.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_POSIX_SEMANTICS, nullptr);
    DWORD written = 0;
    bool made = h != INVALID_HANDLE_VALUE && WriteFile(h, "upper", 5, &written, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
    }
    if (made && ReadBytes(lower) == "lower") {
        BatchResult clash = RunBatchExe(t.Args(L"/n 1 /y"));
        EXPECT_EQ(3, clash.exit_code) << Sjis(clash.err);
    } else {
        printf("this file system folds case: the clash cannot be made here\n");
    }
}

TEST(BatchEndToEnd, NamesAreTheOnesTheFileSystemMakes) {
    Tree t;
    // A source typed with a trailing dot or blank is the folder the system opens: one
    // container, named photo, and the copies named after it.
    for (std::wstring const& typed : {t.source + L".", t.source + L" "}) {
        BatchResult r = RunBatchExe(L"/s \"" + typed + L"\" /d \"" + t.out + L"\" /n 1 /y");
        EXPECT_EQ(0, r.exit_code) << Sjis(r.err);
        EXPECT_TRUE(Has(r.out, L"[1/1] " + t.out + L"\\photo\\photo1 ")) << Sjis(r.out);
    }
    EXPECT_EQ(1, CountDirs(t.out));
    EXPECT_TRUE(t.IsCopy(L"photo1"));

    // The overwrite question counts folders, and says outinfo.txt apart.
    struct Ask {
        std::wstring more;
        std::wstring question;
    };
    const Ask asks[] = {
        {L"/n 1 /o 1",
         L"outinfo.txt も書き直されます。\nコピー先に同じ名前のフォルダが 1 個あります。"},
        {L"/n 1", L"コピー先に同じ名前のフォルダが 1 個あります。上書きしますか？"},
        {L"/n 1 /o 1 /k 1", L"コピー先の outinfo.txt を書き直します。上書きしますか？"},
    };
    ASSERT_TRUE(WriteBytes(t.out + L"\\photo\\outinfo.txt", "old\r\n"));
    for (Ask const& a : asks) {
        BatchResult r = RunBatchExe(t.Args(a.more), "y\nn\n");
        EXPECT_EQ(1, r.exit_code);
        EXPECT_TRUE(Has(r.err, a.question)) << Sjis(a.more) << Sjis(r.err);
        EXPECT_FALSE(Has(r.err, L"2 個")) << Sjis(a.more);
    }
    EXPECT_EQ("old\r\n", ReadBytes(t.out + L"\\photo\\outinfo.txt"));

    // Numbers past nine digits from the largest start, in 64 bits; the list says its size and
    // both ends first, on standard error.
    BatchResult big = RunBatchExe(t.Args(L"/i 999999999 /n 3 /l"));
    EXPECT_EQ(0, big.exit_code) << Sjis(big.err);
    std::wstring base = t.out + L"\\photo\\photo";
    EXPECT_EQ(base + L"999999999\n" + base + L"1000000000\n" + base + L"1000000001\n", big.out);
    EXPECT_TRUE(Has(big.err, L"3 個: " + base + L"999999999 … " + base + L"1000000001\n"));

    // No look-alike letters: what Shift_JIS cannot hold is "?" in outinfo.txt and in a
    // redirected list, while the folder keeps its name.
    TempDir other;
    BatchResult lossy = RunBatchExe(L"/s \"" + t.source + L"\" /d \"" + other.Path() +
                                    L"\" /a \u00F1\u00E9 /o 1 /y");
    EXPECT_EQ(0, lossy.exit_code) << Sjis(lossy.err);
    EXPECT_EQ("photo1??\r\n", ReadBytes(other / L"photo\\outinfo.txt"));
    EXPECT_TRUE(IsDir(other / L"photo\\photo1\u00F1\u00E9"));
    BatchResult listed = RunBatchExe(t.Args(L"/a \u00F1\u00E9 /o 1 /l"));
    EXPECT_TRUE(Has(listed.out, L"\\photo1??\n  photo1??\n")) << Sjis(listed.out);
    EXPECT_FALSE(Has(listed.out, L"photo1ne"));
}

TEST(BatchEndToEnd, AHugeListStopsWhenItsReaderGoes) {
    Tree t;
    // Billions of names, the last past INT_MAX: the reader takes a few bytes and goes, as
    // | head does.
    SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    ASSERT_TRUE(CreatePipe(&outRead, &outWrite, &inherit, 0));
    ASSERT_TRUE(CreatePipe(&errRead, &errWrite, &inherit, 1 << 16));
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = INVALID_HANDLE_VALUE;
    si.hStdOutput = outWrite;
    si.hStdError = errWrite;
    std::wstring command = L"\"" + BatchExe() + L"\" " + t.Args(L"/i 999999999 /n 2147483647 /l");
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                               nullptr, nullptr, &si, &pi));
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    char buffer[256];
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(outRead, buffer, sizeof buffer, &read, nullptr) && read > 0);
    CloseHandle(outRead);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000));
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    if (code == STILL_ACTIVE) {
        TerminateProcess(pi.hProcess, 99);
    }
    EXPECT_EQ(1u, code);
    std::string err;
    DWORD available = 0;
    while (PeekNamedPipe(errRead, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
           ReadFile(errRead, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        err.append(buffer, read);
    }
    std::wstring base = t.out + L"\\photo\\photo";
    EXPECT_EQ(0u, testsupport::FromSjis(err).find(L"2147483647 個: " + base + L"999999999 … " +
                                                  base + L"3147483645\n"))
        << err;
    CloseHandle(errRead);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

TEST(BatchEndToEnd, LinkedAndDeepSourcesAreCopiedWholeOrFailWithTheirReason) {
    Tree t;
    // Links in the source, which Wine shows as a plain folder and a plain file: the copier
    // follows them, so does the check, and the whole copies are not failed.
    TempDir outside;
    CreateDirectoryW((outside / L"inner").c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(outside / L"inner\\x.txt", "linked"));
    ASSERT_TRUE(WriteBytes(outside / L"file.txt", "a linked file"));
    std::wstring linked = t.source + L"\\linked";
    std::wstring file = t.source + L"\\file.lnk";
    std::wstring loop = t.source + L"\\sub\\loop";
    ASSERT_TRUE(UnixLink(UnixName(t.source) + "/linked", outside / L"inner", linked));
    ASSERT_TRUE(UnixCommand("/bin/ln -sfn " + UnixName(outside / L"file.txt") + " " +
                            UnixName(t.source) + "/file.lnk") &&
                Eventually([&] { return IsFile(file); }));
    BatchResult whole = RunBatchExe(t.Args(L"/n 2 /y"));
    EXPECT_EQ(0, whole.exit_code) << Utf8(whole.err);
    EXPECT_EQ("linked", ReadBytes(t.out + L"\\photo\\photo2\\linked\\x.txt"));
    EXPECT_EQ("a linked file", ReadBytes(t.out + L"\\photo\\photo2\\file.lnk"));
    // A link back to the source: listed without end, refused by the copier, failed with its
    // reason.
    ASSERT_TRUE(UnixLink(UnixName(t.source) + "/sub/loop", t.source, loop));
    BatchResult looped = RunBatchExe(t.Args(L"/n 2 /y"));
    EXPECT_EQ(3, looped.exit_code) << Utf8(looped.err);
    EXPECT_TRUE(
        Has(looped.err, L"コピーに失敗しました: " + t.out + L"\\photo\\photo2 (終了コード "))
        << Utf8(looped.err);
    // Removed on the Linux side before the folders go: a removal would follow them.
    UnixCommand("/bin/rm -f " + UnixName(linked) + " " + UnixName(file) + " " + UnixName(loop));
    ASSERT_TRUE(Eventually([&] { return !IsDir(loop) && !IsDir(linked) && !IsFile(file); }));

    // A source as deep as Wine opens (Linux's 4,095-byte path limit), in folders of 200
    // characters (one-letter folders reach it at about 2,030 levels, but Wine's cost of a file
    // call grows with the depth, so that a run takes many minutes): it is listed, and each copy,
    // deeper still, is made or failed with its reason.
    std::wstring source = t.dir / L"d";
    std::wstring path = L"\\\\?\\" + source;
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    int levels = 0;
    for (std::wstring next; levels < 40; ++levels, path = next) {
        next = path + L"\\" + std::wstring(200, static_cast<wchar_t>(L'a' + levels % 26));
        if (!CreateDirectoryW(next.c_str(), nullptr) || !WriteBytes(next + L"\\f", "f")) {
            RemoveDirectoryW(next.c_str());
            break;
        }
    }
    EXPECT_GT(path.size(), 3800u);
    BatchResult deep = RunBatchExe(L"/s \"" + source + L"\" /d \"" + t.out + L"\" /n 2 /y");
    EXPECT_TRUE(deep.exit_code == 0 || deep.exit_code == 3) << deep.exit_code << Utf8(deep.err);
    EXPECT_TRUE(Has(deep.err, L"コピーが終了しました。"));
    for (wchar_t const* name : {L"\\d\\d1", L"\\d\\d2"}) {
        std::wstring failed = L"コピーに失敗しました: " + t.out + name;
        EXPECT_EQ(Has(deep.err, failed + L"\n"), false) << Utf8(deep.err);
        EXPECT_EQ(Has(deep.err, failed), Has(deep.err, failed + L" (")) << Utf8(deep.err);
    }
}

namespace {

// One entry a copy must hold, as the built-in copier and Wine's own xcopy both make it.
struct Expected {
    wchar_t const* path; // below the copy
    int size;            // -1: a folder
    DWORD attributes;    // of kCheckedAttributes
    bool timed;          // its last-write time is the source's (files; folders are new)
};
constexpr DWORD kCheckedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY |
                                     FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
// Read-only is cleared as xcopy clears it without /K; hidden stays.
const Expected kExpectedCopy[] = {
    {L"a.txt", 7, 0, true},
    {L"sub", -1, FILE_ATTRIBUTE_DIRECTORY, false},
    {L"sub\\b.txt", 1, 0, true},
    {L"empty", -1, FILE_ATTRIBUTE_DIRECTORY, false},
    {L"隠し.txt", 3, FILE_ATTRIBUTE_HIDDEN, true},
    {L"読取専用.txt", 2, 0, true},
    {L"日本語フォルダ", -1, FILE_ATTRIBUTE_DIRECTORY, false},
    {L"日本語フォルダ\\写真.jpg", 5, 0, true},
    {L"日本語フォルダ\\空", -1, FILE_ATTRIBUTE_DIRECTORY, false},
};
const FILETIME kSourceTime = {0x12345600u, 0x01D00000u}; // a time in 2014

// The tree of kExpectedCopy, file times set to kSourceTime.
struct ExpectedTree : Tree {
    ExpectedTree() {
        CreateDirectoryW((source + L"\\日本語フォルダ").c_str(), nullptr);
        CreateDirectoryW((source + L"\\日本語フォルダ\\空").c_str(), nullptr);
        WriteBytes(source + L"\\隠し.txt", "hid");
        WriteBytes(source + L"\\読取専用.txt", "ro");
        WriteBytes(source + L"\\日本語フォルダ\\写真.jpg", "photo");
        for (Expected const& e : kExpectedCopy) {
            if (e.size >= 0) {
                HANDLE h = CreateFileW((source + L"\\" + e.path).c_str(), FILE_WRITE_ATTRIBUTES, 0,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
                SetFileTime(h, nullptr, nullptr, &kSourceTime);
                CloseHandle(h);
            }
        }
        SetFileAttributesW((source + L"\\隠し.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
        SetFileAttributesW((source + L"\\読取専用.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    }
    ~ExpectedTree() { SetFileAttributesW((source + L"\\読取専用.txt").c_str(), 0); }
};

// What copy lacks of kExpectedCopy, or holds besides it; empty when it is that table.
std::string Unlike(std::wstring const& copy) {
    std::string faults;
    for (Expected const& e : kExpectedCopy) {
        WIN32_FILE_ATTRIBUTE_DATA d = {};
        std::string name = Utf8(e.path);
        if (!GetFileAttributesExW((copy + L"\\" + e.path).c_str(), GetFileExInfoStandard, &d)) {
            faults += name + " missing; ";
            continue;
        }
        if ((d.dwFileAttributes & kCheckedAttributes) != e.attributes) {
            faults += name + " attributes " + std::to_string(d.dwFileAttributes) + "; ";
        }
        if (e.size >= 0 && d.nFileSizeLow != static_cast<DWORD>(e.size)) {
            faults += name + " size; ";
        }
        if (e.timed && CompareFileTime(&d.ftLastWriteTime, &kSourceTime) != 0) {
            faults += name + " time; ";
        }
    }
    // Nothing more: the table is the whole tree (three entries at the top, two in each folder).
    for (auto const& folder : {std::make_pair(L"", 6), std::make_pair(L"\\日本語フォルダ", 2),
                               std::make_pair(L"\\sub", 1)}) {
        int entries = 0;
        WIN32_FIND_DATAW f;
        HANDLE h = FindFirstFileW((copy + folder.first + L"\\*").c_str(), &f);
        for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &f)) {
            entries += wcscmp(f.cFileName, L".") != 0 && wcscmp(f.cFileName, L"..") != 0;
        }
        if (h != INVALID_HANDLE_VALUE) {
            FindClose(h);
        }
        if (entries != folder.second) {
            faults += Utf8(folder.first) + " holds " + std::to_string(entries) + "; ";
        }
    }
    return faults;
}

std::wstring SecurityText(std::wstring const& path) {
    const SECURITY_INFORMATION what =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD need = 0;
    GetFileSecurityW(path.c_str(), what, nullptr, 0, &need);
    std::vector<BYTE> sd(need ? need : 1);
    wchar_t* text = nullptr;
    if (!need || !GetFileSecurityW(path.c_str(), what, sd.data(), need, &need) ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorW(sd.data(), SDDL_REVISION_1, what,
                                                              &text, nullptr)) {
        return L"<unreadable>";
    }
    std::wstring out = text;
    LocalFree(text);
    return out;
}

// Access for the owner and the system only (the default lets everyone read).
bool MakePrivate(std::wstring const& path) {
    HANDLE token = nullptr;
    BYTE user[256];
    DWORD size = 0;
    wchar_t* sid = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    bool ok = GetTokenInformation(token, TokenUser, user, sizeof user, &size) &&
              ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid);
    CloseHandle(token);
    if (!ok) {
        return false;
    }
    std::wstring sddl = L"D:P(A;;FA;;;SY)(A;;FA;;;" + std::wstring(sid) + L")";
    LocalFree(sid);
    PSECURITY_DESCRIPTOR sd = nullptr;
    ok = ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &sd,
                                                              nullptr) &&
         SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, sd);
    LocalFree(sd);
    return ok;
}

} // namespace

TEST(BatchEndToEnd, TheBuiltInCopierMakesWhatWinesOwnXcopyMakes) {
    ExpectedTree t;
    ASSERT_TRUE(MakePrivate(t.source + L"\\a.txt"));
    const std::wstring secret = SecurityText(t.source + L"\\a.txt");
    ASSERT_EQ(std::wstring::npos, secret.find(L";;;WD)")) << Utf8(secret);
    BatchResult r = RunBatchExe(t.Args(L"/c 1 /n 3 /j 2 /o 1 /y"));
    EXPECT_EQ(0, r.exit_code) << Utf8(r.err);
    EXPECT_TRUE(Has(r.out, L"[3/3] ")) << Utf8(r.out);
    EXPECT_EQ("photo1\r\nphoto2\r\nphoto3\r\n", ReadBytes(t.out + L"\\photo\\outinfo.txt"));
    for (wchar_t const* name : {L"\\photo1", L"\\photo2", L"\\photo3"}) {
        std::wstring copy = t.out + L"\\photo" + name;
        EXPECT_EQ("", Unlike(copy)) << Utf8(name);
        EXPECT_EQ(secret, SecurityText(copy + L"\\a.txt")) << "a private file stays private";
    }
    // Wine's own xcopy, which nobody here wrote, makes the same table (it refuses /O). The
    // prefix runs ours for "xcopy.exe", and Wine's override variable does not reach a child of
    // a Wine process: Wine's file is run under a name of its own.
    std::wstring wines = t.dir / L"winexcopy.exe";
    ASSERT_TRUE(CopyFileW(L"Z:\\usr\\lib\\x86_64-linux-gnu\\wine\\x86_64-windows\\xcopy.exe",
                          wines.c_str(), FALSE));
    BatchResult wine =
        RunBatchExe(L"/E /C /H /Y \"" + t.source + L"\" \"" + (t.dir / L"wine") + L"\\\"",
                    std::string(), std::wstring(), 120000, nullptr, wines);
    BatchResult refused = RunBatchExe(L"/E /O \"" + t.source + L"\" \"" + (t.dir / L"o") + L"\\\"",
                                      std::string(), std::wstring(), 120000, nullptr, wines);
    EXPECT_EQ(4, refused.exit_code) << "not Wine's own xcopy";
    EXPECT_EQ(0, wine.exit_code) << Utf8(wine.err);
    EXPECT_EQ("", Unlike(t.dir / L"wine"));
    // Folders only.
    BatchResult tree = RunBatchExe(t.Args(L"/c 1 /e 1 /n 1 /k 1 /y"));
    EXPECT_EQ(0, tree.exit_code) << Utf8(tree.err);
    std::wstring copy = t.out + L"\\photo\\photoa";
    EXPECT_TRUE(IsDir(copy + L"\\日本語フォルダ\\空") && IsDir(copy + L"\\empty"));
    EXPECT_FALSE(IsFile(copy + L"\\a.txt") || IsFile(copy + L"\\日本語フォルダ\\写真.jpg"));
    for (wchar_t const* bad : {L"/c 2", L"/c x"}) {
        EXPECT_EQ(1, RunBatchExe(t.Args(std::wstring(bad) + L" /y")).exit_code) << Utf8(bad);
    }
}

TEST(BatchEndToEnd, TheBuiltInCopierFailsEveryCopyOfALockedFileByItsName) {
    Tree t;
    WriteBytes(t.source + L"\\locked.txt", "held");
    HANDLE held = CreateFileW((t.source + L"\\locked.txt").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    BatchResult r = RunBatchExe(t.Args(L"/c 1 /n 3 /y"));
    CloseHandle(held);
    EXPECT_EQ(3, r.exit_code) << Utf8(r.err);
    for (wchar_t const* name : {L"photo1", L"photo2", L"photo3"}) {
        EXPECT_TRUE(Has(r.err, L"コピーに失敗しました: " + t.out + L"\\photo\\" + name +
                                   L" (コピーできませんでした: locked.txt (エラー 32))"))
            << Utf8(r.err);
        EXPECT_TRUE(t.IsCopy(name)) << Utf8(name);
    }
    EXPECT_TRUE(Has(r.err, L"3 個のコピーに失敗しました。")) << Utf8(r.err);
}

TEST(BatchEndToEnd, CtrlCStopsTheBuiltInCopierWithoutAPartialFile) {
    Tree t;
    AddManyFiles(t.source + L"\\many", 100);
    std::string big(48 << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 7 / 4096);
    }
    WriteBytes(t.source + L"\\big.bin", big);
    // Ctrl+C once the first copy's big.bin is being written.
    std::wstring first = t.out + L"\\photo\\photo1\\big.bin";
    BatchResult r = RunBatchExe(t.Args(L"/c 1 /j 4 /n 40 /o 1 /y"), std::string(), L"[Y/N] Y",
                                120000, [&first](DWORD batch) {
                                    Eventually([&] { return IsFile(first); });
                                    FreeConsole();
                                    if (AttachConsole(batch)) {
                                        SetConsoleCtrlHandler(nullptr, TRUE);
                                        GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
                                        FreeConsole();
                                    }
                                });
    EXPECT_EQ(2, r.exit_code) << Utf8(r.err);
    EXPECT_TRUE(Has(r.err, L"中止しました。"));
    // Every file that is there is whole; no folder without its line.
    int lines = 0;
    for (char c : ReadBytes(t.out + L"\\photo\\outinfo.txt")) {
        lines += c == '\n';
    }
    EXPECT_LT(lines, 40);
    EXPECT_LE(CountDirs(t.out + L"\\photo"), lines);
    for (int i = 1; i <= lines; ++i) {
        std::wstring copy = t.out + L"\\photo\\photo" + std::to_wstring(i);
        std::string copied;
        EXPECT_TRUE(!ReadBytes(copy + L"\\big.bin", &copied) || copied == big)
            << i << ": a partial big.bin of " << copied.size() << " bytes";
        for (int k = 0; k < 100; ++k) {
            std::wstring file = copy + L"\\many\\many" + std::to_wstring(k) + L".bin";
            EXPECT_TRUE(!IsFile(file) || ReadBytes(file) == std::string(4096, 'k')) << i;
        }
    }
}
