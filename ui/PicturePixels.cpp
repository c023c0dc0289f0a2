#include "PicturePixels.h"

#include <algorithm>
#include <vector>

namespace {
// Pixels read at a time: 16 MiB of rows.
constexpr size_t kPixelsPerBand = 4u << 20;
} // namespace

bool ForEachPixelBand(HBITMAP bitmap, const std::function<bool(const PixelBand&)>& each) {
    BITMAP info{};
    if (!::GetObjectW(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return false;
    const int height = info.bmHeight;
    const auto width = static_cast<size_t>(info.bmWidth);
    const int bandRows = static_cast<int>(std::clamp<size_t>(kPixelsPerBand / width, 1, height));
    std::vector<uint32_t> band(width * static_cast<size_t>(bandRows));
    BITMAPINFO format{};
    format.bmiHeader = {
        sizeof format.bmiHeader, info.bmWidth, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};

    HDC screen = ::GetDC(nullptr);
    bool done = screen != nullptr;
    for (int first = 0; done && first < height; first += bandRows) {
        const int rows = std::min(bandRows, height - first);
        const PixelBand pixels{band.data(),
                               width * static_cast<size_t>(rows),
                               static_cast<UINT>(first),
                               static_cast<UINT>(rows),
                               &format,
                               screen};
        done = ::GetDIBits(screen, bitmap, pixels.first, pixels.rows, band.data(), &format,
                           DIB_RGB_COLORS) == rows &&
               each(pixels);
    }
    if (screen) ::ReleaseDC(nullptr, screen);
    return done;
}
