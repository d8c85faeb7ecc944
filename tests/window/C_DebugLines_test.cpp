// The debug window's line store, without a window: splitting, lookups from every direction,
// the rows the view paints and the text the clipboard gets.
#include <gtest/gtest.h>

#include <string>

#include "ktora/window/C_DebugLines.h"

using ktora::C_DebugLines;

namespace {

std::wstring Joined(C_DebugLines const& lines) {
    std::wstring text(lines.JoinedLength() + 1, L'?');
    lines.JoinTo(&text[0]);
    EXPECT_EQ(L'\0', text.back());
    text.pop_back();
    return text;
}

} // namespace

TEST(DebugLines, SplitsAtLineSeparatorsOnlyWhenAsked) {
    C_DebugLines lines;
    EXPECT_EQ(1, lines.Add(L"one\r\ntwo", false));
    EXPECT_EQ(4, lines.Add(L"a\r\nb\rc\nd", true));
    EXPECT_EQ(5, lines.Count());
    EXPECT_EQ(2, lines.Add(L"end\n", true)); // a separator at the end leaves an empty line
    EXPECT_EQ(1, lines.Add(L"", true));
    EXPECT_EQ(8, lines.Count());
    EXPECT_EQ(L"one\r\ntwo\r\na\r\nb\r\nc\r\nd\r\nend\r\n\r\n\r\n", Joined(lines));
    lines.Clear();
    EXPECT_EQ(0, lines.Count());
    EXPECT_EQ(L"", Joined(lines));
    EXPECT_EQ(nullptr, lines.Get(0));
}

TEST(DebugLines, KeepsThousandsOfLinesAndFindsEachOne) {
    C_DebugLines lines;
    int const n = 5000;
    for (int i = 0; i < n; ++i) {
        lines.Add((L"line " + std::to_wstring(i)).c_str(), false);
    }
    ASSERT_EQ(n, lines.Count());
    // Jumps in both directions, near and far from the cached line and from both ends.
    for (int index : {4999, 0, 2500, 2499, 2998, 4600, 100, 4501, 4500, 1, 4999}) {
        wchar_t const* text = lines.Get(index);
        ASSERT_NE(nullptr, text) << index;
        EXPECT_EQ(L"line " + std::to_wstring(index), text) << index;
    }
    // Past the last line there is nothing, not the last line again.
    for (int index : {n, n + 700, -1}) {
        EXPECT_EQ(nullptr, lines.Get(index)) << index;
    }
}

TEST(DebugLines, RowsShowNumbersAndExpandedTabs) {
    C_DebugLines lines;
    lines.Add(L"\tX", false);
    lines.Add(L"a\tb\t", false);
    struct Case {
        int index;
        bool numbered;
        int tab;
        wchar_t const* row;
    };
    Case const cases[] = {
        {0, false, 4, L"    X"}, {0, false, 0, L"X"},    {0, true, 2, L"1   X"},
        {1, false, 1, L"a b "},  {1, true, -3, L"2 ab"},
    };
    for (Case const& c : cases) {
        std::wstring row = L"old";
        ASSERT_TRUE(lines.Row(c.index, c.numbered, c.tab, row)) << c.index;
        EXPECT_EQ(c.row, row) << c.index << " " << c.numbered << " " << c.tab;
    }
    std::wstring untouched = L"old";
    EXPECT_FALSE(lines.Row(2, true, 4, untouched));
    EXPECT_EQ(L"old", untouched);
}
