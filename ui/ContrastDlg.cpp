// The Contrast window, and the main window's command that opens it and keeps it up to date.
#include "ContrastDlg.h"

#include <algorithm>

#include "SchemeDlg.h"
#include "scheme/Contrast.h"

namespace {
// Screen pixels between the main window and the Contrast window beside it.
constexpr int kGapBesideOwner = 8;
// Pixels read at a time from a picture: 16 MiB of rows.
constexpr size_t kPixelsPerBand = 4u << 20;
constexpr double kWhiteLuminance = 1.0;

// The cells of each row in kForegroundRoles' order: ratio, AA, AA Large, AAA, against the text
// (none for the text itself), note.
constexpr int kRowCells[4][6] = {
    {IDC_TEXT_RATIO, IDC_TEXT_AA, IDC_TEXT_AA_LARGE, IDC_TEXT_AAA, 0, IDC_TEXT_NOTE},
    {IDC_LINK_RATIO, IDC_LINK_AA, IDC_LINK_AA_LARGE, IDC_LINK_AAA, IDC_LINK_AGAINST_TEXT,
     IDC_LINK_NOTE},
    {IDC_VLINK_RATIO, IDC_VLINK_AA, IDC_VLINK_AA_LARGE, IDC_VLINK_AAA, IDC_VLINK_AGAINST_TEXT,
     IDC_VLINK_NOTE},
    {IDC_ALINK_RATIO, IDC_ALINK_AA, IDC_ALINK_AA_LARGE, IDC_ALINK_AAA, IDC_ALINK_AGAINST_TEXT,
     IDC_ALINK_NOTE},
};
enum Cell { CellRatio, CellAA, CellAALarge, CellAAA, CellAgainstText, CellNote };
constexpr double kVerdictRatios[3] = {kContrastAA, kContrastAALarge, kContrastAAA};

constexpr const char* kPass = "Pass";
constexpr const char* kFail = "Fail";
constexpr const char* kWorstCaseNote = "worst case over the picture";
constexpr const char* kUnreadablePicture =
    "The colors of the background picture could not be read.";

const char* Verdict(double ratio, double required) {
    return MeetsContrast(ratio, required) ? kPass : kFail;
}

CString BackdropText(const int32_t* table, CContrastDlg::Backdrop backdrop,
                     std::string_view pictureName) {
    switch (backdrop) {
    case CContrastDlg::Backdrop::Color:
        return CString("Against the background color #") +
               DisplayHex(table, RoleBackground).c_str();
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
    // Most cells keep their text on a change, and a static repaints whenever it is set.
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
    int x = ownerRect.right + kGapBesideOwner;
    if (x + width > work.right) x = ownerRect.left - kGapBesideOwner - width;
    if (x < work.left) x = std::max(work.left, work.right - width);
    const int y = std::max(work.top, std::min(ownerRect.top, work.bottom - height));
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return FALSE; // the focus stays in the main window
}

void CContrastDlg::Show(const int32_t* table, Backdrop backdrop, std::span<const double> luminances,
                        std::string_view pictureName) {
    SetCellText(IDC_CONTRAST_BACKDROP, BackdropText(table, backdrop, pictureName));
    const bool known = !luminances.empty();
    const char* note = backdrop == Backdrop::Picture ? kWorstCaseNote : "";
    std::array<ContrastRow, 4> rows{};
    if (known) rows = CheckContrast(table, luminances);
    for (size_t r = 0; r < rows.size(); ++r) {
        const ContrastRow& row = rows[r];
        const int* cells = kRowCells[r];
        SetCellText(cells[CellRatio], known ? RatioText(row.ratio).c_str() : "");
        for (int v = 0; v < 3; ++v)
            SetCellText(cells[CellAA + v], known ? Verdict(row.ratio, kVerdictRatios[v]) : "");
        if (cells[CellAgainstText]) {
            CString against;
            if (known && row.againstText)
                against = CString(RatioText(*row.againstText)) + " " +
                          Verdict(*row.againstText, kContrastLinkToText);
            SetCellText(cells[CellAgainstText], against);
        }
        SetCellText(cells[CellNote], note);
    }
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

// ---- The main window's side ----

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
    using Backdrop = CContrastDlg::Backdrop;
    const std::string& name = m_backgroundName.str();
    if (!BackgroundsShown()) {
        const double background = RelativeLuminance(RoleColorRef(ColorTable, RoleBackground));
        m_contrast->Show(ColorTable, Backdrop::Color, {&background, 1}, name);
    } else if (!m_backgroundLoaded || !m_hBackground) {
        m_contrast->Show(ColorTable, Backdrop::DefaultWhite, {&kWhiteLuminance, 1}, name);
    } else {
        const std::vector<double>& picture = BackgroundLuminances();
        m_contrast->Show(ColorTable,
                         picture.empty() ? Backdrop::UnreadablePicture : Backdrop::Picture, picture,
                         name);
    }
}

const std::vector<double>& CSchemeDlg::BackgroundLuminances() {
    if (m_luminancesOf != m_hBackground) {
        HCURSOR previous = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
        if (!ReadPictureLuminances(m_hBackground, m_backgroundLuminances))
            m_backgroundLuminances.clear();
        m_luminancesOf = m_hBackground;
        ::SetCursor(previous);
    }
    return m_backgroundLuminances;
}
