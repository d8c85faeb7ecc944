#include "ktora/file/ktora_safe_vsnprintf.h"
#include "ktora/string/C_String.h"

#include <cstdarg>
#include <gtest/gtest.h>
#include <string>

using namespace ktora::common;

namespace {

struct Result {
    std::string text;
    bool null = false;
    bool inCallerBuffer = false;
    int allocated = -1;
    int length = -1;
};

Result format_a(unsigned size, const char* format, ...) {
    std::string storage(size, '\x7f');
    char* buf = &storage[0];
    Result r;
    va_list args;
    va_start(args, format);
    char* out = ktora_safe_vsnprintf_a(buf, size, format, args, &r.allocated, &r.length);
    va_end(args);
    r.null = out == nullptr;
    if (out) {
        r.text = out;
        r.inCallerBuffer = out == buf;
        if (r.allocated == 1) {
            delete[] out;
        }
    }
    return r;
}

Result format_w(unsigned size, const wchar_t* format, ...) {
    std::wstring storage(size, L'\x7f');
    wchar_t* buf = &storage[0];
    Result r;
    va_list args;
    va_start(args, format);
    wchar_t* out = ktora_safe_vsnprintf(buf, size, format, args, &r.allocated, &r.length);
    va_end(args);
    r.null = out == nullptr;
    if (out) {
        r.text = std::string(out, out + std::wstring(out).size());
        r.inCallerBuffer = out == buf;
        if (r.allocated == 1) {
            delete[] out;
        }
    }
    return r;
}

} // namespace

TEST(SafeVsnprintf, FitsInTheCallerBuffer) {
    Result r = format_a(4, "%s", "abc");
    EXPECT_TRUE(r.inCallerBuffer);
    EXPECT_EQ(0, r.allocated);
    EXPECT_EQ(3, r.length);
    EXPECT_EQ("abc", r.text);
    Result w = format_w(4, L"%d", 123);
    EXPECT_TRUE(w.inCallerBuffer);
    EXPECT_EQ("123", w.text);
}

TEST(SafeVsnprintf, TooLongOrExactlyFullMovesToANewBuffer) {
    Result r = format_a(4, "%s", "0123456789");
    EXPECT_FALSE(r.inCallerBuffer);
    EXPECT_EQ(1, r.allocated);
    EXPECT_EQ(10, r.length);
    EXPECT_EQ("0123456789", r.text);
    // Exactly size characters leaves no room for the terminator.
    Result exact = format_a(4, "%s", "abcd");
    EXPECT_EQ(1, exact.allocated);
    EXPECT_EQ("abcd", exact.text);
    Result w = format_w(4, L"%ls", L"abcdefghijklmnop");
    EXPECT_EQ(1, w.allocated);
    EXPECT_EQ(16, w.length);
    EXPECT_EQ("abcdefghijklmnop", w.text);
    std::string big(100000, 'g');
    Result huge = format_a(16, "<%s>", big.c_str());
    EXPECT_EQ(100002, huge.length);
    EXPECT_EQ('>', huge.text.back());
}

TEST(SafeVsnprintf, NullPointersForFlagsAreAllowed) {
    char buf[4];
    va_list none{};
    char* out = ktora_safe_vsnprintf_a(buf, 4, "ok", none, nullptr, nullptr);
    EXPECT_STREQ("ok", out);
    EXPECT_EQ(nullptr, ktora_safe_vsnprintf_a(buf, 0, "ok", none, nullptr, nullptr));
}

TEST(SafeVsnprintf, EncodingErrorStopsInsteadOfGrowingForever) {
    // U+4E02 has no Shift_JIS form: the runtime reports -1 for every size. That is a
    // failure, not a buffer too small, so the formatter must stop with the empty result.
    Result r = format_a(4, "%ls", L"\u4e02\u4e02\u4e02\u4e02\u4e02");
    EXPECT_TRUE(r.null);
    EXPECT_EQ(0, r.allocated);
    EXPECT_EQ(0, r.length);
    EXPECT_TRUE(ktora::C_String::Stringf("%ls", L"\u4e02").Empty());
    EXPECT_STREQ("ab", ktora::C_String::Stringf("%ls", L"ab").GetString());
}

TEST(SafeVsnprintf, TextBeyondTheLimitIsRefusedNotWrapped) {
    const int width = static_cast<int>(ktora_safe_vsnprintf_max) + 10;
    Result r = format_a(8, "%*d", width, 1);
    EXPECT_TRUE(r.null);
    EXPECT_EQ(0, r.allocated);
}
