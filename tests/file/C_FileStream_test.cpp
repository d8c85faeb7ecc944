#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <winioctl.h>

#include <string>
#include <vector>

#include "file/file_helpers.h"
#include "ktora/file/C_FileStream.h"

using ktora::C_FileStream;
using ktora::C_String;
using ktora::C_WString;

namespace {

constexpr int kReadOnly = 0x8000;

// Reads every narrow line with ReadLineA until it reports the end.
std::vector<std::string> ReadAllA(C_FileStream& fs) {
    std::vector<std::string> lines;
    C_String line;
    int n;
    while ((n = fs.ReadLineA(&line)) >= 0) {
        EXPECT_EQ(n, line.Length());
        lines.push_back(line.GetString());
        if (lines.size() > 100) {
            break;
        }
    }
    return lines;
}

std::vector<std::wstring> ReadAllW(C_FileStream& fs) {
    std::vector<std::wstring> lines;
    C_WString line;
    int n;
    while ((n = fs.ReadLineW(&line)) >= 0) {
        EXPECT_EQ(n, line.Length());
        lines.push_back(line.GetString());
        if (lines.size() > 100) {
            break;
        }
    }
    return lines;
}

std::string Wide(const std::wstring& s) {
    return std::string(reinterpret_cast<const char*>(s.data()), s.size() * sizeof(wchar_t));
}

} // namespace

TEST(FileStream, OpenCloseAndStateRules) {
    test::TempDir dir;
    ASSERT_TRUE(dir.Ok());
    C_FileStream fs;
    EXPECT_EQ(0, fs.IsOpen());
    EXPECT_EQ(0, fs.Close());
    EXPECT_EQ(0, fs.Open(C_WString(L""), C_FileStream::kOpenReadWrite));
    EXPECT_EQ(-1, fs.GetPos());
    EXPECT_EQ(0, fs.Write("x", 1));
    EXPECT_EQ(C_FileStream::kLockRefused, fs.Lock(1)); // closed: failed

    const std::wstring first = dir.Path(L"first.bin");
    ASSERT_EQ(1, fs.Open(first.c_str(), C_FileStream::kOpenReadWrite));
    EXPECT_EQ(0, fs.Open(dir.Path(L"second.bin").c_str(),
                         C_FileStream::kOpenReadWrite)); // keeps the first
    EXPECT_STREQ(first.c_str(), fs.GetFileName().GetString());
    EXPECT_FALSE(test::Exists(dir.Path(L"second.bin")));
    EXPECT_EQ(1, fs.ReOpen(dir.Path(L"second.bin").c_str(), C_FileStream::kOpenReadWrite));
    EXPECT_TRUE(test::Exists(dir.Path(L"second.bin")));
    EXPECT_EQ(1, fs.Close());
    EXPECT_TRUE(fs.GetFileName().Empty());

    // Opening a missing file without the create flag fails.
    EXPECT_EQ(0, fs.Open(dir.Path(L"missing.bin").c_str(), kReadOnly));
}

TEST(FileStream, WritesBytesStringsAndLines) {
    test::TempDir dir;
    const std::wstring path = dir.Path(L"w.bin");
    {
        C_FileStream fs(path.c_str(), C_FileStream::kOpenReadWrite);
        ASSERT_EQ(1, fs.IsOpen());
        EXPECT_EQ(0, fs.Write(nullptr, 3));
        EXPECT_EQ(0, fs.Write("abc", 0));
        EXPECT_EQ(3, fs.Write("abc", 3));
        EXPECT_EQ(0, fs.WriteStringA(C_String("")));
        EXPECT_EQ(2, fs.WriteStringA(C_String("defg"), 2));
        EXPECT_EQ(4, fs.WriteStringA(C_String("hijk"), 99)); // never past the text
        EXPECT_EQ(0, fs.WriteStringA(C_String("xy"), 0));
        EXPECT_EQ(2, fs.WriteLineA(C_String("")));
        EXPECT_EQ(5, fs.WriteLineW(C_WString(L"abc")));
        EXPECT_EQ(2, fs.WriteStringW(C_WString(L"\u3042\u3044\u3046"), 2));
        EXPECT_EQ(3, fs.WriteLine(C_WString(L"z")));
    }
    std::string expect =
        "abcdehijk\r\n" + Wide(L"abc\r\n") + Wide(L"\u3042\u3044") + Wide(L"z\r\n");
    EXPECT_EQ(expect, test::ReadBytes(path));
}

