// The main window's side of the Contrast window: the command that opens it, what keeps it
// up to date with the scheme, the background picture and the view, and its fixes.
#include <algorithm>
#include <memory>
#include <string>

#include "ContrastDlg.h"
#include "SchemeDlg.h"
#include "scheme/ContrastReport.h"

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

// What could reach the aim when no colour of a role's hue can.
const char* WhatCould(FixOutcome outcome, CContrastDlg::Backdrop backdrop) {
    if (outcome == FixOutcome::NoColorOfHue) return "A color of another hue could.";
    return backdrop == CContrastDlg::Backdrop::Picture ? "A calmer picture could."
                                                       : "Another background or text color could.";
}

// "No New Link or Visited Link color of this hue reaches 4.5:1 against the background and 3:1
// against the text. A color of another hue could.": the text's sentence first, then the links
// whose hue has no such colour, then those for which no colour at all has.
std::string NoFixText(const std::vector<std::pair<ColorRole, FixOutcome>>& unfixed, double aim,
                      CContrastDlg::Backdrop backdrop) {
    const std::string reaches =
        std::string(aim == kContrastAAA ? "7:1" : "4.5:1") + " against " + PageName(backdrop);
    const auto sentence = [&](const std::string& names, FixOutcome outcome, bool links) {
        return "No " + names +
               (outcome == FixOutcome::NoColorAtAll ? " color at all reaches "
                                                    : " color of this hue reaches ") +
               reaches + (links ? " and 3:1 against the text. " : ". ") +
               WhatCould(outcome, backdrop);
    };
    std::string text;
    const auto add = [&](const std::string& more) { text += (text.empty() ? "" : " ") + more; };
    for (const auto& [role, outcome] : unfixed)
        if (role == RoleText) add(sentence(RowName(role), outcome, false));
    for (FixOutcome kind : {FixOutcome::NoColorOfHue, FixOutcome::NoColorAtAll}) {
        std::string links;
        for (const auto& [role, outcome] : unfixed)
            if (role != RoleText && outcome == kind)
                links += (links.empty() ? "" : " or ") + std::string(RowName(role));
        if (!links.empty()) add(sentence(links, kind, true));
    }
    return text;
}
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
    const ContrastPage page = CurrentContrastPage();
    m_contrast->Show(CurrentReport(page), page, m_vision);
}

ContrastReport CSchemeDlg::CurrentReport(const ContrastPage& page) const {
    return MakeContrastReport(ColorTable, ReportPagesOf(page), m_contrastAim);
}

ReportPages CSchemeDlg::ReportPagesOf(const ContrastPage& page) const {
    return {page.normal, page.shown, m_vision, page.backdrop == ContrastBackdrop::Picture};
}

ContrastPage CSchemeDlg::CurrentContrastPage() {
    using Backdrop = CContrastDlg::Backdrop;
    static const PageLuminances unreadable;
    const std::string_view name = m_backgroundName.str();
    if (!BackgroundsShown() || !m_backgroundLoaded || !m_hBackground) {
        // White is white in every view.
        const uint32_t page = RoleRgb(ColorTable, RoleBackground);
        m_plainPage = SolidPage(BackgroundsShown() ? 0xFFFFFF : page);
        m_plainPageSeen = SolidPage(BackgroundsShown() ? 0xFFFFFF : SimulateVision(m_vision, page));
        return {BackgroundsShown() ? Backdrop::DefaultWhite : Backdrop::Color, m_plainPage,
                m_plainPageSeen, name};
    }
    // In a view, Normal vision's verdicts need only its outline: a fix meets both.
    const PageLuminances* normal = m_vision == Vision::Normal ? m_picture.Luminances(Vision::Normal)
                                                              : m_picture.NormalOutline();
    const PageLuminances* shown = normal ? m_picture.Luminances(m_vision) : nullptr;
    if (!normal || !shown) return {Backdrop::UnreadablePicture, unreadable, unreadable, name};
    return {Backdrop::Picture, *normal, *shown, name, m_picture.CouldNotShow(m_vision)};
}

void CSchemeDlg::OnContrastAim() {
    if (m_contrast && m_contrast->m_hWnd) m_contrastAim = m_contrast->ChosenAim();
    UpdateContrast();
}

void CSchemeDlg::FixRow(ColorRole role) {
    SchemeStep step(*this, std::string("Fix ") + RowName(role));
    const ContrastPage page = CurrentContrastPage();
    const FixOutcome outcome = FixRole(ColorTable, role, ReportPagesOf(page), CurrentReport(page));
    if (outcome == FixOutcome::NoColorOfHue || outcome == FixOutcome::NoColorAtAll)
        ReportFixes(false, {{role, outcome}});
    else
        ReportFixes(outcome == FixOutcome::Fixed, {});
}

void CSchemeDlg::OnFixAll() {
    SchemeStep step(*this, "Fix All");
    const ContrastPage page = CurrentContrastPage();
    int32_t before[kComponentCount];
    std::copy(ColorTable, ColorTable + kComponentCount, before);
    const auto unfixed = FixAllRoles(ColorTable, ReportPagesOf(page), m_contrastAim);
    ReportFixes(!std::equal(before, before + kComponentCount, ColorTable), unfixed);
}

void CSchemeDlg::ReportFixes(bool fixed,
                             const std::vector<std::pair<ColorRole, FixOutcome>>& unfixed) {
    if (fixed) Refresh(RefreshScope::AllRolesReselected);
    if (unfixed.empty()) return;
    const std::string text = NoFixText(unfixed, m_contrastAim, CurrentContrastPage().backdrop);
    if (m_contrast && m_contrast->m_hWnd)
        m_contrast->SetFixMessage(text.c_str());
    else
        AfxMessageBox(text.c_str(), MB_OK | MB_ICONINFORMATION, 0);
}
