// The Contrast window: the WCAG 2 figures of the scheme's colours, as the report gives them.
#include "ContrastDlg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {
// Screen pixels at 96 DPI between the main window and the Contrast window beside it.
constexpr int kGapBesideOwner = 8;

// Close, maximize and minimize: the most that a caption shows.
constexpr int kCaptionButtons = 3;

// Each column is one static whose lines are the rows, in kForegroundRoles' order, a blank line
// between them: a change repaints a column or two rather than a cell per row and verdict.
constexpr int kVerdictColumns[3] = {IDC_CONTRAST_AA, IDC_CONTRAST_AA_LARGE, IDC_CONTRAST_AAA};
constexpr const char* kRowSeparator = "\r\n\r\n";

constexpr const char* kPass = "Pass";
constexpr const char* kFail = "Fail";
// The Aim choice's items, in order, and the ratios they stand for.
constexpr const char* kAimNames[2] = {"AA", "AAA"};
constexpr double kAimRatios[2] = {kContrastAA, kContrastAAA};
constexpr const char* kUnreadablePicture =
    "The colors of the background picture could not be read.";

const char* Verdict(bool passes) {
    return passes ? kPass : kFail;
}

// "passes over 83 % of the picture": whole per cent, rounded down, so that 100 means every pixel
// (a hair added for the share's own rounding, so that 83 % does not read 82).
std::string ShareText(double share) {
    constexpr double kShareSlack = 1e-9;
    return "passes over " +
           std::to_string(static_cast<int>(std::floor((share + kShareSlack) * 100))) +
           " % of the picture";
}

CString BackdropText(CContrastDlg::Backdrop backdrop, std::string_view pictureName) {
    switch (backdrop) {
    case CContrastDlg::Backdrop::Color: return "Against the background color.";
    case CContrastDlg::Backdrop::Picture:
        return CString("Against every pixel of the background picture ") + CString(pictureName) +
               ", as the page tiles it: each ratio is the worst case.";
    case CContrastDlg::Backdrop::DefaultWhite:
        return "Against the browser's default white: no background picture is loaded.";
    case CContrastDlg::Backdrop::UnreadablePicture: return kUnreadablePicture;
    }
    return "";
}

// "63.1", "-68.5": signed, one decimal.
std::string LcText(double lc) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", lc);
    return std::string(text) == "-0.0" ? "0.0" : text;
}
} // namespace

BEGIN_MESSAGE_MAP(CContrastDlg, CDialog)
ON_BN_CLICKED(IDC_CONTRAST_FIX_TEXT, &CContrastDlg::OnFixText)
ON_BN_CLICKED(IDC_CONTRAST_FIX_LINK, &CContrastDlg::OnFixLink)
ON_BN_CLICKED(IDC_CONTRAST_FIX_VLINK, &CContrastDlg::OnFixVisitedLink)
ON_BN_CLICKED(IDC_CONTRAST_FIX_ALINK, &CContrastDlg::OnFixActiveLink)
ON_BN_CLICKED(IDC_CONTRAST_FIX_ALL, &CContrastDlg::OnFixAll)
ON_CONTROL(CBN_SELCHANGE, IDC_CONTRAST_AIM, &CContrastDlg::OnAimChange)
END_MESSAGE_MAP()

// ---- Where it goes ----

namespace {
RECT At(LONG left, LONG top, SIZE size) {
    return {left, top, left + size.cx, top + size.cy};
}
// The top of a window of height h that keeps to work, as near to top as that allows.
LONG KeptTop(LONG top, LONG h, const RECT& work) {
    return std::max(work.top, std::min(top, work.bottom - h));
}
} // namespace

ContrastPlacement PlaceBesideOwner(const RECT& work, const RECT& owner, SIZE size, int gap,
                                   const RECT& ownerButtons) {
    const LONG ownerWidth = owner.right - owner.left;
    const LONG ownerHeight = owner.bottom - owner.top;
    const LONG top = KeptTop(owner.top, size.cy, work);
    if (owner.right + gap + size.cx <= work.right) return {owner, At(owner.right + gap, top, size)};
    if (owner.left - gap - size.cx >= work.left)
        return {owner, At(owner.left - gap - size.cx, top, size)};
    if (ownerWidth + gap + size.cx <= work.right - work.left) {
        // The main window moves the least: left to make room on its right, or right on its left.
        const LONG toRight = work.right - size.cx - gap - ownerWidth;
        const LONG toLeft = work.left + size.cx + gap;
        const LONG left = owner.left - toRight <= toLeft - owner.left ? toRight : toLeft;
        const RECT moved =
            At(left, KeptTop(owner.top, ownerHeight, work), {ownerWidth, ownerHeight});
        const LONG beside = left == toRight ? moved.right + gap : work.left;
        return {moved, At(beside, KeptTop(moved.top, size.cy, work), size)};
    }
    const RECT contrast = At(std::max(work.left, work.right - size.cx),
                             std::max(work.top, work.bottom - size.cy), size);
    RECT covered;
    if (!::IntersectRect(&covered, &contrast, &ownerButtons)) return {owner, contrast};
    // Left of the buttons where work has room, else below them even past work's bottom.
    if (ownerButtons.bottom + size.cy > work.bottom && ownerButtons.left - size.cx >= work.left)
        return {owner, At(ownerButtons.left - size.cx, contrast.top, size)};
    return {owner, At(contrast.left, ownerButtons.bottom, size)};
}

