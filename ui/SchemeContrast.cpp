// The main window's side of the Contrast window: the command that opens it, what keeps it
// up to date with the scheme, the background picture and the view, and its fixes.
#include <algorithm>
#include <memory>
#include <string>

#include "ContrastDlg.h"
#include "SchemeDlg.h"
#include "scheme/Apca.h"
#include "scheme/Contrast.h"
#include "scheme/ContrastFix.h"

namespace {
constexpr const char* kRowNames[4] = {"Text", "New Link", "Visited Link", "Active Link"};

const char* RowName(ColorRole role) {
    return kRowNames[std::find(kForegroundRoles, kForegroundRoles + 4, role) - kForegroundRoles];
}

const char* PageName(CContrastDlg::Backdrop backdrop) {
    switch (backdrop) {
    case CContrastDlg::Backdrop::Picture: return "the background picture";
    case CContrastDlg::Backdrop::DefaultWhite: return "the default white";
    default: return "the background";
    }
}

// "No New Link or Visited Link color of this hue reaches 4.5:1 against the background and 3:1
// against the text.": the text's sentence first when it is among them.
std::string NoFixText(const std::vector<ColorRole>& unfixed, double aim,
                      CContrastDlg::Backdrop backdrop) {
    const std::string reaches =
        std::string(aim == kContrastAAA ? "7:1" : "4.5:1") + " against " + PageName(backdrop);
    std::string text, links;
    for (ColorRole role : unfixed) {
        if (role == RoleText)
            text = "No Text color of this hue reaches " + reaches + ".";
        else
            links += (links.empty() ? "" : " or ") + std::string(RowName(role));
    }
    if (!links.empty())
        text += (text.empty() ? "" : " ") + ("No " + links + " color of this hue reaches " +
                                             reaches + " and 3:1 against the text.");
    return text;
}
} // namespace

void CSchemeDlg::OnCheckContrast() {
    if (m_contrast && m_contrast->m_hWnd) {
        ::SetActiveWindow(m_contrast->m_hWnd);
        return;
    }
    m_contrast = std::make_unique<CContrastDlg>(this, m_contrastAim);
    if (!m_contrast->CreateModeless()) throw CException(); // reported as "Command failed."
    UpdateContrast();
    m_contrast->ShowWindow(SW_SHOWNA);
}

void CSchemeDlg::UpdateContrast() {
    if (!m_contrast || !m_contrast->m_hWnd) return;
    m_contrast->Show(ColorTable, CurrentContrastPage(), m_vision);
}

ContrastPage CSchemeDlg::CurrentContrastPage() {
    using Backdrop = CContrastDlg::Backdrop;
    const std::string_view name = m_backgroundName.str();
    if (!BackgroundsShown() || !m_backgroundLoaded || !m_hBackground) {
        // White is white in every view.
        const uint32_t page = BackgroundsShown()
                                  ? 0xFFFFFF
                                  : SimulateVision(m_vision, RoleRgb(ColorTable, RoleBackground));
        m_pageLuminance = RelativeLuminance(page >> 16, (page >> 8) & 0xFF, page & 0xFF);
        m_pageApcaLuminance = ApcaLuminance(page);
        return {BackgroundsShown() ? Backdrop::DefaultWhite : Backdrop::Color,
                {&m_pageLuminance, 1},
                {&m_pageApcaLuminance, 1},
                name};
    }
    const std::vector<double>& picture = BackgroundLuminances();
    return {picture.empty() ? Backdrop::UnreadablePicture : Backdrop::Picture, picture,
            m_backgroundApcaLuminances, name};
}

const std::vector<double>& CSchemeDlg::BackgroundLuminances() {
    const HBITMAP shown = ShownBackground();
    if (m_luminancesOf != shown) {
        CWaitCursor wait;
        if (!ReadPictureLuminances(shown, m_backgroundLuminances, m_backgroundApcaLuminances)) {
            m_backgroundLuminances.clear();
            m_backgroundApcaLuminances.clear();
        }
        m_luminancesOf = shown;
    }
    return m_backgroundLuminances;
}

void CSchemeDlg::OnContrastAim() {
    if (m_contrast) m_contrastAim = m_contrast->Aim();
    UpdateContrast();
}

void CSchemeDlg::FixRow(ColorRole role) {
    SchemeStep step(*this, std::string("Fix ") + RowName(role));
    const ContrastPage page = CurrentContrastPage();
    const FixOutcome outcome = FixRole(ColorTable, role, page.luminances, m_contrastAim, m_vision);
    if (outcome == FixOutcome::NoColor)
        ReportFixes(false, {role});
    else
        ReportFixes(outcome == FixOutcome::Fixed, {});
}

void CSchemeDlg::OnFixAll() {
    SchemeStep step(*this, "Fix All");
    const ContrastPage page = CurrentContrastPage();
    int32_t before[kComponentCount];
    std::copy(ColorTable, ColorTable + kComponentCount, before);
    const std::vector<ColorRole> unfixed =
        FixAllRoles(ColorTable, page.luminances, m_contrastAim, m_vision);
    ReportFixes(!std::equal(before, before + kComponentCount, ColorTable), unfixed);
}

void CSchemeDlg::ReportFixes(bool fixed, const std::vector<ColorRole>& unfixed) {
    if (fixed) Refresh(RefreshScope::AllRolesReselected);
    if (unfixed.empty()) return;
    const std::string text = NoFixText(unfixed, m_contrastAim, CurrentContrastPage().backdrop);
    if (m_contrast && m_contrast->m_hWnd)
        m_contrast->SetFixMessage(text.c_str());
    else
        AfxMessageBox(text.c_str(), MB_OK | MB_ICONINFORMATION, 0);
}
