// Decode throughput of ImgLib.dll beside WIC's own decode of the same files, in the same run,
// and the time that filling a screen bitmap of the same size takes alone: the part of ImgLib's
// time that no decoder can save.
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

} // namespace

int main(int argc, char** argv) {
    IWICImagingFactory* factory = StartWicBench(argc, "decode_wic");
    if (!factory) return 2;
    std::printf("median of %d runs   raw WIC MP/s   ImgLib MP/s   ImgLib/WIC time   "
                "bitmap fill/WIC time\n",
                kRuns);
    int status = 0;
    for (const char* name : {"bench.jpg", "bench_lzw.tif", "bench.tif", "bench.png", "bench.gif"}) {
        std::string path = std::string(argv[1]) + "\\" + name;
        std::wstring wide(path.begin(), path.end());
        UINT width = 0, height = 0;
        // Alternating runs, so that all three see the same load of a shared machine.
        std::vector<double> raw, dll, fill, ratio, fillRatio;
        for (int run = 0; run < kRuns; ++run) {
            raw.push_back(Seconds([&] { return RawWicDecode(factory, wide, width, height); }));
            dll.push_back(Seconds([&] { return DllDecode(path); }));
            fill.push_back(Seconds([&] { return BitmapFill(width, height); }));
            if (raw.back() < 0 || dll.back() < 0 || fill.back() < 0) break;
            ratio.push_back(dll.back() / raw.back());
            fillRatio.push_back(fill.back() / raw.back());
        }
        if (ratio.size() != kRuns) {
            std::printf("%-19s decode failed (ImgLib error %d)\n", name, GetLastImgLibError());
            status = 1;
            continue;
        }
        double megapixels = width * double(height) / 1e6;
        std::printf("%-19s %13.1f %13.1f %16.2fx %20.2fx\n", name, megapixels / Median(raw),
                    megapixels / Median(dll), Median(ratio), Median(fillRatio));
    }
    factory->Release();
    ::CoUninitialize();
    return status;
}
