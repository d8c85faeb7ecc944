// Append buffers: growth sizes, insertion, shrinking and copying.
#include <gtest/gtest.h>

#include "ktora/string/C_String.h"
#include "ktora/string/C_StringMemory.h"
#include "ktora/string/C_WStringMemory.h"

#include <cstring>
#include <cwchar>

using ktora::C_StringMemory;
using ktora::C_WStringMemory;

TEST(StringMemory, AddGrowsToHalfAgainTheNeededSize) {
    C_StringMemory m;
    EXPECT_EQ(nullptr, m.Get());
    m.Add("abc");
    EXPECT_EQ(3u, m.Length());
    EXPECT_EQ(6u, m.Capacity());
    EXPECT_STREQ("abc", m.Get());
    m << "de";
    EXPECT_STREQ("abcde", m.Get());
    EXPECT_EQ(6u, m.Capacity()); // 6 bytes hold 5 and the terminator
    m += "f";
    EXPECT_EQ(10u, m.Capacity()); // needed 7 -> 7 + 3
    m.Add("xyz", 1, 2);
    EXPECT_STREQ("abcdefyz", m.Get());
    m.Add(nullptr);
    m.Add("q", 0, 0);
    m.Add("q", 0, -3);
    EXPECT_EQ(8u, m.Length());

    C_WStringMemory w;
    w.Add(L"abc");
    EXPECT_EQ(3u, w.Length());
    EXPECT_EQ(12u, w.Capacity());
}

TEST(StringMemory, InsertGoesInFront) {
    C_StringMemory m;
    m.Add("abc");
    m.Insert("x");
    EXPECT_STREQ("xabc", m.Get());
    m.Insert("123", 1, 2);
    EXPECT_STREQ("23xabc", m.Get());
    C_WStringMemory w;
    w.Insert(L"b");
    w.Insert(L"a");
    w.Add(L"c");
    EXPECT_STREQ(L"abc", w.Get());
    EXPECT_EQ(3u, w.Length());
}

TEST(StringMemory, AddingItsOwnTextSurvivesTheMove) {
    C_StringMemory m;
    m.Add("abcdef");
    for (int i = 0; i < 6; ++i)
        m.Add(m.Get());
    EXPECT_EQ(6u * 64, m.Length());
    EXPECT_EQ(0, std::strncmp(m.Get() + 6 * 63, "abcdef", 6));
    m.Insert(m.Get() + 3, 0, 3);
    EXPECT_EQ(0, std::strncmp(m.Get(), "defabcdef", 9));
    // Assigning a tail of its own text: the block is cleared before the copy.
    m = m.Get() + m.Length() - 3;
    EXPECT_STREQ("def", m.Get());
    EXPECT_EQ(3u, m.Length());
}

TEST(StringMemory, ReCreateShrinksAndGrows) {
    C_StringMemory m;
    m.Add("0123456789");
    EXPECT_EQ(0, m.ReCreate(0));
    EXPECT_EQ(1, m.ReCreate(5));
    EXPECT_EQ(4u, m.Length());
    EXPECT_EQ(5u, m.Capacity());
    EXPECT_STREQ("0123", m.Get());

    C_StringMemory big(200);
    big.Add("abcd");
    EXPECT_EQ(1, big.ReCreate(100));
    EXPECT_EQ(4u, big.Length());
    EXPECT_STREQ("abcd", big.Get());
    EXPECT_EQ(1, big.ReCreate(300));
    EXPECT_EQ(300u, big.Capacity());
    EXPECT_STREQ("abcd", big.Get());
}

TEST(StringMemory, WideReCreateToOneByteLeavesAnEmptyText) {
    // size / 2 - 1 would be -1 here: the text must become empty, not be written past.
    C_WStringMemory w;
    w.Add(L"hello");
    EXPECT_EQ(1, w.ReCreate(1));
    EXPECT_EQ(0u, w.Length());
    EXPECT_EQ(1u, w.Capacity());
    EXPECT_EQ(0, static_cast<unsigned char*>(w.GetPointer())[0]);
    w.Add(L"ab");
    EXPECT_STREQ(L"ab", w.Get());

    C_WStringMemory v;
    v.Add(L"hello");
    EXPECT_EQ(1, v.ReCreate(7)); // 3 units: room for 2 and the terminator
    EXPECT_EQ(2u, v.Length());
    EXPECT_EQ(0, std::wmemcmp(L"he", v.Get(), 3));
}

TEST(StringMemory, AssignmentSizesExactlyOrReuses) {
    C_WStringMemory w(10);
    w = L"abcdef";
    EXPECT_EQ(14u, w.Capacity());
    EXPECT_EQ(6u, w.Length());
    w = L"xy";
    EXPECT_EQ(14u, w.Capacity());
    EXPECT_STREQ(L"xy", w.Get());
    w = static_cast<const wchar_t*>(nullptr);
    EXPECT_EQ(0u, w.Length());

    C_WStringMemory five;
    five.Add(L"12345");
    C_WStringMemory copy(five);
    EXPECT_EQ(5u, copy.Length());
    EXPECT_STREQ(L"12345", copy.Get());
    copy = copy;
    EXPECT_STREQ(L"12345", copy.Get());
    C_WStringMemory empty;
    copy = empty;
    EXPECT_EQ(0u, copy.Length());

    C_StringMemory n;
    n = ktora::C_String("from string");
    EXPECT_STREQ("from string", n.Get());
    EXPECT_EQ(12u, n.Capacity());
}

TEST(StringMemory, ClearKeepsTheBlockAndDeleteFreesIt) {
    C_StringMemory m;
    EXPECT_EQ(0, m.Clear());
    EXPECT_EQ(0, m.Delete());
    EXPECT_EQ(0, m.Create(0));
    m.Add("abcdef");
    unsigned long capacity = m.Capacity();
    EXPECT_EQ(1, m.Clear());
    EXPECT_EQ(0u, m.Length());
    EXPECT_EQ(capacity, m.Capacity());
    EXPECT_STREQ("", m.Get());
    EXPECT_EQ(1, m.Delete());
    EXPECT_EQ(0u, m.Capacity());
    EXPECT_EQ(nullptr, m.Get());
}
