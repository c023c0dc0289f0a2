// Screen density: the dots per inch that Windows gives a window (96 is 100 %), and the program's
// 96-DPI geometry scaled to it. Functions of newer systems are looked up when first needed, so
// that the program still runs where they are missing.
#pragma once
#include <windows.h>

#include <vector>

// The density at which the program's pixel constants are written.
inline constexpr UINT kDefaultDpi = 96;

// The window's DPI where the system tracks it per monitor, else the screen's.
UINT WindowDpi(HWND wnd);
// The DPI of the screen as a whole: that of the primary monitor at sign-in.
UINT SystemDpi();

// A 96-DPI length or position at dpi: unchanged at 96, rounded to the nearest pixel otherwise.
inline int ScaleForDpi(int value, UINT dpi) {
    return ::MulDiv(value, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}
inline RECT ScaleForDpi(const RECT& rect, UINT dpi) {
    return {ScaleForDpi(rect.left, dpi), ScaleForDpi(rect.top, dpi), ScaleForDpi(rect.right, dpi),
            ScaleForDpi(rect.bottom, dpi)};
}

// The dialog base units of the program's dialogs at 96 DPI: those of "MS Sans Serif" 8.
inline constexpr SIZE kDefaultDialogUnits = {6, 13};
// A dialog's client rectangle at 96 DPI scaled as its controls were laid out: by the dialog's
// base units over those at 96 DPI, which follow its font rather than the DPI exactly.
RECT ScaleForDialog(HWND dialog, const RECT& rect);

// GetSystemMetrics(index) for a window at dpi.
int SystemMetricForDpi(int index, UINT dpi);

// The DIALOGEX template id of module as the dialog is to be made at dpi: its bitmap dialog font
// ("MS Sans Serif", whose few sizes stop at 1.5 times the 96-DPI one) named as the system's
// scalable face of the same metrics. Empty where the resource is to be used as it is (at 96 DPI,
// or in another font).
std::vector<BYTE> DialogTemplateForDpi(HINSTANCE module, UINT id, UINT dpi);

// For its lifetime the calling thread sees every monitor in physical pixels (per-monitor
// awareness), where the system has such a setting; the thread's previous setting comes back after.
class CPhysicalPixelsScope {
public:
    CPhysicalPixelsScope();
    ~CPhysicalPixelsScope();
    CPhysicalPixelsScope(const CPhysicalPixelsScope&) = delete;
    CPhysicalPixelsScope& operator=(const CPhysicalPixelsScope&) = delete;

private:
    DPI_AWARENESS_CONTEXT m_previous = nullptr;
};
