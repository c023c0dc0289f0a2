// "Change Title": asks for the title that the sample page shows.
#pragma once
#include "framework/Afx.h"
#include "res/resource.h"

class CTitleDlg : public CDialog {
public:
    enum { IDD = IDD_CHANGE_TITLE };

    CTitleDlg(const CString& title, CWnd* parent) : CDialog(IDD, parent), m_title(title) {}

    // The text of the edit box as OK took it; the title given at construction otherwise.
    const CString& GetTitle() const { return m_title; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    CString m_title;
};
