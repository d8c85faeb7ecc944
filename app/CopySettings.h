#pragma once
// What one copy run is asked to do, as a front end read it: the dialog from its controls, the
// batch front from its options and profile. MakeCopyPlan (CopyPlan.h) checks and converts it.
#include <memory>

#include "app/NameList.h"
#include "app/NamingRules.h"
#include "ktora/string/C_WString.h"

struct CopySettings {
    ktora::C_WString source;      // source folder as typed
    ktora::C_WString destination; // destination folder as typed
    bool count_valid = true;      // false when the count text was not a number
    int count = 1;                // number of copies asked for
    int counter_kind = 0;         // counter combo index: 0 numbers, 1 letters, 2 a names file
    int dir_rule = 0;             // folder-name rule combo index (-1: nothing selected)
    int txt_rule = 0;             // text-line rule combo index (-1: nothing selected)
    JoiningTexts texts;           // joining texts of folder names and text lines
    bool text_output = false;     // write outinfo.txt into the container
    // Sequence-number options; a text that was no whole number leaves its valid flag false.
    bool start_valid = true;
    int start = kFirstNumberDefault;
    bool width_valid = true;
    int width = 0;
    bool tree_only = false; // copy the folder structure alone, no files

    // The built-in copier instead of the system's xcopy.
    bool copy_builtin = false;
    // The names file of the list counter, as typed (relative paths from the current folder).
    ktora::C_WString name_list;
    // The count is the list's (no count was given); otherwise a count that differs is refused.
    bool count_from_list = false;
    // The list as the front read it last, if any: taken again while its file is unchanged.
    std::shared_ptr<NameList const> loaded_list;
};

// The count as the dialog reads it: optional blanks, an optional sign, decimal digits, optional
// blanks, nothing else. False when the text is no number or does not fit an int. The start and
// width fields are read the same way.
bool ParseCountText(ktora::C_WString const& text, int* value);
