#include "ScreenPicker.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>

#include "framework/String.h"

namespace {
constexpr wchar_t kClassName[] = L"TintwrightScreenPicker";
// The loupe at 96 DPI: kCells by kCells screen pixels, each kZoom pixels wide, above a band
// with the hex text, kOffset pixels right of and below the pointer (left or above at an edge).
constexpr int kZoom = 8;
constexpr int kBand = 20;
constexpr int kOffset = 20;
constexpr int kFontPoints = 9;
constexpr int kPointsPerInch = 72;
// Outside the screen the loupe shows this grey.
constexpr COLORREF kOutside = RGB(0x80, 0x80, 0x80);
// Above this luminance (of 255) the band's text is black, else white.
constexpr int kDarkTextAbove = 140;

COLORREF ToColorRef(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

HBRUSH StockBrush(int brush) {
    return static_cast<HBRUSH>(::GetStockObject(brush));
}

bool Overlap(const RECT& a, const RECT& b) {
    RECT common;
    return ::IntersectRect(&common, &a, &b) != FALSE;
}
} // namespace

CScreenPicker::Canvas::~Canvas() {
    if (dc) {
        ::SelectObject(dc, previous);
        ::DeleteDC(dc);
    }
    if (bitmap) ::DeleteObject(bitmap);
}

bool CScreenPicker::Canvas::Make(HBITMAP made) {
    bitmap = made;
    dc = ::CreateCompatibleDC(nullptr);
    if (!bitmap || !dc) return false;
    previous = ::SelectObject(dc, bitmap);
    return true;
}

CScreenPicker::~CScreenPicker() {
    if (m_hWnd) ::DestroyWindow(m_hWnd);
    // The font is released from the loupe's context before it is deleted.
    if (m_loupeCanvas.dc) ::SelectObject(m_loupeCanvas.dc, ::GetStockObject(SYSTEM_FONT));
}

namespace {
// A top-down 32-bit bitmap of width by height, its pixels at *bits.
HBITMAP MakeBitmap(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}
} // namespace

bool CScreenPicker::TakeScreen() {
    m_screen.left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    m_screen.top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    m_screen.right = m_screen.left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    m_screen.bottom = m_screen.top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const int width = m_screen.right - m_screen.left;
    const int height = m_screen.bottom - m_screen.top;
    void* bits = nullptr;
    if (width <= 0 || height <= 0 || !m_shot.Make(MakeBitmap(width, height, &bits))) return false;
    m_shotBits = static_cast<const uint32_t*>(bits);

    HDC screen = ::GetDC(nullptr);
    // CAPTUREBLT: layered windows are on the screen too.
    const BOOL copied = ::BitBlt(m_shot.dc, 0, 0, width, height, screen, m_screen.left,
                                 m_screen.top, SRCCOPY | CAPTUREBLT);
    ::ReleaseDC(nullptr, screen);
    ::GdiFlush();
    return copied != FALSE;
}

bool CScreenPicker::Open(HWND owner) {
    if (!TakeScreen()) return false;

    HINSTANCE module = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!::GetClassInfoExW(module, kClassName, &windowClass)) {
        windowClass.cbSize = sizeof windowClass;
        // Its own context: the loupe is drawn on every move.
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = module;
        windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_CROSS));
        windowClass.lpszClassName = kClassName;
        if (!::RegisterClassExW(&windowClass)) return false;
    }
    m_hWnd =
        ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, AfxWide(kTitle).c_str(),
                          WS_POPUP, m_screen.left, m_screen.top, m_screen.right - m_screen.left,
                          m_screen.bottom - m_screen.top, owner, nullptr, module, this);
    if (!m_hWnd) return false;
    m_windowDC = ::GetDC(m_hWnd);

    const UINT dpi = WindowDpi(m_hWnd);
    m_zoom = ScaleForDpi(kZoom, dpi);
    m_band = ScaleForDpi(kBand, dpi);
    m_offset = ScaleForDpi(kOffset, dpi);
    m_font.CreateFont(-::MulDiv(kFontPoints, static_cast<int>(dpi), kPointsPerInch), 0, 0, 0,
                      FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                      DEFAULT_QUALITY, FF_SWISS, "MS Shell Dlg");
    const SIZE loupe = LoupeSize();
    void* bits = nullptr;
    // The back canvas holds the old and the new loupe's rectangles when they overlap.
    if (!m_loupeCanvas.Make(MakeBitmap(loupe.cx, loupe.cy, &bits)) ||
        !m_back.Make(MakeBitmap(2 * loupe.cx, 2 * loupe.cy, &bits)))
        return false;
    // The frame around the loupe, which nothing else covers.
    const RECT frame = {0, 0, loupe.cx, loupe.cy};
    ::FrameRect(m_loupeCanvas.dc, &frame, StockBrush(BLACK_BRUSH));
    ::SelectObject(m_loupeCanvas.dc, m_font);
    ::SetBkMode(m_loupeCanvas.dc, TRANSPARENT);
    ::SetStretchBltMode(m_loupeCanvas.dc, COLORONCOLOR);

    ::ShowWindow(m_hWnd, SW_SHOW);
    ::SetForegroundWindow(m_hWnd);
    ::SetCursor(windowClass.hCursor);
    POINT pointer;
    if (::GetCursorPos(&pointer)) MoveLoupe(pointer);
    return true;
}

