#pragma once
// The record of one copy run, created when a run starts and shared with the worker thread.
#include "ktora/file/C_FileStream.h"
#include "ktora/string/C_WString.h"

struct CopyState {
    // --- Naming: the counter, the arrangements and the joining texts (NamingRules.h) ---
    bool is_number = true;           // counter is a sequence number, else a letter sequence
    int number = 1;                  // current sequence number
    ktora::C_WString letters = L"a"; // current letter sequence
    int name_order = 0;              // folder-name arrangement code 0..2 (not the combo index)
    int text_order = 0;              // text-line arrangement code 0..3 (not the combo index)
    // --- Run: how many copies, from where to where, and the summary file ---
    int make_count = 1;        // number of copies to make, at least 1
    ktora::C_WString dir_cat1; // joining texts of folder names
    ktora::C_WString dir_cat2;
    ktora::C_WString txt_cat1; // joining texts of text lines
    ktora::C_WString txt_cat2;
    ktora::C_WString txt_cat3;
    ktora::C_WString txt_front;   // leading text of every text line
    ktora::C_WString dest_dir;    // the container: destination + "\" + the source's last name
    ktora::C_WString src_dir;     // the source folder
    ktora::C_FileStream out_info; // outinfo.txt, open only when text output is on; closed
                                  // when the record is destroyed
    bool out_info_lost = false;   // text output was asked for, but outinfo.txt could not be
                                  // opened or a line could not be written
};
