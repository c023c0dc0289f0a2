// Decode throughput of ImgLib.dll beside WIC's own decode of the same files, in the same run.
// Usage: decode_wic <folder written by make_bench_images.sh>  (not a test: figures only)
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "ImgLib.h"

namespace {

constexpr int kRuns = 7;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <class F> double Seconds(F&& run) {
    auto start = std::chrono::steady_clock::now();
    if (!run()) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The reference: decoder, frame, CopyPixels of the native pixel format into a buffer.
bool RawWicDecode(IWICImagingFactory* factory, const std::wstring& path, UINT& pixels) {
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICComponentInfo* info = nullptr;
    IWICPixelFormatInfo* formatInfo = nullptr;
    bool ok = false;
    UINT width = 0, height = 0, bits = 0;
    WICPixelFormatGUID format;
    if (SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&width, &height)) &&
        SUCCEEDED(frame->GetPixelFormat(&format)) &&
        SUCCEEDED(factory->CreateComponentInfo(format, &info)) &&
        SUCCEEDED(
            info->QueryInterface(IID_IWICPixelFormatInfo, reinterpret_cast<void**>(&formatInfo))) &&
        SUCCEEDED(formatInfo->GetBitsPerPixel(&bits))) {
        UINT stride = (width * bits + 31) / 32 * 4;
        std::vector<BYTE> buffer(size_t{stride} * height);
        ok = SUCCEEDED(
            frame->CopyPixels(nullptr, stride, static_cast<UINT>(buffer.size()), buffer.data()));
        pixels = width * height;
    }
    for (IUnknown* p : {static_cast<IUnknown*>(formatInfo), static_cast<IUnknown*>(info),
                        static_cast<IUnknown*>(frame), static_cast<IUnknown*>(decoder)}) {
        if (p) p->Release();
    }
    return ok;
}

bool DllDecode(const std::string& path) {
    uint32_t aux = 0;
    HBITMAP bitmap = ReadFileIntoDDB(path.c_str(), &aux, 0);
    if (!bitmap) return false;
    ::DeleteObject(bitmap);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: decode_wic <folder of bench images>\n");
        return 2;
    }
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, reinterpret_cast<void**>(&factory)))) {
        std::fprintf(stderr, "no WIC factory\n");
        return 1;
    }
    std::printf("median of %d runs        raw WIC MP/s   ImgLib MP/s   ImgLib/WIC time\n", kRuns);
    int status = 0;
    for (const char* name : {"bench.jpg", "bench.tif", "bench_lzw.tif"}) {
        std::string path = std::string(argv[1]) + "\\" + name;
        std::wstring wide(path.begin(), path.end());
        UINT pixels = 0;
        // Alternating runs, so that both see the same load of a shared machine.
        std::vector<double> raw, dll, ratio;
        for (int run = 0; run < kRuns; ++run) {
            raw.push_back(Seconds([&] { return RawWicDecode(factory, wide, pixels); }));
            dll.push_back(Seconds([&] { return DllDecode(path); }));
            if (raw.back() < 0 || dll.back() < 0) break;
            ratio.push_back(dll.back() / raw.back());
        }
        if (ratio.size() != kRuns) {
            std::printf("%-24s decode failed (ImgLib error %d)\n", name, GetLastImgLibError());
            status = 1;
            continue;
        }
        double megapixels = pixels / 1e6;
        std::printf("%-24s %12.1f %13.1f %14.2fx\n", name, megapixels / Median(raw),
                    megapixels / Median(dll), Median(ratio));
    }
    factory->Release();
    ::CoUninitialize();
    return status;
}
