#include "app/NamingRules.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>
#include <string>

using ktora::C_WString;

namespace {

void worked_example(CopyNaming& s) {
    s.texts.dir_cat1 = L"_";
    s.texts.dir_cat2 = L"x";
    s.texts.txt_front = L"ID:";
    s.texts.txt_cat1 = L"A";
    s.texts.txt_cat3 = L"C";
}

std::wstring str(const C_WString& s) {
    return s.GetString();
}

} // namespace

TEST(NamingRules, StartValuesOfARun) {
    CopyNaming s;
    EXPECT_TRUE(s.is_number);
    EXPECT_EQ(1, s.number);
    EXPECT_EQ(L"a", str(s.letters));
    EXPECT_TRUE(s.texts.dir_cat1.Empty());
    EXPECT_TRUE(s.texts.txt_front.Empty());
}

TEST(NamingRules, LabelTablesInComboOrder) {
    EXPECT_STREQ(L"連番", kCounterKindLabels[0]);
    EXPECT_STREQ(L"英字", kCounterKindLabels[1]);
    EXPECT_STREQ(L"フォルダ名_種類_その1_その2", kFolderRuleLabels[0]);
    EXPECT_STREQ(L"フォルダ名_その1_その2_種類", kFolderRuleLabels[1]);
    EXPECT_STREQ(L"フォルダ名_その1_種類_その2", kFolderRuleLabels[2]);
    EXPECT_STREQ(L"フォルダ名_その1_その2_その3", kTextRuleLabels[0]);
    EXPECT_STREQ(L"その1_フォルダ名_その2_その3", kTextRuleLabels[1]);
    EXPECT_STREQ(L"その1_その2_フォルダ名_その3", kTextRuleLabels[2]);
    EXPECT_STREQ(L"その1_その2_その3_フォルダ名", kTextRuleLabels[3]);
    // The labels must survive the trip to the dialog's code page unchanged.
    for (const wchar_t* label : kTextRuleLabels) {
        EXPECT_EQ(C_WString(label), C_WString(C_WString(label).ToString()));
    }
}

TEST(NamingRules, ComboIndexToArrangementCode) {
    EXPECT_EQ(0, FolderRuleCode(0));
    EXPECT_EQ(2, FolderRuleCode(1));
    EXPECT_EQ(1, FolderRuleCode(2));
    EXPECT_EQ(2, FolderRuleCode(-1));
    EXPECT_EQ(2, FolderRuleCode(5));
    EXPECT_EQ(0, TextRuleCode(0));
    EXPECT_EQ(1, TextRuleCode(1));
    EXPECT_EQ(2, TextRuleCode(2));
    EXPECT_EQ(3, TextRuleCode(3));
    EXPECT_EQ(3, TextRuleCode(-1));
    EXPECT_EQ(3, TextRuleCode(9));
    EXPECT_TRUE(CounterIsNumber(0));
    EXPECT_FALSE(CounterIsNumber(1));
    EXPECT_FALSE(CounterIsNumber(-1));
}

TEST(NamingRules, WorkedExamples) {
    struct Row {
        bool isNumber;
        int number;
        const wchar_t* letters;
        int folderCombo;
        const wchar_t* folder;
        int textCombo;
        const wchar_t* line;
    };
    const Row rows[] = {
        {true, 1, L"a", 0, L"photo1_x", 0, L"ID:photo1_x.A.C"},
        {true, 12, L"a", 1, L"photo_x12", 1, L"ID:A.photo_x12.C"},
        {false, 1, L"z", 2, L"photo_zx", 2, L"ID:A.photo_zx.C"},
        {false, 1, L"aa", 0, L"photoaa_x", 3, L"ID:A.C/photoaa_x"},
    };
    for (const Row& row : rows) {
        CopyNaming s;
        worked_example(s);
        s.is_number = row.isNumber;
        s.number = row.number;
        s.letters = row.letters;
        s.name_order = FolderRuleCode(row.folderCombo);
        s.text_order = TextRuleCode(row.textCombo);
        const C_WString folder = MakeFolderName(s, L"photo");
        EXPECT_EQ(std::wstring(row.folder), str(folder));
        EXPECT_EQ(std::wstring(row.line), str(MakeTextLine(s, folder)));
    }
}

TEST(NamingRules, FiveLetterCopiesWithoutJoiningTexts) {
    CopyNaming s;
    s.is_number = false;
    std::wstring names;
    for (int i = 0; i < 5; ++i) {
        names += str(MakeFolderName(s, L"photo")) + L" ";
        StepCounter(s);
    }
    EXPECT_EQ(L"photoa photob photoc photod photoe ", names);
}