TEST(FileStream, NarrowLinesRoundTripInEveryLineEnding) {
    test::TempDir dir;
    const std::wstring path = dir.Path(L"lines.txt");
    std::string longLine(700, 'L');
    // CR LF, LF, a lone CR (twice in a row gives an empty line), Shift_JIS text whose trail
    // byte is a backslash (表 = 0x95 0x5C), a line longer than one read block, and a last
    // line without terminator.
    const std::string bytes =
        "ab\r\ncd\nef\rgh\r\r\n\x95\\\x8e\xa6\r\n" + longLine + "\r\n\r\nlast";
    ASSERT_TRUE(test::WriteBytes(path, bytes));
    C_FileStream fs(path.c_str(), kReadOnly);
    ASSERT_EQ(1, fs.IsOpen());
    std::vector<std::string> expect = {"ab",     "cd", "ef",  "gh", "", "\x95\\\x8e\xa6",
                                       longLine, "",   "last"};
    EXPECT_EQ(expect, ReadAllA(fs));
    C_String keep("kept");
    EXPECT_EQ(-1, fs.ReadLineA(&keep));
    EXPECT_STREQ("kept", keep.GetString());
    EXPECT_EQ(-1, fs.ReadLineA(nullptr));
}

TEST(FileStream, LoneCrAtTheEndOfAReadBlockKeepsTheNextByte) {
    test::TempDir dir;
    const std::wstring path = dir.Path(L"block.txt");
    // The CR falls on the last byte of the first 260-byte block.
    std::string first(259, 'a');
    ASSERT_TRUE(test::WriteBytes(path, first + "\rX\r\nY"));
    C_FileStream fs(path.c_str(), kReadOnly);
    std::vector<std::string> expect = {first, "X", "Y"};
    EXPECT_EQ(expect, ReadAllA(fs));

    ASSERT_TRUE(test::WriteBytes(dir.Path(L"block2.txt"), first + "\r\nZ"));
    C_FileStream fs2(dir.Path(L"block2.txt").c_str(), kReadOnly);
    std::vector<std::string> expect2 = {first, "Z"};
    EXPECT_EQ(expect2, ReadAllA(fs2));

    // The same for UTF-16: the CR is the last unit of the first 260-unit block.
    std::wstring wfirst(259, L'\u3042');
    ASSERT_TRUE(test::WriteBytes(dir.Path(L"wblock.txt"), Wide(wfirst + L"\rX\r\nY")));
    C_FileStream ws(dir.Path(L"wblock.txt").c_str(), kReadOnly);
    std::vector<std::wstring> wexpect = {wfirst, L"X", L"Y"};
    EXPECT_EQ(wexpect, ReadAllW(ws));
    ASSERT_TRUE(test::WriteBytes(dir.Path(L"wblock2.txt"), Wide(wfirst + L"\r\nZ")));
    C_FileStream ws2(dir.Path(L"wblock2.txt").c_str(), kReadOnly);
    std::vector<std::wstring> wexpect2 = {wfirst, L"Z"};
    EXPECT_EQ(wexpect2, ReadAllW(ws2));
}

TEST(FileStream, WideLinesRoundTripThroughWriteAndRead) {
    test::TempDir dir;
    const std::wstring path = dir.Path(L"wide.txt");
    std::wstring longLine(300, L'\u6f22');
    {
        C_FileStream fs(path.c_str(), C_FileStream::kOpenReadWrite);
        ASSERT_EQ(1, fs.IsOpen());
        fs.WriteLine(C_WString(L"\u30b3\u30d4\u30fc"));
        fs.WriteLine(C_WString(L""));
        fs.WriteLine(C_WString(longLine.c_str()));
        fs.WriteString(C_WString(L"lf\nlone\rnext\rtail"));
    }
    C_FileStream fs(path.c_str(), kReadOnly);
    std::vector<std::wstring> expect = {
        L"\u30b3\u30d4\u30fc", L"", longLine, L"lf", L"lone", L"next", L"tail"};
    EXPECT_EQ(expect, ReadAllW(fs));
}

