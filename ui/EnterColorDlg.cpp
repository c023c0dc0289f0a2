#include "EnterColorDlg.h"

#include "scheme/CssColor.h"

namespace {
CString Hex(uint32_t rgb) {
    CString text;
    text.Format("#%06X", static_cast<unsigned>(rgb & 0xFFFFFF));
    return text;
}
} // namespace

// clang-format off
BEGIN_MESSAGE_MAP(CEnterColorDlg, CDialog)
    ON_CONTROL(EN_CHANGE, IDC_ENTER_COLOR_TEXT, &CEnterColorDlg::OnTextChange)
    ON_WM_CTLCOLORSTATIC()
END_MESSAGE_MAP()
// clang-format on

CEnterColorDlg::~CEnterColorDlg() {
    if (m_swatch) ::DeleteObject(m_swatch);
}

BOOL CEnterColorDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_ENTER_COLOR_LABEL, m_label);
    CWnd edit = GetDlgItem(IDC_ENTER_COLOR_TEXT);
    edit.SetWindowText(Hex(m_rgb));
    OnTextChange();
    // Selected, so that typing replaces the whole colour.
    edit.SendMessage(EM_SETSEL, 0, -1);
    ::SetFocus(edit.m_hWnd);
    return FALSE; // the focus is set
}

void CEnterColorDlg::OnTextChange() {
    const ColorReading reading =
        ReadCssColor(GetDlgItem(IDC_ENTER_COLOR_TEXT).GetWindowText().str());
    m_readable = reading.rgb.has_value();
    if (m_readable) {
        m_shown = *reading.rgb;
        if (m_swatch) ::DeleteObject(m_swatch);
        m_swatch =
            ::CreateSolidBrush(RGB((m_shown >> 16) & 0xFF, (m_shown >> 8) & 0xFF, m_shown & 0xFF));
    }
    SetDlgItemText(IDC_ENTER_COLOR_RESULT, m_readable ? Hex(m_shown) : CString());
    SetDlgItemText(IDC_ENTER_COLOR_REASON, m_readable ? "" : reading.reason.c_str());
    ::EnableWindow(GetDlgItem(IDOK).m_hWnd, m_readable);
    ::InvalidateRect(GetDlgItem(IDC_ENTER_COLOR_SWATCH).m_hWnd, nullptr, TRUE);
}

HBRUSH CEnterColorDlg::OnCtlColorStatic(HWND control) {
    // The swatch is left to the dialog's colour while the text is no colour.
    if (control != GetDlgItem(IDC_ENTER_COLOR_SWATCH).m_hWnd || !m_readable) return nullptr;
    return m_swatch;
}

void CEnterColorDlg::OnOK() {
    // Enter reaches OK even while it is disabled.
    if (!m_readable) return;
    m_rgb = m_shown;
    CDialog::OnOK();
}
