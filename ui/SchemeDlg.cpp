#include "SchemeDlg.h"

#include "AboutDlg.h"
#include "ContrastDlg.h"
#include "framework/ModalHost.h"
#include "scheme/BodyTag.h"
#include "scheme/SchemeExport.h"
#include "scheme/StyleSheet.h"

namespace {
// System menu entries removed by position: Restore, then Size, then Maximize.
constexpr UINT kSystemMenuRemovals[3] = {0, 1, 2};
// The page that the help opens at: the HTML Help file's default topic (help/Tintwright.hhp).
constexpr const char* kHelpFirstPage = "welcome.htm";
constexpr const char* kClipboardUnavailable =
    "Nothing was copied: the clipboard could not be used.\n"
    "Another program may be holding it open; please try again.";
} // namespace

// clang-format off
BEGIN_MESSAGE_MAP(CSchemeDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_HSCROLL()
    ON_WM_INITMENUPOPUP()
    ON_COMMAND(ID_TOOLS_COLORPICKER, &CSchemeDlg::OnColorPicker)
    ON_COMMAND(ID_TOOLS_SHOWBACKGROUNDS, &CSchemeDlg::OnShowBackgrounds)
    ON_COMMAND(ID_HELP_ABOUT, &CSchemeDlg::OnAbout)
    ON_BN_CLICKED(IDC_BACKGROUND_COLOR, &CSchemeDlg::OnBackgroundColor)
    ON_BN_CLICKED(IDC_TEXT_COLOR, &CSchemeDlg::OnTextColor)
    ON_BN_CLICKED(IDC_LINK_COLOR, &CSchemeDlg::OnLinkColor)
    ON_BN_CLICKED(IDC_VLINK_COLOR, &CSchemeDlg::OnVisitedLinkColor)
    ON_BN_CLICKED(IDC_ALINK_COLOR, &CSchemeDlg::OnActiveLinkColor)
    ON_COMMAND(ID_SCHEMES_OPEN, &CSchemeDlg::OnOpenScheme)
    ON_COMMAND(ID_SCHEMES_SAVE, &CSchemeDlg::OnSaveScheme)
    ON_COMMAND(ID_TOOLS_LOADBACKGROUND, &CSchemeDlg::OnLoadBackground)
    ON_COMMAND(ID_EDIT_COPY, &CSchemeDlg::OnEditCopy)
    ON_COMMAND(ID_EDIT_COPYTAG, &CSchemeDlg::OnCopyTag)
    ON_COMMAND(ID_EDIT_RESETCOLORS, &CSchemeDlg::OnResetColors)
    ON_COMMAND(ID_EDIT_CHANGETITLE, &CSchemeDlg::OnChangeTitle)
    ON_COMMAND(ID_HELP, &CSchemeDlg::OnHelpFinder)
    ON_COMMAND(ID_EDIT_COPYCSS, &CSchemeDlg::OnCopyCss)
    ON_COMMAND(ID_TOOLS_CHECKCONTRAST, &CSchemeDlg::OnCheckContrast)
    ON_COMMAND(ID_TOOLS_FIXCONTRAST, &CSchemeDlg::OnFixContrast)
    ON_COMMAND(IDC_CONTRAST_FIX_TEXT, &CSchemeDlg::OnFixText)
    ON_COMMAND(IDC_CONTRAST_FIX_LINK, &CSchemeDlg::OnFixLink)
    ON_COMMAND(IDC_CONTRAST_FIX_VLINK, &CSchemeDlg::OnFixVisitedLink)
    ON_COMMAND(IDC_CONTRAST_FIX_ALINK, &CSchemeDlg::OnFixActiveLink)
    ON_COMMAND(IDC_CONTRAST_FIX_ALL, &CSchemeDlg::OnFixAll)
    ON_COMMAND(IDC_CONTRAST_AIM, &CSchemeDlg::OnContrastAim)
    ON_COMMAND(ID_VISION_NORMAL, &CSchemeDlg::OnNormalVision)
    ON_COMMAND(ID_VISION_PROTANOPIA, &CSchemeDlg::OnProtanopia)
    ON_COMMAND(ID_VISION_DEUTERANOPIA, &CSchemeDlg::OnDeuteranopia)
    ON_COMMAND(ID_VISION_TRITANOPIA, &CSchemeDlg::OnTritanopia)
    ON_COMMAND(ID_VISION_ACHROMATOPSIA, &CSchemeDlg::OnAchromatopsia)
    ON_COMMAND(ID_SCHEMES_OPENPAGE, &CSchemeDlg::OnOpenPageColors)
    ON_COMMAND(ID_SCHEMES_APPLYPAGE, &CSchemeDlg::OnApplyToPage)
    ON_COMMAND(ID_SCHEMES_APPLYSTYLE, &CSchemeDlg::OnApplyStyleSheet)
    ON_COMMAND(ID_TOOLS_PICKSCREEN, &CSchemeDlg::OnPickFromScreen)
    ON_COMMAND(ID_EDIT_ENTERCOLOR, &CSchemeDlg::OnEnterColor)
    ON_COMMAND(ID_EDIT_PASTECOLORS, &CSchemeDlg::OnPasteColors)
    ON_COMMAND(ID_EDIT_UNDO, &CSchemeDlg::OnEditUndo)
    ON_COMMAND(ID_EDIT_REDO, &CSchemeDlg::OnEditRedo)
    ON_COMMAND(ID_TOOLS_PREVIEWBROWSER, &CSchemeDlg::OnPreviewInBrowser)
    ON_COMMAND(ID_EDIT_COPYCSSVARS, &CSchemeDlg::OnCopyCssVariables)
    ON_COMMAND(ID_EDIT_COPYTOKENS, &CSchemeDlg::OnCopyDesignTokens)
    ON_WM_DROPFILES()
    ON_MESSAGE_VOID(kOpenStartFileMessage, &CSchemeDlg::OnOpenStartFile)
END_MESSAGE_MAP()
// clang-format on

CSchemeDlg::CSchemeDlg(CWnd* parent) : CDialog(IDD, parent) {
    HINSTANCE module = AfxGetApp() ? AfxGetApp()->m_hInstance : ::GetModuleHandleW(nullptr);
    m_hIcon = ::LoadIconW(module, MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CSchemeDlg::~CSchemeDlg() {
    RemovePreviewFiles();
}

void CSchemeDlg::SetBackgroundBitmap(HBITMAP bitmap) {
    m_picture.Replace(bitmap);
    m_hBackground = m_picture.Bitmap();
}

BOOL CSchemeDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    m_backgroundLoaded = 0;

    for (int channel = 0; channel < 3; ++channel) {
        CScrollBar bar(GetDlgItem(kSliderIds[channel]).m_hWnd);
        bar.SetScrollRange(kSliderMin, kSliderMax, TRUE);
        bar.SetScrollPos(ColorTable[channel], TRUE);
        SetDlgItemText(kValueIds[channel], Decimal(ColorTable[channel]));
    }
    m_currentRole = RoleBackground;
    GetDlgItem(IDC_BACKGROUND_COLOR).SendMessage(BM_SETCHECK, BST_CHECKED);

    CMenu systemMenu = GetSystemMenu(FALSE);
    for (UINT position : kSystemMenuRemovals)
        systemMenu.DeleteMenu(position, MF_BYPOSITION);
    DrawMenuBar();

    m_bgcolorHex = "FFEBD7";
    m_textHex = "000000";
    m_linkHex = "008200";
    m_vlinkHex = "551A8B";
    m_alinkHex = "EE0000";
    RebuildTag();
    m_savedScheme = CurrentScheme();
    // What DragAcceptFiles does, without loading the shell at the start.
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE,
                        ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
    if (!m_startFile.IsEmpty()) ::PostMessageW(m_hWnd, kOpenStartFileMessage, 0, 0);
    return TRUE;
}

BOOL CSchemeDlg::PreTranslateMessage(MSG* msg) {
    // The accelerator's command runs now; the keystroke still reaches the dialog below.
    if (!IsTagBoxEditingKey(*msg)) TranslateAccelerators(msg);
    return CDialog::PreTranslateMessage(msg);
}

bool CSchemeDlg::IsTagBoxEditingKey(const MSG& msg) const {
    if (msg.message != WM_KEYDOWN || msg.hwnd != GetDlgItem(IDC_BODY_TAG).m_hWnd) return false;
    if (::GetKeyState(VK_CONTROL) >= 0 || ::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_MENU) < 0)
        return false;
    // Cut, copy, paste and undo, as in any edit box; Ctrl+X is File > Exit everywhere else.
    switch (msg.wParam) {
    case 'X':
    case 'C':
    case 'V':
    case 'Z': return true;
    default: return false;
    }
}

BOOL CSchemeDlg::TranslateAccelerators(MSG* msg) {
    CWinApp* app = AfxGetApp();
    return app && app->m_hAccelTable && ::TranslateAcceleratorW(m_hWnd, app->m_hAccelTable, msg);
}

// ---- The hex texts and the tag ----

CString CSchemeDlg::Decimal(int value) {
    CString text;
    text.Format("%d", value);
    return text;
}

CString& CSchemeDlg::HexMember(ColorRole role) {
    switch (role) {
    case RoleText: return m_textHex;
    case RoleLink: return m_linkHex;
    case RoleVisitedLink: return m_vlinkHex;
    case RoleActiveLink: return m_alinkHex;
    default: return m_bgcolorHex;
    }
}

void CSchemeDlg::UpdateCurrentHex() {
    if (!IsColorRole(m_currentRole)) return;
    HexMember(m_currentRole) = HexColor(ColorTable, m_currentRole);
}

void CSchemeDlg::UpdateAllHex() {
    for (ColorRole role : kRoles)
        HexMember(role) = HexColor(ColorTable, role);
}

bool CSchemeDlg::BackgroundsShown() const {
    return ToolsMenu().GetMenuState(kShowBackgroundsPos, MF_BYPOSITION) == MF_CHECKED;
}

BodyTagInputs CSchemeDlg::TagInputs() const {
    BodyTagInputs inputs;
    inputs.bgcolorHex = m_bgcolorHex.str();
    inputs.textHex = m_textHex.str();
    inputs.linkHex = m_linkHex.str();
    inputs.vlinkHex = m_vlinkHex.str();
    inputs.alinkHex = m_alinkHex.str();
    inputs.backgroundName = m_backgroundName.str();
    inputs.backgroundForm = BackgroundsShown();
    return inputs;
}

void CSchemeDlg::RebuildTag() {
    GetDlgItem(IDC_BODY_TAG).SetWindowText(ComposeBodyTag(TagInputs()).c_str());
}

void CSchemeDlg::InvalidatePreview() {
    const RECT page = ScaledPreviewRect();
    InvalidateRect(&page, TRUE);
}

void CSchemeDlg::Refresh(RefreshScope scope) {
    if (scope == RefreshScope::CurrentRole)
        UpdateCurrentHex();
    else
        UpdateAllHex();
    RebuildTag();
    InvalidatePreview();
    if (scope == RefreshScope::AllRolesReselected) ReselectRoles();
    UpdateContrast();
}

void CSchemeDlg::OnEditCopy() {
    GetDlgItem(IDC_BODY_TAG).SendMessage(WM_COPY);
}

void CSchemeDlg::OnCopyTag() {
    CWnd tag = GetDlgItem(IDC_BODY_TAG);
    tag.SendMessage(EM_SETSEL, 0, -1);
    tag.SendMessage(EM_SCROLLCARET);
    tag.SendMessage(WM_COPY);
    tag.SendMessage(EM_SETSEL, 0, 0);
    tag.SendMessage(EM_SCROLLCARET);
}

void CSchemeDlg::OnCopyCss() {
    const std::string css =
        ComposeStyleSheet(ColorTable, m_backgroundName.str(), BackgroundsShown());
    if (!SetClipboardText(css)) AfxMessageBox(kClipboardUnavailable, MB_OK | MB_ICONEXCLAMATION, 0);
}

void CSchemeDlg::OnCopyCssVariables() {
    const std::string css =
        ComposeCssVariables(ColorTable, m_backgroundName.str(), BackgroundsShown());
    if (!SetClipboardText(css)) AfxMessageBox(kClipboardUnavailable, MB_OK | MB_ICONEXCLAMATION, 0);
}

void CSchemeDlg::OnCopyDesignTokens() {
    const std::string tokens =
        ComposeDesignTokens(ColorTable, m_backgroundName.str(), BackgroundsShown());
    if (!SetClipboardText(tokens))
        AfxMessageBox(kClipboardUnavailable, MB_OK | MB_ICONEXCLAMATION, 0);
}

// ---- Help and About ----

void CSchemeDlg::OnAbout() {
    CAboutDlg about;
    about.DoModal();
}

void CSchemeDlg::OnHelpFinder() {
    CWinApp* app = AfxGetApp();
    // Where HTML Help would show empty pages, the same pages in the desktop's browser; the HTML
    // Help file where it was installed; the help engine's file otherwise.
    if (!AfxGetModalHost().HtmlHelpDrawsPages() && app->HasHelpPage(kHelpFirstPage))
        app->BrowseHelp(kHelpFirstPage);
    else if (app->HasHtmlHelpFile())
        app->HtmlHelp(0, HH_DISPLAY_TOC);
    else
        app->WinHelp(0, HELP_FINDER);
}
