// The main window: a modal dialog that edits the colour scheme and shows the BODY tag
// and a sample homepage drawn in the scheme's colours.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Afx.h"
#include <shellapi.h> // HDROP, after windows.h

#include "res/resource.h"
#include "scheme/BodyTag.h"
#include "scheme/ColorScheme.h"
#include "scheme/Contrast.h"
#include "scheme/ContrastReport.h"
#include "scheme/PageText.h"
#include "scheme/UndoHistory.h"
#include "scheme/Vision.h"
#include "PagePicture.h"

class CDC;
struct PastedColors;
class CContrastDlg;
class MappedPage;
struct ContrastPage;

// The inside of the sample page's inner frame, in client pixels at 96 DPI (ScaledPreviewRect
// gives the window's); right and bottom exclusive.
inline constexpr RECT PreviewRect = {29, 293, 387, 421};

// The image-failure message for a GetLastImgLibError code, shared by every command that decodes:
// its second line names the picture's file and why it failed (systemError: GetLastError, read
// right after the failed call).
CString ImageFailureMessage(int32_t code, const CString& path, DWORD systemError);

class CSchemeDlg : public CDialog {
public:
    enum { IDD = IDD_SCHEME_DIALOG };
    // The Tools pop-up and its items, found by position.
    enum { kToolsMenuPos = 2, kShowBackgroundsPos = 0, kLoadBackgroundPos = 1 };
    // Posted to itself once the window is up, to open the file named on the command line.
    static constexpr UINT kOpenStartFileMessage = WM_APP + 1080;
    // The sliders and their number labels, red, green, blue.
    static constexpr int kSliderIds[3] = {IDC_RED_SLIDER, IDC_GREEN_SLIDER, IDC_BLUE_SLIDER};
    static constexpr int kValueIds[3] = {IDC_RED_VALUE, IDC_GREEN_VALUE, IDC_BLUE_VALUE};
    static constexpr int kSliderMin = 0;
    static constexpr int kSliderMax = 255;

    explicit CSchemeDlg(CWnd* parent = nullptr);
    ~CSchemeDlg() override;

    BOOL PreTranslateMessage(MSG* msg) override;
    // Accelerator table 136, also while the Contrast window is active.
    BOOL TranslateAccelerators(MSG* msg) override;
    // Whether msg is a key that the focused tag box keeps for itself instead of the accelerators.
    bool IsTagBoxEditingKey(const MSG& msg) const;
    // The file named on the command line, opened once the window is up; before DoModal.
    void SetStartFile(const CString& path) { m_startFile = path; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {} // Enter never ends the main window
    // Esc, Exit and the close box: asks to save a changed scheme first.
    void OnCancel() override;

    // What a change of ColorTable or of the background touched: the current role's components
    // only, or every component (after which the sliders show the current role's values again).
    enum class RefreshScope { CurrentRole, AllRolesReselected };
    // Every change ends here: the hex texts of the scope, the tag, the sample page, for all
    // roles the role reselection, and the Contrast window if open.
    void Refresh(RefreshScope scope);
    // The steps of the refresh.
    void UpdateCurrentHex();
    void UpdateAllHex();
    BodyTagInputs TagInputs() const; // the tag's colours and picture as the window holds them
    void RebuildTag();
    void InvalidatePreview();
    void ReselectRoles();
    void SelectRole(ColorRole role);
    CString& HexMember(ColorRole role);
    bool BackgroundsShown() const;
    // The "&Tools" pop-up, whose first two items carry the background state.
    CMenu ToolsMenu() const { return GetMenu().GetSubMenu(kToolsMenuPos); }

    // Painting the sample page.
    void OnPaint();
    void TileBackground(CDC* dc);
    // PreviewRect scaled as the dialog's controls are at the window's DPI.
    RECT ScaledPreviewRect() const;
    HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(m_hIcon); }

    // Colour controls.
    void OnBackgroundColor() { SelectRole(RoleBackground); }
    void OnTextColor() { SelectRole(RoleText); }
    void OnLinkColor() { SelectRole(RoleLink); }
    void OnVisitedLinkColor() { SelectRole(RoleVisitedLink); }
    void OnActiveLinkColor() { SelectRole(RoleActiveLink); }
    void RunRoleHandler(ColorRole role);
    void HideBackgrounds();
    static CString Decimal(int value);
    void OnHScroll(UINT sbCode, UINT pos, CScrollBar* scrollBar);
    void OnColorPicker();
    // Sets the current role to rgb (0xRRGGBB), then refreshes as the colour picker's OK does.
    void TakeColor(uint32_t rgb);
    // Tools > Pick from Screen: the colour of a pixel anywhere on the screen.
    void OnPickFromScreen();
    // Edit > Enter Color: the current role's colour typed as a style sheet writes it.
    void OnEnterColor();
    void OnShowBackgrounds();
    void OnResetColors();

