// Two figures of background pictures that work on the web, each beside references of the same
// run: the decode of a 4000x3000 PNG with alpha, blended over white as it is decoded, beside the
// decode of the same picture opaque, WIC's own decodes and the blend alone; and the time to
// write the PNG copy of a 4000x3000 TGA beside the time to load that TGA and that of WIC's PNG
// encoder alone writing the same pixels from memory into a file.
// Usage: png_copy <folder written by make_bench_images.sh>  (not a test: figures only)
#include <windows.h>
#include <wincodec.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Alpha.h"
#include "ImgLib.h"
#include "WicRuns.h"

namespace {

constexpr UINT kWidth = 4000, kHeight = 3000;
// ImgLib blends a band of rows while it is in the cache, a band this size.
constexpr size_t kBandBytes = 256u << 10;
// A PNG copy takes seconds: fewer runs.
constexpr int kCopyRuns = 5;

struct File {
    const char* name;
    const char* what;
};

long long SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The seconds that blending 4000x3000 pixels over white takes, a band at a time as in ImgLib.
std::vector<double> BlendAlone() {
    std::vector<uint8_t> band(kBandBytes);
    for (size_t i = 0; i < band.size(); ++i)
        band[i] = static_cast<uint8_t>(i * 7 + i / 4);
    std::vector<double> seconds;
    for (int run = 0; run < kRuns; ++run) {
        seconds.push_back(Seconds([&] {
            for (size_t done = 0; done < size_t{kWidth} * kHeight * 4; done += band.size())
                imglib::BlendOverWhite(band);
            return band[0] != 0x55 || band[1] != 0x55; // keeps the work from being dropped
        }));
    }
    return seconds;
}

// Alternating runs, so that all see the same load of a shared machine: WIC alone and ImgLib for
// each file. Returns false when a decode failed.
bool DecodeFigures(IWICImagingFactory* factory, const std::string& folder) {
    const File files[] = {{"bench4k_opaque.png", "24-bit, opaque (reference)"},
                          {"bench4k_rgba.png", "32-bit, alpha 0 to 255"},
                          {"bench4k_rgba_opaque.png", "32-bit, alpha 255 throughout"}};
    std::vector<double> wic[3], dll[3];
    for (int run = 0; run < kRuns; ++run) {
        for (int i = 0; i < 3; ++i) {
            const std::string path = folder + "\\" + files[i].name;
            const std::wstring wide(path.begin(), path.end());
            UINT width = 0, height = 0;
            wic[i].push_back(Seconds([&] { return RawWicDecode(factory, wide, width, height); }));
            dll[i].push_back(Seconds([&] { return DllDecode(path); }));
            if (wic[i].back() < 0 || dll[i].back() < 0) {
                std::printf("%s: decode failed (ImgLib error %d)\n", files[i].name,
                            GetLastImgLibError());
                return false;
            }
        }
    }
    std::printf("4000x3000 PNG, median of %d   WIC alone ms   ImgLib ms   ImgLib/WIC   "
                "ImgLib / reference\n",
                kRuns);
    const double reference = Median(dll[0]);
    for (int i = 0; i < 3; ++i) {
        std::printf("%-30s %12.0f %11.0f %12.2f %19.2f\n", files[i].what, 1e3 * Median(wic[i]),
                    1e3 * Median(dll[i]), Median(dll[i]) / Median(wic[i]),
                    Median(dll[i]) / reference);
    }
    const double blend = Median(BlendAlone());
    std::printf("%-30s %24.0f %32.2f\n", "the blend alone, in bands", 1e3 * blend,
                blend / reference);
    return true;
}

// The pixels of a picture in WIC's pixelFormat, for the encoder alone.
std::vector<BYTE> PixelsOf(IWICImagingFactory* factory, const std::string& path,
                           const WICPixelFormatGUID& pixelFormat, UINT bytesPerPixel) {
    const std::wstring wide(path.begin(), path.end());
    std::vector<BYTE> pixels(size_t{kWidth} * kHeight * bytesPerPixel);
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    const bool ok =
        SUCCEEDED(factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) &&
        SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, pixelFormat, WICBitmapDitherTypeNone, nullptr, 0,
                                        WICBitmapPaletteTypeCustom)) &&
        SUCCEEDED(converter->CopyPixels(nullptr, kWidth * bytesPerPixel,
                                        static_cast<UINT>(pixels.size()), pixels.data()));
    for (IUnknown* p : {static_cast<IUnknown*>(converter), static_cast<IUnknown*>(frame),
                        static_cast<IUnknown*>(decoder)}) {
        if (p) p->Release();
    }
    if (!ok) pixels.clear();
    return pixels;
}

