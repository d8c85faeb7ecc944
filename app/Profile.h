#pragma once
// Settings profiles (list\*.txt): key=value files that fill the settings. Read by the dialog's
// load button and by the batch front's profile option; never written.
//
// Encodings: a profile that starts with the UTF-16 byte-order mark is read as UTF-16, one that
// starts with the UTF-8 mark or is valid UTF-8 holding non-ASCII bytes as UTF-8 (as today's
// editors save), anything else in the system code page (Shift_JIS), as it always was.
#include "app/CopySettings.h"
#include "ktora/string/C_WString.h"

// What a profile sets. A text key that is missing or empty leaves its setting alone; the rule,
// counter and text-output keys always set theirs; a count that is not above 0 leaves it alone.
struct ProfileValues {
    JoiningTexts texts;
    int dir_rule = 0;        // folder-name rule index to select (negative values give 0)
    int dir_type = 0;        // counter kind index: 1 letters, else numbers
    int txt_rule = 0;        // text-line rule index (negative values give 0)
    bool txt_enable = false; // text output on
    int make_count = 0;      // copies; 0 leaves the count alone
    bool make_count_out_of_range = false; // a count beyond the int range: refused, never cut
    // Sequence-number options; empty texts leave the settings alone.
    ktora::C_WString dir_start;
    ktora::C_WString dir_width;
    bool dir_tree_only = false; // folder structure only
};

// Reads the profile at path. False when it cannot be opened.
bool ReadProfile(ktora::C_WString const& path, ProfileValues* values);

// Applies what the profile sets to the settings, as loading it into the dialog does. A count
// out of range makes the settings' count invalid: the run refuses it.
void ApplyProfile(ProfileValues const& values, CopySettings* settings);