    // Background images and scheme files.
    void OnLoadBackground();
    // Decodes the picture at path and makes it the page's, named name: what every command that
    // loads a picture goes through. On a failure it says why (with more, a further line) and
    // changes nothing.
    bool LoadBackgroundFile(const CString& path, const CString& name, const CString& more = "");
    // After a picture of the ImgLibFormat format was loaded: for a format that web browsers do
    // not show, asks whether to save a PNG copy, saves it, and makes the copy the background.
    void OfferPngCopy(int32_t format);
    void OnOpenScheme();
    // Opens the scheme file at path as Open A Scheme does once its file is chosen.
    void OpenSchemeFile(const CString& schemePath);
    void OnSaveScheme();

    // HTML pages: a page's colours read into the scheme; the scheme written into a page's BODY
    // tag or into a style element of its own.
    void OnOpenPageColors();
    // Takes the colours of the page at path as Open Page Colors does once its file is chosen.
    void OpenPageFile(const CString& path);
    void OnApplyToPage();
    void OnApplyStyleSheet();
    // The page chosen for an Apply, read whole; false when cancelled or refused with a message.
    bool ChoosePageToApply(CString& path, std::unique_ptr<MappedPage>& page,
                           PageEncoding& encoding);
    // Whether to write the tag when the page's style sheet sets colours that it sets: asks.
    bool ConfirmTagUnderStyleSheet(const CString& path, std::string_view page,
                                   const PageEncoding& encoding, bool backgroundForm);
    // How the page at pagePath names the picture; false when the author cancelled.
    bool PagePictureName(const CString& pagePath, std::string& name);

    // The tag and the clipboard.
    void OnEditCopy();
    void OnCopyTag();
    void OnCopyCss();
    // Edit > Copy as CSS Variables and Copy as Design Tokens, as Copy as CSS copies.
    void OnCopyCssVariables();
    void OnCopyDesignTokens();

    // The Contrast window: opened, or brought forward when open; brought up to date.
    void OnCheckContrast();
    void UpdateContrast();
    // What stands behind the sample page's text, in Normal vision and as the view shows it.
    ContrastPage CurrentContrastPage();
    // The Contrast window's figures for page at the aim, which Fix reads as well.
    ContrastReport CurrentReport(const ContrastPage& page) const;
    ReportPages ReportPagesOf(const ContrastPage& page) const;

    // The Contrast window's fixes, and Tools > Fix Contrast: Fix All at the window's aim.
    void OnFixText() { FixRow(RoleText); }
    void OnFixLink() { FixRow(RoleLink); }
    void OnFixVisitedLink() { FixRow(RoleVisitedLink); }
    void OnFixActiveLink() { FixRow(RoleActiveLink); }
    void OnFixAll();
    void OnFixContrast() { OnFixAll(); }
    void OnContrastAim();
    void FixRow(ColorRole role);
    // Refreshes after a fix, then says which roles no colour of their hue could fix.
    void ReportFixes(bool fixed, const std::vector<std::pair<ColorRole, FixOutcome>>& unfixed);

    // Tools > Simulate Vision: how the sample page and the Contrast window show the colours.
    void OnNormalVision() { SetVision(Vision::Normal); }
    void OnProtanopia() { SetVision(Vision::Protanopia); }
    void OnDeuteranopia() { SetVision(Vision::Deuteranopia); }
    void OnTritanopia() { SetVision(Vision::Tritanopia); }
    void OnAchromatopsia() { SetVision(Vision::Achromatopsia); }
    void SetVision(Vision view);
    // The picture as the view shows it: itself in Normal view, else the part of it that the
    // page shows, as the view shows it; null when that could not be made.
    HBITMAP ShownBackground();
    // The sample frame's caption for the view, saying when the picture could not be drawn.
    void UpdateSampleFrame();

    void OnChangeTitle();
    void OnAbout();
    void OnHelpFinder();

