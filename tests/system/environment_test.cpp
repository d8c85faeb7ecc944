// The whole suite assumes a Japanese system: ANSI code page 932 (Shift_JIS).
// A mis-set locale must fail here loudly instead of hiding encoding faults elsewhere.
#include <gtest/gtest.h>
#include <windows.h>

TEST(Environment, AnsiCodePageIsShiftJis) {
    EXPECT_EQ(932u, GetACP());
}

TEST(Environment, ShiftJisRoundTripsThroughTheAnsiCodePage) {
    const wchar_t text[] = L"\u30b3\u30d4\u30fc\u5143"; // コピー元
    char narrow[16] = {};
    int n = WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    ASSERT_EQ(9, n);
    EXPECT_EQ('\x83', narrow[0]);
    EXPECT_EQ('\x52', narrow[1]);
    wchar_t back[16] = {};
    ASSERT_EQ(5, MultiByteToWideChar(CP_ACP, 0, narrow, -1, back, 16));
    EXPECT_STREQ(text, back);
}
