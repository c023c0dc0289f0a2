// The screen bitmap that ImgLib hands back: a device-dependent bitmap made from decoded rows,
// a band at a time, or from a whole top-down picture.
#pragma once
#include <algorithm>
#include <array>
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

// Sets a bitmap's bands from bottom-up rows. With more than one band it sets them on a thread
// of its own while the caller decodes the next: the two take about as long, and overlap.
class BandWriter {
public:
    // Throws Failure when its buffers cannot be had.
    BandWriter(HDC screen, HBITMAP bitmap, const DibLayout& dib, UINT bandRows);
    BandWriter(const BandWriter&) = delete;
    BandWriter& operator=(const BandWriter&) = delete;
    ~BandWriter();

    // Room for the next band's rows, bottom-up; waits while every buffer is taken.
    uint8_t* NextBand();
    // Hands over the band written at NextBand: rows scan lines from firstScan, counted upwards.
    void Write(UINT firstScan, UINT rows);
    // Waits for every band; throws Failure when one could not be set.
    void Finish();

private:
    struct Band {
        std::vector<uint8_t> rows;
        UINT firstScan = 0;
        UINT count = 0;
    };
    static constexpr size_t kBands = 3;

    bool Set(const Band& band) const;
    static DWORD WINAPI SetterThread(void* writer);
    void SetQueuedBands();
    void Stop();

    HDC m_screen;     // borrowed
    HBITMAP m_bitmap; // borrowed
    const DibLayout& m_dib;
    std::array<Band, kBands> m_bands;
    size_t m_next = 0;   // the band that NextBand hands out
    size_t m_queued = 0; // bands handed over and not yet set
    bool m_done = false;
    bool m_failed = false;
    // The system's own lock and wait, which under Wine need no round trip to its server.
    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_changed = CONDITION_VARIABLE_INIT;
    HANDLE m_setter = nullptr;
};

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
    std::vector<uint8_t> decoded;
    try {
        decoded.resize(stride * bandRows);
    } catch (const std::bad_alloc&) {
        throw Failure{IMGLIB_ERR_NO_MEMORY};
    }
    ScreenDC screen;
    if (!screen.get()) throw Failure{IMGLIB_ERR_BITMAP};
    OwnedBitmap bitmap(
        ::CreateCompatibleBitmap(screen.get(), static_cast<int>(width), static_cast<int>(height)));
    if (!bitmap.get()) throw Failure{IMGLIB_ERR_BITMAP};
    BandWriter writer(screen.get(), bitmap.get(), dib, bandRows);
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
        uint8_t* band = writer.NextBand();
        for (UINT row = 0; row < rows; ++row)
            std::copy_n(decoded.data() + row * stride, stride, band + (rows - 1 - row) * stride);
        writer.Write(height - top - rows, rows);
    }
    writer.Finish();
    return bitmap.release();
}

// Top-down 32-bit BGRX rows into a device-dependent bitmap for the screen.
HBITMAP MakeScreenBitmap(uint32_t width, uint32_t height, const uint8_t* bgra);

} // namespace imglib::win
