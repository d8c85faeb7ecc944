#pragma once
// Folder names and summary-file lines of a copy run, and the rule tables the dialog offers.
// Pure functions: no window, no file.
#include <memory>

#include "ktora/string/C_WString.h"

class NameList;

// Combo box contents, in combo order.
constexpr int kCounterKindCount = 3;
// The third kind names copy i after name i of a names file (NameList.h).
constexpr int kCounterKindList = 2;
constexpr int kFolderRuleCount = 3;
constexpr int kTextRuleCount = 4;
extern const wchar_t* const kCounterKindLabels[kCounterKindCount];
extern const wchar_t* const kFolderRuleLabels[kFolderRuleCount];
extern const wchar_t* const kTextRuleLabels[kTextRuleCount];

// Sequence-number options: the first number and the zero-padded width (0: no padding).
constexpr int kFirstNumberDefault = 1;
constexpr int kFirstNumberMax = 999999999;
constexpr int kNumberWidthMax = 9;

// The texts that join a copy's name and its summary line, as one record.
struct JoiningTexts {
    ktora::C_WString dir_cat1; // folder-name joining texts
    ktora::C_WString dir_cat2;
    ktora::C_WString txt_cat1; // text-line joining texts
    ktora::C_WString txt_cat2;
    ktora::C_WString txt_cat3;
    ktora::C_WString txt_front; // leading text of every text line
};

// What names one copy: the counter and the arrangements. A run starts at number
// (kFirstNumberDefault unless asked otherwise) or at the letters "a".
struct CopyNaming {
    bool is_number = true; // counter is a sequence number, else a letter sequence
    // Current sequence number, 64 bits: a large start plus a large count passes INT_MAX.
    long long number = kFirstNumberDefault;
    ktora::C_WString letters = L"a"; // current letter sequence
    int width = 0;                   // sequence numbers are zero-padded to this many digits
    int name_order = 0;              // folder-name arrangement code 0..2 (not the combo index)
    int text_order = 0;              // text-line arrangement code 0..3 (not the combo index)
    JoiningTexts texts;
    // With a names file the counter is its name number (from 0), and is_number is false. The
    // list is shared, never copied per copy.
    std::shared_ptr<NameList const> names;
};

// Combo index (-1 when nothing is selected) to arrangement code. Profiles store the index.
int FolderRuleCode(int comboIndex);
int TextRuleCode(int comboIndex);
// Counter-kind combo index to CopyNaming::is_number (index 0 is the sequence number).
bool CounterIsNumber(int comboIndex);

// The counter as it appears in names: decimal number (padded to the width), the letters, or
// the listed name.
ktora::C_WString CounterText(const CopyNaming& naming);
// The folder name of the current copy, from the source folder's last name.
ktora::C_WString MakeFolderName(const CopyNaming& naming, const ktora::C_WString& lastName);
// The summary line of a copy (without line end), from that copy's folder name.
ktora::C_WString MakeTextLine(const CopyNaming& naming, const ktora::C_WString& folderName);
// Advances the counter after a completed copy.
void StepCounter(CopyNaming& naming);
// One letter-sequence step: a..y advance the last letter, anything else becomes "aa".
ktora::C_WString NextLetters(const ktora::C_WString& letters);

// The naming of copy index (from 0) of a run whose first copy is named by first, without
// stepping through the copies before it: what index calls of StepCounter give. A letter run
// starts at "a": copy i has i / 26 letters "a" followed by the letter i % 26.
CopyNaming NamingAt(const CopyNaming& first, int index);
// Length in characters of copy index's counter text, without making it (a letter counter of
// copy 2,000,000,000 has 76,923,077 letters).
long long CounterLengthAt(const CopyNaming& first, int index);
