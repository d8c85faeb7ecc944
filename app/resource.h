#pragma once

// Resources of Kasumido.exe: the main dialog, its controls and the icon.
#define IDD_MAIN 101
#define IDI_KASUMIDO 106

#define IDC_START 1 // IDOK: Enter starts a run
#define IDC_LOAD 2  // IDCANCEL: Escape loads the selected profile
#define IDC_DIR_CAT2 1001
#define IDC_DIR_CAT1 1002
#define IDC_PROFILES 1004
#define IDC_SRC 1005
#define IDC_DEST 1006
#define IDC_BROWSE_SRC 1007
#define IDC_BROWSE_DEST 1008
#define IDC_COUNT 1009
#define IDC_TXT_CAT2 1011
#define IDC_TXT_CAT1 1012
#define IDC_TXT_CAT3 1013
#define IDC_DIR_RULE 1014
#define IDC_TXT_RULE 1015
#define IDC_DIR_TYPE 1016
#define IDC_TXT_FRONT 1018
#define IDC_TXT_ENABLE 1019
#define IDC_TXT_CAT1_LABEL 1020
#define IDC_TXT_CAT2_LABEL 1021
#define IDC_TXT_CAT3_LABEL 1022
#define IDC_TXT_RULE_LABEL 1023
#define IDC_TXT_FRONT_LABEL 1024
// Added below the original controls, in free space of the template.
#define IDC_PREVIEW_NAMES 1030 // the names a run would make, or where a run stands
#define IDC_PREVIEW_LINE 1031  // the first text line, or the reason a run would be refused
#define IDC_DIR_START_LABEL 1032
#define IDC_DIR_START 1033 // first sequence number
#define IDC_DIR_WIDTH_LABEL 1034
#define IDC_DIR_WIDTH 1035 // digits of the sequence number
#define IDC_TREE_ONLY 1036 // copy the folder structure alone

// The built-in copier instead of the system's xcopy.
#define IDC_COPY_BUILTIN 1040
#define IDC_NAME_LIST_LABEL 1041
#define IDC_NAME_LIST 1042        // the names file of the list counter
#define IDC_BROWSE_NAME_LIST 1043 // choose it
