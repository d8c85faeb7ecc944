#pragma once
// Settings profiles (list\*.txt): key=value files that fill the settings. Read by the dialog's
// load button and by the batch front's profile option; never written.
//
// Encodings: a profile that starts with a UTF-16 byte-order mark (little or big endian) is read
// as UTF-16, as is one whose bytes 1 and 3 are 0 and bytes 0 and 2 ASCII (little endian without
// the mark: a key starts the file); an odd last byte is ignored. One that starts with the UTF-8
// mark or is valid UTF-8 holding non-ASCII bytes is read as UTF-8 (as today's editors save),
// anything else in the system code page (Shift_JIS), as it always was.
#include <string>
#include <vector>

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
    // Values of the added keys that are no value of theirs (a start outside 0..999,999,999, a
    // width outside 0..9, a dir_tree_only other than 0 or 1): applying leaves those settings
    // alone, as the dialog leaves its controls.
    bool bad_start = false;
    bool bad_width = false;
    bool bad_tree_only = false;
    ktora::C_WString dir_tree_only_text;
    bool copy_builtin = false;     // the built-in copier (copy_builtin=1)
    bool bad_copy_builtin = false; // a copy_builtin other than 0 or 1, left alone as above
    ktora::C_WString copy_builtin_text;
    // A names file: selects the list counter (after make_count, so the list's count wins).
    ktora::C_WString dir_list;
    // "key=value" of each value the rules ignored (a make_count not above 0), for a front that
    // shows no controls to tell.
    std::vector<ktora::C_WString> ignored;
};

// Reads the profile at path. Only a file on a disk is read: a device (com1, \\.\...) or a folder
// gives false. A missing file is created empty and read as such when createMissing is set (the
// dialog's list names a profile deleted since it was filled), else it gives false (a mistyped
// name of the batch front).
bool ReadProfile(ktora::C_WString const& path, ProfileValues* values, bool createMissing = true);

// The text of a settings-like file (profiles, names files) as profiles are read: only a file on
// a disk (never a device, a \\.\ name or a folder), up to maxBytes, decoded by the encoding
// rules above (the system code page when no Unicode form is recognised). False when the file
// cannot be opened or read, or is larger; *size and *written (FILETIME as 64 bits) say which
// version was read.
bool ReadSettingsText(ktora::C_WString const& path, unsigned long long maxBytes, std::wstring* text,
                      unsigned long long* size = nullptr, unsigned long long* written = nullptr);

// Applies what the profile sets to the settings, as loading it into the dialog does. A count
// out of range makes the settings' count invalid: the run refuses it.
void ApplyProfile(ProfileValues const& values, CopySettings* settings);
