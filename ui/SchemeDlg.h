// The main window: a modal dialog that edits the colour scheme and shows the BODY tag
// and a sample homepage drawn in the scheme's colours.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Afx.h"
#include "res/resource.h"
#include "scheme/ColorScheme.h"

class CDC;
class CContrastDlg;

// The inside of the sample page's inner frame, in client pixels; right and bottom exclusive.
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

    // The tag and the clipboard.
    void OnEditCopy();
    void OnCopyTag();
    void OnCopyCss();

    // The Contrast window: opened, or brought forward when open; brought up to date.
    void OnCheckContrast();
    void UpdateContrast();
    // The sorted luminances of the background picture's colours, read when first needed for
    // each picture; empty when its pixels could not be read.
    const std::vector<double>& BackgroundLuminances();

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
    HBITMAP m_luminancesOf = nullptr;         // the picture m_backgroundLuminances belong to
    std::vector<double> m_backgroundLuminances;

    // Stores a newly decoded bitmap, releasing the one it replaces.
    void SetBackgroundBitmap(HBITMAP bitmap);

    DECLARE_MESSAGE_MAP()
};
