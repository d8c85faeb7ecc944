#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <string.h>

#include "ktora/file/ktora_number.h"
#include "ktora/file/ktora_shim.h"

using namespace ktora::common;

namespace {

// Text placed so that it ends exactly at a page that cannot be read: any read past the
// terminator faults at once instead of passing unnoticed.
class GuardedText {
public:
    explicit GuardedText(const char* text) {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        m_page = si.dwPageSize;
        m_base = static_cast<char*>(
            VirtualAlloc(nullptr, 2 * m_page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(m_base + m_page, m_page, PAGE_NOACCESS, &old);
        const size_t n = strlen(text) + 1;
        m_text = m_base + m_page - n;
        memcpy(m_text, text, n);
    }
    ~GuardedText() { VirtualFree(m_base, 0, MEM_RELEASE); }
    const char* Get() const { return m_text; }

private:
    size_t m_page = 0;
    char* m_base = nullptr;
    char* m_text = nullptr;
};

} // namespace

TEST(Numbers, DecimalParse) {
    EXPECT_EQ(-42, ktora_strtoint64_a("-42x"));
    EXPECT_EQ(42, ktora_strtoint64_a("42-1"));
    EXPECT_EQ(-1, ktora_strtoint64_a("-"));
    EXPECT_EQ(-1, ktora_strtoint64_a(" 7"));
    EXPECT_EQ(-1, ktora_strtoint64_a("+7"));
    EXPECT_EQ(-1, ktora_strtoint64_a(""));
    EXPECT_EQ(-1, ktora_strtoint64_a(nullptr));
    EXPECT_EQ(9223372036854775807LL, ktora_strtoint64_a("9223372036854775807"));
    EXPECT_EQ(0, ktora_strtoint64_w(L"0"));
    EXPECT_EQ(-1234567890123LL, ktora_strtoint64_w(L"-1234567890123"));
    EXPECT_EQ(12, ktora_strtoint64(L"12\u4e09"));
}

TEST(Numbers, HexadecimalParse) {
    EXPECT_EQ(31, ktora_hextoint_a("1F"));
    EXPECT_EQ(31, ktora_hextoint_a("1f"));
    EXPECT_EQ(0, ktora_hextoint_a("0x1F"));
    EXPECT_EQ(255, ktora_hextoint_a("00FFAA", 2, 2));
    EXPECT_EQ(0, ktora_hextoint_a(nullptr));
    EXPECT_EQ(0, ktora_hextoint_a(nullptr, 0, 4));
    EXPECT_EQ(0xABC, ktora_hextoint_a("abcg12"));
    EXPECT_EQ(0x23456789, ktora_hextoint_a("123456789")); // wraps in 32 bits
    EXPECT_EQ(0xAB, ktora_hextoint_w(L"xxAB", 2, 10));
    EXPECT_EQ(0xAB, ktora_hextoint(L"ab"));
    EXPECT_EQ(0x123456789LL, ktora_hextoint64_a("123456789"));
    EXPECT_EQ(-1, ktora_hextoint64_w(L"FFFFFFFFFFFFFFFF"));
    EXPECT_EQ(0xFF, ktora_hextoint64(L"zzFF", 2, 2));
    EXPECT_EQ(0, ktora_hextoint_a("FF", 0, 0));
    EXPECT_EQ(0, ktora_hextoint_a("FF", 0, -3));
}

TEST(Numbers, HexadecimalStartOutsideTheTextReadsNothingBeyondIt) {
    GuardedText text("1F");
    EXPECT_EQ(0, ktora_hextoint_a(text.Get(), 2, 4)); // at the terminator
    EXPECT_EQ(0, ktora_hextoint_a(text.Get(), 3, 4)); // past it: would touch the guard page
    EXPECT_EQ(0, ktora_hextoint_a(text.Get(), 5000, 2));
    EXPECT_EQ(0, ktora_hextoint64_a(text.Get(), 4, 2));
    EXPECT_EQ(0, ktora_hextoint_a(text.Get(), -1, 2));
    EXPECT_EQ(0xF, ktora_hextoint_a(text.Get(), 1, 100)); // the count stops at the end
    const wchar_t wide[] = L"AB";
    EXPECT_EQ(0, ktora_hextoint_w(wide, 3, 1));
    EXPECT_EQ(0, ktora_hextoint64_w(wide, -2, 1));
}

TEST(Numbers, InsertInFront) {
    char buf[32] = "world";
    EXPECT_EQ(11, ktora_strins_a(buf, "hello "));
    EXPECT_STREQ("hello world", buf);
    EXPECT_EQ(11, ktora_strins_a(buf, ""));
    EXPECT_EQ(11, ktora_strins_a(buf, nullptr));
    char empty[8] = "";
    EXPECT_EQ(3, ktora_strins_a(empty, "abc"));
    EXPECT_STREQ("abc", empty);

    // The inserted text may come from the buffer itself.
    char self[32] = "abcdef";
    EXPECT_EQ(9, ktora_strins_a(self, self + 3));
    EXPECT_STREQ("defabcdef", self);

    wchar_t wbuf[32] = L"\u4e09";
    EXPECT_EQ(3, ktora_strins_w(wbuf, L"\u4e00\u4e8c"));
    EXPECT_STREQ(L"\u4e00\u4e8c\u4e09", wbuf);
    EXPECT_EQ(4, ktora_strins(wbuf, L"0"));
    EXPECT_STREQ(L"0\u4e00\u4e8c\u4e09", wbuf);
}

TEST(Numbers, ReverseSearch) {
    const char* s = "abcabc";
    EXPECT_EQ(s + 3, ktora_rstrstr_a(s, s + 6, "abc"));
    EXPECT_EQ(s + 4, ktora_rstrstr_a(s, s + 6, "b"));
    EXPECT_EQ(nullptr, ktora_rstrstr_a(s, s + 3, "abc")); // only at begin: not found
    EXPECT_EQ(nullptr, ktora_rstrstr_a(s, s + 6, "x"));
    EXPECT_EQ(nullptr, ktora_rstrstr_a(s, s + 2, "abcabc")); // longer than the range
    EXPECT_EQ(s + 6, ktora_rstrstr_a(s, s + 6, ""));
    EXPECT_EQ(nullptr, ktora_rstrstr_a(nullptr, s + 6, "a"));
    EXPECT_EQ(nullptr, ktora_rstrstr_a(s, nullptr, "a"));
    const wchar_t* w = L"\u3042x\u3042x";
    EXPECT_EQ(w + 2, ktora_rstrstr_w(w, w + 4, L"\u3042x"));
    EXPECT_EQ(w + 2, ktora_rstrstr(w, w + 4, L"\u3042"));
}

TEST(SystemShims, ByteOrderClockAndSleep) {
    EXPECT_EQ(0x3412, ktora_swap_short(0x1234));
    EXPECT_EQ(0xFFFF, ktora_swap_short(-1));
    EXPECT_EQ(0xFF80, ktora_swap_short(static_cast<short>(0x80FF)));
    EXPECT_EQ(1, ktora_IsLittleEndian());

    const unsigned long t0 = ktora_get_time();
    ktora_sleep_millis(30);
    const unsigned long t1 = ktora_get_time();
    EXPECT_GE(t1 - t0, 25u);
    EXPECT_LT(t1 - t0, 2000u);
}
