// Resource, control and command ids, in numeric blocks.
#pragma once

// Templates, menu, icon and accelerators
#define IDD_SCHEME_DIALOG 102
#define IDR_MAINMENU 131
#define IDD_ABOUTBOX 132
#define IDR_MAINFRAME 133
#define IDR_ACCELERATOR 136
#define IDD_CHANGE_TITLE 140
#define IDD_CONTRAST 141

// Main dialog controls: the role radio buttons carry the ColorRole values
#define IDC_BACKGROUND_COLOR 1000
#define IDC_TEXT_COLOR 1001
#define IDC_LINK_COLOR 1002
#define IDC_VLINK_COLOR 1003
#define IDC_ALINK_COLOR 1004
#define IDC_RED_SLIDER 1010
#define IDC_GREEN_SLIDER 1011
#define IDC_BLUE_SLIDER 1012
#define IDC_RED_VALUE 1013
#define IDC_GREEN_VALUE 1014
#define IDC_BLUE_VALUE 1015
#define IDC_BODY_TAG 1016

// Change Title dialog
#define IDC_TITLE_TEXT 1020

// Contrast window: the page background, then one row of cells per foreground role, each
// row's ids in the same order: ratio, the three verdicts, against the text, the note
#define IDC_CONTRAST_BACKDROP 1030
#define IDC_TEXT_RATIO 1040
#define IDC_TEXT_AA 1041
#define IDC_TEXT_AA_LARGE 1042
#define IDC_TEXT_AAA 1043
#define IDC_TEXT_NOTE 1045
#define IDC_LINK_RATIO 1050
#define IDC_LINK_AA 1051
#define IDC_LINK_AA_LARGE 1052
#define IDC_LINK_AAA 1053
#define IDC_LINK_AGAINST_TEXT 1054
#define IDC_LINK_NOTE 1055
#define IDC_VLINK_RATIO 1060
#define IDC_VLINK_AA 1061
#define IDC_VLINK_AA_LARGE 1062
#define IDC_VLINK_AAA 1063
#define IDC_VLINK_AGAINST_TEXT 1064
#define IDC_VLINK_NOTE 1065
#define IDC_ALINK_RATIO 1070
#define IDC_ALINK_AA 1071
#define IDC_ALINK_AA_LARGE 1072
#define IDC_ALINK_AAA 1073
#define IDC_ALINK_AGAINST_TEXT 1074
#define IDC_ALINK_NOTE 1075

// Menu commands
#define ID_EDIT_COPYTAG 32773
#define ID_EDIT_RESETCOLORS 32774
#define ID_EDIT_CHANGETITLE 32775
#define ID_HELP_ABOUT 32778
#define ID_TOOLS_LOADBACKGROUND 32780
#define ID_TOOLS_COLORPICKER 32781
#define ID_SCHEMES_OPEN 32782
#define ID_SCHEMES_SAVE 32783
#define ID_TOOLS_SHOWBACKGROUNDS 32784
#define ID_EDIT_COPYCSS 32785
#define ID_TOOLS_CHECKCONTRAST 32786

// The framework's standard commands: ID_EDIT_COPY, ID_APP_EXIT, ID_HELP
#include "../framework/AfxRes.h"

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
