// The main window's side of the Contrast window: the command that opens it, and what keeps it
// up to date with the scheme and the background picture.
#include <memory>

#include "ContrastDlg.h"
#include "SchemeDlg.h"
#include "scheme/Contrast.h"

namespace {
constexpr double kWhiteLuminance = 1.0;
} // namespace

void CSchemeDlg::OnCheckContrast() {
    if (m_contrast && m_contrast->m_hWnd) {
        ::SetActiveWindow(m_contrast->m_hWnd);
        return;
    }
    m_contrast = std::make_unique<CContrastDlg>(this);
    if (!m_contrast->CreateModeless()) throw CException(); // reported as "Command failed."
    UpdateContrast();
    m_contrast->ShowWindow(SW_SHOWNA);
}

void CSchemeDlg::UpdateContrast() {
    if (!m_contrast || !m_contrast->m_hWnd) return;
    using Backdrop = CContrastDlg::Backdrop;
    const std::string& name = m_backgroundName.str();
    if (!BackgroundsShown()) {
        const double background = RelativeLuminance(RoleColorRef(ColorTable, RoleBackground));
        m_contrast->Show(ColorTable, Backdrop::Color, {&background, 1}, name);
    } else if (!m_backgroundLoaded || !m_hBackground) {
        m_contrast->Show(ColorTable, Backdrop::DefaultWhite, {&kWhiteLuminance, 1}, name);
    } else {
        const std::vector<double>& picture = BackgroundLuminances();
        m_contrast->Show(ColorTable,
                         picture.empty() ? Backdrop::UnreadablePicture : Backdrop::Picture, picture,
                         name);
    }
}

const std::vector<double>& CSchemeDlg::BackgroundLuminances() {
    if (m_luminancesOf != m_hBackground) {
        CWaitCursor wait;
        if (!ReadPictureLuminances(m_hBackground, m_backgroundLuminances))
            m_backgroundLuminances.clear();
        m_luminancesOf = m_hBackground;
    }
    return m_backgroundLuminances;
}
