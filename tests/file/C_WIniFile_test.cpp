#include <gtest/gtest.h>

#include <string>

#include "file/settings_temp_dir.h"
#include "ktora/file/C_WIniFile.h"

using ktora::C_WIniFile;
using ktora::C_WString;
using settings_test::ReadBytes;
using settings_test::TempDir;
using settings_test::Utf16;
using settings_test::WriteBytes;

namespace {

class WIniFile : public ::testing::Test {
protected:
    void Start(const std::string& bytes) {
        ASSERT_TRUE(WriteBytes(m_path, bytes));
        ASSERT_EQ(1, m_ini.Open(C_WString(m_path.c_str())));
    }
    std::wstring Get(const wchar_t* key) {
        m_ini.ClearLastError();
        const C_WString v = m_ini.GetStr(C_WString(key));
        return m_ini.IsLastError() ? L"<error>" : std::wstring(v.GetString(), v.Length());
    }
    std::string Bytes() { return ReadBytes(m_path); }

    TempDir m_dir;
    std::wstring m_path = m_dir.Path(L"wide.ini");
    C_WIniFile m_ini;
};

} // namespace

TEST_F(WIniFile, LineRulesOnUtf16Text) {
    const std::wstring text =
        L"\ufeffbom = 0\r\n"
        L"# note = 1\r\n"
        L" indented = 2\r\n"
        L"\u540d\u524d = \u3053\u3093\u306b\u3061\u306f\r\n" // 名前 = こんにちは
        L"tight=t\r\n"
        L"word other = w\r\n"
        L"empty =\r\n"
        L"dup = 1\r\n"
        L"dup = 2\r\n"
        L"cr = 3\rlf = 4\n"
        L"9 = nine\r\n"
        L"last = \u672b"; // 末
    Start(Utf16(text));
    EXPECT_EQ(L"<error>", Get(L"bom"));
    EXPECT_EQ(L"0", Get(L"\ufeffbom"));
    EXPECT_EQ(L"<error>", Get(L"#"));
    EXPECT_EQ(L"<error>", Get(L"indented"));
    EXPECT_EQ(L"\u3053\u3093\u306b\u3061\u306f", Get(L"\u540d\u524d"));
    EXPECT_EQ(L"t", Get(L"tight"));
    EXPECT_EQ(L"w", Get(L"word"));
    EXPECT_EQ(L"", Get(L"empty"));
    EXPECT_EQ(L"1", Get(L"dup"));
    EXPECT_EQ(L"3", Get(L"cr"));
    EXPECT_EQ(L"4", Get(L"lf"));
    EXPECT_EQ(L"nine", std::wstring(m_ini.GetStr(9).GetString()));
    EXPECT_EQ(L"\u672b", Get(L"last"));
    EXPECT_EQ(-1, m_ini.GetInt(C_WString(L"empty")));
    EXPECT_EQ(2, m_ini.GetInt(C_WString(L"indented")) + 3); // missing gives -1
    EXPECT_EQ(1, m_ini.GetInt(C_WString(L"dup")));
    EXPECT_EQ(Utf16(text), Bytes());
}

TEST_F(WIniFile, EveryChangeKindRewritesTheRightBytes) {
    Start(Utf16(L"a = 1\r\nkey = mid\r\n\r\nz = 26"));
    m_ini.SetStr(C_WString(L"key"), C_WString(L"\u9577\u3044\u5024\u3067\u3059")); // 長い値です
    EXPECT_EQ(L"\u9577\u3044\u5024\u3067\u3059", Get(L"key"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ(Utf16(L"a = 1\r\nkey = \u9577\u3044\u5024\u3067\u3059\r\n\r\nz = 26"), Bytes());
    m_ini.SetStr(C_WString(L"key"), C_WString(L"s"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ(Utf16(L"a = 1\r\nkey = s\r\n\r\nz = 26"), Bytes());
    m_ini.SetStr(C_WString(L"new"), 7);
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ(Utf16(L"a = 1\r\nkey = s\r\n\r\nz = 26\r\nnew = 7\r\n"), Bytes());
    EXPECT_EQ(7, m_ini.GetInt(C_WString(L"new")));
    EXPECT_EQ(1, m_ini.DeleteStr(C_WString(L"key")));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ(Utf16(L"a = 1\r\nz = 26\r\nnew = 7\r\n"), Bytes());
    m_ini.SetStr(3, 4);
    m_ini.SetStr(C_WString(L"a"), C_WString(L"9"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ(Utf16(L"a = 9\r\nz = 26\r\nnew = 7\r\n3 = 4\r\n"), Bytes());
    EXPECT_EQ(1, m_ini.DeleteAllStr());
    EXPECT_EQ(L"<error>", Get(L"a"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ("", Bytes());
    m_ini.SetStr(C_WString(L"k"), C_WString(L"v"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ(Utf16(L"k = v\r\n"), Bytes()); // no leading CR LF on an empty file
}

TEST_F(WIniFile, OddLengthFileAppendsOnACharacterBoundary) {
    Start(Utf16(L"a = 1") + "\x41");
    EXPECT_EQ(L"1", Get(L"a"));
    m_ini.SetStr(C_WString(L"b"), C_WString(L"2"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ(Utf16(L"a = 1\r\nb = 2\r\n"), Bytes());
    EXPECT_EQ(L"2", Get(L"b"));
}

TEST_F(WIniFile, NulUnitInsideALineKeepsEveryOffset) {
    Start(Utf16(std::wstring(L"k = ab\0cd\r\nz = 9\r\n", 18)));
    EXPECT_EQ(L"ab", Get(L"k"));
    m_ini.SetStr(C_WString(L"k"), C_WString(L"xyz"));
    EXPECT_EQ(1, m_ini.Commit());
    EXPECT_EQ(Utf16(L"k = xyz\r\nz = 9\r\n"), Bytes());
}

TEST_F(WIniFile, LockTwiceAndPendingAcrossOpen) {
    Start(Utf16(L"a = 1\r\n"));
    EXPECT_EQ(ktora::C_FileStream::kLockTaken, m_ini.Lock(100));
    EXPECT_EQ(m_ini.kLockAlreadyHeld, m_ini.Lock(100));
    m_ini.SetStr(C_WString(L"a"), C_WString(L"2"));
    const std::wstring other = m_dir.Path(L"other.ini");
    ASSERT_EQ(1, m_ini.Open(C_WString(other.c_str())));
    EXPECT_EQ(0, m_ini.IsLocked());
    EXPECT_EQ(Utf16(L"a = 2\r\n"), Bytes());
    EXPECT_EQ("", ReadBytes(other));
}
