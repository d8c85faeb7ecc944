#pragma once
// What one copy run is asked to do, as a front end read it: the dialog from its controls, the
// batch front from its options and profile. The run checks and converts it (copy_run.h).
#include "ktora/string/C_WString.h"

struct CopySettings {
    ktora::C_WString source;      // source folder as typed
    ktora::C_WString destination; // destination folder as typed
    bool count_valid = true;      // false when the count text was not a number
    int count = 1;                // number of copies asked for
    int counter_kind = 0;         // counter combo index: 0 numbers, 1 letters
    int dir_rule = 0;             // folder-name rule combo index (-1: nothing selected)
    int txt_rule = 0;             // text-line rule combo index (-1: nothing selected)
    ktora::C_WString dir_cat1;    // joining texts of folder names
    ktora::C_WString dir_cat2;
    ktora::C_WString txt_cat1; // joining texts of text lines
    ktora::C_WString txt_cat2;
    ktora::C_WString txt_cat3;
    ktora::C_WString txt_front; // leading text of every text line
    bool text_output = false;   // write outinfo.txt into the container
};
