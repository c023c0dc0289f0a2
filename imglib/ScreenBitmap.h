// The screen bitmap that ImgLib hands back: a device-dependent bitmap made from decoded rows,
// a band at a time, or from a whole top-down picture.
#pragma once
#include <algorithm>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "Alpha.h"
#include "WinSupport.h"

namespace imglib::win {

// Frees a bitmap unless handed over.
class OwnedBitmap {
public:
    explicit OwnedBitmap(HBITMAP bitmap) : m_bitmap(bitmap) {}
    OwnedBitmap(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(const OwnedBitmap&) = delete;
    ~OwnedBitmap() {
        if (m_bitmap) ::DeleteObject(m_bitmap);
    }
    HBITMAP get() const { return m_bitmap; }
    HBITMAP release() { return std::exchange(m_bitmap, nullptr); }

private:
    HBITMAP m_bitmap;
};

class ScreenDC {
public:
    ScreenDC() : m_dc(::GetDC(nullptr)) {}
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    ~ScreenDC() {
        if (m_dc) ::ReleaseDC(nullptr, m_dc);
    }
    HDC get() const { return m_dc; }

private:
    HDC m_dc;
};

// A bottom-up DIB of width by height pixels as SetDIBits takes it: 24 or 32 bits, or 1, 4 or 8
// bits with their colour table.
struct DibLayout {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];

    DibLayout(UINT width, UINT height, WORD bitsPerPixel) : header{}, colors{} {
        header.biSize = sizeof header;
        header.biWidth = static_cast<LONG>(width);
        header.biHeight = static_cast<LONG>(height);
        header.biPlanes = 1;
        header.biBitCount = bitsPerPixel;
        header.biCompression = BI_RGB;
    }
    const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(this); }
    size_t Stride() const { return (size_t(header.biWidth) * header.biBitCount + 31) / 32 * 4; }
};

// What RowsIntoBitmap does to each row of 32-bit BGRA pixels on its way.
enum class RowAlpha { Ignored, BlendedOverWhite };

// The rows of source, laid out as dib says, into a new bitmap compatible with the screen, a
// band at a time: WIC writes a band, its rows are turned bottom-up, the layout in which
// SetDIBits takes a band of scan lines reliably, and SetDIBits converts them into the bitmap's
// rows. A band fits the cache; no copy of the whole picture is made besides the bitmap itself.
// With RowAlpha::BlendedOverWhite, anyAlpha (when given) tells whether some alpha was above 0.
template <class Check>
HBITMAP RowsIntoBitmap(IWICBitmapSource* source, const DibLayout& dib, Check&& check,
                       RowAlpha alpha = RowAlpha::Ignored, bool* anyAlpha = nullptr) {
    const UINT width = static_cast<UINT>(dib.header.biWidth);
    const UINT height = static_cast<UINT>(dib.header.biHeight);
    const size_t stride = dib.Stride();
    const UINT bandRows = static_cast<UINT>(std::clamp<size_t>(kBandBytes / stride, 1, height));
    std::vector<uint8_t> decoded, band;
    try {
        decoded.resize(stride * bandRows);
        band.resize(stride * bandRows);
    } catch (const std::bad_alloc&) {
        throw Failure{IMGLIB_ERR_NO_MEMORY};
    }
    ScreenDC screen;
    if (!screen.get()) throw Failure{IMGLIB_ERR_BITMAP};
    OwnedBitmap bitmap(
        ::CreateCompatibleBitmap(screen.get(), static_cast<int>(width), static_cast<int>(height)));
    if (!bitmap.get()) throw Failure{IMGLIB_ERR_BITMAP};
    for (UINT top = 0; top < height; top += bandRows) {
        const UINT rows = std::min(bandRows, height - top);
        const WICRect rect = {0, static_cast<INT>(top), static_cast<INT>(width),
                              static_cast<INT>(rows)};
        check(source->CopyPixels(&rect, static_cast<UINT>(stride), static_cast<UINT>(stride * rows),
                                 decoded.data()));
        if (alpha == RowAlpha::BlendedOverWhite) {
            const std::span<uint8_t> pixels(decoded.data(), stride * rows);
            if (anyAlpha && !*anyAlpha) *anyAlpha = !imglib::AlphaIsEmpty(pixels);
            imglib::BlendOverWhite(pixels);
        }
        for (UINT row = 0; row < rows; ++row)
            std::copy_n(decoded.data() + row * stride, stride,
                        band.data() + (rows - 1 - row) * stride);
        if (::SetDIBits(screen.get(), bitmap.get(), height - top - rows, rows, band.data(),
                        dib.info(), DIB_RGB_COLORS) != static_cast<int>(rows)) {
            throw Failure{IMGLIB_ERR_BITMAP};
        }
    }
    return bitmap.release();
}

// Top-down 32-bit BGRX rows into a device-dependent bitmap for the screen.
HBITMAP MakeScreenBitmap(uint32_t width, uint32_t height, const uint8_t* bgra);

} // namespace imglib::win
