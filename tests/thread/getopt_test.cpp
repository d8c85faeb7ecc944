// Option parsing: results, the reordered vector and the printed Japanese errors.
#include <gtest/gtest.h>
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ktora/thread/C_GetOpt.h"

using ktora::C_GetOpt;

namespace {

// A writable argument vector with the terminating null the parser may read.
class Args {
public:
    explicit Args(std::vector<std::wstring> entries) : m_text(std::move(entries)) {
        for (auto& s : m_text) {
            m_ptrs.push_back(&s[0]);
        }
        m_ptrs.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(m_text.size()); }
    wchar_t** argv() { return m_ptrs.data(); }
    std::vector<std::wstring> Order() const {
        std::vector<std::wstring> out;
        for (size_t i = 0; i + 1 < m_ptrs.size(); ++i) {
            out.push_back(m_ptrs[i] ? m_ptrs[i] : L"(null)");
        }
        return out;
    }
    bool Terminated() const { return m_ptrs.back() == nullptr; }

private:
    std::vector<std::wstring> m_text;
    std::vector<wchar_t*> m_ptrs;
};

// Captures what is written to the standard output while fn runs.
template <class F> std::string CaptureStdout(F fn) {
    wchar_t dir[MAX_PATH];
    wchar_t path[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"opt", 0, path);
    fflush(stdout);
    int saved = _dup(1);
    int fd = _wopen(path, _O_WRONLY | _O_TRUNC | _O_BINARY);
    _dup2(fd, 1);
    fn();
    fflush(stdout);
    _dup2(saved, 1);
    _close(saved);
    _close(fd);
    std::string out;
    FILE* f = _wfopen(path, L"rb");
    if (f) {
        char buf[512];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) {
            out.append(buf, n);
        }
        fclose(f);
    }
    DeleteFileW(path);
    return out;
}

// The messages in Shift_JIS, as a Japanese console shows them.
const char kNeedsArgument[] = "/o \x83\x49\x83\x76\x83\x56\x83\x87\x83\x93\x82\xc9\x88\xf8\x90\x94"
                              "\x82\xaa\x95\x4b\x97\x76\x82\xc5\x82\xb7\x81\x42\n";
const char kInvalidOption[] = "/x \x96\xb3\x8c\xf8\x82\xc8\x83\x49\x83\x76\x83\x56\x83\x87\x83\x93"
                              "\x82\xc5\x82\xb7\x81\x42\n";

typedef std::vector<std::wstring> Order;

} // namespace

TEST(GetOpt, MovesAnOptionInFrontOfTheEntriesItSkipped) {
    Args a({L"prog", L"file1", L"/a", L"file2"});
    C_GetOpt g;
    EXPECT_EQ('/', g.getoptchar());
    EXPECT_EQ('a', g.getopt(a.argc(), a.argv(), "a"));
    EXPECT_EQ(3, g.optind());
    EXPECT_EQ(nullptr, g.optarg());
    EXPECT_EQ(-1, g.getopt(a.argc(), a.argv(), "a"));
    EXPECT_EQ(Order({L"prog", L"/a", L"file1", L"file2"}), a.Order());
    EXPECT_EQ(2, g.optind());
}

TEST(GetOpt, OptionsWithArgumentsMoveTogether) {
    Args a({L"prog", L"f1", L"/o", L"out", L"f2", L"/v", L"f3"});
    C_GetOpt g;
    ASSERT_EQ('o', g.getopt(a.argc(), a.argv(), "o:v"));
    EXPECT_STREQ(L"out", g.optarg());
    EXPECT_EQ(4, g.optind());
    ASSERT_EQ('v', g.getopt(a.argc(), a.argv(), "o:v"));
    EXPECT_EQ(nullptr, g.optarg());
    EXPECT_EQ(-1, g.getopt(a.argc(), a.argv(), "o:v"));
    EXPECT_EQ(Order({L"prog", L"/o", L"out", L"/v", L"f1", L"f2", L"f3"}), a.Order());
    EXPECT_EQ(4, g.optind());

    // An argument that looks like an option is still the argument.
    Args b({L"prog", L"/o", L"/v"});
    C_GetOpt h;
    ASSERT_EQ('o', h.getopt(b.argc(), b.argv(), "o:v"));
    EXPECT_STREQ(L"/v", h.optarg());
    EXPECT_EQ(-1, h.getopt(b.argc(), b.argv(), "o:v"));
    EXPECT_EQ(3, h.optind());
}

