// xcopy.exe run as a program under Wine: what ends up in the copy, what it prints, exit codes.
#include "xcopy/xcopy_helpers.h"

#include <gtest/gtest.h>

using namespace xcopytest;

namespace {

std::wstring Q(const std::wstring& path) {
    return L"\"" + path + L"\"";
}
std::wstring QDir(const std::wstring& path) {
    return L"\"" + path + L"\\\"";
}

const wchar_t kCopied[] = L"個のファイルをコピーしました";

// "N 個のファイルをコピーしました" as the last line of the output, or -1.
int CountLine(const std::wstring& out) {
    size_t pos = out.rfind(kCopied);
    if (pos == std::wstring::npos)
        return -1;
    size_t start = out.rfind(L'\n', pos);
    start = start == std::wstring::npos ? 0 : start + 1;
    return _wtoi(out.substr(start, pos - start).c_str());
}

class XcopyTree : public ::testing::Test {
protected:
    void SetUp() override { counts = MakeSampleTree(src); }
    TempDir temp;
    std::wstring src = temp / L"元フォルダ";
    std::wstring dst = temp / L"コピー先\\写し";
    SampleCounts counts{};
};

} // namespace

TEST_F(XcopyTree, EHKCopiesEverythingByteForByteAndAttributeForAttribute) {
    RunResult r = RunXcopy(L"/E /H /K /Y " + Q(src) + L" " + QDir(dst));
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(0u, r.exitCode) << Narrow(r.err);
    EXPECT_EQ("", CompareTrees(src, dst, CompareRules{}));
    EXPECT_EQ(counts.all, CountLine(r.out)) << Narrow(r.out);
    // The file list names each file by the source path as typed, Japanese included.
    EXPECT_NE(std::wstring::npos, r.out.find(src + L"\\日本語フォルダ\\ファイル名・表.txt"))
        << Narrow(r.out);
    EXPECT_TRUE(r.err.empty()) << Narrow(r.err);
}

TEST_F(XcopyTree, WithoutKTheReadOnlyAttributeIsCleared) {
    RunResult r = RunXcopy(L"/E /H /Y " + Q(src) + L" " + QDir(dst));
    EXPECT_EQ(0u, r.exitCode) << Narrow(r.err);
    CompareRules rules;
    rules.readOnlyKept = false;
    EXPECT_EQ("", CompareTrees(src, dst, rules));
    EXPECT_FALSE(Attributes(dst + L"\\readonly.txt") & FILE_ATTRIBUTE_READONLY);
}

TEST_F(XcopyTree, WithoutHHiddenAndSystemEntriesStayBehind) {
    RunResult r = RunXcopy(L"/E /Y /K " + Q(src) + L" " + QDir(dst));
    EXPECT_EQ(0u, r.exitCode) << Narrow(r.err);
    CompareRules rules;
    rules.hiddenToo = false;
    EXPECT_EQ("", CompareTrees(src, dst, rules));
    EXPECT_FALSE(Exists(dst + L"\\hidden.txt"));
    EXPECT_FALSE(Exists(dst + L"\\sub\\hiddendir"));
    EXPECT_EQ(counts.plain, CountLine(r.out));
}

TEST_F(XcopyTree, SSkipsEmptyFoldersAndNoSwitchTakesTopLevelFilesOnly) {
    RunResult s = RunXcopy(L"/S /H /K /Y " + Q(src) + L" " + QDir(dst));
    EXPECT_EQ(0u, s.exitCode) << Narrow(s.err);
    CompareRules rules;
    rules.emptyFolders = false;
    EXPECT_EQ("", CompareTrees(src, dst, rules));
    EXPECT_FALSE(Exists(dst + L"\\empty"));

    const std::wstring flat = temp / L"flat";
    RunResult f = RunXcopy(L"/h /k /y /i /q " + Q(src) + L" " + Q(flat));
    EXPECT_EQ(0u, f.exitCode) << Narrow(f.err);
    rules.subfolders = false;
    EXPECT_EQ("", CompareTrees(src, flat, rules));
    // /Q: only the count line.
    EXPECT_EQ(std::to_wstring(6) + L" " + kCopied + L"\r\n", f.out);
}