TEST(FileStream, WideLineReadingTreatsAnOddLastByteAsEnd) {
    test::TempDir dir;
    const std::wstring path = dir.Path(L"odd.txt");
    ASSERT_TRUE(test::WriteBytes(path, Wide(L"ab\r\n") + "Q"));
    C_FileStream fs(path.c_str(), kReadOnly);
    C_WString line;
    EXPECT_EQ(2, fs.ReadLineW(&line));
    EXPECT_STREQ(L"ab", line.GetString());
    EXPECT_EQ(-1, fs.ReadLineW(&line));
    EXPECT_EQ(-1, fs.ReadLine(&line));
    EXPECT_STREQ(L"ab", line.GetString());
}

TEST(FileStream, IntegersInBothByteOrders) {
    test::TempDir dir;
    const std::wstring path = dir.Path(L"int.bin");
    C_FileStream fs(path.c_str(), C_FileStream::kOpenReadWrite);
    ASSERT_EQ(1, fs.IsOpen());
    EXPECT_EQ(2, fs.WriteWord(4660, true));
    EXPECT_EQ(2, fs.WriteWord(4660, false));
    EXPECT_EQ(4, fs.WriteDword(0x12345678, true));
    EXPECT_EQ(4, fs.WriteDword(0x12345678, false));
    EXPECT_EQ(1, fs.WriteByte(0x1AB, false));
    EXPECT_EQ("\x12\x34\x34\x12\x12\x34\x56\x78\x78\x56\x34\x12\xAB", test::ReadBytes(path));

    EXPECT_EQ(0, fs.Seek(0, SEEK_SET));
    int v = -5;
    EXPECT_EQ(2, fs.ReadWord(&v, true));
    EXPECT_EQ(4660, v);
    EXPECT_EQ(2, fs.ReadWord(&v, false));
    EXPECT_EQ(4660, v);
    EXPECT_EQ(4, fs.ReadDword(&v, true));
    EXPECT_EQ(0x12345678, v);
    EXPECT_EQ(4, fs.ReadDword(&v, false));
    EXPECT_EQ(0x12345678, v);
    EXPECT_EQ(1, fs.ReadByte(&v, false));
    EXPECT_EQ(0xAB, v);
    EXPECT_EQ(0, fs.ReadByte(&v, false)); // end of file
    EXPECT_EQ(0, v);

    // High bits: a word keeps its low 16 bits and reads back unsigned in either order; a
    // double word reads back as the int it was.
    EXPECT_EQ(2, fs.WriteWord(0x1FFFE, true));
    EXPECT_EQ(2, fs.WriteWord(0x1FFFE, false));
    EXPECT_EQ(4, fs.WriteDword(-2, true));
    EXPECT_EQ(4, fs.WriteDword(-2, false));
    EXPECT_EQ(13, fs.Seek(13, SEEK_SET));
    EXPECT_EQ(2, fs.ReadWord(&v, true));
    EXPECT_EQ(0xFFFE, v);
    EXPECT_EQ(2, fs.ReadWord(&v, false));
    EXPECT_EQ(0xFFFE, v);
    EXPECT_EQ(4, fs.ReadDword(&v, true));
    EXPECT_EQ(-2, v);
    EXPECT_EQ(4, fs.ReadDword(&v, false));
    EXPECT_EQ(-2, v);
}

TEST(FileStream, PositionsSizeStatAndTruncation) {
    test::TempDir dir;
    const std::wstring path = dir.Path(L"pos.bin");
    C_FileStream fs(path.c_str(), C_FileStream::kOpenReadWrite);
    ASSERT_EQ(1, fs.IsOpen());
    EXPECT_EQ(10, fs.Write("0123456789", 10));
    EXPECT_EQ(10, fs.GetPos());
    EXPECT_EQ(10u, fs.GetSize());
    EXPECT_EQ(4, fs.Seek(4, SEEK_SET));
    EXPECT_EQ(6, fs.Seek(2, SEEK_CUR));
    EXPECT_EQ(8, fs.Seek(-2, SEEK_END));
    EXPECT_EQ(0, fs.Seek(-100, SEEK_SET)); // error
    EXPECT_EQ(3, fs.Seek64(3, SEEK_SET));
    EXPECT_EQ(1, fs.SetEndFile()); // cut at the current position
    EXPECT_EQ(3u, fs.GetSize64());
    EXPECT_EQ(3, fs.GetPos64());
    EXPECT_EQ(1, fs.SetEndFile(8)); // extends with zeros, position unchanged
    EXPECT_EQ(3, fs.GetPos64());
    EXPECT_EQ(0, fs.SetEndFile(-1));
    EXPECT_EQ(1, fs.Flush());
    struct stat st;
    ASSERT_EQ(1, fs.GetStat(st));
    EXPECT_EQ(8, st.st_size);
    EXPECT_GT(st.st_mtime, 1600000000);
    EXPECT_EQ(std::string("012\0\0\0\0\0", 8), test::ReadBytes(path));
}

