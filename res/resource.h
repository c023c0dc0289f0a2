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
#define IDD_ENTER_COLOR 142

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
#define IDC_SAMPLE_FRAME 1017

// Change Title dialog
#define IDC_TITLE_TEXT 1020

// Contrast window: what the page's background is, then one column of rows per figure
#define IDC_CONTRAST_BACKDROP 1030
#define IDC_CONTRAST_RATIO 1031
#define IDC_CONTRAST_AA 1032
#define IDC_CONTRAST_AA_LARGE 1033
#define IDC_CONTRAST_AAA 1034
#define IDC_CONTRAST_AGAINST_TEXT 1035
#define IDC_CONTRAST_NOTES 1036
#define IDC_CONTRAST_APCA 1037
#define IDC_CONTRAST_AIM 1038
#define IDC_CONTRAST_FIX_MESSAGE 1039
// The Fix buttons, in row order, then Fix All: the main window carries them out
#define IDC_CONTRAST_FIX_TEXT 1040
#define IDC_CONTRAST_FIX_LINK 1041
#define IDC_CONTRAST_FIX_VLINK 1042
#define IDC_CONTRAST_FIX_ALINK 1043
#define IDC_CONTRAST_FIX_ALL 1044
// What the columns mean, in plain words
#define IDC_CONTRAST_LEGEND 1045

// Enter Color dialog
#define IDC_ENTER_COLOR_LABEL 1050
#define IDC_ENTER_COLOR_TEXT 1051
#define IDC_ENTER_COLOR_SWATCH 1052
#define IDC_ENTER_COLOR_RESULT 1053
#define IDC_ENTER_COLOR_REASON 1054

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
#define ID_TOOLS_FIXCONTRAST 32787
// Tools > Simulate Vision, in the order of its items
#define ID_VISION_NORMAL 32790
#define ID_VISION_PROTANOPIA 32791
#define ID_VISION_DEUTERANOPIA 32792
#define ID_VISION_TRITANOPIA 32793
#define ID_VISION_ACHROMATOPSIA 32794
// Schemes: a page's colours read, the scheme written into a page
#define ID_SCHEMES_OPENPAGE 32800
#define ID_SCHEMES_APPLYPAGE 32801
#define ID_SCHEMES_APPLYSTYLE 32802
#define ID_EDIT_ENTERCOLOR 32795
#define ID_TOOLS_PICKSCREEN 32799
// Edit > Paste Colors, Undo and Redo
#define ID_EDIT_PASTECOLORS 32796
#define ID_EDIT_UNDO 32797
#define ID_EDIT_REDO 32798
#define ID_TOOLS_PREVIEWBROWSER 32803
#define ID_EDIT_COPYCSSVARS 32804
#define ID_EDIT_COPYTOKENS 32805

// The framework's standard commands: ID_EDIT_COPY, ID_APP_EXIT, ID_HELP
#include "../framework/AfxRes.h"

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
