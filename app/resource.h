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
