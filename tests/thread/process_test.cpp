// Child processes: real children (cmd and our thread_child helper) with and without pipes.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "ktora/string/C_Memory.h"
#include "ktora/thread/C_Process.h"
#include "thread/thread_helpers.h"

using ktora::C_Memory;
using ktora::C_Process;

namespace {

const unsigned long kFailed = 0xFFFFFFFFUL;

std::wstring ChildPath() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L"\\/") + 1) + L"thread_child.exe";
}

std::wstring Child(const std::wstring& args) {
    return L"\"" + ChildPath() + L"\" " + args;
}

// A named event the child can wait on or set; the name is unique per test run.
class NamedEvent {
public:
    NamedEvent() {
        static int counter = 0;
        name = L"ktora-proc-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++counter);
        h = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    }
    ~NamedEvent() { CloseHandle(h); }
    std::wstring name;
    HANDLE h;
};

std::string Text(C_Memory& m, int n) {
    return std::string(static_cast<const char*>(m.GetMemory()), static_cast<size_t>(n));
}

} // namespace

TEST(Process, WithoutChildEveryOperationReportsNothingHeld) {
    C_Process p;
    EXPECT_EQ(C_Process::kJoinNoChild, p.Join(0));
    EXPECT_EQ(2, p.Exit(0));
    EXPECT_EQ(0, p.IsExist());
    EXPECT_EQ(0, p.Terminate());
    EXPECT_EQ(kFailed, p.GetProcessID());
    int ok = 5;
    EXPECT_EQ(-1, p.GetExitCode(&ok));
    EXPECT_EQ(0, ok);
    EXPECT_EQ(-1, p.GetExitCode(nullptr));
    C_Memory m;
    EXPECT_EQ(0, p.Read(&m, 10));
    EXPECT_EQ(0, p.Write("x", 1, 10));
    EXPECT_EQ(-1, p.ReaderStream(nullptr, 4, 10));
    EXPECT_EQ(kFailed, p.Run(L"cmd /c exit 0", 0, 9, 0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(kFailed,
              p.Run(L"no-such-program-ktora.exe", 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
}

TEST(Process, CmdChildExitCodeAndRunAgainAfterJoin) {
    C_Process p;
    unsigned long pid = p.Run(L"cmd /c exit 3", 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(kFailed, pid);
    EXPECT_EQ(pid, p.GetProcessID());
    EXPECT_EQ(C_Process::kJoinEnded, p.Join(10000));
    EXPECT_EQ(kFailed, p.GetProcessID());
    int ok = 0;
    EXPECT_EQ(3, p.GetExitCode(&ok));
    EXPECT_EQ(1, ok);
    EXPECT_EQ(C_Process::kJoinNoChild, p.Join(0)); // released
    // Again, shown, in a console of its own.
    ASSERT_NE(kFailed, p.Run(L"cmd /c exit 4", 5, 4, 0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(C_Process::kJoinEnded, p.Join(10000));
    EXPECT_EQ(4, p.GetExitCode(&ok));
}

TEST(Process, ProgramPathWithABlankRunsThatProgram) {
    wchar_t temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
    const std::wstring dir =
        std::wstring(temp) + L"ktora-proc-blank-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring sub = dir + L"\\with blank";
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    const std::wstring real = sub + L"\\thread_child.exe";
    // The decoy sits where an unquoted command line is looked up first (<dir>\with.exe);
    // it would see "blank\thread_child.exe" as its mode and exit with 2.
    const std::wstring decoy = dir + L"\\with.exe";
    bool copied = CopyFileW(ChildPath().c_str(), real.c_str(), FALSE) &&
                  CopyFileW(ChildPath().c_str(), decoy.c_str(), FALSE);
    int code = -1;
    if (copied) {
        C_Process p;
        if (p.Run(real.c_str(), L"exit 9", 0, 0, 0, nullptr, nullptr) != kFailed &&
            p.Join(10000) == C_Process::kJoinEnded) {
            code = p.GetExitCode(nullptr);
        }
    }
    DeleteFileW(real.c_str());
    DeleteFileW(decoy.c_str());
    RemoveDirectoryW(sub.c_str());
    RemoveDirectoryW(dir.c_str());
    ASSERT_TRUE(copied);
    EXPECT_EQ(9, code);
}

TEST(Process, QuotedProgramKeepsItsArgumentsOutsideTheQuotes) {
    C_Process p;
    std::wstring quoted = L"\"" + ChildPath() + L"\"";
    ASSERT_NE(kFailed, p.Run(quoted.c_str(), L"exit 5", 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(C_Process::kJoinEnded, p.Join(10000));
    EXPECT_EQ(5, p.GetExitCode(nullptr));
    // Unquoted, and a quoted program that lacks its closing quote.
    ASSERT_NE(kFailed, p.Run(ChildPath().c_str(), L"exit 6", 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(C_Process::kJoinEnded, p.Join(10000));
    EXPECT_EQ(6, p.GetExitCode(nullptr));
    std::wstring open = L"\"" + ChildPath();
    ASSERT_NE(kFailed, p.Run(open.c_str(), L"exit 8", 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(C_Process::kJoinEnded, p.Join(10000));
    EXPECT_EQ(8, p.GetExitCode(nullptr));
}

TEST(Process, PollingJoinTimesOutUntilTheChildEndsAndExitCodeWaitsForTheEnd) {
    NamedEvent go;
    C_Process p;
    // As the copy run does it: window shown, no pipes.
    ASSERT_NE(kFailed, p.Run(Child(L"wait " + go.name).c_str(), 5, 0, 0, nullptr, nullptr, nullptr,
                             nullptr));
    EXPECT_EQ(1, p.IsExist());
    EXPECT_EQ(kFailed, p.Run(L"cmd /c exit 0", 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
    int ok = 1;
    EXPECT_EQ(-1, p.GetExitCode(&ok)); // still running: no exit code, nothing cached
    EXPECT_EQ(0, ok);
    int timeouts = 0;
    int r = C_Process::kJoinTimeout;
    for (int i = 0; i < 300 && r == C_Process::kJoinTimeout; ++i) {
        r = p.Join(100);
        if (r == C_Process::kJoinTimeout && ++timeouts == 3) {
            SetEvent(go.h);
        }
    }
    EXPECT_EQ(C_Process::kJoinEnded, r);
    EXPECT_GE(timeouts, 3);
    EXPECT_EQ(0, p.IsExist());
    EXPECT_EQ(0, p.GetExitCode(&ok));
    EXPECT_EQ(1, ok);
}

TEST(Process, OutputIsReadWhileTheChildRunsAndAfterItEnds) {
    C_Process p;
    ASSERT_NE(kFailed,
              p.Run(Child(L"print hello").c_str(), 0, 1, 0, nullptr, nullptr, nullptr, nullptr));
    C_Memory m;
    EXPECT_EQ(5, p.Read(&m, 10000));
    EXPECT_EQ("hello", Text(m, 5));
    EXPECT_EQ(0, static_cast<const char*>(m.GetMemory())[5]);
    int ok = 0;
    EXPECT_EQ(0, p.GetExitCode(&ok));
    EXPECT_EQ(1, ok);
    EXPECT_EQ(C_Process::kJoinEnded, p.Join(10000));

    // More than a pipe holds: the child blocks until the parent reads.
    const int kBig = 200000;
    ASSERT_NE(kFailed, p.Run(Child(L"big " + std::to_wstring(kBig)).c_str(), 0, 1, 0, nullptr,
                             nullptr, nullptr, nullptr));
    C_Memory big;
    ASSERT_EQ(kBig, p.Read(&big, 20000));
    const char* data = static_cast<const char*>(big.GetMemory());
    int wrong = 0;
    for (int i = 0; i < kBig; ++i) {
        wrong += data[i] != static_cast<char>('0' + i % 10);
    }
    EXPECT_EQ(0, wrong);
    EXPECT_EQ(C_Process::kJoinEnded, p.Join(10000));
}

TEST(Process, ReaderStreamTakesExactlyTheBytesAsked) {
    C_Process p;
    ASSERT_NE(kFailed, p.Run(Child(L"print 0123456789").c_str(), 0, 1, 0, nullptr, nullptr, nullptr,
                             nullptr));
    C_Memory m;
    EXPECT_EQ(-1, p.ReaderStream(&m, -1, 100));
    EXPECT_EQ(4, p.ReaderStream(&m, 4, 10000));
    EXPECT_EQ("0123", Text(m, 4));
    EXPECT_EQ(6, p.ReaderStream(&m, 10, 10000)); // only six are left when the child ends
    EXPECT_EQ("456789", Text(m, 6));
    EXPECT_EQ(C_Process::kJoinEnded, p.Join(10000));
}

TEST(Process, InputIsFedThroughTheInputPipe) {
    C_Process p;
    ASSERT_NE(kFailed, p.Run(Child(L"line").c_str(), 0, 2, 0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(4, p.Write("abc\n", 4, 5000));
    EXPECT_EQ(C_Process::kJoinEnded, p.Join(10000));
    EXPECT_EQ(3, p.GetExitCode(nullptr)); // the child read three characters
}

TEST(Process, AllThreePipesAndNoHandleIsLeftBehind) {
    const int before = OwnHandleCount();
    ASSERT_GT(before, 0);
    {
        C_Process p;
        ASSERT_NE(kFailed,
                  p.Run(Child(L"line").c_str(), 0, 3, 0, nullptr, nullptr, nullptr, nullptr));
        EXPECT_EQ(6, p.Write("hello\n", 6, 5000));
        C_Memory m;
        EXPECT_EQ(5, p.Read(&m, 10000));
        EXPECT_EQ("HELLO", Text(m, 5));
        EXPECT_EQ(C_Process::kJoinEnded, p.Join(10000));
        EXPECT_EQ(5, p.GetExitCode(nullptr));
    }
    EXPECT_EQ(before, OwnHandleCount());
}

TEST(Process, TryExitClosesAChildWindow) {
    NamedEvent ready;
    C_Process p;
    ASSERT_NE(kFailed, p.Run(Child(L"window " + ready.name).c_str(), 5, 0, 0, nullptr, nullptr,
                             nullptr, nullptr));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready.h, 10000));
    EXPECT_EQ(0, p.TryExit());
    EXPECT_EQ(7, p.GetExitCode(nullptr)); // it ended through its WM_CLOSE handling
}

TEST(Process, TryExitOnAConsoleChildOnlyWaits) {
    NamedEvent go;
    C_Process p;
    ASSERT_NE(kFailed, p.Run(Child(L"wait " + go.name).c_str(), 0, 0, 0, nullptr, nullptr, nullptr,
                             nullptr));
    EXPECT_EQ(1, p.TryExit());
    EXPECT_EQ(1, p.IsExist());
    SetEvent(go.h);
    EXPECT_EQ(C_Process::kJoinEnded, p.Join(10000));
    EXPECT_EQ(0, p.GetExitCode(nullptr));
}

TEST(Process, DestroyingTheObjectLeavesTheChildRunningAndTerminateKills) {
    NamedEvent go;
    HANDLE child = nullptr;
    {
        C_Process p;
        unsigned long pid =
            p.Run(Child(L"wait " + go.name).c_str(), 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(kFailed, pid);
        child = OpenProcess(SYNCHRONIZE, FALSE, pid);
        ASSERT_NE(nullptr, child);
    }
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(child, 0));
    SetEvent(go.h);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child, 10000));
    CloseHandle(child);

    NamedEvent never;
    C_Process p;
    ASSERT_NE(kFailed, p.Run(Child(L"wait " + never.name).c_str(), 0, 0, 0, nullptr, nullptr,
                             nullptr, nullptr));
    EXPECT_EQ(1, p.Terminate());
    EXPECT_EQ(C_Process::kJoinNoChild, p.Join(0));
    int ok = 0;
    EXPECT_EQ(-1, p.GetExitCode(&ok)); // killed with 0xFFFFFFFF
    EXPECT_EQ(1, ok);
}
