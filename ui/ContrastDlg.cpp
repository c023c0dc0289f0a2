// The Contrast window: the WCAG 2 figures of the scheme's colours, and a picture's luminances.
#include "ContrastDlg.h"

#include <algorithm>

#include "scheme/Contrast.h"

namespace {
// Screen pixels at 96 DPI between the main window and the Contrast window beside it.
constexpr int kGapBesideOwner = 8;
// Pixels read at a time from a picture: 16 MiB of rows.
constexpr size_t kPixelsPerBand = 4u << 20;

// Each column is one static whose lines are the rows, in kForegroundRoles' order, a blank line
// between them: a change repaints a column or two rather than a cell per row and verdict.
constexpr int kVerdictColumns[3] = {IDC_CONTRAST_AA, IDC_CONTRAST_AA_LARGE, IDC_CONTRAST_AAA};
constexpr double kVerdictRatios[3] = {kContrastAA, kContrastAALarge, kContrastAAA};
constexpr const char* kRowSeparator = "\r\n\r\n";

constexpr const char* kPass = "Pass";
constexpr const char* kFail = "Fail";
constexpr const char* kWorstCaseNote = "worst case over the picture";
constexpr const char* kUnreadablePicture =
    "The colors of the background picture could not be read.";

const char* Verdict(double ratio, double required) {
    return MeetsContrast(ratio, required) ? kPass : kFail;
}

CString BackdropText(CContrastDlg::Backdrop backdrop, std::string_view pictureName) {
    switch (backdrop) {
    case CContrastDlg::Backdrop::Color: return "Against the background color.";
    case CContrastDlg::Backdrop::Picture:
        return CString("Against every pixel of the background picture ") + CString(pictureName) +
               ", as the page tiles it.";
    case CContrastDlg::Backdrop::DefaultWhite:
        return "Against the browser's default white: no background picture is loaded.";
    case CContrastDlg::Backdrop::UnreadablePicture: return kUnreadablePicture;
    }
    return "";
}
} // namespace

// ---- The window ----

void CContrastDlg::SetCellText(int id, const char* text) {
    // Most columns keep their text on a change, and a static repaints whenever it is set.
    CWnd cell = GetDlgItem(id);
    if (cell.GetWindowText() == text) return;
    cell.SetWindowText(text);
}

BOOL CContrastDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Beside the main window: on its right where the screen has room, else on its left.
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    RECT ownerRect, own;
    ::GetWindowRect(owner, &ownerRect);
    ::GetWindowRect(m_hWnd, &own);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    const int gap = ScaleForDpi(kGapBesideOwner, WindowDpi(owner));
    int x = ownerRect.right + gap;
    if (x + width > work.right) x = ownerRect.left - gap - width;
    if (x < work.left) x = std::max(work.left, work.right - width);
    const int y = std::max(work.top, std::min(ownerRect.top, work.bottom - height));
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return FALSE; // the focus stays in the main window
}

void CContrastDlg::Show(const int32_t* table, Backdrop backdrop, std::span<const double> luminances,
                        std::string_view pictureName) {
    SetCellText(IDC_CONTRAST_BACKDROP, BackdropText(backdrop, pictureName));
    const char* note = backdrop == Backdrop::Picture ? kWorstCaseNote : "";
    std::string ratios, verdicts[3], againstText, notes;
    if (!luminances.empty()) {
        for (const ContrastRow& row : CheckContrast(table, luminances)) {
            const char* separator = row.role == kForegroundRoles[0] ? "" : kRowSeparator;
            ratios += separator + RatioText(row.ratio);
            for (int v = 0; v < 3; ++v)
                verdicts[v] += separator + std::string(Verdict(row.ratio, kVerdictRatios[v]));
            againstText += separator;
            notes += separator + std::string(note);
            if (row.againstText)
                againstText += RatioText(*row.againstText) + " " +
                               Verdict(*row.againstText, kContrastLinkToText);
        }
    }
    SetCellText(IDC_CONTRAST_RATIO, ratios.c_str());
    for (int v = 0; v < 3; ++v)
        SetCellText(kVerdictColumns[v], verdicts[v].c_str());
    SetCellText(IDC_CONTRAST_AGAINST_TEXT, againstText.c_str());
    SetCellText(IDC_CONTRAST_NOTES, notes.c_str());
}

bool ReadPictureLuminances(HBITMAP bitmap, std::vector<double>& luminances) {
    BITMAP info{};
    if (!::GetObjectA(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return false;
    const int height = info.bmHeight;
    const auto width = static_cast<size_t>(info.bmWidth);
    const int bandRows = static_cast<int>(std::clamp<size_t>(kPixelsPerBand / width, 1, height));
    std::vector<uint32_t> band(width * static_cast<size_t>(bandRows));

    // Bottom-up rows of 32-bit pixels; their order does not matter to a set of colours.
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;

    PictureColors colors;
    HDC screen = ::GetDC(nullptr);
    bool read = true;
    for (int first = 0; read && first < height; first += bandRows) {
        const int rows = std::min(bandRows, height - first);
        read = ::GetDIBits(screen, bitmap, static_cast<UINT>(first), static_cast<UINT>(rows),
                           band.data(), &format, DIB_RGB_COLORS) == rows;
        if (read) colors.Add(band.data(), width * static_cast<size_t>(rows));
    }
    ::ReleaseDC(nullptr, screen);
    if (read) luminances = colors.SortedLuminances();
    return read;
}
