// xcopy as Kasumido meets it inside the prefix: found by name through CreateProcessW, the /O
// switch, and the close request on abort.
#include "xcopy/xcopy_helpers.h"

#include "ktora/thread/C_Process.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <vector>

using namespace xcopytest;

namespace {

std::wstring SecurityText(const std::wstring& path) {
    const SECURITY_INFORMATION what =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD need = 0;
    GetFileSecurityW(Long(path).c_str(), what, nullptr, 0, &need);
    std::vector<BYTE> sd(need ? need : 1);
    if (!need || !GetFileSecurityW(Long(path).c_str(), what, sd.data(), need, &need))
        return L"<unreadable>";
    wchar_t* text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(sd.data(), SDDL_REVISION_1, what,
                                                              &text, nullptr))
        return L"<unconvertible>";
    std::wstring out = text;
    LocalFree(text);
    return out;
}

bool SetSecurityText(const std::wstring& path, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr))
        return false;
    bool ok = SetFileSecurityW(Long(path).c_str(), DACL_SECURITY_INFORMATION, sd) != 0;
    LocalFree(sd);
    return ok;
}

struct FindByProcess {
    DWORD pid;
    HWND found;
};

// The first top-level window of a process, searched the way Kasumido's close request does.
HWND FirstWindowOf(DWORD pid) {
    FindByProcess f{pid, nullptr};
    EnumWindows(
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto* f = reinterpret_cast<FindByProcess*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(hWnd, &owner);
            if (owner != f->pid)
                return TRUE;
            f->found = hWnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&f));
    return f.found;
}

} // namespace

TEST(XcopyInPrefix, KasumidoCommandLineThroughCreateProcessMakesACompleteCopy) {
    TempDir temp;
    const std::wstring src = temp / L"写真 1";
    MakeSampleTree(src);
    const std::wstring container = temp / L"出力\\写真 1";
    MakeDir(temp / L"出力");
    MakeDir(container);
    const std::wstring copy = container + L"\\写真 1・1";

    // Exactly what the copy job builds and how it runs it: the bare command name, found on
    // the system path of the prefix, a shown window, no pipes, polled every 100 ms.
    std::wstring line = L"xcopy /E /C /H /O /Y \"" + src + L"\" \"" + copy + L"\\\"";
    ktora::C_Process process;
    ASSERT_NE(0xFFFFFFFFul, process.Run(line.c_str(), 5, 0, 0, nullptr, nullptr, nullptr, nullptr));
    int polls = 0;
    int joined = 1;
    while ((joined = process.Join(100)) == 1 && ++polls < 600) {
    }
    ASSERT_EQ(0, joined) << "still running after a minute";
    int ok = 0;
    EXPECT_EQ(0, process.GetExitCode(&ok))
        << "Wine's builtin xcopy refuses /O with 4: is ours installed?";
    EXPECT_EQ(1, ok);
    CompareRules rules;
    rules.readOnlyKept = false;
    EXPECT_EQ("", CompareTrees(src, copy, rules));
}

TEST(XcopyInPrefix, OKeepsAPrivateFilePrivate) {
    // Access for the owner and the system only; the default would let everyone read.
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    BYTE user[256];
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, user, sizeof user, &size));
    CloseHandle(token);
    wchar_t* sid = nullptr;
    ASSERT_TRUE(ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid));
    const std::wstring sddl = L"D:P(A;;FA;;;SY)(A;;FA;;;" + std::wstring(sid) + L")";
    LocalFree(sid);

    TempDir temp;
    MakeDir(temp / L"src");
    PutFile(temp / L"src\\秘密.txt", "x");
    ASSERT_TRUE(SetSecurityText(temp / L"src\\秘密.txt", sddl.c_str()));
    const std::wstring stored = SecurityText(temp / L"src\\秘密.txt");
    ASSERT_EQ(std::wstring::npos, stored.find(L";;;WD)")) << Narrow(stored);

    RunResult with =
        RunXcopy(L"/E /O /Y \"" + (temp / L"src") + L"\" \"" + (temp / L"o") + L"\\\"");
    EXPECT_EQ(0u, with.exitCode) << Narrow(with.err);
    EXPECT_EQ(stored, SecurityText(temp / L"o\\秘密.txt"));

    RunResult without =
        RunXcopy(L"/E /Y \"" + (temp / L"src") + L"\" \"" + (temp / L"n") + L"\\\"");
    EXPECT_EQ(0u, without.exitCode);
    EXPECT_NE(stored, SecurityText(temp / L"n\\秘密.txt")) << "the test would prove nothing";
}

TEST(XcopyInPrefix, AbortsCloseRequestEndsTheCopyWithinItsWait) {
    TempDir temp;
    MakeDir(temp / L"dst");
    PutFile(temp / L"a.txt", "new");
    PutFile(temp / L"dst\\a.txt", "old");
    // Standard input is a pipe nobody writes to, so the overwrite question waits: the run is
    // certainly busy when the request comes.
    std::wstring line = L"\"" + BuiltXcopy() + L"\" /-Y \"" + (temp / L"a.txt") + L"\" \"" +
                        (temp / L"dst") + L"\\\"";
    ktora::C_Process process;
    const unsigned long pid =
        process.Run(line.c_str(), 5, 2, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(0xFFFFFFFFul, pid);
    HWND target = nullptr;
    for (int i = 0; i < 200 && !target; ++i) {
        target = FirstWindowOf(pid);
        if (!target)
            Sleep(50);
    }
    ASSERT_NE(nullptr, target) << "no window to ask";
    wchar_t cls[64] = {};
    GetClassNameW(target, cls, 64);
    // The abort's own call: post WM_CLOSE to the first window, wait up to 1000 ms.
    int exited = process.TryExit();
    if (exited == 1)
        exited = process.Join(15000); // report a slow end apart from no end
    EXPECT_EQ(0, exited) << "asked window " << Narrow(cls);
    int ok = 0;
    EXPECT_EQ(2, process.GetExitCode(&ok));
    EXPECT_EQ("old", GetFile(temp / L"dst\\a.txt"));
    if (exited != 0)
        process.Terminate();
}
