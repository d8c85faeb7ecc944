#include <gtest/gtest.h>
#include <windows.h>

#include <ctime>
#include <set>
#include <string>

#include "file/file_helpers.h"
#include "ktora/file/C_Find.h"

using ktora::C_Find;
using ktora::C_WString;
using ktora::tag_FindInfo;

namespace {

const std::wstring kJapanese = L"\u8a2d\u5b9a\u30d7\u30ed.txt"; // 設定プロ.txt

// A folder with text files (one Japanese, one hidden, one upper-case extension), a binary
// file and two subfolders, one of them named like a text file.
void Populate(const test::TempDir& dir) {
    ASSERT_TRUE(test::WriteBytes(dir.Path(L"a.txt"), "aaa"));
    ASSERT_TRUE(test::WriteBytes(dir.Path(L"bb.TXT"), "bbbbb"));
    ASSERT_TRUE(test::WriteBytes(dir.Path(kJapanese), std::string(1000, 'j')));
    ASSERT_TRUE(test::WriteBytes(dir.Path(L"hidden.txt"), ""));
    ASSERT_TRUE(SetFileAttributesW(dir.Path(L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(test::WriteBytes(dir.Path(L"data.bin"), "\x01\x02"));
    ASSERT_TRUE(CreateDirectoryW(dir.Path(L"sub.txt").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(dir.Path(L"folder").c_str(), nullptr));
}

std::set<std::wstring> Names(C_Find& find) {
    std::set<std::wstring> names;
    for (tag_FindInfo* e = find.GetFindInfoFirst(); e != nullptr; e = find.GetFindInfoNext()) {
        names.insert(e->name.GetString());
    }
    return names;
}

// Puts the process into a folder for one test and back again.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::wstring& dir) {
        GetCurrentDirectoryW(MAX_PATH, m_old);
        m_ok = SetCurrentDirectoryW(dir.c_str()) != 0;
    }
    ~CurrentDirectory() { SetCurrentDirectoryW(m_old); }
    bool Ok() const { return m_ok; }

private:
    wchar_t m_old[MAX_PATH] = {};
    bool m_ok = false;
};

} // namespace

TEST(Find, PatternSearchInAMixedFolder) {
    test::TempDir dir;
    Populate(dir);
    C_Find find;
    ASSERT_EQ(1, find.SetVtlDir(dir.Path().c_str()));
    ASSERT_EQ(1, find.Start(C_WString(L"*.txt"), 1));
    std::set<std::wstring> expect = {L"a.txt", L"bb.TXT", kJapanese, L"hidden.txt", L"sub.txt"};
    EXPECT_EQ(expect, Names(find));
    EXPECT_EQ(5, find.GetFindCount());

    EXPECT_EQ(1, find.Serch(kJapanese.c_str()));
    EXPECT_EQ(0, find.Serch(C_WString(L"A.TXT"))); // names compare exactly
    EXPECT_EQ(0, find.Serch(C_WString(L"")));
    EXPECT_EQ(1000, find.GetSize(kJapanese.c_str()));
    EXPECT_EQ(3, find.GetSize(C_WString(L"a.txt")));
    EXPECT_EQ(-1, find.GetSize(C_WString(L"data.bin")));
    EXPECT_EQ(-1, find.GetAttrib(C_WString(L"nothing")));
    EXPECT_NE(0, find.GetAttrib(C_WString(L"sub.txt")) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_NE(0, find.GetAttrib(C_WString(L"hidden.txt")) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(0, find.GetAttrib(C_WString(L"a.txt")) & FILE_ATTRIBUTE_DIRECTORY);

    // By position: the same entries as the iteration, nothing outside.
    std::set<std::wstring> byIndex;
    for (int i = 0; i < find.GetFindCount(); ++i) {
        byIndex.insert(find.GetName(i).GetString());
        EXPECT_NE(-1, find.GetAttrib(i));
        EXPECT_GE(find.GetSize(i), 0);
    }
    EXPECT_EQ(expect, byIndex);
    EXPECT_TRUE(find.GetName(-1).Empty());
    EXPECT_TRUE(find.GetName(find.GetFindCount()).Empty());
    EXPECT_EQ(-1, find.GetAttrib(-1));
    EXPECT_EQ(-1, find.GetSize(5));

    tag_FindInfo info;
    ASSERT_EQ(1, find.GetFindInfo(&info, C_WString(L"a.txt")));
    EXPECT_STREQ(L"a.txt", info.name.GetString());
    EXPECT_EQ(3, info.size);
    const __int64 now = static_cast<__int64>(time(nullptr));
    EXPECT_LT(now - info.time_write, 24 * 3600);
    EXPECT_GE(info.time_write, info.time_create - 2);
    EXPECT_EQ(0, find.GetFindInfo(nullptr, 0));
    EXPECT_EQ(0, find.GetFindInfo(&info, 99));

    // Refused while listed; the first list stays.
    EXPECT_EQ(0, find.Start(C_WString(L"*"), 1));
    EXPECT_EQ(5, find.GetFindCount());
    EXPECT_EQ(1, find.End());
    EXPECT_EQ(0, find.End());
    EXPECT_EQ(0, find.GetFindCount());
    EXPECT_EQ(nullptr, find.GetFindInfoFirst());

    // "*" lists files and folders but never "." or "..".
    ASSERT_EQ(1, find.Start(C_WString(L"*"), 1));
    EXPECT_EQ(7, find.GetFindCount());
    EXPECT_EQ(0, find.Serch(C_WString(L".")));
    EXPECT_EQ(0, find.Serch(C_WString(L"..")));
    find.End();

    ASSERT_EQ(1, find.Start(C_WString(L"?.txt"), 1));
    EXPECT_EQ(std::set<std::wstring>{L"a.txt"}, Names(find));
    find.End();

    // A Japanese pattern matches the Japanese name.
    ASSERT_EQ(1, find.Start(C_WString(L"\u8a2d\u5b9a*"), 1));
    EXPECT_EQ(std::set<std::wstring>{kJapanese}, Names(find));
}

TEST(Find, IterationEndsAndStaysEnded) {
    test::TempDir dir;
    Populate(dir);
    C_Find find;
    EXPECT_EQ(nullptr, find.GetFindInfoNext()); // no cursor yet
    ASSERT_EQ(1, find.SetVtlDir(dir.Path().c_str()));
    ASSERT_EQ(1, find.Start(C_WString(L"*.bin"), 1));
    tag_FindInfo* first = find.GetFindInfoFirst();
    ASSERT_NE(nullptr, first);
    EXPECT_STREQ(L"data.bin", first->name.GetString());
    EXPECT_EQ(nullptr, find.GetFindInfoNext());
    EXPECT_EQ(nullptr, find.GetFindInfoNext());
    EXPECT_EQ(first, find.GetFindInfoFirst());
}

TEST(Find, NoMatchAndPathsWithOrWithoutTheVirtualFolder) {
    test::TempDir dir;
    Populate(dir);
    C_Find find;
    ASSERT_EQ(1, find.SetVtlDir(dir.Path().c_str()));
    EXPECT_EQ(0, find.Start(C_WString(L"*.none"), 1));
    EXPECT_EQ(0, find.GetFindCount());
    EXPECT_EQ(nullptr, find.GetFindInfoFirst());

    // The pattern alone when the prefix flag is off.
    EXPECT_EQ(0, find.Start(C_WString(L"a.txt"), 0));
    ASSERT_EQ(1, find.Start((dir.Path() + L"\\a.txt").c_str(), 0));
    EXPECT_EQ(1, find.GetFindCount());
    find.End();

    // A folder written with a trailing separator gets no second one.
    for (const wchar_t* tail : {L"\\", L"/"}) {
        C_Find other;
        ASSERT_EQ(1, other.SetVtlDir((dir.Path() + tail).c_str()));
        ASSERT_EQ(1, other.Start(C_WString(L"a.txt"), 1)) << tail;
        EXPECT_EQ(1, other.GetFindCount());
    }

    // A search that matches only "." and ".." succeeds with an empty list.
    ASSERT_EQ(1, find.SetVtlDir(dir.Path(L"folder").c_str()));
    EXPECT_EQ(1, find.Start(C_WString(L"*"), 1));
    EXPECT_EQ(0, find.GetFindCount());
    EXPECT_EQ(nullptr, find.GetFindInfoFirst());
}

TEST(Find, VirtualFolderOnMissingFileAndFolderPaths) {
    test::TempDir dir;
    Populate(dir);
    wchar_t before[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);

    C_Find find;
    EXPECT_EQ(0, find.SetVtlDir(C_WString(L"")));
    ASSERT_EQ(1, find.SetVtlDir(dir.Path(L"folder").c_str()));
    EXPECT_EQ(0, find.SetVtlDir(dir.Path(L"missing").c_str()));
    EXPECT_EQ(0, find.SetVtlDir(dir.Path(L"a.txt").c_str()));
    EXPECT_STREQ(dir.Path(L"folder").c_str(), find.GetVtlDir().GetString());
    const std::wstring japanese = dir.Path(L"\u8a2d\u5b9a"); // 設定
    ASSERT_TRUE(CreateDirectoryW(japanese.c_str(), nullptr));
    C_Find other;
    EXPECT_EQ(1, other.SetVtlDir(japanese.c_str()));

    wchar_t after[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(before, after);

    // The virtual folder survives End.
    find.End();
    EXPECT_STREQ(dir.Path(L"folder").c_str(), find.GetVtlDir().GetString());
}

TEST(Find, RelativeVirtualFolderAsTheProfileListUsesIt) {
    test::TempDir dir;
    ASSERT_TRUE(CreateDirectoryW(dir.Path(L"list").c_str(), nullptr));
    ASSERT_TRUE(test::WriteBytes(dir.Path(L"list\\" + kJapanese), "make_count=2\r\n"));
    ASSERT_TRUE(test::WriteBytes(dir.Path(L"list\\note.doc"), ""));
    {
        CurrentDirectory cd(dir.Path());
        ASSERT_TRUE(cd.Ok());
        C_Find find;
        ASSERT_EQ(1, find.SetVtlDir(C_WString(L"list")));
        EXPECT_STREQ(L"list", find.GetVtlDir().GetString()); // stored as given
        ASSERT_EQ(1, find.Start(C_WString(L"*.txt"), 1));
        EXPECT_EQ(std::set<std::wstring>{kJapanese}, Names(find));
    }
}
