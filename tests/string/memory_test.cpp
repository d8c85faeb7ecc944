#include "ktora/string/C_BinaryMemory.h"
#include "ktora/string/C_Memory.h"

#include <cstring>
#include <gtest/gtest.h>

using ktora::C_BinaryMemory;
using ktora::C_Memory;

namespace {
bool all_zero(const void* p, size_t from, size_t to) {
    const unsigned char* b = static_cast<const unsigned char*>(p);
    for (size_t i = from; i < to; ++i) {
        if (b[i]) {
            return false;
        }
    }
    return true;
}
} // namespace

TEST(Memory, CreateZeroFillsAndSizeZeroKeepsTheOldBuffer) {
    C_Memory m(16);
    ASSERT_NE(nullptr, m.GetMemory());
    EXPECT_TRUE(all_zero(m.GetMemory(), 0, 16));
    void* old = m.GetMemory();
    EXPECT_EQ(0, m.CreateBuffer(0));
    EXPECT_EQ(old, m.GetMemory());
    EXPECT_EQ(16u, m.GetSize());
    EXPECT_EQ(1, m.DeleteBuffer());
    EXPECT_EQ(0, m.DeleteBuffer());
    EXPECT_EQ(0u, m.GetSize());
    EXPECT_EQ(0, m.ZeroBuffer());
}

TEST(Memory, ReCreateKeepsLeadingBytesAndZeroFillsGrowth) {
    C_Memory m(4);
    std::memcpy(m.GetMemory(), "abcd", 4);
    ASSERT_EQ(1, m.ReCreateBuffer(2));
    EXPECT_EQ(0, std::memcmp(m.GetMemory(), "ab", 2));
    ASSERT_EQ(1, m.ReCreateBuffer(8));
    EXPECT_EQ(0, std::memcmp(m.GetMemory(), "ab", 2));
    EXPECT_TRUE(all_zero(m.GetMemory(), 2, 8));
    EXPECT_EQ(0, m.ReCreateBuffer(0));
    C_Memory fresh;
    EXPECT_EQ(1, fresh.ReCreateBuffer(3));
    EXPECT_EQ(3u, fresh.GetSize());
}

TEST(Memory, CopyBufferStaysWithinBothBlocks) {
    C_Memory m(10);
    char src[11] = "0123456789";
    EXPECT_EQ(0, m.CopyBuffer(src, 11));
    EXPECT_TRUE(all_zero(m.GetMemory(), 0, 10));
    EXPECT_EQ(0, m.CopyBuffer(nullptr, 1));
    EXPECT_EQ(1, m.CopyBuffer(src, 10));
    EXPECT_EQ(0, std::memcmp(m.GetMemory(), src, 10));

    // A larger n than the other block holds must not read past it.
    C_Memory small(4);
    std::memcpy(small.GetMemory(), "wxyz", 4);
    EXPECT_EQ(0, m.CopyBuffer(small, 8));
    EXPECT_EQ(1, m.CopyBuffer(small));
    EXPECT_EQ(0, std::memcmp(m.GetMemory(), "wxyz456789", 10));
    C_Memory none;
    EXPECT_EQ(0, m.CopyBuffer(none));
    EXPECT_EQ(0, none.CopyBuffer(small));
}

TEST(BinaryMemory, AddGrowsToExactlyTheNeededSize) {
    C_BinaryMemory b;
    b.Add("hello", 5);
    EXPECT_EQ(5u, b.Capacity());
    EXPECT_EQ(5u, b.Length());
    b.Add(reinterpret_cast<const unsigned char*>("xxab"), 2, 2);
    EXPECT_EQ(7u, b.Capacity());
    EXPECT_EQ(0, std::memcmp(b.Get(), "helloab", 7));
    b.Add("zz", 0);
    b.Add(nullptr, 3);
    EXPECT_EQ(7u, b.Length());
}

TEST(BinaryMemory, AddOfItsOwnBytesSurvivesTheMove) {
    C_BinaryMemory b;
    b.Add("abcd", 4);
    b.Add(b.Get(), 4);
    EXPECT_EQ(8u, b.Length());
    EXPECT_EQ(0, std::memcmp(b.Get(), "abcdabcd", 8));
}

TEST(BinaryMemory, TerminatorRoomForNarrowAndWideText) {
    C_BinaryMemory b;
    b.Add("hello", 5);
    char* a = b.GetStringA();
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(6u, b.Capacity());
    EXPECT_STREQ("hello", a);

    C_BinaryMemory w(10);
    const wchar_t text[] = L"abcde";
    w.Add(text, 10);
    wchar_t* s = w.GetStringW();
    ASSERT_NE(nullptr, s);
    EXPECT_EQ(12u, w.Capacity());
    EXPECT_STREQ(L"abcde", s);

    // An odd byte count: the terminating unit lies after the padding byte, so the block
    // must reach one byte further than two bytes after the data.
    for (unsigned long capacity : {5ul, 7ul}) {
        C_BinaryMemory odd(capacity);
        odd.Add("abcde", 5);
        wchar_t* units = odd.GetStringW();
        ASSERT_NE(nullptr, units);
        EXPECT_GE(odd.Capacity(), 8u) << capacity;
        EXPECT_EQ(L'\0', units[3]) << capacity;
        EXPECT_EQ(5u, odd.Length());
    }

    C_BinaryMemory empty;
    ASSERT_NE(nullptr, empty.GetString());
    EXPECT_EQ(L'\0', empty.GetString()[0]);
}

TEST(BinaryMemory, CopyCompareReCreateClear) {
    C_BinaryMemory a;
    a.Add("12345678", 8);
    C_BinaryMemory b(a);
    EXPECT_EQ(8u, b.Capacity());
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(a == a);
    b.ReCreate(3);
    EXPECT_EQ(3u, b.Length());
    EXPECT_TRUE(a != b);
    b = b;
    EXPECT_EQ(3u, b.Length());
    C_BinaryMemory empty;
    a = empty;
    EXPECT_EQ(0u, a.Length());
    EXPECT_EQ(8u, a.Capacity());
    EXPECT_TRUE(all_zero(a.Get(), 0, 8));
    EXPECT_EQ(1, a.Delete());
    EXPECT_EQ(0u, a.Capacity());
    EXPECT_EQ(1, b.Create(4));
    EXPECT_EQ(0u, b.Length());
}