TEST(FileStream, SixtyFourBitPositionsAndTruncationBeyondFourGiB) {
    test::TempDir dir;
    const std::wstring path = dir.Path(L"sparse.bin");
    // Sparse where the file system allows it, so the test costs no disk space.
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD ret = 0;
    DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ret, nullptr);
    CloseHandle(h);
    C_FileStream fs(path.c_str(), C_FileStream::kOpenReadWrite);
    ASSERT_EQ(1, fs.IsOpen());
    const __int64 fiveGiB = 5LL << 30;
    EXPECT_EQ(fiveGiB, fs.Seek64(fiveGiB, SEEK_SET));
    EXPECT_EQ(4, fs.Write("tail", 4));
    EXPECT_EQ(fiveGiB + 4, fs.GetPos64());
    EXPECT_EQ(static_cast<unsigned __int64>(fiveGiB + 4), fs.GetSize64());
    int v = 0;
    EXPECT_EQ(fiveGiB + 1, fs.Seek64(-3, SEEK_END));
    EXPECT_EQ(1, fs.ReadByte(&v, false));
    EXPECT_EQ('a', v);

    // A length from 2 GiB upwards must not wrap through 32 bits.
    const __int64 threeGiB = 3LL << 30;
    EXPECT_EQ(1, fs.SetEndFile(threeGiB));
    EXPECT_EQ(static_cast<unsigned __int64>(threeGiB), fs.GetSize64());
    const __int64 justOver = (4LL << 30) + 16;
    EXPECT_EQ(1, fs.SetEndFile(justOver));
    EXPECT_EQ(static_cast<unsigned __int64>(justOver), fs.GetSize64());
    EXPECT_EQ(1, fs.SetEndFile(2));
    EXPECT_EQ(2u, fs.GetSize64());
}

TEST(FileStream, LocksBetweenTwoStreamsWithTimeOut) {
    test::TempDir dir;
    const std::wstring path = dir.Path(L"lock.bin");
    ASSERT_TRUE(test::WriteBytes(path, std::string(64, 'x')));
    // Both read-only: each opener denies write to the other, which two readers allow.
    C_FileStream a(path.c_str(), kReadOnly);
    C_FileStream b(path.c_str(), kReadOnly);
    ASSERT_EQ(1, a.IsOpen());
    ASSERT_EQ(1, b.IsOpen());

    EXPECT_EQ(C_FileStream::kLockTaken, a.Lock(static_cast<__int64>(10), 20));
    EXPECT_EQ(0, a.GetPos64()); // the offset form leaves the position alone

    EXPECT_EQ(5, b.Seek(5, SEEK_SET));
    DWORD t0 = timeGetTime();
    EXPECT_EQ(C_FileStream::kLockRefused, b.Lock(10)); // overlaps 10..14, no waiting
    EXPECT_LT(timeGetTime() - t0, 150u);

    b.SetLockWait(true, 200);
    t0 = timeGetTime();
    EXPECT_EQ(C_FileStream::kLockTimeout, b.Lock(static_cast<__int64>(20), 4));
    DWORD waited = timeGetTime() - t0;
    EXPECT_GE(waited, 190u);
    EXPECT_LT(waited, 1500u);
    EXPECT_EQ(5, b.GetPos64());

    // Ranges that can never be locked fail at once, also while waiting without limit.
    b.SetLockWait(true, -1);
    EXPECT_EQ(C_FileStream::kLockRefused, b.Lock(0));
    EXPECT_EQ(C_FileStream::kLockRefused, b.Lock(static_cast<__int64>(-1), 4));
    EXPECT_EQ(C_FileStream::kLockTaken, b.Lock(static_cast<__int64>(40), 4)); // a free range
    EXPECT_EQ(1, b.Unlock(static_cast<__int64>(40), 4));
    EXPECT_EQ(0, b.Unlock(static_cast<__int64>(40), 4)); // not held any more

    EXPECT_EQ(1, a.Unlock(static_cast<__int64>(10), 20));
    EXPECT_EQ(C_FileStream::kLockTaken, b.Lock(10));
    EXPECT_EQ(C_FileStream::kLockRefused, a.Lock(static_cast<__int64>(5), 10));
    EXPECT_EQ(1, b.Unlock(10));
    EXPECT_EQ(C_FileStream::kLockTaken, a.Lock(static_cast<__int64>(5), 10));
}

