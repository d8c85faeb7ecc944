#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "file/settings_temp_dir.h"
#include "ktora/file/C_Time.h"
#include "ktora/file/C_Trace.h"

using ktora::C_Trace;
using ktora::C_WString;
using settings_test::ReadBytes;
using settings_test::TempDir;
using settings_test::WriteBytes;

namespace {

bool IsFolder(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// TraceON(-1) in lock mode on its own thread. The thread shares ownership of everything it
// touches, so a wait that never ends can be left behind without harming later tests.
struct Attempt {
    Attempt(const std::wstring& name, const std::wstring& lock) {
        trace.SetTraceName(C_WString(name.c_str()));
        if (!lock.empty()) {
            trace.SetLockName(C_WString(lock.c_str()));
        }
        trace.OnLock(1);
    }
    void Run() { result = trace.TraceON(seconds); }
    // Whether TraceON returned within 10 seconds.
    bool Finished() {
        for (int i = 0; i < 1000 && result.load() == -5; ++i) {
            Sleep(10);
        }
        return result.load() != -5;
    }
    C_Trace trace;
    int seconds = -1;
    std::atomic<int> result{-5};
};

class Trace : public ::testing::Test {
protected:
    // The entries of the trace file: UTF-16 lines ending in LF, prefix removed after it has
    // been checked against the local clock.
    std::vector<std::wstring> Entries() {
        const std::string bytes = ReadBytes(m_name);
        EXPECT_EQ(0u, bytes.size() % 2);
        std::wstring text(bytes.size() / 2, L'\0');
        if (!text.empty()) {
            std::memcpy(&text[0], bytes.data(), text.size() * 2);
        }
        std::vector<std::wstring> entries;
        size_t start = 0;
        while (start < text.size()) {
            const size_t end = text.find(L'\n', start);
            EXPECT_NE(std::wstring::npos, end) << "entry without LF";
            if (end == std::wstring::npos) {
                break;
            }
            const std::wstring line = text.substr(start, end - start);
            EXPECT_EQ(std::wstring::npos, line.find(L'\r'));
            struct tm t = {};
            wchar_t close = 0, space = 0;
            const int n =
                swscanf(line.c_str(), L"[%4d/%2d/%2d %2d:%2d:%2d%lc%lc", &t.tm_year, &t.tm_mon,
                        &t.tm_mday, &t.tm_hour, &t.tm_min, &t.tm_sec, &close, &space);
            EXPECT_EQ(8, n) << "prefix of: " << line.size();
            EXPECT_EQ(L']', close);
            EXPECT_EQ(L' ', space);
            EXPECT_EQ(22u, line.find(L' ', 12) + 1); // "[yyyy/mm/dd hh:mm:ss] "
            t.tm_year -= 1900;
            t.tm_mon -= 1;
            const __int64 stamped = ktora::C_Time().DecodeTime(&t);
            const __int64 now = ktora::C_Time().GetLocalTime();
            EXPECT_LE(stamped, now);
            EXPECT_GE(stamped, now - 30);
            entries.push_back(line.substr(22));
            start = end + 1;
        }
        return entries;
    }

    TempDir m_dir;
    std::wstring m_name = m_dir.Path(L"Trace.trc");
    std::wstring m_lock = m_dir.Path(L"_lock_Trace.trc");
};

} // namespace

TEST_F(Trace, EntriesDumpsAndClear) {
    C_Trace trace;
    EXPECT_EQ(C_WString(L"Trace.trc"), trace.GetTraceName());
    trace.Trace(L"while off");
    trace.SetTraceName(C_WString(m_name.c_str()));
    EXPECT_EQ(1, trace.TraceON(-1));
    EXPECT_EQ(2, trace.TraceON(-1));
    trace.SetTraceName(C_WString(L"ignored.trc"));
    EXPECT_EQ(C_WString(m_name.c_str()), trace.GetTraceName());
    trace.Trace(L"abc");
    trace.Trace(nullptr);
    trace.Tracef(L"%d-%s", 42, L"\u65e5\u672c");
    trace.Tracef(L"%s", std::wstring(600, L'x').c_str());
    unsigned char bytes[176];
    for (int i = 0; i < 176; ++i) {
        bytes[i] = static_cast<unsigned char>(i);
    }
    trace.TraceDump(bytes, 20);
    trace.TraceDump(bytes, 16);
    trace.TraceDump(bytes, 0);
    trace.TraceDump(nullptr, 5);
    std::vector<std::wstring> e = Entries();
    ASSERT_EQ(7u, e.size());
    EXPECT_EQ(L"abc", e[0]);
    EXPECT_EQ(L"", e[1]);
    EXPECT_EQ(L"42-\u65e5\u672c", e[2]);
    EXPECT_EQ(std::wstring(600, L'x'), e[3]);
    EXPECT_EQ(L"000000\t00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F", e[4]);
    EXPECT_EQ(L"000010\t10 11 12 13 ", e[5]);
    EXPECT_EQ(L"000000\t00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F", e[6]);

    trace.TraceClear();
    EXPECT_EQ("", ReadBytes(m_name));
    trace.TraceDump(bytes, 176);
    e = Entries();
    ASSERT_EQ(11u, e.size());
    EXPECT_EQ(L"000100\tA0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF", e[10]);

    trace.TraceOFF();
    trace.Trace(L"while off");
    EXPECT_EQ(11u, Entries().size());
    // Entries are appended to what the file holds.
    EXPECT_EQ(1, trace.TraceON(0));
    trace.Trace(L"again");
    e = Entries();
    ASSERT_EQ(12u, e.size());
    EXPECT_EQ(L"again", e[11]);
}

TEST_F(Trace, SecondTracerWithoutLockModeCannotOpen) {
    C_Trace first, second;
    first.SetTraceName(C_WString(m_name.c_str()));
    second.SetTraceName(C_WString(m_name.c_str()));
    EXPECT_EQ(1, first.TraceON(-1));
    EXPECT_EQ(2, second.TraceON(-1));
    first.TraceOFF();
    EXPECT_EQ(1, second.TraceON(-1));
}

TEST_F(Trace, LockFolderExistsExactlyWhileOn) {
    C_Trace a;
    a.SetTraceName(C_WString(m_name.c_str()));
    a.OnLock(1);
    EXPECT_EQ(1, a.IsLockMode());
    EXPECT_EQ(1, a.TraceON(-1));
    EXPECT_TRUE(IsFolder(m_lock));
    C_Trace b;
    b.SetTraceName(C_WString(m_name.c_str()));
    b.OnLock(1);
    const DWORD start = GetTickCount();
    EXPECT_EQ(0, b.TraceON(1));
    const DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 1000u);
    EXPECT_LT(waited, 10000u);
    a.TraceOFF();
    EXPECT_FALSE(IsFolder(m_lock));
    EXPECT_EQ(1, b.TraceON(1));
    EXPECT_TRUE(IsFolder(m_lock));
    {
        C_Trace scoped;
        scoped.SetTraceName(C_WString(m_dir.Path(L"other.trc").c_str()));
        scoped.OnLock(1);
        EXPECT_EQ(1, scoped.TraceON(-1));
        EXPECT_TRUE(IsFolder(m_dir.Path(L"_lock_other.trc")));
    } // destroyed while on: the lock goes too
    EXPECT_FALSE(IsFolder(m_dir.Path(L"_lock_other.trc")));
}

