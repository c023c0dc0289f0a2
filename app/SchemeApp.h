// The application: loads the accelerators and runs the main window.
#pragma once
#include "framework/Afx.h"

class CSchemeApp : public CWinApp {
public:
    CSchemeApp() : CWinApp(nullptr) {}

    BOOL InitInstance() override;
    void WinHelp(DWORD_PTR data, UINT command = HELP_CONTEXT) override {
        CWinApp::WinHelp(data, command);
    }
    // Loads accelerator table 136 into m_hAccelTable.
    void LoadAcceleratorTable();
    // The file named first on the command line (Tintwright.exe FILE), or empty.
    static CString CommandLineFile();

    DECLARE_MESSAGE_MAP()
};
