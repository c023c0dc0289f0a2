// What the benchmarks of ImgLib.dll under Wine share: timing, medians, WIC's own decode as the
// reference and ImgLib's decode beside it.
#pragma once
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "ImgLib.h"

inline constexpr int kRuns = 7;

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The seconds that run takes, or -1 when it fails.
template <class F> double Seconds(F&& run) {
    auto start = std::chrono::steady_clock::now();
    if (!run()) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Opens the first frame of the picture at path and hands it to use with its size and the stride
// of its own pixel format; false when the frame cannot be opened or use fails.
template <class Use>
bool WithWicFrame(IWICImagingFactory* factory, const std::wstring& path, UINT& width, UINT& height,
                  Use&& use) {
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICComponentInfo* info = nullptr;
    IWICPixelFormatInfo* formatInfo = nullptr;
    bool ok = false;
    UINT bits = 0;
    WICPixelFormatGUID format;
    if (SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&width, &height)) &&
        SUCCEEDED(frame->GetPixelFormat(&format)) &&
        SUCCEEDED(factory->CreateComponentInfo(format, &info)) &&
        SUCCEEDED(
            info->QueryInterface(IID_IWICPixelFormatInfo, reinterpret_cast<void**>(&formatInfo))) &&
        SUCCEEDED(formatInfo->GetBitsPerPixel(&bits))) {
        ok = use(frame, (width * bits + 31) / 32 * 4);
    }
    for (IUnknown* p : {static_cast<IUnknown*>(formatInfo), static_cast<IUnknown*>(info),
                        static_cast<IUnknown*>(frame), static_cast<IUnknown*>(decoder)}) {
        if (p) p->Release();
    }
    return ok;
}

// The reference: decoder, frame, CopyPixels of the native pixel format into a buffer.
inline bool RawWicDecode(IWICImagingFactory* factory, const std::wstring& path, UINT& width,
                         UINT& height) {
    return WithWicFrame(factory, path, width, height,
                        [&](IWICBitmapFrameDecode* frame, UINT stride) {
                            std::vector<BYTE> buffer(size_t{stride} * height);
                            return SUCCEEDED(frame->CopyPixels(
                                nullptr, stride, static_cast<UINT>(buffer.size()), buffer.data()));
                        });
}

// ImgLib's decode into a bitmap, which is then deleted.
inline bool DllDecode(const std::string& path) {
    uint32_t aux = 0;
    HBITMAP bitmap = ReadFileIntoDDB(path.c_str(), &aux, 0);
    if (!bitmap) return false;
    ::DeleteObject(bitmap);
    return true;
}

// Checks the one argument, a folder of bench images, then starts COM and WIC's factory; prints
// why and returns nullptr when it cannot.
inline IWICImagingFactory* StartWicBench(int argc, const char* program) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder of bench images>\n", program);
        return nullptr;
    }
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, reinterpret_cast<void**>(&factory)))) {
        std::fprintf(stderr, "no WIC factory\n");
        return nullptr;
    }
    return factory;
}