TEST_F(Trace, UnlimitedWaitEndsWhenTheLockFolderGoes) {
    ASSERT_TRUE(CreateDirectoryW(m_lock.c_str(), nullptr));
    auto attempt = std::make_shared<Attempt>(m_name, L"");
    std::thread waiter([attempt] { attempt->Run(); });
    Sleep(200);
    EXPECT_EQ(-5, attempt->result.load()); // still waiting while the folder exists
    RemoveDirectoryW(m_lock.c_str());
    if (!attempt->Finished()) {
        waiter.detach(); // it never ends: leave it (it owns its objects) rather than hang
        FAIL() << "TraceON(-1) did not end after the lock folder went";
    }
    waiter.join();
    EXPECT_EQ(1, attempt->result.load());
    EXPECT_TRUE(IsFolder(m_lock));
    attempt->trace.TraceOFF();
    EXPECT_FALSE(IsFolder(m_lock));
}

TEST_F(Trace, OnlyMinusOneWaitsWithoutLimit) {
    ASSERT_TRUE(CreateDirectoryW(m_lock.c_str(), nullptr));
    for (const int seconds : {0, -2, INT_MIN}) {
        auto attempt = std::make_shared<Attempt>(m_name, L"");
        attempt->seconds = seconds;
        const DWORD start = GetTickCount();
        std::thread waiter([attempt] { attempt->Run(); });
        if (!attempt->Finished()) {
            waiter.detach();
            ADD_FAILURE() << "TraceON(" << seconds << ") waits for a lock held elsewhere";
            continue;
        }
        waiter.join();
        EXPECT_EQ(0, attempt->result.load()) << seconds;
        EXPECT_LT(GetTickCount() - start, 1000u) << seconds;
    }
    EXPECT_TRUE(IsFolder(m_lock)); // a lock this object did not take is left alone
    RemoveDirectoryW(m_lock.c_str());
}

