// The common file and colour dialogs, run through the modal host (see ModalHost.h).
#pragma once
#include <windows.h>
#include <commdlg.h>
#include "String.h"
#include "Wnd.h"

class CFileDialog {
public:
    // filter: "description|pattern|...|" pairs; each '|' becomes a string end.
    CFileDialog(BOOL openFileDialog, const char* defaultExt = nullptr,
                const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                CWnd* parent = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    INT_PTR DoModal();
    CString GetPathName() const { return CString(m_fileBuffer); }
    CString GetFileName() const;

    // Its texts, and the path that comes back, are UTF-8 (see ModalHost.h).
    OPENFILENAMEA m_ofn;

private:
    BOOL m_openFileDialog;
    CString m_defaultExt;
    CString m_filter;                         // the '|' list with its bars turned into string ends
    char m_fileBuffer[MAX_PATH * 2 * 3] = {}; // MAX_PATH * 2 UTF-16 units in UTF-8
};

class CColorDialog {
public:
    CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr);
    CColorDialog(const CColorDialog&) = delete;
    CColorDialog& operator=(const CColorDialog&) = delete;

    INT_PTR DoModal();
    COLORREF GetColor() const { return m_cc.rgbResult; }
    // The custom colours, one table for the whole run, all white at the start.
    static COLORREF* GetSavedCustomColors();

    CHOOSECOLORA m_cc; // without text: the platform's host hands it to ChooseColorW
};
