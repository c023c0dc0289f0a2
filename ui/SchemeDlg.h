// The main window: a modal dialog that edits the colour scheme and shows the BODY tag
// and a sample homepage drawn in the scheme's colours.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Afx.h"
#include "res/resource.h"
#include "scheme/ColorScheme.h"
#include "scheme/PageText.h"
#include "scheme/Contrast.h"
#include "scheme/Vision.h"

class CDC;
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

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {} // Enter never ends the main window

    // What a change of ColorTable or of the background touched: the current role's components
    // only, or every component (after which the sliders show the current role's values again).
    enum class RefreshScope { CurrentRole, AllRolesReselected };
    // Every change ends here: the hex texts of the scope, the tag, the sample page, for all
    // roles the role reselection, and the Contrast window if open.
    void Refresh(RefreshScope scope);
    // The steps of the refresh.
    void UpdateCurrentHex();
    void UpdateAllHex();
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
    void OnShowBackgrounds();
    void OnResetColors();

    // Background images and scheme files.
    void OnLoadBackground();
    // The image-failure message for the picture at path, after ReadFileIntoDDB returned NULL.
    void ReportImageFailure(const CString& path, DWORD systemError);
    // After a picture of the ImgLibFormat format was loaded: for a format that web browsers do
    // not show, asks whether to save a PNG copy, saves it, and makes the copy the background.
    void OfferPngCopy(int32_t format);
    void OnOpenScheme();
    void OnSaveScheme();

    // HTML pages: a page's colours read into the scheme; the scheme written into a page's BODY
    // tag or into a style element of its own.
    void OnOpenPageColors();
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

    // The Contrast window: opened, or brought forward when open; brought up to date.
    void OnCheckContrast();
    void UpdateContrast();
    // The sorted luminances of the shown picture's colours (WCAG's, then APCA's), read when
    // first needed for each picture and view; empty when its pixels could not be read.
    const std::vector<double>& BackgroundLuminances();
    // What stands behind the sample page's text, as the view shows it.
    ContrastPage CurrentContrastPage();

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
    void ReportFixes(bool fixed, const std::vector<ColorRole>& unfixed);

    // Tools > Simulate Vision: how the sample page and the Contrast window show the colours.
    void OnNormalVision() { SetVision(Vision::Normal); }
    void OnProtanopia() { SetVision(Vision::Protanopia); }
    void OnDeuteranopia() { SetVision(Vision::Deuteranopia); }
    void OnTritanopia() { SetVision(Vision::Tritanopia); }
    void OnAchromatopsia() { SetVision(Vision::Achromatopsia); }
    void SetVision(Vision view);
    // The picture as the view shows it: itself in Normal view, else its copy as the view shows
    // it, made once per picture and view.
    HBITMAP ShownBackground();
    void DropSimulatedBackground();

    void OnChangeTitle();
    void OnAbout();
    void OnHelpFinder();

    // Declaration order matters to nobody but is kept as the scheme's members are listed.
    CString m_backgroundPath;
    HICON m_hIcon;
    CString m_backgroundName;
    int m_backgroundLoaded = 0;
    uint32_t m_backgroundAux = 0;
    HBITMAP m_hBackground = nullptr; // owned: released when replaced and when the dialog ends
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
    HBITMAP m_luminancesOf = nullptr;         // the picture m_backgroundLuminances belong to
    std::vector<double> m_backgroundLuminances;
    std::vector<double> m_backgroundApcaLuminances;
    double m_pageLuminance = 0;     // the background colour's, as seen, for CurrentContrastPage
    double m_pageApcaLuminance = 0; // the same, APCA's

    Vision m_vision = Vision::Normal;
    HBITMAP m_simulatedBackground = nullptr; // owned: m_hBackground as m_simulatedView shows it
    Vision m_simulatedView = Vision::Normal;
    HBITMAP m_simulatedOf = nullptr; // the picture m_simulatedBackground was made from

    // Stores a newly decoded bitmap, releasing the one it replaces.
    void SetBackgroundBitmap(HBITMAP bitmap);

    DECLARE_MESSAGE_MAP()
};
