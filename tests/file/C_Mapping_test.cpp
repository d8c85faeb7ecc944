#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <string>

#include "file/file_helpers.h"
#include "ktora/file/C_Mapping.h"
#include "ktora/file/C_MappingFile.h"
#include "ktora/file/C_MappingMemory.h"

using ktora::C_Mapping;
using ktora::C_MappingFile;
using ktora::C_MappingMemory;

namespace {

constexpr unsigned long kWrite = 0x0001;
constexpr unsigned long kReadWrite = 0x0002;
constexpr unsigned long kCreate = 0x0100;
constexpr unsigned long kTruncate = 0x0200;
constexpr unsigned long kExclusive = 0x0400;

std::wstring UniqueName(const wchar_t* what) {
    return L"Local\\ktora_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" + what;
}

} // namespace

TEST(MappingFile, OpenFlags) {
    test::TempDir dir;
    const std::wstring path = dir.Path(L"map.bin");
    C_MappingFile file;
    EXPECT_EQ(0, file.Open(nullptr, kReadWrite));
    EXPECT_EQ(0, file.Open(path.c_str(), kReadWrite)); // missing, no create flag
    EXPECT_EQ(0, file.IsOpen());
    unsigned long low = 1, high = 1;
    EXPECT_EQ(0, file.GetSize(&low, &high));
    EXPECT_EQ(0u, high);

    ASSERT_TRUE(test::WriteBytes(path, "hello"));
    EXPECT_EQ(0, file.Open(path.c_str(), kReadWrite | kCreate | kExclusive));
    // Truncation without write access fails and leaves the file alone.
    EXPECT_EQ(0, file.Open(path.c_str(), kTruncate));
    EXPECT_EQ("hello", test::ReadBytes(path));

    ASSERT_EQ(1, file.Open(path.c_str(), kReadWrite));
    EXPECT_EQ(kReadWrite, file.GetMode());
    EXPECT_NE(INVALID_HANDLE_VALUE, file.GetHandle());
    ASSERT_EQ(1, file.GetSize(&low, &high));
    EXPECT_EQ(5u, low);
    EXPECT_EQ(0u, high);
    EXPECT_EQ(1, file.Close());
    EXPECT_EQ(0u, file.GetMode());
    EXPECT_EQ(INVALID_HANDLE_VALUE, file.GetHandle());
    EXPECT_EQ(1, file.Close());

    ASSERT_EQ(1, file.Open(path.c_str(), kReadWrite | kTruncate));
    ASSERT_EQ(1, file.GetSize(&low, nullptr));
    EXPECT_EQ(0u, low);
    file.Close();
    ASSERT_EQ(1, file.Open(dir.Path(L"new.bin").c_str(), kWrite | kCreate | kExclusive));
    file.Close();
    EXPECT_TRUE(test::Exists(dir.Path(L"new.bin")));
}

TEST(Mapping, FileViewWritesReachTheFile) {
    test::TempDir dir;
    const std::wstring path = dir.Path(L"view.bin");
    ASSERT_TRUE(test::WriteBytes(path, "hello world"));
    C_MappingFile file;
    ASSERT_EQ(1, file.Open(path.c_str(), kReadWrite));
    C_Mapping map;
    EXPECT_EQ(nullptr, map.Pointer());
    EXPECT_EQ(0, map.Sync());
    char* view = static_cast<char*>(map.Map(&file, nullptr, 1));
    ASSERT_NE(nullptr, view);
    EXPECT_EQ(0, memcmp(view, "hello world", 11));
    EXPECT_EQ(view, map.Map(&file, nullptr, 1)); // a second Map gives the same view
    EXPECT_EQ(view, map.Pointer());
    EXPECT_EQ(0, map.IsExistMap());
    memcpy(view, "HELLO", 5);
    EXPECT_EQ(1, map.Sync());
    map.Unmap(0);
    EXPECT_EQ(nullptr, map.Pointer());
    EXPECT_EQ(1, file.IsOpen()); // Unmap(0) leaves the source open
    ASSERT_NE(nullptr, map.Map(&file, nullptr, 1));
    map.Unmap(1);
    EXPECT_EQ(0, file.IsOpen()); // Unmap(1) closes it
    EXPECT_EQ("HELLO world", test::ReadBytes(path));
}

