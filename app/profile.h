#pragma once
// Settings profiles (list\*.txt): key=value files in the system code page that fill the
// settings. Read by the dialog's load button and by the batch front's profile option.
#include "app/CopySettings.h"
#include "ktora/string/C_WString.h"

// What a profile sets. A text key that is missing or empty leaves its setting alone; the rule,
// counter and text-output keys always set theirs; a count that is not above 0 leaves it alone.
struct ProfileValues {
    ktora::C_WString txt_cat1;
    ktora::C_WString txt_cat2;
    ktora::C_WString txt_cat3;
    ktora::C_WString txt_front;
    ktora::C_WString dir_cat1;
    ktora::C_WString dir_cat2;
    int dir_rule = 0;        // folder-name rule index to select (negative values give 0)
    int dir_type = 0;        // counter kind index: 1 letters, else numbers
    int txt_rule = 0;        // text-line rule index (negative values give 0)
    bool txt_enable = false; // text output on
    int make_count = 0;      // copies; 0 leaves the count alone
};

// Reads the profile at path (opened as a C_IniFile). False when it cannot be opened.
bool ReadProfile(ktora::C_WString const& path, ProfileValues* values);

// Applies what the profile sets to the settings, as loading it into the dialog does.
void ApplyProfile(ProfileValues const& values, CopySettings* settings);