TEST(GetOpt, OnlyTwoCharacterEntriesWithTheOptionCharacterAreOptions) {
    Args a({L"prog", L"/ab", L"/", L"-a", L"/a"});
    C_GetOpt g;
    EXPECT_EQ('a', g.getopt(a.argc(), a.argv(), "a"));
    EXPECT_EQ(-1, g.getopt(a.argc(), a.argv(), "a"));
    EXPECT_EQ(Order({L"prog", L"/a", L"/ab", L"/", L"-a"}), a.Order());
    EXPECT_EQ(2, g.optind());

    Args b({L"prog", L"/a", L"-a"});
    C_GetOpt h;
    h.setoptchar('-');
    EXPECT_EQ('-', h.getoptchar());
    EXPECT_EQ('a', h.getopt(b.argc(), b.argv(), "a"));
    EXPECT_EQ(-1, h.getopt(b.argc(), b.argv(), "a"));
    EXPECT_EQ(Order({L"prog", L"-a", L"/a"}), b.Order());
    EXPECT_EQ(2, h.optind());

    Args none({L"prog", L"x", L"y"});
    C_GetOpt k;
    EXPECT_EQ(-1, k.getopt(none.argc(), none.argv(), "a"));
    EXPECT_EQ(1, k.optind());
}

TEST(GetOpt, MissingArgumentAtTheEndPrintsAndKeepsEveryOperand) {
    Args a({L"prog", L"file1", L"/o"});
    C_GetOpt g;
    int r = 0;
    std::string printed = CaptureStdout([&] { r = g.getopt(a.argc(), a.argv(), "o:"); });
    EXPECT_EQ('?', r);
    EXPECT_EQ('o', g.optopt());
    EXPECT_EQ(kNeedsArgument, printed);
    // The next call moves the option (never the terminating null) in front of the skipped
    // operand, which stays an operand at the option index.
    printed = CaptureStdout([&] { r = g.getopt(a.argc(), a.argv(), "o:"); });
    EXPECT_EQ(-1, r);
    EXPECT_EQ("", printed);
    EXPECT_EQ(Order({L"prog", L"/o", L"file1"}), a.Order());
    EXPECT_TRUE(a.Terminated());
    EXPECT_EQ(2, g.optind());

    Args b({L"prog", L"/o"});
    C_GetOpt quiet;
    quiet.opterr() = 0;
    printed = CaptureStdout([&] { r = quiet.getopt(b.argc(), b.argv(), "o:"); });
    EXPECT_EQ('?', r);
    EXPECT_EQ('o', quiet.optopt());
    EXPECT_EQ("", printed);
}

TEST(GetOpt, UnknownLetterPrintsAndParsingGoesOn) {
    Args a({L"prog", L"/x", L"/a", L"file"});
    C_GetOpt g;
    int r = 0;
    std::string printed = CaptureStdout([&] { r = g.getopt(a.argc(), a.argv(), "a"); });
    EXPECT_EQ('?', r);
    EXPECT_EQ('x', g.optopt());
    EXPECT_EQ(kInvalidOption, printed);
    EXPECT_EQ('a', g.getopt(a.argc(), a.argv(), "a"));
    EXPECT_EQ(-1, g.getopt(a.argc(), a.argv(), "a"));
    EXPECT_EQ(3, g.optind());

    // A wide letter is printed as it was given.
    Args b({L"prog", L"/\u3042"});
    C_GetOpt h;
    printed = CaptureStdout([&] { r = h.getopt(b.argc(), b.argv(), "a"); });
    EXPECT_EQ('?', r);
    EXPECT_EQ(0x42, h.optopt()); // low byte of U+3042
    EXPECT_EQ(std::string("/\x82\xa0 ") + (kInvalidOption + 3), printed);
}

TEST(GetOpt, LetterComparesByItsLowByteAndColonMatchesColon) {
    Args a({L"prog", L"/\u0161", L"/:"});
    C_GetOpt g;
    EXPECT_EQ('a', g.getopt(a.argc(), a.argv(), "a:"));
    EXPECT_STREQ(L"/:", g.optarg());
    Args b({L"prog", L"/:"});
    C_GetOpt h;
    EXPECT_EQ(':', h.getopt(b.argc(), b.argv(), "a:"));
    EXPECT_EQ(nullptr, h.optarg());
}
