#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "file/file_helpers.h"
#include "ktora/file/ktora_file.h"

using namespace ktora::common;
using ktora::C_WString;

TEST(CreateFolder, CreatesEveryMissingLevel) {
    test::TempDir dir;
    const std::wstring deep = dir.Path(L"one\\two/\u4e09\\four"); // mixed separators, 三
    EXPECT_EQ(1, ktora_CreateDirectory(deep.c_str(), kDirectoryModeAll));
    EXPECT_TRUE(test::IsFolder(dir.Path(L"one")));
    EXPECT_TRUE(test::IsFolder(dir.Path(L"one\\two")));
    EXPECT_TRUE(test::IsFolder(dir.Path(L"one\\two\\\u4e09")));
    EXPECT_TRUE(test::IsFolder(deep));

    // An existing folder is success: the caller asks for a folder and has one.
    EXPECT_EQ(1, ktora_CreateDirectory(deep.c_str(), kDirectoryModeAll));
    // A trailing separator is cut first.
    EXPECT_EQ(1, ktora_CreateDirectory(dir.Path(L"x\\y\\").c_str(), kDirectoryModeAll));
    EXPECT_TRUE(test::IsFolder(dir.Path(L"x\\y")));
    EXPECT_EQ(0, ktora_CreateDirectory(C_WString(L""), kDirectoryModeAll));
}

TEST(CreateFolder, ReportsFailureWhenAFileBlocksThePath) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteBytes(dir.Path(L"file"), "data"));
    EXPECT_EQ(0, ktora_CreateDirectory(dir.Path(L"file").c_str(), kDirectoryModeAll));
    EXPECT_EQ(0, ktora_CreateDirectory(dir.Path(L"file\\sub\\deeper").c_str(), kDirectoryModeAll));
    EXPECT_FALSE(test::Exists(dir.Path(L"file\\sub")));
    EXPECT_EQ("data", test::ReadBytes(dir.Path(L"file")));
    // The parent can be made but the last level cannot: still a failure.
    EXPECT_EQ(0, ktora_CreateDirectory(dir.Path(L"fresh\\bad|name").c_str(), kDirectoryModeAll));
    EXPECT_FALSE(test::Exists(dir.Path(L"fresh\\bad|name")));
    // A drive that does not exist.
    EXPECT_EQ(0, ktora_CreateDirectory(C_WString(L"Q:\\kasumido\\a\\b"), kDirectoryModeAll));
}

TEST(CreateFolder, RelativePathWithAOneLetterFirstLevel) {
    test::TempDir dir;
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    ASSERT_TRUE(SetCurrentDirectoryW(dir.Path().c_str()));
    int made = ktora_CreateDirectory(C_WString(L"q\\r\\s"), kDirectoryModeAll);
    bool exists = test::IsFolder(dir.Path(L"q\\r\\s"));
    SetCurrentDirectoryW(old);
    EXPECT_EQ(1, made);
    EXPECT_TRUE(exists);
}

TEST(PathHelpers, CurrentDirectoryAndFileExistence) {
    test::TempDir dir;
    wchar_t expect[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, expect);
    EXPECT_STREQ(expect, ktora_GetCurrentDirectory().GetString());

    const std::wstring file = dir.Path(L"\u30d5\u30a1\u30a4\u30eb.txt"); // ファイル.txt
    ASSERT_TRUE(test::WriteBytes(file, "x"));
    EXPECT_EQ(1, ktora_IsExistFile(file.c_str()));
    EXPECT_EQ(0, ktora_IsExistFile(dir.Path(L"missing.txt").c_str()));
    EXPECT_EQ(0, ktora_IsExistFile(dir.Path().c_str())); // a folder
    EXPECT_EQ(0, ktora_IsExistFile(C_WString(L"")));
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(0, ktora_IsExistFile(file.c_str())); // held without sharing
    CloseHandle(h);
}

TEST(PathHelpers, CurrentDirectoryLongerThanTheFirstBuffer) {
    test::TempDir dir;
    std::wstring path = dir.Path();
    while (path.size() <= 300) {
        path += L"\\" + std::wstring(60, L'\u9577'); // 長
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr));
    }
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    if (!SetCurrentDirectoryW(path.c_str())) {
        GTEST_SKIP() << "the system refuses a current directory this long";
    }
    const C_WString got = ktora_GetCurrentDirectory();
    SetCurrentDirectoryW(old);
    EXPECT_STREQ(path.c_str(), got.GetString());
}
