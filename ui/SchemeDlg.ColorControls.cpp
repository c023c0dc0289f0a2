// The role buttons, the sliders, the colour picker, the background toggle and the reset.
#include "SchemeDlg.h"

#include <algorithm>

#include "EnterColorDlg.h"
#include "ScreenPicker.h"

namespace {
constexpr int kLineStep = 1;
constexpr int kPageStep = 10;
} // namespace

void CSchemeDlg::SelectRole(ColorRole role) {
    m_currentRole = role;
    for (int channel = 0; channel < 3; ++channel) {
        int32_t value = ColorTable[ComponentIndex(role, channel)];
        CScrollBar(GetDlgItem(kSliderIds[channel]).m_hWnd).SetScrollPos(value, TRUE);
        SetDlgItemText(kValueIds[channel], Decimal(value));
    }
}

void CSchemeDlg::OnHScroll(UINT sbCode, UINT pos, CScrollBar* scrollBar) {
    int position = scrollBar->GetScrollPos();
    switch (sbCode) {
    case SB_LINELEFT: scrollBar->SetScrollPos(std::max(position - kLineStep, kSliderMin)); break;
    case SB_LINERIGHT: scrollBar->SetScrollPos(std::min(position + kLineStep, kSliderMax)); break;
    case SB_PAGELEFT: scrollBar->SetScrollPos(std::max(position - kPageStep, kSliderMin)); break;
    case SB_PAGERIGHT: scrollBar->SetScrollPos(std::min(position + kPageStep, kSliderMax)); break;
    case SB_THUMBTRACK: scrollBar->SetScrollPos(static_cast<int>(pos)); break;
    case SB_LEFT: scrollBar->SetScrollPos(kSliderMin); break;  // Home
    case SB_RIGHT: scrollBar->SetScrollPos(kSliderMax); break; // End
    default: break; // SB_THUMBPOSITION and SB_ENDSCROLL leave the thumb
    }
    // Every notification stores and refreshes, also those that left the thumb in place.
    int value = scrollBar->GetScrollPos();
    // The red, green and blue sliders have consecutive ids.
    const int channel = scrollBar->GetDlgCtrlID() - IDC_RED_SLIDER;
    if (channel < ChannelRed || channel > ChannelBlue || !IsColorRole(m_currentRole)) return;
    // A click, a key or a whole drag is one step, up to the SB_ENDSCROLL that ends it.
    BeginSliderStep();
    SetDlgItemText(kValueIds[channel], Decimal(value));
    ColorTable[ComponentIndex(m_currentRole, channel)] = value;
    Refresh(RefreshScope::CurrentRole);
    if (sbCode == SB_ENDSCROLL) EndSliderStep();
}

void CSchemeDlg::OnColorPicker() {
    CColorDialog picker(0, 0, nullptr);
    if (picker.DoModal() != IDOK) return;
    const COLORREF color = picker.GetColor();
    TakeColor(PackRgb(GetRValue(color), GetGValue(color), GetBValue(color)));
}

void CSchemeDlg::TakeColor(uint32_t rgb) {
    if (!IsColorRole(m_currentRole)) return;
    SchemeStep step(*this, RoleStepName(m_currentRole));
    SetRoleRgb(ColorTable, m_currentRole, rgb);
    RunRoleHandler(m_currentRole);
    Refresh(RefreshScope::CurrentRole);
}

void CSchemeDlg::OnPickFromScreen() {
    CScreenPicker picker;
    if (const std::optional<uint32_t> rgb = picker.Pick(m_hWnd)) TakeColor(*rgb);
}

void CSchemeDlg::OnEnterColor() {
    if (!IsColorRole(m_currentRole)) return;
    // Labelled as the role's button names it.
    CEnterColorDlg dialog(GetDlgItem(m_currentRole).GetWindowText() + ":",
                          RoleRgb(ColorTable, m_currentRole), this);
    if (dialog.DoModal() == IDOK) TakeColor(dialog.GetColor());
}

void CSchemeDlg::HideBackgrounds() {
    CMenu tools = ToolsMenu();
    // The check mark's previous state, MF_CHECKED, is the flag's "hidden" value.
    m_solidBackground =
        static_cast<int>(tools.CheckMenuItem(kShowBackgroundsPos, MF_BYPOSITION | MF_UNCHECKED));
    tools.EnableMenuItem(kLoadBackgroundPos, MF_BYPOSITION | MF_GRAYED);
}

void CSchemeDlg::TickShowBackgrounds() {
    // Ticked again, the item's previous state would read as "hidden".
    if (BackgroundsShown()) return;
    CMenu tools = ToolsMenu();
    m_solidBackground =
        static_cast<int>(tools.CheckMenuItem(kShowBackgroundsPos, MF_BYPOSITION | MF_CHECKED));
    tools.EnableMenuItem(kLoadBackgroundPos, MF_BYPOSITION | MF_ENABLED);
    if (!m_hBackground) m_backgroundLoaded = 0;
}

void CSchemeDlg::OnShowBackgrounds() {
    SchemeStep step(*this, "Show Backgrounds");
    if (ToolsMenu().GetMenuState(kShowBackgroundsPos, MF_BYPOSITION) == 0)
        TickShowBackgrounds();
    else
        HideBackgrounds();
    Refresh(RefreshScope::CurrentRole);
}

void CSchemeDlg::OnResetColors() {
    SchemeStep step(*this, "Reset Colors");
    ResetColorTable(ColorTable);
    if (BackgroundsShown()) HideBackgrounds();
    Refresh(RefreshScope::AllRolesReselected);
}

void CSchemeDlg::ReselectRoles() {
    // The other link and text roles in ascending order, then the background, then the current.
    const ColorRole current = m_currentRole;
    for (ColorRole role : {RoleText, RoleLink, RoleVisitedLink, RoleActiveLink})
        if (role != current) RunRoleHandler(role);
    if (current != RoleBackground) RunRoleHandler(RoleBackground);
    RunRoleHandler(current);
}

void CSchemeDlg::RunRoleHandler(ColorRole role) {
    switch (role) {
    case RoleBackground: OnBackgroundColor(); break;
    case RoleText: OnTextColor(); break;
    case RoleLink: OnLinkColor(); break;
    case RoleVisitedLink: OnVisitedLinkColor(); break;
    case RoleActiveLink: OnActiveLinkColor(); break;
    }
}
