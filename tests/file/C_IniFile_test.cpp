#include <gtest/gtest.h>

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>

#include <string>

#include "file/settings_temp_dir.h"
#include "ktora/file/C_IniFile.h"

using ktora::C_IniFile;
using ktora::C_String;
using ktora::C_WString;
using settings_test::ReadBytes;
using settings_test::TempDir;
using settings_test::WriteBytes;
using namespace std::string_literals;

namespace {

std::string Str(const C_String& s) {
    return std::string(s.GetString(), s.Length());
}

class IniFile : public ::testing::Test {
protected:
    // Writes the bytes to a fresh file and opens it.
    void Start(const std::string& bytes) {
        ASSERT_TRUE(WriteBytes(m_path, bytes));
        ASSERT_EQ(1, m_ini.Open(C_WString(m_path.c_str())));
    }
    // The value, or "<error>" when the read reports last-error.
    std::string Get(const char* key) {
        m_ini.ClearLastError();
        const std::string v = Str(m_ini.GetStr(C_String(key)));
        return m_ini.IsLastError() ? "<error>" : v;
    }
    std::string Bytes() { return ReadBytes(m_path); }

    TempDir m_dir;
    std::wstring m_path = m_dir.Path(L"settings.txt");
    C_IniFile m_ini;
};

const std::string kRules = "# comment = 0\r\n"
                           "#hidden = 1\r\n"
                           " spaced = 2\r\n"
                           "plain = v1\r\n"
                           "tight=v2\r\n"
                           "two  ==  v3 x \r\n"
                           "empty = \r\n"
                           "bare==\r\n"
                           "word other = v4\r\n"
                           "novalue\r\n"
                           "nosep other\r\n"
                           "novalue = late\r\n"
                           "dup = 1\r\n"
                           "dup = 2\r\n"
                           "eqin = a=b\r\n"
                           "Case = upper\r\n"
                           "tab\t= t\r\n"
                           "num = 12ab\r\n"
                           "letters = abc\r\n"
                           "\r\n"
                           "5 = five\r\n"
                           "last=end";

} // namespace

TEST_F(IniFile, LineRules) {
    Start(kRules);
    EXPECT_EQ("<error>", Get("#"));
    EXPECT_EQ("<error>", Get("#hidden"));
    EXPECT_EQ("<error>", Get("spaced"));
    EXPECT_EQ("v1", Get("plain"));
    EXPECT_EQ("v2", Get("tight"));
    EXPECT_EQ("v3 x ", Get("two"));
    EXPECT_EQ("", Get("empty"));
    EXPECT_EQ("", Get("bare"));
    EXPECT_EQ("v4", Get("word"));
    EXPECT_EQ("late", Get("novalue"));
    EXPECT_EQ("<error>", Get("nosep"));
    EXPECT_EQ("1", Get("dup"));
    EXPECT_EQ("a=b", Get("eqin"));
    EXPECT_EQ("<error>", Get("case"));
    EXPECT_EQ("upper", Get("Case"));
    EXPECT_EQ("<error>", Get("tab"));
    EXPECT_EQ("t", Get("tab\t"));
    EXPECT_EQ("end", Get("last"));
    EXPECT_EQ("<error>", Get("missing"));
    EXPECT_EQ("<error>", Get(""));
    EXPECT_EQ("five", Str(m_ini.GetStr(5)));

    EXPECT_EQ(1, m_ini.IsExistStr(C_String("empty")));
    EXPECT_EQ(0, m_ini.IsExistStr(C_String("nosep")));
    EXPECT_EQ(0, m_ini.IsLastError()); // IsExistStr leaves the flag clear
    EXPECT_EQ(1, m_ini.IsExistStr(5));
    EXPECT_EQ(-1, m_ini.GetInt(C_String("missing")));
    EXPECT_EQ(1, m_ini.IsLastError());
    EXPECT_EQ(-1, m_ini.GetInt(C_String("empty")));
    EXPECT_EQ(0, m_ini.IsLastError()); // GetInt starts by clearing the flag
    EXPECT_EQ(12, m_ini.GetInt(C_String("num")));
    EXPECT_EQ(0, m_ini.GetInt(C_String("letters")));
    EXPECT_EQ(1, m_ini.GetInt(C_String("dup")));
    EXPECT_EQ(-1, m_ini.GetInt(7));
    // Reads never change the file.
    EXPECT_EQ(kRules, Bytes());
}