std::optional<uint32_t> CScreenPicker::Run() {
    while (!m_done && m_hWnd) {
        MSG msg;
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // A quit request ends the picking and goes on to the outer loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (m_hWnd) ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    return m_result;
}

void CScreenPicker::End(std::optional<uint32_t> result) {
    if (m_done) return;
    m_done = true;
    m_result = result;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    ::ShowWindow(m_hWnd, SW_HIDE);
}

uint32_t CScreenPicker::PixelAt(POINT screen) const {
    if (!m_shotBits || !::PtInRect(&m_screen, screen)) return 0;
    const int width = m_screen.right - m_screen.left;
    return m_shotBits[static_cast<size_t>(screen.y - m_screen.top) * width +
                      (screen.x - m_screen.left)] &
           0xFFFFFF;
}

SIZE CScreenPicker::LoupeSize() const {
    // A one-pixel frame around the cells and the band.
    return {kCells * m_zoom + 2, kCells * m_zoom + m_band + 2};
}

RECT CScreenPicker::LoupeRect(POINT client) {
    const auto [width, height] = LoupeSize();
    // Kept on the pointer's monitor: to the left of or above the pointer near its far edges.
    if (!::PtInRect(&m_monitor, client)) {
        const POINT screen = {client.x + m_screen.left, client.y + m_screen.top};
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        RECT area = m_screen;
        if (::GetMonitorInfoW(::MonitorFromPoint(screen, MONITOR_DEFAULTTONEAREST), &monitor))
            area = monitor.rcMonitor;
        ::OffsetRect(&area, -m_screen.left, -m_screen.top);
        m_monitor = area;
    }
    int x = client.x + m_offset, y = client.y + m_offset;
    if (x + width > m_monitor.right) x = client.x - m_offset - width;
    if (y + height > m_monitor.bottom) y = client.y - m_offset - height;
    x = std::max<int>(x, m_monitor.left);
    y = std::max<int>(y, m_monitor.top);
    return {x, y, x + width, y + height};
}

void CScreenPicker::ComposeLoupe(POINT client) {
    HDC dc = m_loupeCanvas.dc;
    const int side = kCells * m_zoom;
    const int half = kCells / 2;
    const int width = m_screen.right - m_screen.left;
    const int height = m_screen.bottom - m_screen.top;
    const int x = client.x, y = client.y;
    const int left = std::max(x - half, 0), right = std::min(x + half + 1, width);
    const int top = std::max(y - half, 0), bottom = std::min(y + half + 1, height);
    // The cells that lie on the screen, magnified; grey for the rest.
    if (right - left < kCells || bottom - top < kCells) {
        const RECT all = {1, 1, 1 + side, 1 + side};
        ::SetBkColor(dc, kOutside);
        ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    }
    if (left < right && top < bottom)
        ::StretchBlt(dc, 1 + (left - (x - half)) * m_zoom, 1 + (top - (y - half)) * m_zoom,
                     (right - left) * m_zoom, (bottom - top) * m_zoom, m_shot.dc, left, top,
                     right - left, bottom - top, SRCCOPY);

    // The cross's pixel framed in black and white.
    const int cell = 1 + half * m_zoom;
    const RECT outer = {cell - 1, cell - 1, cell + m_zoom + 1, cell + m_zoom + 1};
    const RECT inner = {cell, cell, cell + m_zoom, cell + m_zoom};
    ::FrameRect(dc, &outer, StockBrush(BLACK_BRUSH));
    ::FrameRect(dc, &inner, StockBrush(WHITE_BRUSH));

    // The band: the colour itself, its hex text over it in black or white; kept while the
    // colour stays.
    const uint32_t rgb = PixelAt({x + m_screen.left, y + m_screen.top});
    if (m_bandColour == rgb) return;
    m_bandColour = rgb;
    RECT band = {1, 1 + side, 1 + side, 1 + side + m_band};
    const COLORREF colour = ToColorRef(rgb);
    ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &band, nullptr, 0, nullptr);
    const int luminance =
        (299 * GetRValue(colour) + 587 * GetGValue(colour) + 114 * GetBValue(colour)) / 1000;
    ::SetTextColor(dc, luminance > kDarkTextAbove ? RGB(0, 0, 0) : RGB(0xFF, 0xFF, 0xFF));
    wchar_t hex[8];
    std::swprintf(hex, 8, L"#%06X", static_cast<unsigned>(rgb));
    ::DrawTextW(dc, hex, -1, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CScreenPicker::MoveLoupe(POINT screen) {
    if (!m_hWnd) return;
    m_pointer = {screen.x - m_screen.left, screen.y - m_screen.top};
    const RECT loupe = LoupeRect(m_pointer);
    const int width = loupe.right - loupe.left, height = loupe.bottom - loupe.top;
    ComposeLoupe(m_pointer);
    RECT both;
    ::UnionRect(&both, &m_loupe, &loupe);
    if (!::IsRectEmpty(&m_loupe) && Overlap(m_loupe, loupe) &&
        both.right - both.left <= 2 * width && both.bottom - both.top <= 2 * height) {
        // The screen behind both and the new loupe over it, shown in one copy.
        const int w = both.right - both.left, h = both.bottom - both.top;
        ::BitBlt(m_back.dc, 0, 0, w, h, m_shot.dc, both.left, both.top, SRCCOPY);
        ::BitBlt(m_back.dc, loupe.left - both.left, loupe.top - both.top, width, height,
                 m_loupeCanvas.dc, 0, 0, SRCCOPY);
        ::BitBlt(m_windowDC, both.left, both.top, w, h, m_back.dc, 0, 0, SRCCOPY);
    } else {
        if (!::IsRectEmpty(&m_loupe))
            ::BitBlt(m_windowDC, m_loupe.left, m_loupe.top, m_loupe.right - m_loupe.left,
                     m_loupe.bottom - m_loupe.top, m_shot.dc, m_loupe.left, m_loupe.top, SRCCOPY);
        ::BitBlt(m_windowDC, loupe.left, loupe.top, width, height, m_loupeCanvas.dc, 0, 0, SRCCOPY);
    }
    m_loupe = loupe;
}

void CScreenPicker::Paint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    const RECT& r = ps.rcPaint;
    ::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, m_shot.dc, r.left, r.top,
             SRCCOPY);
    if (!::IsRectEmpty(&m_loupe) && Overlap(m_loupe, r))
        ::BitBlt(dc, m_loupe.left, m_loupe.top, m_loupe.right - m_loupe.left,
                 m_loupe.bottom - m_loupe.top, m_loupeCanvas.dc, 0, 0, SRCCOPY);
    ::EndPaint(m_hWnd, &ps);
}

