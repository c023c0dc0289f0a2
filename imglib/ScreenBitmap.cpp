#include "ScreenBitmap.h"

namespace imglib::win {

HBITMAP MakeScreenBitmap(uint32_t width, uint32_t height, const uint8_t* bgra) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = ::GetDC(nullptr);
    if (!screen) throw Failure{IMGLIB_ERR_BITMAP};
    HBITMAP bitmap =
        ::CreateDIBitmap(screen, &info.bmiHeader, CBM_INIT, bgra, &info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (!bitmap) throw Failure{IMGLIB_ERR_BITMAP};
    return bitmap;
}
} // namespace imglib::win