// WIC's PNG encoder alone: pixels already in memory into a file through WIC's own stream.
bool EncodeAlone(IWICImagingFactory* factory, const std::vector<BYTE>& pixels,
                 const WICPixelFormatGUID& pixelFormat, UINT bytesPerPixel,
                 const std::string& path) {
    const std::wstring wide(path.begin(), path.end());
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    IPropertyBag2* options = nullptr;
    WICPixelFormatGUID format = pixelFormat;
    const bool ok = !pixels.empty() && SUCCEEDED(factory->CreateStream(&stream)) &&
                    SUCCEEDED(stream->InitializeFromFilename(wide.c_str(), GENERIC_WRITE)) &&
                    SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
                    SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
                    SUCCEEDED(encoder->CreateNewFrame(&frame, &options)) &&
                    SUCCEEDED(frame->Initialize(options)) &&
                    SUCCEEDED(frame->SetSize(kWidth, kHeight)) &&
                    SUCCEEDED(frame->SetPixelFormat(&format)) &&
                    SUCCEEDED(frame->WritePixels(kHeight, kWidth * bytesPerPixel,
                                                 static_cast<UINT>(pixels.size()),
                                                 const_cast<BYTE*>(pixels.data()))) &&
                    SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    for (IUnknown* p : {static_cast<IUnknown*>(options), static_cast<IUnknown*>(frame),
                        static_cast<IUnknown*>(encoder), static_cast<IUnknown*>(stream)}) {
        if (p) p->Release();
    }
    return ok;
}

bool CopyFigures(IWICImagingFactory* factory, const std::string& folder) {
    struct Copy {
        const char* source;
        const char* samePixels; // the same picture as a PNG, for the encoder alone
        const char* what;
        WICPixelFormatGUID pixelFormat;
        UINT bytesPerPixel;
    };
    const Copy copies[] = {
        {"bench4k.tga", "bench4k_opaque.png", "TGA 24-bit", GUID_WICPixelFormat24bppBGR, 3},
        {"bench4k_rgba.tga", "bench4k_rgba.png", "TGA 32-bit, alpha", GUID_WICPixelFormat32bppBGRA,
         4}};
    std::printf("\n4000x3000 TGA, median of %d   load ms   WIC encoder alone ms   PNG copy ms   "
                "copy/load   copy/encoder   PNG MB\n",
                kCopyRuns);
    for (const Copy& c : copies) {
        const std::string source = folder + "\\" + c.source;
        const std::string copy = source + ".copy.png", alone = source + ".encoded.png";
        const std::vector<BYTE> pixels =
            PixelsOf(factory, folder + "\\" + c.samePixels, c.pixelFormat, c.bytesPerPixel);
        std::vector<double> load, encode, write;
        for (int run = 0; run < kCopyRuns; ++run) {
            load.push_back(Seconds([&] { return DllDecode(source); }));
            encode.push_back(Seconds([&] {
                return EncodeAlone(factory, pixels, c.pixelFormat, c.bytesPerPixel, alone);
            }));
            write.push_back(
                Seconds([&] { return WritePngCopy(source.c_str(), copy.c_str()) == IMGLIB_OK; }));
            if (load.back() < 0 || encode.back() < 0 || write.back() < 0) {
                std::printf("%s: failed (ImgLib error %d)\n", c.source, GetLastImgLibError());
                return false;
            }
        }
        std::printf("%-30s %9.0f %22.0f %13.0f %11.2f %14.2f %8.1f\n", c.what, 1e3 * Median(load),
                    1e3 * Median(encode), 1e3 * Median(write), Median(write) / Median(load),
                    Median(write) / Median(encode), SizeOf(copy) / 1e6);
        ::DeleteFileA(copy.c_str());
        ::DeleteFileA(alone.c_str());
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    IWICImagingFactory* factory = StartWicBench(argc, "png_copy");
    if (!factory) return 2;
    const bool ok = DecodeFigures(factory, argv[1]) && CopyFigures(factory, argv[1]);
    factory->Release();
    ::CoUninitialize();
    return ok ? 0 : 1;
}
