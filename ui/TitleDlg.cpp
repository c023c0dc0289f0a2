#include "TitleDlg.h"

BOOL CTitleDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CWnd edit = GetDlgItem(IDC_TITLE_TEXT);
    edit.SetWindowText(m_title);
    // Selected, so that typing replaces the whole title.
    edit.SendMessage(EM_SETSEL, 0, -1);
    return TRUE;
}

void CTitleDlg::OnOK() {
    m_title = GetDlgItem(IDC_TITLE_TEXT).GetWindowText();
    CDialog::OnOK();
}
