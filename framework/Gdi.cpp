#include "Gdi.h"

#include "Wnd.h"

// ---- CDC ----

CDC::~CDC() {
    if (m_owned && m_hDC) ::DeleteDC(m_hDC);
}

BOOL CDC::CreateCompatibleDC(CDC* other) {
    if (m_owned && m_hDC) ::DeleteDC(m_hDC);
    m_hDC = ::CreateCompatibleDC(other ? other->m_hDC : nullptr);
    m_owned = m_hDC != nullptr;
    return m_owned;
}

int CDC::DrawText(const char* text, RECT* rect, UINT format) {
    const std::wstring wide = AfxWide(text);
    return ::DrawTextW(m_hDC, wide.c_str(), static_cast<int>(wide.size()), rect, format);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
    COLORREF previous = ::SetBkColor(m_hDC, color);
    RECT rect = {x, y, x + cx, y + cy};
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, previous);
}

void CDC::Draw3dRect(const RECT& rect, COLORREF topLeft, COLORREF bottomRight) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    FillSolidRect(rect.left, rect.top, width - 1, 1, topLeft);
    FillSolidRect(rect.left, rect.top, 1, height - 1, topLeft);
    FillSolidRect(rect.right - 1, rect.top, 1, height, bottomRight);
    FillSolidRect(rect.left, rect.bottom - 1, width, 1, bottomRight);
}

// ---- CPaintDC ----

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) {
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
    ::EndPaint(m_hWnd, &m_ps);
}

// ---- CFont ----

CFont::~CFont() {
    if (m_hObject) ::DeleteObject(m_hObject);
}

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight,
                       BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                       BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily,
                       const char* faceName) {
    if (m_hObject) ::DeleteObject(m_hObject);
    m_hObject = ::CreateFontW(height, width, escapement, orientation, weight, italic, underline,
                              strikeOut, charSet, outPrecision, clipPrecision, quality,
                              pitchAndFamily, AfxWide(faceName).c_str());
    return m_hObject != nullptr;
}

// ---- CBitmap ----

CBitmap::~CBitmap() {
    if (m_hObject) ::DeleteObject(m_hObject);
}

BOOL CBitmap::CreateCompatibleBitmap(const CDC* dc, int width, int height) {
    if (m_hObject) ::DeleteObject(m_hObject);
    m_hObject = ::CreateCompatibleBitmap(dc->m_hDC, width, height);
    return m_hObject != nullptr;
}