TEST_F(IniFile, ByteOrderMarkNulAndLoneCr) {
    Start("\xEF\xBB\xBFkey = 1\r\n"
          "nul = ab\0cd\r\n"
          "x\0y = 2\r\n"
          "cr = 3\rafter = 4\r"
          "lf = 5\n"
          "end = 6"s);
    EXPECT_EQ("<error>", Get("key"));
    EXPECT_EQ("1", Get("\xEF\xBB\xBFkey"));
    EXPECT_EQ("ab", Get("nul"));
    EXPECT_EQ("<error>", Get("x"));
    EXPECT_EQ("3", Get("cr"));
    EXPECT_EQ("4", Get("after"));
    EXPECT_EQ("5", Get("lf"));
    EXPECT_EQ("6", Get("end"));
}

TEST_F(IniFile, ReplaceShiftsTheRestOfTheFile) {
    const std::string head = "a = 1\r\nkey = middle\r\n";
    const std::string tail = "# after\r\nz = 26\r\n";
    Start(head + tail);
    m_ini.SetStr(C_String("key"), C_String("a much longer value"));
    EXPECT_EQ(1, m_ini.IsCommit());
    EXPECT_EQ(head + tail, Bytes()); // nothing written before the commit
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ(0, m_ini.IsCommit());
    EXPECT_EQ("a = 1\r\nkey = a much longer value\r\n" + tail, Bytes());
    m_ini.SetStr(C_String("key"), C_String("s"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ("a = 1\r\nkey = s\r\n" + tail, Bytes());
    m_ini.SetStr(C_String("key"), C_String("t"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ("a = 1\r\nkey = t\r\n" + tail, Bytes());
    m_ini.SetStr(C_String("key"), C_String(""));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ("a = 1\r\nkey = \r\n" + tail, Bytes());
    EXPECT_EQ("", Get("key"));
    m_ini.SetStr(C_String("z"), 2026);
    m_ini.SetStr(1, C_String("one"));
    m_ini.SetStr(2, 3);
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ("a = 1\r\nkey = \r\n# after\r\nz = 2026\r\n1 = one\r\n2 = 3\r\n", Bytes());
    EXPECT_EQ(3, m_ini.GetInt(2));
}

TEST_F(IniFile, DuplicateKeysChangeOnlyTheFirst) {
    Start("dup = 1\r\ndup = 2\r\n");
    m_ini.SetStr(C_String("dup"), C_String("10"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ("dup = 10\r\ndup = 2\r\n", Bytes());
    EXPECT_EQ(1, m_ini.DeleteStr(C_String("dup")));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ("dup = 2\r\n", Bytes());
    EXPECT_EQ("2", Get("dup"));
}

TEST_F(IniFile, AppendNeverJoinsThePreviousLine) {
    Start("a = 1");
    m_ini.SetStr(C_String("b"), C_String("2"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ("a = 1\r\nb = 2\r\n", Bytes());
    m_ini.SetStr(C_String("c"), C_String("x = y"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ("a = 1\r\nb = 2\r\nc = x = y\r\n", Bytes());
    EXPECT_EQ("x = y", Get("c"));

    m_ini.ClearAll();
    EXPECT_EQ("", Bytes());
    m_ini.SetStr(C_String("k"), C_String("v"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ("k = v\r\n", Bytes());
}

TEST_F(IniFile, AppendAfterLoneCrStaysReadable) {
    Start("x = 1\r");
    m_ini.SetStr(C_String("new"), C_String("v"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ("x = 1\rnew = v\r\n", Bytes());
    C_IniFile again(C_WString(m_path.c_str())); // the file is denied to a second writer
    EXPECT_EQ(0, again.IsOpen());
    m_ini.Close();
    ASSERT_EQ(1, again.Open(C_WString(m_path.c_str())));
    EXPECT_EQ("v", Str(again.GetStr(C_String("new"))));
    EXPECT_EQ("1", Str(again.GetStr(C_String("x"))));
}

TEST_F(IniFile, DeleteTakesTerminatorAndFollowingBlankLines) {
    Start("a = 1\r\nb = 2\r\n\r\n\n\r\nc = 3\r\nd = 4");
    EXPECT_EQ(1, m_ini.DeleteStr(C_String("b")));
    EXPECT_EQ("<error>", Get("b"));
    EXPECT_EQ("3", Get("c"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ("a = 1\r\nc = 3\r\nd = 4", Bytes());
    EXPECT_EQ(1, m_ini.DeleteStr(C_String("d")));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ("a = 1\r\nc = 3\r\n", Bytes());
    EXPECT_EQ(0, m_ini.DeleteStr(C_String("zz")));
    EXPECT_EQ(1, m_ini.IsLastError());
    EXPECT_EQ(0, m_ini.DeleteStr(C_String("")));
    EXPECT_EQ(0, m_ini.DeleteStr(1));
    EXPECT_EQ(0, m_ini.IsCommit());
}

TEST_F(IniFile, DeleteAllAndRollBack) {
    Start("a = 1\r\nb = 2\r\n");
    m_ini.SetStr(C_String("a"), C_String("changed"));
    EXPECT_EQ(1, m_ini.RollBack());
    EXPECT_EQ(0, m_ini.RollBack());
    EXPECT_EQ(1, m_ini.IsLastError());
    EXPECT_EQ("a = 1\r\nb = 2\r\n", Bytes());
    EXPECT_EQ("1", Get("a"));

    m_ini.SetStr(C_String("a"), C_String("xx"));
    EXPECT_EQ(1, m_ini.DeleteAllStr()); // commits the pending change first
    EXPECT_EQ("a = xx\r\nb = 2\r\n", Bytes());
    EXPECT_EQ("<error>", Get("a"));
    EXPECT_EQ("<error>", Get("b"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ("", Bytes());
    EXPECT_EQ(0, m_ini.Commit());
    EXPECT_EQ(1, m_ini.IsLastError());
}

TEST_F(IniFile, ReadsDuringAPendingChange) {
    Start("a = 1\r\nb = 2\r\nc = 3\r\n");
    m_ini.SetStr(C_String("a"), C_String("longer"));
    EXPECT_EQ("longer", Get("a"));
    EXPECT_EQ("2", Get("b"));
    EXPECT_EQ("3", Get("c"));
    EXPECT_EQ(1, m_ini.IsExistStr(C_String("c")));
    EXPECT_EQ(1, m_ini.IsCommit());
    // The next change commits this one first.
    m_ini.SetStr(C_String("new"), C_String("n"));
    EXPECT_EQ("a = longer\r\nb = 2\r\nc = 3\r\n", Bytes());
    EXPECT_EQ("n", Get("new"));
    EXPECT_EQ(1, m_ini.DeleteStr(C_String("b")));
    EXPECT_EQ("a = longer\r\nb = 2\r\nc = 3\r\nnew = n\r\n", Bytes());
    EXPECT_EQ("<error>", Get("b"));
    EXPECT_EQ("n", Get("new"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ("a = longer\r\nc = 3\r\nnew = n\r\n", Bytes());
}

TEST_F(IniFile, KeysAndValuesThatCannotBeReadBackAreRefused) {
    const std::string start = "a = 1\r\n";
    Start(start);
    const char* badKeys[] = {"", "a b", "a=b", "#a", "a\r", "b\nc = evil"};
    for (const char* key : badKeys) {
        m_ini.ClearLastError();
        m_ini.SetStr(C_String(key), C_String("v"));
        EXPECT_EQ(1, m_ini.IsLastError()) << key;
        EXPECT_EQ(0, m_ini.IsCommit()) << key;
    }
    m_ini.ClearLastError();
    m_ini.SetStr(C_String("a"), C_String("x\r\nevil = 1"));
    EXPECT_EQ(1, m_ini.IsLastError());
    EXPECT_EQ(0, m_ini.IsCommit());
    EXPECT_EQ(start, Bytes());
}

TEST_F(IniFile, NulInsideALineKeepsEveryOffset) {
    const std::string after = "z = 9\r\n";
    Start("k = ab\0cd\r\n"s + after);
    m_ini.SetStr(C_String("k"), C_String("xyz"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ("k = xyz\r\n" + after, Bytes());
    m_ini.Close();
    ASSERT_TRUE(WriteBytes(m_path, "p\0q = 1\r\nk = v\0\0w\r\n"s + after));
    ASSERT_EQ(1, m_ini.Open(C_WString(m_path.c_str())));
    EXPECT_EQ("v", Get("k"));
    EXPECT_EQ(1, m_ini.DeleteStr(C_String("k")));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ("p\0q = 1\r\n"s + after, Bytes());
}

TEST_F(IniFile, PendingChangeFollowsItsFileThroughOpenAndClose) {
    const std::wstring other = m_dir.Path(L"other.txt");
    ASSERT_TRUE(WriteBytes(other, "a = other\r\n"));
    Start("a = 1\r\n");
    m_ini.SetStr(C_String("a"), C_String("22"));
    ASSERT_EQ(1, m_ini.Open(C_WString(other.c_str())));
    EXPECT_EQ("a = 22\r\n", Bytes());
    EXPECT_EQ("a = other\r\n", ReadBytes(other));
    EXPECT_EQ(0, m_ini.IsCommit());
    EXPECT_EQ(C_WString(other.c_str()), m_ini.GetIniName());
    m_ini.SetStr(C_String("b"), C_String("3"));
    m_ini.Close();
    EXPECT_EQ("a = other\r\nb = 3\r\n", ReadBytes(other));
    EXPECT_EQ(0, m_ini.IsOpen());
    // Closed: every operation fails with last-error.
    m_ini.ClearLastError();
    EXPECT_EQ("<error>", Get("a"));
    m_ini.ClearLastError();
    m_ini.SetStr(C_String("a"), C_String("1"));
    EXPECT_EQ(1, m_ini.IsLastError());
    EXPECT_EQ(0, m_ini.DeleteAllStr());
    EXPECT_EQ(0, m_ini.IsCommit());
    EXPECT_EQ(-1, m_ini.GetLastModified().GetTime());
    {
        C_IniFile scoped(C_WString(other.c_str()));
        scoped.SetStr(C_String("c"), C_String("4"));
    } // the destructor commits
    EXPECT_EQ("a = other\r\nb = 3\r\nc = 4\r\n", ReadBytes(other));
}

TEST_F(IniFile, OpenCreatesAMissingFileAndReportsItsTime) {
    const std::wstring fresh = m_dir.Path(L"fresh.txt");
    C_IniFile ini;
    EXPECT_EQ(0, ini.IsOpen());
    ASSERT_EQ(1, ini.Open(C_WString(fresh.c_str())));
    EXPECT_EQ("", ReadBytes(fresh));
    const __int64 now = ktora::C_Time().GetTime();
    const __int64 modified = ini.GetLastModified().GetTime();
    EXPECT_LE(now - 60, modified);
    EXPECT_GE(now + 60, modified);
    EXPECT_EQ(0, ini.Open(C_WString(m_dir.Path(L"no\\such\\dir.txt").c_str())));
    EXPECT_EQ(0, ini.IsOpen());
}

TEST_F(IniFile, LockContentionWithAnotherHandle) {
    Start("a = 1\r\n");
    EXPECT_EQ(0, m_ini.IsLocked());
    EXPECT_EQ(ktora::C_FileStream::kLockTaken, m_ini.Lock(0));
    EXPECT_EQ(1, m_ini.IsLocked());
    EXPECT_EQ(m_ini.kLockAlreadyHeld, m_ini.Lock(0));
    HANDLE other = CreateFileW(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    EXPECT_FALSE(LockFile(other, 0, 0, 1, 0));
    m_ini.Unlock();
    EXPECT_EQ(0, m_ini.IsLocked());
    ASSERT_TRUE(LockFile(other, 0, 0, 7, 0));
    const DWORD start = GetTickCount();
    EXPECT_EQ(ktora::C_FileStream::kLockTimeout, m_ini.Lock(200));
    const DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 180u);
    EXPECT_LT(waited, 5000u);
    EXPECT_EQ(0, m_ini.IsLocked());
    UnlockFile(other, 0, 0, 7, 0);
    EXPECT_EQ(ktora::C_FileStream::kLockTaken, m_ini.Lock(-1));
    m_ini.Close(); // closing releases the lock and forgets it
    EXPECT_EQ(0, m_ini.IsLocked());
    EXPECT_TRUE(LockFile(other, 0, 0, 7, 0));
    CloseHandle(other);
}

TEST_F(IniFile, LockOfAnEmptyFileHoldsItsFirstByte) {
    Start("");
    EXPECT_EQ(ktora::C_FileStream::kLockTaken, m_ini.Lock(-1));
    HANDLE other = CreateFileW(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    EXPECT_FALSE(LockFile(other, 0, 0, 1, 0));
    m_ini.Unlock();
    EXPECT_TRUE(LockFile(other, 0, 0, 1, 0));
    CloseHandle(other);
}

// Puts a descriptor of another file in place of the INI's own, so that its reads or its
// writes fail the way a full disk or a failing device would.
class IniFileFailingIo : public IniFile {
protected:
    void SwapDescriptor(int flags) {
        const std::wstring stand = m_dir.Path(L"stand-in.txt");
        ASSERT_TRUE(WriteBytes(stand, Bytes()));
        int fd = -1;
        ASSERT_EQ(0, _wsopen_s(&fd, stand.c_str(), flags | _O_BINARY, _SH_DENYNO,
                               ktora::C_FileStream::kModeReadWrite));
        ASSERT_EQ(0, _dup2(fd, m_fd));
        _close(fd);
        m_stand = stand;
    }
    void OpenAndFind(const std::string& bytes) {
        ASSERT_TRUE(WriteBytes(m_path, bytes));
        m_fd = settings_test::NextFreeDescriptor();
        ASSERT_EQ(1, m_ini.Open(C_WString(m_path.c_str())));
        ASSERT_TRUE(settings_test::DescriptorIsFile(m_fd, m_path));
    }
    int m_fd = -1;
    std::wstring m_stand;
};

TEST_F(IniFileFailingIo, TailThatCannotBeReadWritesNothing) {
    const std::string start = "a = 1\r\nb = 2\r\nc = 3\r\n";
    OpenAndFind(start);
    m_ini.SetStr(C_String("a"), C_String("100"));
    SwapDescriptor(_O_WRONLY);
    EXPECT_EQ(0, m_ini.Commit());
    EXPECT_EQ(1, m_ini.IsLastError());
    EXPECT_EQ(start, ReadBytes(m_stand));
    EXPECT_EQ(1, m_ini.IsCommit()); // nothing was written: the change is still pending
    EXPECT_EQ(1, m_ini.RollBack());
    EXPECT_EQ(start, Bytes());
}

TEST_F(IniFileFailingIo, WriteThatFailsNeverTruncates) {
    const std::string start = "a = 1\r\nb = 2\r\nc = 3\r\n";
    OpenAndFind(start);
    EXPECT_EQ(1, m_ini.DeleteStr(C_String("a")));
    SwapDescriptor(_O_RDONLY);
    EXPECT_EQ(0, m_ini.Commit());
    EXPECT_EQ(1, m_ini.IsLastError());
    EXPECT_EQ(start, ReadBytes(m_stand));
    EXPECT_EQ(0, m_ini.IsCommit());
}

TEST_F(IniFileFailingIo, AppendThatCannotCheckThePreviousLineWritesNothing) {
    const std::string start = "a = 1";
    OpenAndFind(start);
    m_ini.SetStr(C_String("new"), C_String("v"));
    SwapDescriptor(_O_WRONLY);
    EXPECT_EQ(0, m_ini.Commit());
    EXPECT_EQ(start, ReadBytes(m_stand));
}