TEST(NamingRules, LetterSequenceSteps) {
    EXPECT_EQ(L"z", str(NextLetters(L"y")));
    EXPECT_EQ(L"aa", str(NextLetters(L"z")));
    EXPECT_EQ(L"aaa", str(NextLetters(L"az")));
    EXPECT_EQ(L"aaa", str(NextLetters(L"aZ")));
    EXPECT_EQ(L"aaa", str(NextLetters(L"a9")));
    EXPECT_EQ(L"aa", str(NextLetters(C_WString())));
    EXPECT_EQ(L"ac", str(NextLetters(L"ab")));
    CopyNaming s;
    s.is_number = false;
    std::set<std::wstring> seen;
    for (int n = 0; n <= 120; ++n) {
        // After n steps: (k - 1) letters a, then the letter n mod 26.
        const int k = n / 26 + 1;
        std::wstring expected(k - 1, L'a');
        expected += static_cast<wchar_t>(L'a' + n % 26);
        EXPECT_EQ(expected, str(s.letters)) << n;
        EXPECT_TRUE(seen.insert(str(s.letters)).second) << n;
        StepCounter(s);
    }
    EXPECT_EQ(1, s.number); // a letter run never touches the number
}

TEST(NamingRules, SequenceNumberStepsWithoutLeadingZeros) {
    CopyNaming s;
    s.letters = L"q";
    for (int i = 1; i < 9; ++i) {
        StepCounter(s);
    }
    EXPECT_EQ(L"9", str(CounterText(s)));
    StepCounter(s);
    EXPECT_EQ(L"10", str(CounterText(s)));
    EXPECT_EQ(L"q", str(s.letters));
}

TEST(NamingRules, TextLineEdgeCases) {
    CopyNaming s;
    s.texts.txt_front = L"F";
    s.text_order = 3;
    s.texts.txt_cat2 = L"B";
    EXPECT_EQ(L"F.B/N", str(MakeTextLine(s, L"N")));
    s.text_order = 0;
    s.texts.txt_cat2.Clear();
    EXPECT_EQ(L"FN", str(MakeTextLine(s, L"N")));
    // Blanks are not empty.
    s.texts.txt_cat1 = L" ";
    s.text_order = 1;
    EXPECT_EQ(L"F .N", str(MakeTextLine(s, L"N")));
    s.text_order = 2;
    s.texts.txt_cat2 = L"b";
    s.texts.txt_cat3 = L"c";
    EXPECT_EQ(L"F .b.N.c", str(MakeTextLine(s, L"N")));
}

TEST(NamingRules, SeparatorInAJoiningTextLeavesOnlyTheLastPartInTheLine) {
    CopyNaming s;
    s.texts.dir_cat1 = L"\\sub";
    s.name_order = 0;
    const C_WString folder = MakeFolderName(s, L"photo");
    EXPECT_EQ(L"photo1\\sub", str(folder));
    EXPECT_EQ(L"sub", str(MakeTextLine(s, folder)));
    s.texts.dir_cat1 = L"a/";
    s.name_order = 1;
    const C_WString slash = MakeFolderName(s, L"photo");
    EXPECT_EQ(L"photoa/1", str(slash));
    EXPECT_EQ(L"1", str(MakeTextLine(s, slash)));
}

TEST(NamingRules, JapaneseNamesAndJoiningTexts) {
    CopyNaming s;
    s.texts.dir_cat1 = L"_写";
    s.is_number = false;
    s.name_order = 2;
    EXPECT_EQ(L"写真_写a", str(MakeFolderName(s, L"写真")));
    s.texts.txt_cat1 = L"表";
    EXPECT_EQ(L"写真_写a.表", str(MakeTextLine(s, MakeFolderName(s, L"写真"))));
}

TEST(NamingRules, CopyIndexGivesWhatSteppingGives) {
    // Around every carry of both counters, with and without padding, and from other starts.
    struct Row {
        bool isNumber;
        int start;
        int width;
        std::vector<int> indices;
    };
    const Row rows[] = {
        {false, 1, 0, {0, 24, 25, 26, 27, 51, 52, 77, 78, 700}},
        {true, 1, 0, {0, 7, 8, 9, 98, 99, 100, 998, 999}},
        {true, 0, 2, {0, 9, 10, 99, 100, 101}}, // 9 -> 10 padded, 99 -> 100 written whole
        {true, 999999999, 0, {0}},              // the largest start, one copy
    };
    for (Row const& row : rows) {
        CopyNaming first;
        first.is_number = row.isNumber;
        first.number = row.start;
        first.width = row.width;
        CopyNaming stepped = first;
        int at = 0;
        for (int index : row.indices) {
            for (; at < index; ++at) {
                StepCounter(stepped);
            }
            const C_WString expected = CounterText(stepped);
            EXPECT_EQ(str(expected), str(CounterText(NamingAt(first, index)))) << index;
            EXPECT_EQ(expected.Length(), CounterLengthAt(first, index)) << index;
        }
    }
    CopyNaming padded;
    padded.width = 3;
    padded.number = 0;
    EXPECT_EQ(L"007", str(CounterText(NamingAt(padded, 7))));
    EXPECT_EQ(L"1000", str(CounterText(NamingAt(padded, 1000))));
    // Copy 2,000,000,000 without the copies before it.
    CopyNaming number;
    EXPECT_EQ(L"2000000000", str(CounterText(NamingAt(number, 1999999999))));
    // The largest start and the largest count: past INT_MAX without wrapping.
    number.number = 999999999;
    EXPECT_EQ(L"3147483645", str(CounterText(NamingAt(number, 2147483646))));
    CopyNaming letters;
    letters.is_number = false;
    EXPECT_EQ(76923077, CounterLengthAt(letters, 1999999999)); // 1999999999 / 26 + 1
}
