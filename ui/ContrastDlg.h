// "Contrast": a modeless tool window of the main window with the WCAG 2 contrast of the text
// and link colours against the page background, brought up to date on every change.
#pragma once
#include <cstdint>
#include <span>
#include <string_view>

#include "framework/Afx.h"
#include "res/resource.h"
#include "scheme/Contrast.h"
#include "scheme/ContrastReport.h"
#include "scheme/Vision.h"

// What stands behind the page's text.
enum class ContrastBackdrop { Color, Picture, DefaultWhite, UnreadablePicture };

// The page the window measures against, in Normal vision and as the view shows it (the same for
// Normal); the picture's name, and whether the view's copy of the picture could not be drawn.
struct ContrastPage {
    ContrastBackdrop backdrop;
    const PageLuminances& normal;
    const PageLuminances& shown;
    std::string_view pictureName;
    bool viewNotDrawn = false;
};

class CContrastDlg : public CDialog {
public:
    enum { IDD = IDD_CONTRAST };
    using Backdrop = ContrastBackdrop;
    using Page = ContrastPage;

    explicit CContrastDlg(CWnd* owner) : CDialog(IDD, owner) {}

    // Shows report, made for the page in view; a row's Fix is enabled while it misses the aim,
    // which the Aim choice shows. Clears the fix message.
    void Show(const ContrastReport& report, const Page& page, Vision view);
    // The one line under the rows that says what a fix could not do.
    void SetFixMessage(const char* text) { SetCellText(IDC_CONTRAST_FIX_MESSAGE, text); }
    // The ratio chosen under Aim: 4.5 (AA) or 7 (AAA).
    double ChosenAim() const;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {} // Enter never closes it, as it never closes the main window

private:
    void SetCellText(int id, const char* text);
    // The buttons and the aim are the main window's business: their commands go to it.
    void ForwardToOwner(int id);
    void OnFixText() { ForwardToOwner(IDC_CONTRAST_FIX_TEXT); }
    void OnFixLink() { ForwardToOwner(IDC_CONTRAST_FIX_LINK); }
    void OnFixVisitedLink() { ForwardToOwner(IDC_CONTRAST_FIX_VLINK); }
    void OnFixActiveLink() { ForwardToOwner(IDC_CONTRAST_FIX_ALINK); }
    void OnFixAll() { ForwardToOwner(IDC_CONTRAST_FIX_ALL); }
    void OnAimChange() { ForwardToOwner(IDC_CONTRAST_AIM); }

    DECLARE_MESSAGE_MAP()
};

// Where the Contrast window goes, and where the main window goes when it has to move.
struct ContrastPlacement {
    RECT owner;
    RECT contrast;
};
// The Contrast window of size beside owner, gap apart, on whichever side work has room; where
// neither has, owner moves the least that lets both fit side by side. Only where they cannot fit
// does it overlap owner, at the bottom right of work, clear of ownerButtons (its caption buttons).
ContrastPlacement PlaceBesideOwner(const RECT& work, const RECT& owner, SIZE size, int gap,
                                   const RECT& ownerButtons);

// Row order of the Fix buttons, as kForegroundRoles.
inline constexpr int kFixButtons[4] = {IDC_CONTRAST_FIX_TEXT, IDC_CONTRAST_FIX_LINK,
                                       IDC_CONTRAST_FIX_VLINK, IDC_CONTRAST_FIX_ALINK};
