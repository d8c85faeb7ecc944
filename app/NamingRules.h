#pragma once
// Folder names and summary-file lines of a copy run, and the rule tables the dialog offers.
// Pure functions: no window, no file.
#include "app/CopyState.h"
#include "ktora/string/C_WString.h"

// Combo box contents, in combo order.
constexpr int kCounterKindCount = 2;
constexpr int kFolderRuleCount = 3;
constexpr int kTextRuleCount = 4;
extern const wchar_t* const kCounterKindLabels[kCounterKindCount];
extern const wchar_t* const kFolderRuleLabels[kFolderRuleCount];
extern const wchar_t* const kTextRuleLabels[kTextRuleCount];

// Combo index (-1 when nothing is selected) to arrangement code. Profiles store the index.
int FolderRuleCode(int comboIndex);
int TextRuleCode(int comboIndex);
// Counter-kind combo index to CopyState::is_number (index 0 is the sequence number).
bool CounterIsNumber(int comboIndex);

// The counter as it appears in names: decimal number or the letter sequence.
ktora::C_WString CounterText(const CopyState& state);
// The folder name of the current copy, from the source folder's last name.
ktora::C_WString MakeFolderName(const CopyState& state, const ktora::C_WString& lastName);
// The summary line of a copy (without line end), from that copy's folder name.
ktora::C_WString MakeTextLine(const CopyState& state, const ktora::C_WString& folderName);
// Advances the counter after a completed copy.
void StepCounter(CopyState& state);
// One letter-sequence step: a..y advance the last letter, anything else becomes "aa".
ktora::C_WString NextLetters(const ktora::C_WString& letters);