LRESULT CScreenPicker::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT client = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const POINT screen = {client.x + m_screen.left, client.y + m_screen.top};
    switch (message) {
    case WM_ERASEBKGND: return 1; // the paint covers everything
    case WM_PAINT: Paint(); return 0;
    case WM_MOUSEMOVE: MoveLoupe(screen); return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        // Ended when the button is let go, so that no window below receives half a click.
        if (!m_pressed) {
            m_pressed = message;
            m_pressedColour = PixelAt(screen);
            ::SetCapture(m_hWnd);
        }
        return 0;
    case WM_LBUTTONUP:
        if (m_pressed == WM_LBUTTONDOWN) End(m_pressedColour);
        return 0;
    case WM_RBUTTONUP:
        if (m_pressed == WM_RBUTTONDOWN) End(std::nullopt);
        return 0;
    case WM_CAPTURECHANGED:
        m_pressed = 0; // a click that another window took over is no click of the picker's
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) End(std::nullopt);
        return 0;
    case WM_ACTIVATE:
        // Another window taken to the front ends the picking: the held screen would hide it.
        if (LOWORD(wParam) != WA_INACTIVE)
            m_activated = true;
        else if (m_activated)
            End(std::nullopt);
        return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
    case WM_CANCELMODE: End(std::nullopt); return 0;
    case WM_CLOSE: End(std::nullopt); return 0;
    default: return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK CScreenPicker::WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<CScreenPicker*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_hWnd = wnd;
    }
    auto* self = reinterpret_cast<CScreenPicker*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (!self || message == WM_NCCREATE) return ::DefWindowProcW(wnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        return ::DefWindowProcW(wnd, message, wParam, lParam);
    }
    return self->OnMessage(message, wParam, lParam);
}
