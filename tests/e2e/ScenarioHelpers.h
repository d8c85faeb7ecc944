#pragma once
// What the scenarios share: the program under test, sample trees, summary files and folder
// listings; and the scenarios themselves, one a CTest test.
#include <windows.h>

#include <string>
#include <vector>

#include "Driver.h"
#include "app/resource.h"

namespace e2e {

// Kasumido.exe as a Windows path.
extern std::wstring g_exe;

// The controls the text check box enables and disables.
inline constexpr int kTextGroup[] = {IDC_TXT_CAT1_LABEL, IDC_TXT_CAT2_LABEL,  IDC_TXT_CAT3_LABEL,
                                     IDC_TXT_RULE_LABEL, IDC_TXT_FRONT_LABEL, IDC_TXT_CAT1,
                                     IDC_TXT_CAT2,       IDC_TXT_CAT3,        IDC_TXT_RULE,
                                     IDC_TXT_FRONT};

// A tree with nested and empty folders, a hidden file, an empty file and Japanese names.
void MakeSampleTree(std::wstring const& root);
// Many small files, so that one copy takes long enough to be interrupted.
void AddManyFiles(std::wstring const& root, int count);
// Shift_JIS lines, each ended by CR LF.
std::string Lines(std::vector<std::wstring> const& lines);
// The file's bytes, "<missing>" when it cannot be read.
std::string ReadOr(std::wstring const& path);
// CR LF pairs in the file; 0 when it cannot be read.
int CountLines(std::wstring const& path);
// The path with forward slashes.
std::wstring Slashes(std::wstring path);
// Names in a folder (not recursive).
std::vector<std::wstring> Names(std::wstring const& dir);
// Checks that nothing exists at path.
bool NoContainer(std::wstring const& path);
// Fills a run of `count` copies of src into t\out with the summary on, starts it and answers
// Yes to the first question; false when that question did not come as expected.
bool StartRun(Kasumido& k, TempDir const& t, std::wstring const& src, std::wstring const& count);

void ScenarioDialog();
void ScenarioCopy();
void ScenarioRules();
void ScenarioRefusals();
void ScenarioHundred();
void ScenarioAbort();
void ScenarioClose();
void ScenarioProfiles();
// args: the command line from the scenario name on (demo workdir source destination shot-flag).
void ScenarioDemo(std::vector<std::wstring> const& args);

} // namespace e2e
