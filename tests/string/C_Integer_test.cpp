#include <gtest/gtest.h>

#include <climits>

#include "ktora/string/C_Integer.h"

using ktora::C_Integer;
using ktora::C_String;
using ktora::C_WString;

TEST(C_Integer, ParseFollowsAtoiRulesAndEmptyIsMinusOne) {
    EXPECT_EQ(-1, C_Integer::ParseIntA(C_String("")));
    EXPECT_EQ(42, C_Integer::ParseIntA(C_String(" 42abc")));
    EXPECT_EQ(0, C_Integer::ParseIntA(C_String("abc")));
    EXPECT_EQ(-17, C_Integer::ParseIntA(C_String("\t-17")));
    EXPECT_EQ(5, C_Integer::ParseIntA(C_String("+5")));
    EXPECT_EQ(0, C_Integer::ParseIntA(C_String("--5")));
    EXPECT_EQ(0, C_Integer::ParseIntA(C_String(" ")));
    EXPECT_EQ(-1, C_Integer::ParseIntW(C_WString(L"")));
    EXPECT_EQ(42, C_Integer::ParseIntW(C_WString(L" 42abc")));
    EXPECT_EQ(-3, C_Integer::ParseInt(C_WString(L"-3")));
}

TEST(C_Integer, ParseSaturatesInsteadOfOverflowing) {
    EXPECT_EQ(INT_MAX, C_Integer::ParseIntA(C_String("2147483647")));
    EXPECT_EQ(INT_MIN, C_Integer::ParseIntA(C_String("-2147483648")));
    EXPECT_EQ(INT_MAX, C_Integer::ParseIntA(C_String("99999999999999999999999")));
    EXPECT_EQ(INT_MIN, C_Integer::ParseIntW(C_WString(L"-99999999999999999999999")));
}

// Wide text is read as the runtime's wide atoi reads it: a user typing a number in a
// Japanese text field often gets full-width digits and an ideographic space.
TEST(C_Integer, WideParseTakesFullWidthDigitsAndUnicodeSpace) {
    EXPECT_EQ(123, C_Integer::ParseIntW(C_WString(L"\uff11\uff12\uff13")));
    EXPECT_EQ(-45, C_Integer::ParseIntW(C_WString(L"\u3000-\uff14\uff15\u3000x")));
    EXPECT_EQ(78, C_Integer::ParseIntW(C_WString(L"7\uff18"))); // mixed forms make one number
    EXPECT_EQ(0, C_Integer::ParseIntW(C_WString(L"\u3042")));
    EXPECT_EQ(INT_MAX, C_Integer::ParseIntW(C_WString(L"99999999999")));
    EXPECT_EQ(0, C_Integer::ParseIntW(C_WString(L"\uff0d1"))); // a full-width minus is no sign
}

TEST(C_Integer, IsIntAcceptsOnlyDigits) {
    EXPECT_EQ(1, C_Integer::IsInt(C_String("123")));
    EXPECT_EQ(0, C_Integer::IsInt(C_String("-1")));
    EXPECT_EQ(0, C_Integer::IsInt(C_String("1 ")));
    EXPECT_EQ(0, C_Integer::IsInt(C_String("")));
    EXPECT_EQ(1, C_Integer::IsInt(C_WString(L"007")));
    EXPECT_EQ(0, C_Integer::IsInt(C_WString(L"\uff11"))); // full-width digit
}

TEST(C_Integer, Formatting) {
    EXPECT_STREQ("ff", C_Integer::ToHexString(255).GetString());
    EXPECT_STREQ("ffffffff", C_Integer::ToHexString(-1).GetString());
    EXPECT_STREQ("4294967295", C_Integer::ToString(4294967295u).GetString());
    EXPECT_STREQ("-2147483648", C_Integer::ToString(INT_MIN).GetString());
}

TEST(C_Integer, OperatorsWrapAndNeverTrap) {
    C_Integer a(7);
    C_Integer old = a++;
    EXPECT_EQ(7, old.IntValue());
    EXPECT_EQ(8, a.IntValue());
    EXPECT_EQ(7, (--a).IntValue());
    EXPECT_EQ(7, (a--).IntValue());
    EXPECT_EQ(6, a.IntValue());
    EXPECT_EQ(-3, (C_Integer(-7) / C_Integer(2)).IntValue());
    EXPECT_EQ(-1, (C_Integer(-7) % C_Integer(2)).IntValue());
    EXPECT_EQ(2, (C_Integer(6) & C_Integer(3)).IntValue());
    EXPECT_EQ(INT_MIN, (C_Integer(INT_MAX) + C_Integer(1)).IntValue());
    EXPECT_EQ(INT_MIN, (C_Integer(INT_MIN) / C_Integer(-1)).IntValue());
    EXPECT_EQ(0, (C_Integer(INT_MIN) % C_Integer(-1)).IntValue());
    EXPECT_EQ(0, (C_Integer(5) / C_Integer(0)).IntValue());
    EXPECT_EQ(0, (C_Integer(5) % C_Integer(0)).IntValue());
    C_Integer b(10);
    b *= C_Integer(3);
    b -= C_Integer(4);
    b %= C_Integer(7);
    EXPECT_EQ(5, static_cast<int>(b));
    EXPECT_EQ(4294967295u, C_Integer(-1).UintValue());
    EXPECT_TRUE(C_Integer(-1) < C_Integer(0));
    EXPECT_TRUE(C_Integer(3) >= C_Integer(3));
    EXPECT_TRUE(C_Integer(3) != C_Integer(4));
}