TEST_F(XcopyTree, YOverwritesAndMinusYAsks) {
    MakeDir(temp / L"コピー先");
    MakeDir(dst);
    PutFile(dst + L"\\a.txt", "old contents that are longer than the new ones");
    const std::wstring one = Q(src + L"\\a.txt") + L" " + QDir(dst);

    RunResult no = RunXcopy(L"/-Y " + one, "n\r\n");
    EXPECT_EQ(1u, no.exitCode) << "nothing copied";
    EXPECT_NE(std::wstring::npos, no.out.find(L"上書きしますか (Yes/No/All)?")) << Narrow(no.out);
    EXPECT_EQ("old contents that are longer than the new ones", GetFile(dst + L"\\a.txt"));

    RunResult yes = RunXcopy(L"/-Y " + one, "y\r\n");
    EXPECT_EQ(0u, yes.exitCode);
    EXPECT_EQ("hello\r\n", GetFile(dst + L"\\a.txt"));

    PutFile(dst + L"\\a.txt", "old", FILE_ATTRIBUTE_HIDDEN);
    RunResult y = RunXcopy(L"/Y " + one, "");
    EXPECT_EQ(0u, y.exitCode) << Narrow(y.err);
    EXPECT_EQ("hello\r\n", GetFile(dst + L"\\a.txt")) << "a hidden target is replaced too";
    EXPECT_EQ(std::wstring::npos, y.out.find(L"上書き"));

    // Ending input counts as "no"; it must not hang.
    RunResult eof = RunXcopy(L"/-Y " + one, "");
    EXPECT_TRUE(eof.finished);
    EXPECT_EQ(1u, eof.exitCode);
}

TEST_F(XcopyTree, ReadOnlyTargetNeedsR) {
    MakeDir(temp / L"コピー先");
    MakeDir(dst);
    PutFile(dst + L"\\a.txt", "old", FILE_ATTRIBUTE_READONLY);
    const std::wstring one = Q(src + L"\\a.txt") + L" " + QDir(dst);
    RunResult r = RunXcopy(L"/Y " + one);
    EXPECT_EQ(5u, r.exitCode);
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ("old", GetFile(dst + L"\\a.txt"));
    RunResult rr = RunXcopy(L"/Y /R " + one);
    EXPECT_EQ(0u, rr.exitCode) << Narrow(rr.err);
    EXPECT_EQ("hello\r\n", GetFile(dst + L"\\a.txt"));
}

