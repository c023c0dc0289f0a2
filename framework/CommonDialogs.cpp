#include "CommonDialogs.h"

#include <cstring>

#include "App.h"
#include "ModalHost.h"

namespace {
HWND OwnerOf(CWnd* parent) {
    if (parent) return parent->m_hWnd;
    CWinApp* app = AfxGetApp();
    return app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : nullptr;
}
} // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName,
                         DWORD flags, const char* filter, CWnd* parent)
    : m_openFileDialog(openFileDialog) {
    std::memset(&m_ofn, 0, sizeof m_ofn);
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hwndOwner = OwnerOf(parent);
    m_ofn.hInstance = AfxGetApp() ? AfxGetApp()->m_hInstance : nullptr;
    m_ofn.lpstrFile = m_fileBuffer;
    m_ofn.nMaxFile = sizeof m_fileBuffer;
    m_ofn.Flags = flags | OFN_EXPLORER;
    if (defaultExt) {
        m_defaultExt = defaultExt;
        m_ofn.lpstrDefExt = m_defaultExt;
    }
    if (fileName) {
        std::strncpy(m_fileBuffer, fileName, sizeof m_fileBuffer - 1);
    }
    if (filter) {
        // Every '|' ends a string; the list ends with an extra string end.
        std::string list(filter);
        for (char& ch : list)
            if (ch == '|') ch = '\0';
        list += '\0';
        m_filter = CString(std::move(list));
        m_ofn.lpstrFilter = m_filter.str().c_str();
    }
}

INT_PTR CFileDialog::DoModal() {
    CModalHost& host = AfxGetModalHost();
    BOOL ok = m_openFileDialog ? host.GetOpenFileName(m_ofn) : host.GetSaveFileName(m_ofn);
    return ok ? IDOK : IDCANCEL;
}

CString CFileDialog::GetFileName() const {
    const std::string_view path(m_ofn.lpstrFile ? m_ofn.lpstrFile : "");
    return CString(path.substr(AfxFileNameOffset(path)));
}

CColorDialog::CColorDialog(COLORREF initial, DWORD flags, CWnd* parent) {
    std::memset(&m_cc, 0, sizeof m_cc);
    m_cc.lStructSize = sizeof m_cc;
    m_cc.hwndOwner = OwnerOf(parent);
    m_cc.rgbResult = initial;
    m_cc.Flags = flags | (initial != 0 ? CC_RGBINIT : 0);
    m_cc.lpCustColors = GetSavedCustomColors();
}

COLORREF* CColorDialog::GetSavedCustomColors() {
    static COLORREF custom[16] = {
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)};
    return custom;
}

INT_PTR CColorDialog::DoModal() {
    return AfxGetModalHost().ChooseColor(m_cc) ? IDOK : IDCANCEL;
}
