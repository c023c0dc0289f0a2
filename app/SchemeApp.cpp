#include "SchemeApp.h"

#include "res/resource.h"
#include "ui/SchemeDlg.h"

// clang-format off
BEGIN_MESSAGE_MAP(CSchemeApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()
// clang-format on

void CSchemeApp::LoadAcceleratorTable() {
    m_hAccelTable = ::LoadAcceleratorsW(m_hInstance, MAKEINTRESOURCEW(IDR_ACCELERATOR));
}

BOOL CSchemeApp::InitInstance() {
    Enable3dControlsStatic();
    LoadAcceleratorTable();
    CSchemeDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    CloseHtmlHelp(); // the help windows belong to the main window and end with it
    // The dialog was the whole program: no message loop follows.
    return FALSE;
}
