// Device contexts, fonts and bitmaps: the few GDI wrappers that painting needs.
// A CDC borrows its HDC unless it made the context itself (CreateCompatibleDC) or is a
// CPaintDC; CFont and CBitmap own their objects.
#pragma once
#include <windows.h>

class CWnd;

class CDC {
public:
    CDC() = default;
    explicit CDC(HDC dc) : m_hDC(dc) {} // borrowed
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;

    // Makes an owned memory context compatible with other (the screen when null).
    BOOL CreateCompatibleDC(CDC* other);

    int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
    COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }

    // Each returns the object of the same kind that was selected before.
    HFONT SelectObject(HFONT font) { return static_cast<HFONT>(::SelectObject(m_hDC, font)); }
    HBITMAP SelectObject(HBITMAP bitmap) {
        return static_cast<HBITMAP>(::SelectObject(m_hDC, bitmap));
    }

    // Converts the rectangle's two corner points in place.
    BOOL DPtoLP(RECT* rect) const { return ::DPtoLP(m_hDC, reinterpret_cast<POINT*>(rect), 2); }
    BOOL LPtoDP(RECT* rect) const { return ::LPtoDP(m_hDC, reinterpret_cast<POINT*>(rect), 2); }

    // text is UTF-8.
    int DrawText(const char* text, RECT* rect, UINT format);
    // Fills with color without a brush; the background colour is left as it was.
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    void FillSolidRect(const RECT& rect, COLORREF color) {
        FillSolidRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, color);
    }
    // A one-pixel frame: topLeft along the top row and the left column, each but its last
    // pixel; bottomRight along the whole right column and the whole bottom row.
    void Draw3dRect(const RECT& rect, COLORREF topLeft, COLORREF bottomRight);
    BOOL BitBlt(int x, int y, int cx, int cy, const CDC* source, int xSrc, int ySrc, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, cx, cy, source->m_hDC, xSrc, ySrc, rop);
    }
    // The icon drawn cx by cy pixels, the size of its window's density.
    BOOL DrawIcon(int x, int y, HICON icon, int cx, int cy) {
        return ::DrawIconEx(m_hDC, x, y, icon, cx, cy, 0, nullptr, DI_NORMAL);
    }

private:
    bool m_owned = false;
};

// Painting of one window: BeginPaint on construction, EndPaint on destruction.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
};

class CFont {
public:
    CFont() = default;
    ~CFont();
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                    BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, const char* faceName);
    operator HFONT() const { return m_hObject; }

    HFONT m_hObject = nullptr;
};

class CBitmap {
public:
    CBitmap() = default;
    ~CBitmap();
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    BOOL CreateCompatibleBitmap(const CDC* dc, int width, int height);
    operator HBITMAP() const { return m_hObject; }

    HBITMAP m_hObject = nullptr;
};