TEST_F(XcopyTree, CGoesOnPastAnUnreadableFileAndTheErrorIsNotSuccess) {
    // Held open without sharing: nobody else can read it while this handle lives.
    HANDLE lock = CreateFileW(Long(src + L"\\big.bin").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    RunResult stop = RunXcopy(L"/E /H /Y " + Q(src) + L" " + QDir(temp / L"stop\\"));
    RunResult go = RunXcopy(L"/E /H /Y /C " + Q(src) + L" " + QDir(dst));
    CloseHandle(lock);

    EXPECT_EQ(5u, stop.exitCode);
    EXPECT_NE(std::wstring::npos, stop.err.find(L"big.bin")) << Narrow(stop.err);
    EXPECT_FALSE(Exists(temp / L"stop\\zero.bin")) << "without /C the run stops at the error";

    EXPECT_EQ(5u, go.exitCode);
    EXPECT_NE(std::wstring::npos, go.err.find(L"big.bin")) << Narrow(go.err);
    EXPECT_FALSE(Exists(dst + L"\\big.bin")) << "no partial copy is left";
    EXPECT_TRUE(Exists(dst + L"\\zero.bin"));
    EXPECT_TRUE(Exists(dst + L"\\sub\\deep\\nested.txt"));
    EXPECT_EQ(counts.all - 1, CountLine(go.out));
}

TEST_F(XcopyTree, ExitCodesForNothingToCopyAndBadParameters) {
    TempDir onlyHidden;
    PutFile(onlyHidden / L"h.txt", "h", FILE_ATTRIBUTE_HIDDEN);
    RunResult nothing = RunXcopy(L"/E /Y " + Q(onlyHidden.Path()) + L" " + QDir(dst));
    EXPECT_EQ(1u, nothing.exitCode);
    EXPECT_EQ(0, CountLine(nothing.out));

    const std::wstring unused = temp / L"unused";
    RunResult badSwitch = RunXcopy(L"/E /O /X " + Q(src) + L" " + QDir(unused));
    EXPECT_EQ(4u, badSwitch.exitCode);
    EXPECT_NE(std::wstring::npos, badSwitch.err.find(L"無効なスイッチです - /X"))
        << Narrow(badSwitch.err);
    EXPECT_FALSE(Exists(unused));

    EXPECT_EQ(4u, RunXcopy(L"/E").exitCode);
    RunResult missing = RunXcopy(L"/E " + Q(temp / L"ない") + L" " + QDir(unused));
    EXPECT_EQ(4u, missing.exitCode);
    EXPECT_NE(std::wstring::npos, missing.err.find(L"ファイルが見つかりません"))
        << Narrow(missing.err);

    // Into its own subfolder: refused instead of copying without end.
    RunResult cyclic = RunXcopy(L"/E /Y " + Q(src) + L" " + QDir(src + L"\\sub\\again"));
    EXPECT_EQ(4u, cyclic.exitCode);
    EXPECT_FALSE(Exists(src + L"\\sub\\again"));
}

TEST_F(XcopyTree, NewTargetWithoutBackslashAsksFileOrFolder) {
    MakeDir(temp / L"コピー先");
    RunResult file = RunXcopy(Q(src + L"\\a.txt") + L" " + Q(dst + L".txt"), "f\r\n");
    EXPECT_EQ(0u, file.exitCode) << Narrow(file.err);
    EXPECT_NE(std::wstring::npos, file.out.find(L"(F = ファイル、D = ディレクトリ)?"));
    EXPECT_EQ("hello\r\n", GetFile(dst + L".txt"));

    RunResult folder = RunXcopy(Q(src + L"\\*.txt") + L" " + Q(dst), "d\r\n");
    EXPECT_EQ(0u, folder.exitCode) << Narrow(folder.err);
    EXPECT_EQ("hello\r\n", GetFile(dst + L"\\a.txt"));
    EXPECT_EQ("keep me", GetFile(dst + L"\\readonly.txt"));
    EXPECT_FALSE(Exists(dst + L"\\zero.bin")) << "only what the wildcard names";
}

TEST(Xcopy, PathsBeyondMaxPath) {
    TempDir temp;
    std::wstring deep = temp / L"src";
    MakeDir(deep);
    const std::wstring part = L"長いフォルダ名の一部分です0123456789abcdefghijklmnopqrstuvwxyz";
    while (deep.size() < 400) {
        deep += L"\\" + part;
        ASSERT_TRUE(MakeDir(deep));
    }
    ASSERT_TRUE(PutFile(deep + L"\\最後のファイル.txt", "deep"));
    // The target's missing parents reach beyond MAX_PATH as well.
    std::wstring target = temp / L"dst";
    while (target.size() < 300)
        target += L"\\" + part;
    RunResult r = RunXcopy(L"/E /Y " + Q(temp / L"src") + L" " + QDir(target));
    EXPECT_EQ(0u, r.exitCode) << Narrow(r.err);
    EXPECT_EQ("", CompareTrees(temp / L"src", target, CompareRules{}));
}
