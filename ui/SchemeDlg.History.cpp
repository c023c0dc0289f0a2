// Undo and Redo over the scheme's changes, the menu items that name them, and the question
// that keeps a changed scheme from being lost when the window ends.
#include <algorithm>
#include <exception>
#include <string>
#include <utility>

#include "SchemeDlg.h"

namespace {
constexpr const char* kSaveQuestion = "Save changes to the scheme?";

// "&Undo Fix All \tCtrl+Z"; "&Undo \tCtrl+Z" when there is no step.
std::string ItemText(const char* verb, const std::string& step, const char* keys) {
    return verb + (step.empty() ? "" : " " + step) + " \t" + keys;
}
} // namespace

SchemeState CSchemeDlg::CurrentScheme() const {
    SchemeState state;
    std::copy(ColorTable, ColorTable + kComponentCount, state.components.begin());
    state.backgroundPath = m_backgroundPath.str();
    state.backgroundName = m_backgroundName.str();
    state.backgroundsShown = BackgroundsShown();
    return state;
}

CSchemeDlg::SchemeStep::SchemeStep(CSchemeDlg& dlg, std::string name)
    : m_dlg(dlg), m_name(std::move(name)), m_exceptions(std::uncaught_exceptions()) {
    m_dlg.EndSliderStep();
    m_before = m_dlg.CurrentScheme();
}

CSchemeDlg::SchemeStep::~SchemeStep() noexcept(false) {
    if (std::uncaught_exceptions() == m_exceptions)
        m_dlg.m_history.Record(std::move(m_name), std::move(m_before), m_dlg.CurrentScheme());
}

const char* CSchemeDlg::RoleStepName(ColorRole role) {
    switch (role) {
    case RoleText: return "Text Color";
    case RoleLink: return "New Link Color";
    case RoleVisitedLink: return "Visited Link Color";
    case RoleActiveLink: return "Active Link Color";
    default: return "Background Color";
    }
}

void CSchemeDlg::BeginSliderStep() {
    if (m_sliderStepBefore && m_sliderStepRole == m_currentRole) return;
    EndSliderStep();
    m_sliderStepBefore = CurrentScheme();
    m_sliderStepRole = m_currentRole;
}

void CSchemeDlg::EndSliderStep() {
    if (!m_sliderStepBefore) return;
    SchemeState before = std::move(*m_sliderStepBefore);
    m_sliderStepBefore.reset();
    m_history.Record(RoleStepName(m_sliderStepRole), std::move(before), CurrentScheme());
}

void CSchemeDlg::OnEditUndo() {
    EndSliderStep();
    if (m_history.CanUndo()) PutScheme(m_history.Undo());
}

void CSchemeDlg::OnEditRedo() {
    EndSliderStep();
    if (m_history.CanRedo()) PutScheme(m_history.Redo());
}

void CSchemeDlg::PutScheme(const SchemeState& state) {
    const SchemeState now = CurrentScheme();
    // A step that changed only the current role's colour is put back as a slider sets it.
    bool currentRoleOnly = state.backgroundPath == now.backgroundPath &&
                           state.backgroundName == now.backgroundName &&
                           state.backgroundsShown == now.backgroundsShown;
    for (int i = 0; i < kComponentCount; ++i)
        if (state.components[i] != now.components[i] && i / 3 != m_currentRole - RoleBackground)
            currentRoleOnly = false;

    std::copy(state.components.begin(), state.components.end(), ColorTable);
    m_backgroundName = CString(state.backgroundName);
    if (state.backgroundPath != now.backgroundPath) {
        m_backgroundPath = CString(state.backgroundPath);
        ReloadBackground();
    }
    if (state.backgroundsShown != now.backgroundsShown) {
        if (state.backgroundsShown)
            TickShowBackgrounds();
        else
            HideBackgrounds();
    }
    if (currentRoleOnly) {
        // Only the sliders that moved, as the change itself moved them.
        for (int channel = 0; channel < 3; ++channel) {
            const int index = ComponentIndex(m_currentRole, channel);
            if (state.components[index] == now.components[index]) continue;
            CScrollBar(GetDlgItem(kSliderIds[channel]).m_hWnd).SetScrollPos(ColorTable[index]);
            SetDlgItemText(kValueIds[channel], Decimal(ColorTable[index]));
        }
        Refresh(RefreshScope::CurrentRole);
    } else {
        Refresh(RefreshScope::AllRolesReselected);
    }
}

void CSchemeDlg::ReloadBackground() {
    // A picture that cannot be read now keeps the step's path and name, with nothing shown.
    if (!m_backgroundPath.IsEmpty() && LoadBackgroundFile(m_backgroundPath, m_backgroundName))
        return;
    SetBackgroundBitmap(nullptr);
    m_backgroundLoaded = 0;
}

void CSchemeDlg::OnInitMenuPopup(CMenu, UINT, BOOL sysMenu) {
    if (sysMenu) return;
    EndSliderStep();
    CMenu menu = GetMenu();
    menu.SetCommandText(ID_EDIT_UNDO, ItemText("&Undo", m_history.UndoName(), "Ctrl+Z").c_str(),
                        m_history.CanUndo());
    menu.SetCommandText(ID_EDIT_REDO, ItemText("Re&do", m_history.RedoName(), "Ctrl+Y").c_str(),
                        m_history.CanRedo());
}

void CSchemeDlg::OnCancel() {
    if (MayEnd()) CDialog::OnCancel();
}

bool CSchemeDlg::MayEnd() {
    EndSliderStep();
    if (CurrentScheme() == m_savedScheme) return true;
    switch (AfxMessageBox(kSaveQuestion, MB_YESNOCANCEL | MB_ICONEXCLAMATION, 0)) {
    case IDYES: return SaveScheme();
    case IDNO: return true;
    default: return false;
    }
}