TEST(Mapping, ReadOnlyAndPrivateViews) {
    test::TempDir dir;
    const std::wstring path = dir.Path(L"ro.bin");
    ASSERT_TRUE(test::WriteBytes(path, "read me"));
    {
        // Flags without a write bit open the file for reading, so it can be mapped.
        C_MappingFile file;
        ASSERT_EQ(1, file.Open(path.c_str(), 0));
        C_Mapping map;
        const char* view = static_cast<const char*>(map.Map(&file, nullptr, 1));
        ASSERT_NE(nullptr, view);
        EXPECT_EQ(0, memcmp(view, "read me", 7));
    }
    {
        // Any shared value other than 1 gives a private copy-on-write view.
        C_MappingFile file;
        ASSERT_EQ(1, file.Open(path.c_str(), kReadWrite));
        C_Mapping map;
        char* view = static_cast<char*>(map.Map(&file, nullptr, 0));
        ASSERT_NE(nullptr, view);
        view[0] = 'R';
        EXPECT_EQ('R', view[0]);
    }
    EXPECT_EQ("read me", test::ReadBytes(path));
}

TEST(Mapping, NamedSharedMemorySeenFromTwoObjects) {
    const std::wstring name = UniqueName(L"shared");
    C_MappingMemory first;
    EXPECT_EQ(static_cast<int>(kReadWrite), first.Open(kReadWrite));
    first.SetSize(4096, 0);
    unsigned long low = 0, high = 9;
    EXPECT_EQ(1, first.GetSize(&low, &high));
    EXPECT_EQ(4096u, low);
    EXPECT_EQ(0u, high);
    EXPECT_EQ(INVALID_HANDLE_VALUE, first.GetHandle());
    C_MappingMemory second;
    second.Open(kReadWrite);
    second.SetSize(4096, 0);

    C_Mapping a;
    C_Mapping b;
    char* va = static_cast<char*>(a.Map(&first, name.c_str(), 1));
    ASSERT_NE(nullptr, va);
    EXPECT_EQ(0, a.IsExistMap());
    strcpy(va, "from a");
    char* vb = static_cast<char*>(b.Map(&second, name.c_str(), 1));
    ASSERT_NE(nullptr, vb);
    EXPECT_EQ(1, b.IsExistMap());
    EXPECT_NE(va, vb);
    EXPECT_STREQ("from a", vb);
    strcpy(vb + 100, "from b");
    EXPECT_STREQ("from b", va + 100);

    b.Unmap(1);
    EXPECT_EQ(0, b.IsExistMap());
    EXPECT_EQ(0u, second.GetMode()); // closed through Unmap(1)
    EXPECT_STREQ("from a", va);
}

TEST(Mapping, FailedViewReleasesTheMappingObject) {
    test::TempDir dir;
    const std::wstring path = dir.Path(L"ro.bin");
    ASSERT_TRUE(test::WriteBytes(path, std::string(4096, 'r')));
    const std::wstring name = UniqueName(L"noview");
    {
        // A read-only file section under a name...
        C_MappingFile file;
        ASSERT_EQ(1, file.Open(path.c_str(), 0));
        C_Mapping holder;
        ASSERT_NE(nullptr, holder.Map(&file, name.c_str(), 1));

        // ...asked for again with write access: the object opens, the writable view fails.
        C_MappingMemory writer;
        writer.Open(kReadWrite);
        writer.SetSize(4096, 0);
        C_Mapping failing;
        EXPECT_EQ(nullptr, failing.Map(&writer, name.c_str(), 1));
        EXPECT_EQ(nullptr, failing.Pointer());
    }
    // Once the holder let go, nothing may keep the named object alive.
    HANDLE h = OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
    EXPECT_EQ(nullptr, h);
    if (h != nullptr) {
        CloseHandle(h);
    }
}
