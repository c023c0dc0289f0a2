// The sample homepage: etched frames, the page background, the title and four sample lines.
#include "SchemeDlg.h"

#include <algorithm>

#include "TitleDlg.h"
#include "scheme/ContrastFix.h"

namespace {
// Client pixels; right and bottom exclusive.
constexpr RECT kOuterFrame = {24, 288, 392, 426};
constexpr RECT kInnerFrame = {28, 292, 388, 422};
constexpr RECT kTitleRect = {31, 299, 382, 330};
constexpr RECT kFirstLineRect = {37, 335, 373, 355};
// The tops of lines 2 to 4; each line rectangle is as high as the first.
constexpr int kLineTops[3] = {352, 369, 386};
constexpr int kLineHeight = kFirstLineRect.bottom - kFirstLineRect.top;

constexpr const char* kLineTexts[4] = {
    "Normal text is going to be this color.",
    "New links are going to be this color.",
    "Links that you've already been to are this color.",
    "Links briefly turn to this color when clicked.",
};
constexpr ColorRole kLineRoles[3] = {RoleLink, RoleVisitedLink, RoleActiveLink};

// Font heights in twips (negative: character height): 14 and 11 points.
constexpr int kTitleFontHeight = -280;
constexpr int kLineFontHeight = -220;
constexpr const char* kTitleFace = "Arial";
constexpr const char* kLineFace = "Times New Roman";

// The role's colour as the reader of view sees it.
COLORREF RoleColor(ColorRole role, Vision view) {
    const uint32_t rgb = SimulateVision(view, RoleRgb(ColorTable, role));
    return RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
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

// The minimised window: its icon centred in the client area over the icon's background.
void DrawMinimised(CWnd& wnd, CDC& dc, HICON icon) {
    wnd.SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    wnd.GetClientRect(&client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    dc.DrawIcon(x, y, icon);
}

// The two etched frames around the page.
void DrawFrames(CDC& dc) {
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF dark = ::GetSysColor(COLOR_3DDKSHADOW);
    dc.Draw3dRect(kOuterFrame, dark, light);
    dc.Draw3dRect(kInnerFrame, light, dark);
}

// The title and the four lines, in twips, each in its role's colour; fonts released at the end.
void DrawTexts(CDC& dc, const char* title, Vision view) {
    dc.SetMapMode(MM_TWIPS);
    dc.SetBkMode(TRANSPARENT);

    CFont titleFont;
    titleFont.CreateFont(kTitleFontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_SWISS, kTitleFace);
    RECT rect = kTitleRect;
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
    rect = kFirstLineRect;
    dc.DPtoLP(&rect);
    dc.DrawText(kLineTexts[0], &rect, DT_CENTER);
    for (int line = 0; line < 3; ++line) {
        dc.LPtoDP(&rect);
        rect.top = kLineTops[line];
        rect.bottom = kLineTops[line] + kLineHeight;
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
    if (IsIconic()) {
        DrawMinimised(*this, dc, m_hIcon);
        return;
    }
    DrawFrames(dc);
    if (m_solidBackground)
        dc.FillSolidRect(PreviewRect, RoleColor(RoleBackground, m_vision));
    else
        TileBackground(&dc);
    DrawTexts(dc, m_sampleTitle, m_vision);
}

void CSchemeDlg::TileBackground(CDC* dc) {
    if (!m_backgroundLoaded || !m_hBackground) return;
    const HBITMAP picture = ShownBackground();
    BITMAP info{};
    if (!::GetObjectA(picture, sizeof info, &info)) return;
    if (info.bmWidth <= 0 || info.bmHeight <= 0) return;

    const int width = PreviewRect.right - PreviewRect.left;
    const int height = PreviewRect.bottom - PreviewRect.top;
    const int w = std::min<int>(info.bmWidth, width);
    const int h = std::min<int>(info.bmHeight, height);

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
        strip.BitBlt(0, 0, w, h, &source, 0, 0, SRCCOPY);
        RepeatBlock(strip, w, h, width, height);
        dc->BitBlt(PreviewRect.left, PreviewRect.top, width, height, &strip, 0, 0, SRCCOPY);
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
