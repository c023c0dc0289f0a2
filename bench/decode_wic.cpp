// Decode throughput of ImgLib.dll beside WIC's own decode of the same files, in the same run,
// and the time that filling a screen bitmap of the same size takes alone: the part of ImgLib's
// time that no decoder can save. ImgLib's ratio to its floor, the slower of those two, and the
// time of WIC's decode in ImgLib's bands plus the fill, ImgLib's work done in turn, follow.
// Usage: decode_wic <folder written by make_bench_images.sh>  (not a test: figures only)
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ImgLib.h"
#include "WicRuns.h"

namespace {

// A bitmap compatible with the screen, filled from 24-bit rows already in memory, a band at a
// time, as ImgLib fills it.
bool BitmapFill(UINT width, UINT height) {
    const size_t stride = (size_t{width} * 3 + 3) / 4 * 4;
    const UINT bandRows = static_cast<UINT>(std::max<size_t>(1, (256u << 10) / stride));
    std::vector<BYTE> band(stride * bandRows, 0x80);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap =
        ::CreateCompatibleBitmap(screen, static_cast<int>(width), static_cast<int>(height));
    bool ok = bitmap != nullptr;
    for (UINT top = 0; ok && top < height; top += bandRows) {
        const UINT rows = std::min(bandRows, height - top);
        ok = ::SetDIBits(screen, bitmap, height - top - rows, rows, band.data(), &info,
                         DIB_RGB_COLORS) == static_cast<int>(rows);
    }
    if (bitmap) ::DeleteObject(bitmap);
    ::ReleaseDC(nullptr, screen);
    return ok;
}

// WIC's decode as ImgLib asks for it, without the bitmap: CopyPixels of the native pixel format,
// a band at a time, into one band buffer. With the fill alone, ImgLib's two halves done in turn.
bool BandedWicDecode(IWICImagingFactory* factory, const std::wstring& path) {
    UINT width = 0, height = 0;
    return WithWicFrame(
        factory, path, width, height, [&](IWICBitmapFrameDecode* frame, UINT stride) {
            const UINT bandRows = std::max<UINT>(1, (256u << 10) / stride);
            std::vector<BYTE> band(size_t{stride} * bandRows);
            bool ok = true;
            for (UINT top = 0; ok && top < height; top += bandRows) {
                const UINT rows = std::min(bandRows, height - top);
                const WICRect rect = {0, static_cast<INT>(top), static_cast<INT>(width),
                                      static_cast<INT>(rows)};
                ok = SUCCEEDED(frame->CopyPixels(&rect, stride, stride * rows, band.data()));
            }
            return ok;
        });
}

} // namespace

int main(int argc, char** argv) {
    IWICImagingFactory* factory = StartWicBench(argc, "decode_wic");
    if (!factory) return 2;
    std::printf("median of %d runs   raw WIC MP/s   ImgLib MP/s   ImgLib/WIC time   "
                "bitmap fill/WIC time   ImgLib/floor   banded WIC+fill/WIC time\n",
                kRuns);
    int status = 0;
    for (const char* name : {"bench.jpg", "bench_lzw.tif", "bench.tif", "bench.png", "bench.gif"}) {
        std::string path = std::string(argv[1]) + "\\" + name;
        std::wstring wide(path.begin(), path.end());
        UINT width = 0, height = 0;
        // Alternating runs, so that all three see the same load of a shared machine.
        std::vector<double> raw, dll, fill, banded, ratio, fillRatio, floorRatio, serialRatio;
        for (int run = 0; run < kRuns; ++run) {
            raw.push_back(Seconds([&] { return RawWicDecode(factory, wide, width, height); }));
            dll.push_back(Seconds([&] { return DllDecode(path); }));
            fill.push_back(Seconds([&] { return BitmapFill(width, height); }));
            banded.push_back(Seconds([&] { return BandedWicDecode(factory, wide); }));
            if (raw.back() < 0 || dll.back() < 0 || fill.back() < 0 || banded.back() < 0) break;
            ratio.push_back(dll.back() / raw.back());
            fillRatio.push_back(fill.back() / raw.back());
            // The goal's floor: the slower of WIC's own decode and the fill alone.
            floorRatio.push_back(dll.back() / std::max(raw.back(), fill.back()));
            serialRatio.push_back((banded.back() + fill.back()) / raw.back());
        }
        if (ratio.size() != kRuns) {
            std::printf("%-19s decode failed (ImgLib error %d)\n", name, GetLastImgLibError());
            status = 1;
            continue;
        }
        double megapixels = width * double(height) / 1e6;
        std::printf("%-19s %13.1f %13.1f %16.2fx %20.2fx %13.2fx %26.2fx\n", name,
                    megapixels / Median(raw), megapixels / Median(dll), Median(ratio),
                    Median(fillRatio), Median(floorRatio), Median(serialRatio));
    }
    factory->Release();
    ::CoUninitialize();
    return status;
}