TEST_F(Trace, UnlimitedWaitGivesUpWhenTheLockCannotBeCreated) {
    ASSERT_TRUE(WriteBytes(m_dir.Path(L"plain-file"), "x"));
    const std::wstring impossible[] = {
        m_dir.Path(L"bad<name>"),            // invalid characters
        m_dir.Path(L"plain-file"),           // a file holds the name
        m_dir.Path(L"plain-file\\lock"),     // a file in place of the folder above it
        L"Q:\\kasumido-no-such-drive\\lock", // no such drive
    };
    for (const std::wstring& lock : impossible) {
        auto attempt = std::make_shared<Attempt>(m_name, lock);
        std::thread runner([attempt] { attempt->Run(); });
        if (!attempt->Finished()) {
            runner.detach();
            ADD_FAILURE() << "TraceON(-1) still waits on an impossible lock " << lock.size();
            continue;
        }
        runner.join();
        EXPECT_EQ(0, attempt->result.load()) << lock.size();
        std::string bytes;
        EXPECT_FALSE(ReadBytes(m_name, &bytes)); // the trace file was never opened
    }
}

TEST_F(Trace, LockNameFollowsTheTraceNameAndMissingFoldersAreMade) {
    C_Trace trace;
    const std::wstring name = m_dir.Path(L"sub\\deeper\\t.trc");
    trace.SetTraceName(C_WString(name.c_str()));
    trace.OnLock(1);
    CreateDirectoryW(m_dir.Path(L"sub").c_str(), nullptr);
    CreateDirectoryW(m_dir.Path(L"sub\\deeper").c_str(), nullptr);
    EXPECT_EQ(1, trace.TraceON(0));
    EXPECT_TRUE(IsFolder(m_dir.Path(L"sub\\deeper\\_lock_t.trc")));
    trace.TraceOFF();
    // A lock whose folder does not exist yet: the folder is made.
    trace.SetLockName(C_WString(m_dir.Path(L"locks\\a\\b").c_str()));
    EXPECT_EQ(1, trace.TraceON(0));
    EXPECT_TRUE(IsFolder(m_dir.Path(L"locks\\a\\b")));
    trace.TraceOFF();
    EXPECT_FALSE(IsFolder(m_dir.Path(L"locks\\a\\b")));
    // Opening the trace file fails: the lock is given back.
    ASSERT_TRUE(CreateDirectoryW(m_dir.Path(L"a-folder").c_str(), nullptr));
    trace.SetTraceName(C_WString(m_dir.Path(L"a-folder").c_str()));
    EXPECT_EQ(2, trace.TraceON(0));
    EXPECT_FALSE(IsFolder(m_dir.Path(L"_lock_a-folder")));
}
