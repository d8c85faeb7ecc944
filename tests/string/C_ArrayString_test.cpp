#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "ktora/string/C_ArrayString.h"

using ktora::C_ArrayString;
using ktora::C_String;

namespace {

std::vector<std::string> Items(const C_ArrayString& a) {
    std::vector<std::string> out;
    for (int i = 0; i < a.Length(); ++i) {
        out.emplace_back(a[i].GetString(), static_cast<size_t>(a[i].Length()));
    }
    return out;
}

} // namespace

TEST(C_ArrayString, ParseStringKeepsEmptyFieldsButNoTrailingOne) {
    using V = std::vector<std::string>;
    EXPECT_EQ((V{"a", "b", "", "c"}), Items(C_ArrayString::ParseString(C_String("a,b,,c"), ',')));
    EXPECT_EQ((V{"a", "b"}), Items(C_ArrayString::ParseString(C_String("a,b,"), ',')));
    EXPECT_EQ((V{""}), Items(C_ArrayString::ParseString(C_String(","), ',')));
    EXPECT_EQ((V{"", "x"}), Items(C_ArrayString::ParseString(C_String(",x"), ',')));
    EXPECT_EQ(V{}, Items(C_ArrayString::ParseString(C_String(""), ',')));
    EXPECT_EQ((V{"one line"}), Items(C_ArrayString::ParseString(C_String("one line"), '\n')));
    EXPECT_EQ((V{"l1", "", "l3"}), Items(C_ArrayString::ParseString(C_String("l1\n\nl3\n"), '\n')));
}

TEST(C_ArrayString, GrowthReserveClearDestroy) {
    C_ArrayString a;
    EXPECT_EQ(0, a.Capacity());
    a.AppEnd(C_String("a"));
    EXPECT_EQ(513, a.Capacity());
    EXPECT_FALSE(a.AppEnd(nullptr, 1));
    C_String s("z");
    EXPECT_FALSE(a.AppEnd(&s, 0));
    for (int i = 0; i < 511; ++i) {
        a += C_String("x");
    }
    EXPECT_EQ(512, a.Length());
    EXPECT_EQ(513, a.Capacity()); // 512 + 0 < 513: no growth yet
    a << C_String("y");           // 512 + 1 >= 513: grows, never fills the last slot
    EXPECT_EQ(513 + 512, a.Capacity());
    EXPECT_STREQ("y", a[512].GetString());
    a.Reserve(5000);
    EXPECT_EQ(5000, a.Capacity());
    EXPECT_STREQ("a", a[0].GetString());
    a.Clear();
    EXPECT_EQ(0, a.Length());
    EXPECT_EQ(5000, a.Capacity());
    a.Destroy();
    EXPECT_EQ(0, a.Capacity());
}

TEST(C_ArrayString, CountsBeyondTheIntRangeAreRefusedWithoutThrowing) {
    C_ArrayString a;
    a.AppEnd(C_String("a"));
    const C_String s("z");
    // The new capacity would pass INT_MAX: refused before a single item is read.
    for (const int n : {INT_MAX, INT_MAX - 512}) {
        bool appended = true;
        EXPECT_NO_THROW(appended = a.AppEnd(&s, n)) << n;
        EXPECT_FALSE(appended) << n;
    }
    EXPECT_EQ((std::vector<std::string>{"a"}), Items(a));
    EXPECT_EQ(513, a.Capacity());
    EXPECT_TRUE(a.AppEnd(&s, 1)); // still usable
    EXPECT_EQ((std::vector<std::string>{"a", "z"}), Items(a));
}

TEST(C_ArrayString, InsertAndAppendOfOwnElementsSurviveGrowth) {
    C_ArrayString a;
    a.AppEnd(C_String("a"));
    a.AppEnd(C_String("b"));
    a.Insert(C_String("x"));
    EXPECT_EQ((std::vector<std::string>{"x", "a", "b"}), Items(a));
    // Fill up to the growth point, then append an element of the array itself.
    while (a.Length() + 1 < a.Capacity()) {
        a.AppEnd(C_String("f"));
    }
    const int before = a.Capacity();
    a.AppEnd(a[0]);
    EXPECT_GT(a.Capacity(), before);
    EXPECT_STREQ("x", a[a.Length() - 1].GetString());
    a.Insert(a[1]);
    EXPECT_STREQ("a", a[0].GetString());
    // Appending an array to itself doubles it once.
    C_ArrayString b = C_ArrayString::ParseString(C_String("p,q"), ',');
    b += b;
    EXPECT_EQ((std::vector<std::string>{"p", "q", "p", "q"}), Items(b));
}

TEST(C_ArrayString, CopyCompareAndOutOfRangeAccess) {
    C_ArrayString a = C_ArrayString::ParseString(C_String("1,2,3"), ',');
    C_ArrayString b(a);
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(a == a);
    C_ArrayString c = C_ArrayString::ParseString(C_String("3,2,1"), ',');
    EXPECT_TRUE(a != c);
    c = a;
    EXPECT_TRUE(c == a);
    c = c;
    EXPECT_EQ(3, c.Length());
    C_ArrayString shorter = C_ArrayString::ParseString(C_String("1,2"), ',');
    EXPECT_FALSE(a == shorter);
    EXPECT_EQ(0, a[-1].Length());
    EXPECT_EQ(0, a[3].Length());
    EXPECT_EQ(0, C_ArrayString()[0].Length());
}
