// xcopy as Kasumido meets it inside the prefix: found by name through CreateProcessW, the /O
// switch, and the close request on abort.
#include "xcopy/xcopy_helpers.h"

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
    bool ok = SetFileSecurityW(Long(path).c_str(),
                               OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                   DACL_SECURITY_INFORMATION,
                               sd) != 0;
    LocalFree(sd);
    return ok;
}

struct Child {
    PROCESS_INFORMATION pi{};
    bool started = false;
    ~Child() {
        if (!started)
            return;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(pi.hProcess, 99);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
};

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

    // Exactly what the copy job builds and starts: the bare command name, found on the
    // system path of the prefix, a shown window, no pipes.
    std::wstring line = L"xcopy /E /C /H /O /Y \"" + src + L"\" \"" + copy + L"\\\"";
    std::vector<wchar_t> buf(line.begin(), line.end());
    buf.push_back(L'\0');
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOW;
    Child child;
    child.started = CreateProcessW(nullptr, buf.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &si, &child.pi) != 0;
    ASSERT_TRUE(child.started) << GetLastError();
    int polls = 0;
    while (WaitForSingleObject(child.pi.hProcess, 100) == WAIT_TIMEOUT && ++polls < 600) {
    }
    DWORD code = 0;
    GetExitCodeProcess(child.pi.hProcess, &code);
    EXPECT_EQ(0u, code) << "Wine's builtin xcopy refuses /O with 4: is ours installed?";
    CompareRules rules;
    rules.readOnlyKept = false;
    EXPECT_EQ("", CompareTrees(src, copy, rules));
}

TEST(XcopyInPrefix, OCopiesOwnerAndAccessControl) {
    TempDir temp;
    MakeDir(temp / L"src");
    PutFile(temp / L"src\\秘密.txt", "x");
    const wchar_t* sddl = L"O:BAG:BAD:P(A;;FA;;;BA)(A;;FR;;;WD)";
    ASSERT_TRUE(SetSecurityText(temp / L"src\\秘密.txt", sddl));
    const std::wstring stored = SecurityText(temp / L"src\\秘密.txt");
    if (stored != sddl)
        GTEST_SKIP() << "the file system keeps no access control here: " << Narrow(stored);

    RunResult with =
        RunXcopy(L"/E /O /Y \"" + (temp / L"src") + L"\" \"" + (temp / L"o") + L"\\\"");
    EXPECT_EQ(0u, with.exitCode) << Narrow(with.err);
    EXPECT_EQ(stored, SecurityText(temp / L"o\\秘密.txt"));

    RunResult without =
        RunXcopy(L"/E /Y \"" + (temp / L"src") + L"\" \"" + (temp / L"n") + L"\\\"");
    EXPECT_EQ(0u, without.exitCode);
    EXPECT_NE(stored, SecurityText(temp / L"n\\秘密.txt"));
}

TEST(XcopyInPrefix, CloseRequestInterruptsAWaitingCopy) {
    TempDir temp;
    MakeDir(temp / L"dst");
    PutFile(temp / L"a.txt", "new");
    PutFile(temp / L"dst\\a.txt", "old");
    // Standard input is a pipe nobody writes to: the overwrite question waits for ever.
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &sa, 0));
    SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                             OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = readEnd;
    si.hStdOutput = nul;
    si.hStdError = nul;
    std::wstring line = L"xcopy /-Y \"" + (temp / L"a.txt") + L"\" \"" + (temp / L"dst") + L"\\\"";
    std::vector<wchar_t> buf(line.begin(), line.end());
    buf.push_back(L'\0');
    Child child;
    child.started = CreateProcessW(BuiltXcopy().c_str(), buf.data(), nullptr, nullptr, TRUE, 0,
                                   nullptr, nullptr, &si, &child.pi) != 0;
    CloseHandle(readEnd);
    CloseHandle(nul);
    ASSERT_TRUE(child.started);

    HWND target = nullptr;
    for (int i = 0; i < 200 && !target; ++i) {
        target = FirstWindowOf(child.pi.dwProcessId);
        if (!target)
            Sleep(50);
    }
    ASSERT_NE(nullptr, target) << "no window to ask";
    wchar_t cls[64] = {};
    GetClassNameW(target, cls, 64);
    PostMessageW(target, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.pi.hProcess, 15000))
        << "asked window " << Narrow(cls);
    DWORD code = 0;
    GetExitCodeProcess(child.pi.hProcess, &code);
    EXPECT_EQ(2u, code);
    EXPECT_EQ("old", GetFile(temp / L"dst\\a.txt"));
    CloseHandle(writeEnd);
}
