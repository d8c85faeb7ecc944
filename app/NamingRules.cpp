#include "app/NamingRules.h"

#include <string>

#include "app/NameList.h"
#include "ktora/file/ktora_lastname.h"

using ktora::C_WString;

const wchar_t* const kCounterKindLabels[kCounterKindCount] = {L"連番", L"英字", L"リスト"};

const wchar_t* const kFolderRuleLabels[kFolderRuleCount] = {
    L"フォルダ名_種類_その1_その2",
    L"フォルダ名_その1_その2_種類",
    L"フォルダ名_その1_種類_その2",
};

const wchar_t* const kTextRuleLabels[kTextRuleCount] = {
    L"フォルダ名_その1_その2_その3",
    L"その1_フォルダ名_その2_その3",
    L"その1_その2_フォルダ名_その3",
    L"その1_その2_その3_フォルダ名",
};

int FolderRuleCode(int comboIndex) {
    switch (comboIndex) {
    case 0:
        return 0;
    case 2:
        return 1;
    default:
        return 2;
    }
}

int TextRuleCode(int comboIndex) {
    return comboIndex >= 0 && comboIndex <= 2 ? comboIndex : 3;
}

bool CounterIsNumber(int comboIndex) {
    return comboIndex == 0;
}

C_WString CounterText(const CopyNaming& naming) {
    if (naming.names) {
        return naming.names->Name(static_cast<int>(naming.number));
    }
    if (!naming.is_number) {
        return naming.letters;
    }
    std::wstring digits = std::to_wstring(naming.number < 0 ? -naming.number : naming.number);
    if (static_cast<int>(digits.size()) < naming.width) {
        digits.insert(0, static_cast<size_t>(naming.width) - digits.size(), L'0');
    }
    if (naming.number < 0) {
        digits.insert(0, 1, L'-');
    }
    return C_WString(digits.c_str());
}

C_WString MakeFolderName(const CopyNaming& state, const C_WString& lastName) {
    const C_WString counter = CounterText(state);
    C_WString name = lastName;
    switch (state.name_order) {
    case 0:
        name << counter << state.texts.dir_cat1 << state.texts.dir_cat2;
        break;
    case 1:
        name << state.texts.dir_cat1 << counter << state.texts.dir_cat2;
        break;
    default:
        name << state.texts.dir_cat1 << state.texts.dir_cat2 << counter;
        break;
    }
    return name;
}

namespace {

void add_dotted(C_WString& line, const C_WString& part) {
    if (!part.Empty()) {
        line += L'.';
        line += part;
    }
}

void add_then_dot(C_WString& line, const C_WString& part) {
    if (!part.Empty()) {
        line += part;
        line += L'.';
    }
}

} // namespace

C_WString MakeTextLine(const CopyNaming& state, const C_WString& folderName) {
    // Only the last component: a joining text with a separator makes the copy a subfolder.
    const C_WString name = ktora::common::ktora_GetLastName(C_WString(L"\\") + folderName);
    C_WString line = state.texts.txt_front;
    switch (state.text_order) {
    case 0:
        line += name;
        add_dotted(line, state.texts.txt_cat1);
        add_dotted(line, state.texts.txt_cat2);
        add_dotted(line, state.texts.txt_cat3);
        break;
    case 1:
        add_then_dot(line, state.texts.txt_cat1);
        line += name;
        add_dotted(line, state.texts.txt_cat2);
        add_dotted(line, state.texts.txt_cat3);
        break;
    case 2:
        add_then_dot(line, state.texts.txt_cat1);
        add_then_dot(line, state.texts.txt_cat2);
        line += name;
        add_dotted(line, state.texts.txt_cat3);
        break;
    default:
        line += state.texts.txt_cat1;
        add_dotted(line, state.texts.txt_cat2);
        add_dotted(line, state.texts.txt_cat3);
        line += L'/';
        line += name;
        break;
    }
    return line;
}

C_WString NextLetters(const C_WString& letters) {
    const int length = letters.Length();
    const int last = letters.CharAt(length - 1);
    if (last >= L'a' && last <= L'y') {
        return letters.SubString(0, length - 2).ConcatWChar(static_cast<wchar_t>(last + 1));
    }
    return letters.SubString(0, length - 2) + C_WString(L"aa");
}

void StepCounter(CopyNaming& state) {
    if (state.is_number || state.names) {
        ++state.number;
    } else {
        state.letters = NextLetters(state.letters);
    }
}

CopyNaming NamingAt(const CopyNaming& first, int index) {
    CopyNaming naming = first;
    if (index <= 0) {
        return naming;
    }
    if (naming.is_number || naming.names) {
        naming.number = first.number + index;
    } else {
        std::wstring letters(static_cast<size_t>(index / 26), L'a');
        letters += static_cast<wchar_t>(L'a' + index % 26);
        naming.letters = C_WString(letters.c_str());
    }
    return naming;
}

long long CounterLengthAt(const CopyNaming& first, int index) {
    if (first.names) {
        return first.names->Name(static_cast<int>(first.number + index)).Length();
    }
    if (!first.is_number) {
        return index / 26 + 1;
    }
    long long number = first.number + index;
    long long digits = 1;
    for (long long n = number < 0 ? -number : number; n >= 10; n /= 10) {
        ++digits;
    }
    if (number < 0) {
        ++digits;
    }
    return digits < first.width ? first.width : digits;
}
