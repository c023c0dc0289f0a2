// The sample homepage: etched frames, the page background, the title and four sample lines.
#include "SchemeDlg.h"

#include <algorithm>

#include "TitleDlg.h"
#include "scheme/PreviewPage.h"

namespace {
// Client pixels at 96 DPI, scaled as the dialog's controls are; right and bottom exclusive.
constexpr RECT kOuterFrame = {24, 288, 392, 426};
constexpr RECT kInnerFrame = {28, 292, 388, 422};
constexpr RECT kTitleRect = {31, 299, 382, 330};
constexpr RECT kFirstLineRect = {37, 335, 373, 355};
// The tops of lines 2 to 4; each line rectangle is as high as the first.
constexpr int kLineTops[3] = {352, 369, 386};
constexpr int kLineHeight = kFirstLineRect.bottom - kFirstLineRect.top;

constexpr const auto& kLineTexts = kSampleLineTexts;
constexpr ColorRole kLineRoles[3] = {RoleLink, RoleVisitedLink, RoleActiveLink};

// Font heights in twips (negative: character height): 14 and 11 points at any DPI.
constexpr int kTitleFontHeight = -280;
constexpr int kLineFontHeight = -220;
constexpr const char* kTitleFace = "Arial";
constexpr const char* kLineFace = "Times New Roman";
// A browser's page where no picture is shown: what the Contrast window measures against.
constexpr COLORREF kDefaultPageWhite = RGB(255, 255, 255);

// The role's colour as the reader of view sees it.
COLORREF RoleColor(ColorRole role, Vision view) {
    const Rgb8 c = UnpackRgb(SimulateVision(view, RoleRgb(ColorTable, role)));
    return RGB(c.red, c.green, c.blue);
}

// Extends the w by h block already at the top-left of the strip to cover width by height,
// copying what is done onto what is not, doubling each time, so that the whole strip repeats
// the block with period (w, h) in a number of copies logarithmic in the tile count.
void RepeatBlock(CDC& strip, int w, int h, int width, int height) {
    for (int done = w; done < width; done *= 2)
        strip.BitBlt(done, 0, std::min(done, width - done), h, &strip, 0, 0, SRCCOPY);
    for (int done = h; done < height; done *= 2)
        strip.BitBlt(0, done, width, std::min(done, height - done), &strip, 0, 0, SRCCOPY);
}

// The picture's width by height pixels drawn tileWidth by tileHeight at the strip's top left, each
// pixel repeated rather than blended, so that the page shows only the picture's own colours.
void StretchTile(CDC& strip, CDC& source, int width, int height, int tileWidth, int tileHeight) {
    ::SetStretchBltMode(strip.m_hDC, COLORONCOLOR);
    ::StretchBlt(strip.m_hDC, 0, 0, tileWidth, tileHeight, source.m_hDC, 0, 0, width, height,
                 SRCCOPY);
}

// The minimised window: its icon centred in the client area over the icon's background.
void DrawMinimised(CWnd& wnd, CDC& dc, HICON icon, UINT dpi) {
    wnd.SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    const int iconWidth = SystemMetricForDpi(SM_CXICON, dpi);
    const int iconHeight = SystemMetricForDpi(SM_CYICON, dpi);
    RECT client;
    wnd.GetClientRect(&client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    dc.DrawIcon(x, y, icon, iconWidth, iconHeight);
}

// The two etched frames around the page, their lines a pixel wide at 96 DPI and thickening
// inwards, as a pixel of the 96-DPI page grows.
void DrawFrames(CDC& dc, HWND dialog, UINT dpi) {
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF dark = ::GetSysColor(COLOR_3DDKSHADOW);
    RECT outer = ScaleForDialog(dialog, kOuterFrame);
    RECT inner = ScaleForDialog(dialog, kInnerFrame);
    for (int line = ScaleForDpi(1, dpi); line > 0; --line) {
        dc.Draw3dRect(outer, dark, light);
        dc.Draw3dRect(inner, light, dark);
        ::InflateRect(&outer, -1, -1);
        ::InflateRect(&inner, -1, -1);
    }
}

// Twips on the window's screen. MM_TWIPS follows the DC's density, which is the system's: a
// window on a monitor of another density keeps its extents with the viewport's scaled to it.
void SetTwipsMapping(CDC& dc, UINT dpi) {
    dc.SetMapMode(MM_TWIPS);
    const int dcDpi = ::GetDeviceCaps(dc.m_hDC, LOGPIXELSY);
    if (dcDpi <= 0 || static_cast<UINT>(dcDpi) == dpi) return;
    SIZE viewport;
    ::GetViewportExtEx(dc.m_hDC, &viewport);
    dc.SetMapMode(MM_ANISOTROPIC);
    ::SetViewportExtEx(dc.m_hDC, ::MulDiv(viewport.cx, static_cast<int>(dpi), dcDpi),
                       ::MulDiv(viewport.cy, static_cast<int>(dpi), dcDpi), nullptr);
}

// The title and the four lines, in twips, each in its role's colour; fonts released at the end.
void DrawTexts(CDC& dc, HWND dialog, const char* title, UINT dpi, Vision view) {
    SetTwipsMapping(dc, dpi);
    dc.SetBkMode(TRANSPARENT);

    CFont titleFont;
    titleFont.CreateFont(kTitleFontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_SWISS, kTitleFace);
    RECT rect = ScaleForDialog(dialog, kTitleRect);
    dc.DPtoLP(&rect);
    const HFONT previousFont = dc.SelectObject(titleFont);
    dc.SetTextColor(RoleColor(RoleText, view));
    dc.DrawText(title, &rect, DT_CENTER);

    CFont lineFont;
    lineFont.CreateFont(kLineFontHeight, 0, 0, 0, FW_DONTCARE, 0, 0, 0, ANSI_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_ROMAN, kLineFace);
    dc.SelectObject(lineFont);

    // Line 1 keeps the title's colour; each later line moves the rectangle down and converts
    // it back and forth, so its left and right are what the round trip produced.
    rect = ScaleForDialog(dialog, kFirstLineRect);
    dc.DPtoLP(&rect);
    dc.DrawText(kLineTexts[0], &rect, DT_CENTER);
    for (int line = 0; line < 3; ++line) {
        dc.LPtoDP(&rect);
        const RECT line96 = {0, kLineTops[line], 0, kLineTops[line] + kLineHeight};
        const RECT lineRect = ScaleForDialog(dialog, line96);
        rect.top = lineRect.top;
        rect.bottom = lineRect.bottom;
        dc.SetTextColor(RoleColor(kLineRoles[line], view));
        dc.DPtoLP(&rect);
        dc.DrawText(kLineTexts[line + 1], &rect, DT_CENTER);
    }

    dc.SelectObject(previousFont);
    // The line font, then the title font, are deleted here, before painting ends.
}
} // namespace

void CSchemeDlg::OnPaint() {
    CPaintDC dc(this);
    const UINT dpi = WindowDpi(m_hWnd);
    if (IsIconic()) {
        DrawMinimised(*this, dc, m_hIcon, dpi);
        return;
    }
    DrawFrames(dc, m_hWnd, dpi);
    if (m_solidBackground)
        dc.FillSolidRect(ScaledPreviewRect(), RoleColor(RoleBackground, m_vision));
    else
        TileBackground(&dc);
    DrawTexts(dc, m_hWnd, m_sampleTitle, dpi, m_vision);
}

RECT CSchemeDlg::ScaledPreviewRect() const {
    return ScaleForDialog(m_hWnd, PreviewRect);
}

void CSchemeDlg::TileBackground(CDC* dc) {
    const HBITMAP picture = m_backgroundLoaded && m_hBackground ? ShownBackground() : nullptr;
    BITMAP info{};
    if (!picture || !::GetObjectA(picture, sizeof info, &info) || info.bmWidth <= 0 ||
        info.bmHeight <= 0) {
        dc->FillSolidRect(ScaledPreviewRect(), kDefaultPageWhite);
        return;
    }

    // Each picture pixel covers as many window pixels as a CSS pixel does at this DPI.
    const UINT dpi = WindowDpi(m_hWnd);
    const RECT page = ScaledPreviewRect();
    const int width = page.right - page.left;
    const int height = page.bottom - page.top;
    // At least a pixel: below 48 DPI a 1-pixel picture would scale to none, and never tile.
    const int tileWidth = std::max(1, ScaleForDpi(info.bmWidth, dpi));
    const int tileHeight = std::max(1, ScaleForDpi(info.bmHeight, dpi));
    const int w = std::min(tileWidth, width);
    const int h = std::min(tileHeight, height);

    CDC source;
    if (!source.CreateCompatibleDC(dc)) return;
    const HBITMAP previousSource = source.SelectObject(picture);

    // The tiles are laid out in memory and copied to the window in one piece, so that no
    // pixel is read back from the window, whose covered or still-invalid parts are unknown.
    CBitmap stripBitmap;
    CDC strip;
    if (stripBitmap.CreateCompatibleBitmap(dc, width, height) && strip.CreateCompatibleDC(dc)) {
        const HBITMAP previousStrip = strip.SelectObject(stripBitmap);
        // A monochrome bitmap takes these colours as it would when copied to the window.
        strip.SetTextColor(dc->GetTextColor());
        strip.SetBkColor(dc->GetBkColor());
        if (dpi == kDefaultDpi)
            strip.BitBlt(0, 0, w, h, &source, 0, 0, SRCCOPY);
        else
            StretchTile(strip, source, info.bmWidth, info.bmHeight, tileWidth, tileHeight);
        RepeatBlock(strip, w, h, width, height);
        dc->BitBlt(page.left, page.top, width, height, &strip, 0, 0, SRCCOPY);
        strip.SelectObject(previousStrip);
    }
    source.SelectObject(previousSource);
}

void CSchemeDlg::OnChangeTitle() {
    CTitleDlg titleDlg(m_sampleTitle, this);
    if (titleDlg.DoModal() != IDOK) return;
    m_sampleTitle = titleDlg.GetTitle();
    InvalidatePreview();
}