TEST(FileStream, DeleteOnCloseAndAdoptedDescriptors) {
    test::TempDir dir;
    const std::wstring path = dir.Path(L"gone.bin");
    {
        C_FileStream fs(path.c_str(), C_FileStream::kOpenReadWrite);
        ASSERT_EQ(1, fs.IsOpen());
        fs.DeleteOnClose(1);
        EXPECT_TRUE(test::Exists(path));
        EXPECT_EQ(1, fs.Close());
        EXPECT_FALSE(test::Exists(path));
        // The flag was used up: the next file stays.
        ASSERT_EQ(1, fs.Open(path.c_str(), C_FileStream::kOpenReadWrite));
    }
    EXPECT_TRUE(test::Exists(path));
    {
        C_FileStream fs(path.c_str(), C_FileStream::kOpenReadWrite);
        fs.DeleteOnClose(1);
    } // the destructor closes and deletes too
    EXPECT_FALSE(test::Exists(path));

    // A descriptor adopted without ownership stays open after Close.
    const std::wstring kept = dir.Path(L"kept.bin");
    int fd = -1;
    ASSERT_EQ(0, _wsopen_s(&fd, kept.c_str(), C_FileStream::kOpenReadWrite, _SH_DENYNO,
                           C_FileStream::kModeReadWrite));
    {
        C_FileStream fs;
        fs.SetHandle(-1, 0);
        EXPECT_EQ(0, fs.IsOpen());
        fs.SetHandle(fd, 0);
        EXPECT_EQ(1, fs.IsOpen());
        EXPECT_TRUE(fs.GetFileName().Empty());
        EXPECT_EQ(2, fs.Write("ok", 2));
        EXPECT_EQ(1, fs.Close());
        EXPECT_EQ(0, fs.IsOpen());
    }
    EXPECT_EQ(1, _write(fd, "!", 1)); // still open
    EXPECT_EQ(0, _close(fd));
    EXPECT_EQ("ok!", test::ReadBytes(kept));

    // An owned adopted descriptor is closed by the stream.
    ASSERT_EQ(0, _wsopen_s(&fd, kept.c_str(), kReadOnly, _SH_DENYNO, _S_IREAD));
    {
        C_FileStream fs;
        fs.SetHandle(fd, 1);
        EXPECT_EQ(1, fs.Close());
    }
    EXPECT_EQ(-1, _close(fd));

    // Handing the stream its own descriptor again changes only the ownership: the stream
    // keeps a working descriptor and, no longer owning it, leaves it open.
    ASSERT_EQ(0, _wsopen_s(&fd, kept.c_str(), C_FileStream::kOpenReadWrite, _SH_DENYNO,
                           C_FileStream::kModeReadWrite));
    {
        C_FileStream fs;
        fs.SetHandle(fd, 1);
        fs.SetHandle(fd, 0);
        EXPECT_EQ(1, fs.IsOpen());
        EXPECT_EQ(3, fs.Seek(0, SEEK_END));
        EXPECT_EQ(1, fs.Write("?", 1));
        EXPECT_EQ(1, fs.Close());
    }
    EXPECT_EQ(0, _close(fd));
    EXPECT_EQ("ok!?", test::ReadBytes(kept));
}

TEST(FileStream, OpenDeniesWriteToOtherOpeners) {
    test::TempDir dir;
    const std::wstring path = dir.Path(L"deny.bin");
    C_FileStream a(path.c_str(), C_FileStream::kOpenReadWrite);
    ASSERT_EQ(1, a.IsOpen());
    C_FileStream b;
    EXPECT_EQ(0, b.Open(path.c_str(), C_FileStream::kOpenReadWrite));
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, h);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
    }
}
