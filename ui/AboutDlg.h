// The About box: template 132, closed by OK or Escape.
#pragma once
#include "framework/Afx.h"
#include "res/resource.h"

class CAboutDlg : public CDialog {
public:
    enum { IDD = IDD_ABOUTBOX };
    CAboutDlg() : CDialog(IDD, nullptr) {}
};
