// xcopy.exe run as a program under Wine: what ends up in the copy, what it prints, exit codes.
#include "xcopy/xcopy_helpers.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

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

// The Unix name of a Windows path under Wine; empty elsewhere.
std::string UnixName(const std::wstring& path) {
    using Fn = char*(CDECL*)(const wchar_t*);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = fn ? fn(path.c_str()) : nullptr;
    std::string out = name ? name : "";
    if (name)
        HeapFree(GetProcessHeap(), 0, name);
    return out;
}

// Runs a Linux program from inside Wine (which starts Unix executables too). Wine does not
// wait for it, so this waits until `done` answers true (10 s at most).
bool RunUnix(const std::wstring& program, const std::string& arguments,
             const std::function<bool()>& done) {
    std::wstring line = program + L" ";
    const int n = MultiByteToWideChar(CP_UTF8, 0, arguments.data(),
                                      static_cast<int>(arguments.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, arguments.data(), static_cast<int>(arguments.size()), &wide[0],
                        n);
    line += wide;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::vector<wchar_t> buf(line.begin(), line.end());
    buf.push_back(L'\0');
    if (!CreateProcessW((L"Z:" + program).c_str(), buf.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    for (int i = 0; i < 200; ++i) {
        if (done())
            return true;
        Sleep(50);
    }
    return false;
}

int CountFiles(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(Long(dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    int n = 0;
    do {
        const std::wstring name = fd.cFileName;
        if (name != L"." && name != L"..")
            n += (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? CountFiles(dir + L"\\" + name)
                                                                  : 1;
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return n;
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
    // Past 1,030 characters, where Wine's GetLongPathNameW faults.
    std::wstring half;
    while (deep.size() < 1100) {
        deep += L"\\" + part;
        ASSERT_TRUE(MakeDir(deep));
        if (half.empty() && deep.size() > 1050)
            half = deep;
    }
    ASSERT_TRUE(PutFile(deep + L"\\最後のファイル.txt", "deep"));
    ASSERT_TRUE(PutFile(half + L"\\途中.txt", "half"));
    // The target's missing parents reach beyond MAX_PATH as well.
    std::wstring target = temp / L"dst";
    while (target.size() < 1100)
        target += L"\\" + part;
    RunResult r = RunXcopy(L"/E /Y " + Q(temp / L"src") + L" " + QDir(target));
    EXPECT_EQ(0u, r.exitCode) << Narrow(r.err);
    EXPECT_EQ("", CompareTrees(temp / L"src", target, CompareRules{}));

    // Long source and target given as \\?\ forms, as Kasumido may hand them over.
    const std::wstring again = temp / L"again" + target.substr(temp.Path().size() + 4);
    RunResult p =
        RunXcopy(L"/E /C /H /O /Y " + Q(L"\\\\?\\" + half) + L" " + QDir(L"\\\\?\\" + again));
    EXPECT_EQ(0u, p.exitCode) << Narrow(p.err);
    EXPECT_EQ("", CompareTrees(half, again, CompareRules{}));
    EXPECT_EQ("deep", GetFile(again + deep.substr(half.size()) + L"\\最後のファイル.txt"));
}

TEST_F(XcopyTree, TMakesTheFolderTreeOnlyAndWithEEmptyFoldersToo) {
    RunResult all = RunXcopy(L"/T /E /C /H /O /Y " + Q(src) + L" " + QDir(dst));
    EXPECT_EQ(0u, all.exitCode) << Narrow(all.err);
    EXPECT_EQ(0, CountLine(all.out)) << Narrow(all.out);
    for (const wchar_t* folder : {L"sub\\deep", L"sub\\hiddendir", L"empty", L"日本語フォルダ"})
        EXPECT_TRUE(Attributes(dst + L"\\" + folder) & FILE_ATTRIBUTE_DIRECTORY) << Narrow(folder);
    EXPECT_TRUE(Attributes(dst + L"\\sub\\hiddendir") & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(0, CountFiles(dst));

    // Without /E only the folders that hold a file named by the source.
    const std::wstring some = temp / L"some";
    RunResult part = RunXcopy(L"/T /Y " + Q(src) + L" " + QDir(some));
    EXPECT_EQ(0u, part.exitCode) << Narrow(part.err);
    EXPECT_TRUE(Exists(some + L"\\sub\\deep"));
    EXPECT_FALSE(Exists(some + L"\\empty"));
    EXPECT_FALSE(Exists(some + L"\\sub\\hiddendir")) << "hidden without /H";
    EXPECT_EQ(0, CountFiles(some));
}

TEST_F(XcopyTree, NamesDifferingOnlyInCaseAreNeverMerged) {
    // Possible in Wine's case-sensitive folders and in Windows folders with case sensitivity on.
    // Wine's Win32 side opens the existing name for either case, so Linux makes them there.
    const std::string unixSrc = UnixName(src);
    if (!unixSrc.empty()) {
        // The last file arrives under a temporary name: once it is there, all is.
        RunUnix(L"/bin/sh",
                "-c \"cd '" + unixSrc +
                    "' && printf upper >A.txt && mkdir Sub && printf other >Sub/o.tmp && mv "
                    "Sub/o.tmp Sub/other.txt\"",
                [&] { return Exists(src + L"\\Sub\\other.txt"); });
    } else {
        PutFile(src + L"\\A.txt", "upper");
        MakeDir(src + L"\\Sub");
        PutFile(src + L"\\Sub\\other.txt", "other");
    }
    if (GetFile(src + L"\\A.txt") != "upper" || GetFile(src + L"\\a.txt") != "hello\r\n")
        GTEST_SKIP() << "this folder is not case-sensitive";
    RunResult r = RunXcopy(L"/E /C /H /Y " + Q(src) + L" " + QDir(dst));
    EXPECT_EQ(5u, r.exitCode);
    EXPECT_EQ("upper", GetFile(dst + L"\\A.txt")) << "the first stays as copied";
    EXPECT_NE(std::wstring::npos, r.err.find(src + L"\\a.txt")) << Narrow(r.err);
    EXPECT_NE(std::wstring::npos, r.err.find(src + L"\\sub")) << Narrow(r.err);
    EXPECT_FALSE(Exists(dst + L"\\Sub\\deep")) << "folders are not merged either";
    EXPECT_EQ(counts.all - 1 - 2 + 2, CountLine(r.out)) << Narrow(r.out);
}

TEST_F(XcopyTree, AFolderIsNeverCopiedIntoItselfUnderAnotherName) {
    // Through the \\?\ form of the source.
    RunResult prefixed =
        RunXcopy(L"/E /Y " + Q(L"\\\\?\\" + src) + L" " + QDir(src + L"\\sub\\again"));
    EXPECT_EQ(4u, prefixed.exitCode);
    EXPECT_FALSE(Exists(src + L"\\sub\\again"));

    const std::string unixSrc = UnixName(src);
    const std::string prefix = UnixName(L"C:\\").substr(0, UnixName(L"C:\\").find("/dosdevices/"));
    if (unixSrc.empty() || prefix.empty())
        GTEST_SKIP() << "links and drive mappings are made here only under Wine";
    // Through a Unix symlink into the source (Win32 sees an ordinary folder).
    const std::wstring link = temp / L"link";
    ASSERT_TRUE(RunUnix(L"/bin/ln", "-s \"" + unixSrc + "\" \"" + UnixName(link) + "\"",
                        [&] { return Exists(link + L"\\a.txt"); }));
    RunResult linked = RunXcopy(L"/E /Y " + Q(src) + L" " + QDir(link + L"\\sub\\again"));
    EXPECT_EQ(4u, linked.exitCode);
    EXPECT_FALSE(Exists(src + L"\\sub\\again"));
    // A link inside the source back to it is not followed round and round.
    const std::wstring loop = src + L"\\sub\\loop";
    ASSERT_TRUE(RunUnix(L"/bin/ln", "-s \"" + unixSrc + "\" \"" + UnixName(loop) + "\"",
                        [&] { return Exists(loop + L"\\a.txt"); }));
    RunResult looped = RunXcopy(L"/E /C /H /K /Y " + Q(src) + L" " + QDir(dst));
    RunUnix(L"/bin/rm", "\"" + UnixName(loop) + "\"", [&] { return !Exists(loop); });
    EXPECT_EQ(5u, looped.exitCode);
    EXPECT_NE(std::wstring::npos, looped.err.find(loop)) << Narrow(looped.err);
    EXPECT_FALSE(Exists(dst + L"\\sub\\loop"));
    EXPECT_EQ(counts.all, CountFiles(dst)) << "the rest is copied once";
    // Without /S the files would be written over themselves: refused, the source unharmed.
    RunResult onto = RunXcopy(L"/C /Y " + Q(src) + L" " + QDir(link));
    EXPECT_EQ(5u, onto.exitCode);
    EXPECT_EQ("hello\r\n", GetFile(src + L"\\a.txt"));
    EXPECT_EQ(1500000u, GetFile(src + L"\\big.bin").size());
    RunUnix(L"/bin/rm", "\"" + UnixName(link) + "\"",
            [&] { return !Exists(link); }); // else the removal of temp follows it

    // Through a second drive letter mapped to the folder above the source.
    wchar_t letter = 0;
    const DWORD used = GetLogicalDrives();
    for (wchar_t c = L'M'; c <= L'Y' && !letter; ++c)
        if (!(used & (1u << (c - L'A'))))
            letter = c;
    ASSERT_NE(0, letter);
    const std::string mapping =
        prefix + "/dosdevices/" + static_cast<char>(letter - L'A' + 'a') + ":";
    const std::wstring drive = std::wstring(1, letter) + L":\\";
    ASSERT_TRUE(RunUnix(L"/bin/ln", "-s \"" + UnixName(temp.Path()) + "\" \"" + mapping + "\"",
                        [&] { return Exists(drive + L"元フォルダ\\a.txt"); }));
    RunResult mapped =
        RunXcopy(L"/E /Y " + Q(src) + L" " + QDir(drive + L"元フォルダ\\sub\\again"));
    RunUnix(L"/bin/rm", "-f \"" + mapping + "\"", [&] { return !Exists(drive); });
    EXPECT_EQ(4u, mapped.exitCode) << Narrow(mapped.err);
    EXPECT_FALSE(Exists(src + L"\\sub\\again"));
}
