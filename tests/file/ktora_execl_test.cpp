#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "file/file_helpers.h"
#include "ktora/file/ktora_shim.h"

using ktora::common::ktora_execl;

namespace {

std::string Narrow(const std::wstring& s) {
    char buf[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, buf, sizeof buf, nullptr, nullptr);
    return buf;
}

} // namespace

TEST(Execl, RunsToCompletionAndReturnsTheExitCode) {
    int started = -7;
    EXPECT_EQ(-1, ktora_execl(nullptr, "x", &started));
    EXPECT_EQ(0, started);
    started = -7;
    EXPECT_EQ(-1, ktora_execl("C:\\no\\such\\program.exe", "", &started));
    EXPECT_EQ(0, started);
    EXPECT_EQ(3, ktora_execl("cmd.exe", "/c exit 3", &started));
    EXPECT_EQ(1, started);
    EXPECT_EQ(0, ktora_execl("cmd.exe", "/c exit 0", nullptr));
}

TEST(Execl, ProgramPathWithABlankRunsThatProgram) {
    test::TempDir dir;
    // A decoy where an unquoted command line would look first: <dir>\with.exe.
    wchar_t self[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameW(nullptr, self, MAX_PATH));
    ASSERT_TRUE(CopyFileW(self, dir.Path(L"with.exe").c_str(), FALSE));
    ASSERT_TRUE(CreateDirectoryW(dir.Path(L"with blank").c_str(), nullptr));
    ASSERT_TRUE(test::WriteBytes(dir.Path(L"with blank\\prog.bat"), "@exit /b 7\r\n"));

    const std::string program = Narrow(dir.Path(L"with blank\\prog.bat"));
    int started = 0;
    // The decoy would run no tests and end with 0.
    EXPECT_EQ(7, ktora_execl(program.c_str(), "--gtest_filter=-*", &started));
    EXPECT_EQ(1, started);
    // An already quoted path is taken as it is.
    EXPECT_EQ(7, ktora_execl(("\"" + program + "\"").c_str(), "", &started));
}