// ---- The window ----

void CContrastDlg::SetCellText(int id, const char* text) {
    // Most columns keep their text on a change, and a static repaints whenever it is set.
    CWnd cell = GetDlgItem(id);
    if (cell.GetWindowText() == text) return;
    cell.SetWindowText(text);
}

BOOL CContrastDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    RECT ownerRect, own;
    ::GetWindowRect(owner, &ownerRect);
    ::GetWindowRect(m_hWnd, &own);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    const UINT dpi = WindowDpi(owner);
    // The caption's buttons: its right end, from the window's top to its client area's.
    RECT clientRect;
    ::GetClientRect(owner, &clientRect);
    POINT client{clientRect.right, 0};
    ::ClientToScreen(owner, &client);
    const int buttonsWidth =
        kCaptionButtons * SystemMetricForDpi(SM_CXSIZE, dpi) + (ownerRect.right - client.x);
    const RECT buttons{ownerRect.right - buttonsWidth, ownerRect.top, ownerRect.right, client.y};
    const ContrastPlacement place =
        PlaceBesideOwner(monitor.rcWork, ownerRect, {own.right - own.left, own.bottom - own.top},
                         ScaleForDpi(kGapBesideOwner, dpi), buttons);
    if (!::EqualRect(&place.owner, &ownerRect)) {
        ::SetWindowPos(owner, nullptr, place.owner.left, place.owner.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::SetWindowPos(m_hWnd, nullptr, place.contrast.left, place.contrast.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    CWnd aim = GetDlgItem(IDC_CONTRAST_AIM);
    for (const char* name : kAimNames)
        aim.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AfxWide(name).c_str()));
    aim.SendMessage(CB_SETCURSEL, 0);
    return FALSE; // the focus stays in the main window
}

void CContrastDlg::ForwardToOwner(int id) {
    ::SendMessageW(::GetWindow(m_hWnd, GW_OWNER), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

double CContrastDlg::ChosenAim() const {
    const LRESULT item = GetDlgItem(IDC_CONTRAST_AIM).SendMessage(CB_GETCURSEL);
    return kAimRatios[item == 1 ? 1 : 0];
}

void CContrastDlg::Show(const ContrastReport& report, const Page& page, Vision view) {
    std::string backdrop(BackdropText(page.backdrop, page.pictureName).str());
    if (view != Vision::Normal) {
        backdrop = std::string("As seen with ") + VisionName(view) + ". " + backdrop;
        if (page.viewNotDrawn)
            backdrop += std::string(" The picture could not be drawn as seen with ") +
                        VisionName(view) + ".";
    }
    SetCellText(IDC_CONTRAST_BACKDROP, backdrop.c_str());
    GetDlgItem(IDC_CONTRAST_AIM).SendMessage(CB_SETCURSEL, report.aim == kContrastAAA ? 1 : 0);
    std::string ratios, verdicts[3], againstText, lcs, notes;
    bool anyMisses = false;
    for (size_t i = 0; i < report.rows.size(); ++i) {
        const ContrastReportRow& row = report.rows[i];
        ::EnableWindow(::GetDlgItem(m_hWnd, kFixButtons[i]), report.measured && row.missesAim);
        if (!report.measured) continue;
        anyMisses = anyMisses || row.missesAim;
        const char* separator = i == 0 ? "" : kRowSeparator;
        ratios += separator + RatioText(row.ratio);
        for (int v = 0; v < 3; ++v)
            verdicts[v] += separator + std::string(Verdict(row.verdicts[v]));
        againstText += separator;
        if (row.againstText)
            againstText += RatioText(*row.againstText) + " " + Verdict(row.passesAgainstText);
        lcs += separator + LcText(row.apca);
        notes += separator;
        if (row.pictureShare) notes += ShareText(*row.pictureShare);
    }
    SetCellText(IDC_CONTRAST_RATIO, ratios.c_str());
    for (int v = 0; v < 3; ++v)
        SetCellText(kVerdictColumns[v], verdicts[v].c_str());
    SetCellText(IDC_CONTRAST_AGAINST_TEXT, againstText.c_str());
    SetCellText(IDC_CONTRAST_APCA, lcs.c_str());
    SetCellText(IDC_CONTRAST_NOTES, notes.c_str());
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_CONTRAST_FIX_ALL), anyMisses);
    SetFixMessage("");
}