    // Undo and Redo: every change of the scheme is one named step of m_history.
    SchemeState CurrentScheme() const;
    // One change of the scheme, from the guard's making to its end (an exception leaves none).
    class SchemeStep {
    public:
        SchemeStep(CSchemeDlg& dlg, std::string name);
        ~SchemeStep() noexcept(false);
        SchemeStep(const SchemeStep&) = delete;
        SchemeStep& operator=(const SchemeStep&) = delete;

    private:
        CSchemeDlg& m_dlg;
        std::string m_name;
        SchemeState m_before;
        int m_exceptions;
    };
    // A slider's notifications up to its SB_ENDSCROLL make one step, ended early by any other.
    void BeginSliderStep();
    void EndSliderStep();
    static const char* RoleStepName(ColorRole role);
    void OnEditUndo();
    void OnEditRedo();
    // Puts a state of the history back, with the refresh of any change.
    void PutScheme(const SchemeState& state);
    // The picture at m_backgroundPath, decoded afresh; none for an empty path or a failure.
    void ReloadBackground();
    void TickShowBackgrounds();
    // The Undo and Redo items name their steps, written when a menu opens.
    void OnInitMenuPopup(CMenu popup, UINT index, BOOL sysMenu);
    // Edit > Paste Colors; a picture that the pasted text names, taken when it resolves to one
    // (false when it was not found).
    void OnPasteColors();
    bool PastePicture(const std::string& written);
    // The roles that pasted text or a page sets; the others keep their colours.
    void TakePastedRoles(const PastedColors& pasted);

    // Whether the program may end: asks "Save changes to the scheme?" when it changed.
    bool MayEnd();
    bool SaveScheme();

    // Declaration order matters to nobody but is kept as the scheme's members are listed.
    CString m_backgroundPath;
    HICON m_hIcon;
    CString m_backgroundName;
    int m_backgroundLoaded = 0;
    uint32_t m_backgroundAux = 0;
    HBITMAP m_hBackground = nullptr; // borrowed: m_picture's bitmap
    int m_solidBackground = MF_CHECKED;
    CString m_alinkHex;
    CString m_vlinkHex;
    CString m_linkHex;
    CString m_textHex;
    CString m_bgcolorHex;
    ColorRole m_currentRole = RoleBackground;
    CString m_sampleTitle = "Tintwright"; // the sample page's title, the same at every start

    std::unique_ptr<CContrastDlg> m_contrast; // its window is destroyed with this one
    double m_contrastAim = kContrastAA;       // the window's Aim, kept while it is closed
    // The page's colour or white, for CurrentContrastPage: in Normal vision and as seen.
    PageLuminances m_plainPage;
    PageLuminances m_plainPageSeen;

    Vision m_vision = Vision::Normal;
    CPagePicture m_picture; // owns the bitmap that m_hBackground names

    // Makes bitmap (owned from now on, or null) the page's picture, releasing the one before.
    UndoHistory m_history;
    std::optional<SchemeState> m_sliderStepBefore; // while a slider's step is open
    ColorRole m_sliderStepRole = RoleBackground;
    SchemeState m_savedScheme; // as last opened or saved, or as at the start
    CString m_schemeFile;      // the scheme file last opened or saved: pasted pictures beside it

    // Stores a newly decoded bitmap, releasing the one it replaces.
    void SetBackgroundBitmap(HBITMAP bitmap);

    // Tools > Preview in Browser: the sample page as a real page in the desktop's browser.
    void OnPreviewInBrowser();
    // The preview's folder in the temporary folder, made at the first preview of the run.
    std::wstring PreviewFolder();
    // Removes the preview's files and its folder; done when the window ends.
    void RemovePreviewFiles();
    std::wstring m_previewFolder;  // empty before the first preview
    std::wstring m_previewPicture; // the picture's copy beside the page, empty when none

    // Files from the desktop: on the command line and dropped on the window.
    // A scheme file, a page or a picture, each as its command opens it once the file is chosen.
    void OpenDesktopFile(const CString& path);
    void OnDropFiles(HDROP drop);
    void OnOpenStartFile();
    // A picture as Load Background loads it, Show Backgrounds? ticked once it is decoded.
    void LoadDesktopPicture(const CString& path);
    CString m_startFile; // the file named on the command line, opened once the window is up

    DECLARE_MESSAGE_MAP()
};
