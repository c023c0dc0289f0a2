// ImgLib.dll: reads a file whole, recognises its format by content, decodes it through WIC or
// one of our portable decoders, and hands back a bitmap compatible with the screen.
#include "ImgLib.h"

#include <wincodec.h>

#include <algorithm>
#include <new>
#include <span>
#include <vector>

#include "Decoders.h"
#include "Sniff.h"

namespace {

using imglib::Format;

// Bigger files are refused before reading: no image within the pixel limits needs more.
constexpr uint64_t kMaxFileBytes = 512ull * 1024 * 1024;

thread_local int32_t t_lastError = IMGLIB_OK;

// Releases a COM interface when it goes out of scope.
template <class T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (m_p) m_p->Release();
    }
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }
    T** out() { return &m_p; }

private:
    T* m_p = nullptr;
};

// Initialises COM on this thread for one call, and undoes only what it did.
class ComScope {
public:
    ComScope() : m_hr(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (SUCCEEDED(m_hr)) ::CoUninitialize();
    }
    // A thread already in the multithreaded apartment can use WIC as it is.
    bool Usable() const { return SUCCEEDED(m_hr) || m_hr == RPC_E_CHANGED_MODE; }

private:
    HRESULT m_hr;
};

class Handle {
public:
    explicit Handle(HANDLE h) : m_h(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (m_h != INVALID_HANDLE_VALUE) ::CloseHandle(m_h);
    }
    HANDLE get() const { return m_h; }

private:
    HANDLE m_h;
};

struct Failure {
    int32_t code;
};

int32_t ReadWholeFile(const char* path, std::vector<uint8_t>& bytes) {
    Handle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        DWORD error = ::GetLastError();
        bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                       error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH;
        return missing ? IMGLIB_ERR_FILE_NOT_FOUND : IMGLIB_ERR_READ;
    }
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size)) return IMGLIB_ERR_READ;
    if (static_cast<uint64_t>(size.QuadPart) > kMaxFileBytes) return IMGLIB_ERR_TOO_LARGE;
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return IMGLIB_ERR_NO_MEMORY;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        if (!::ReadFile(file.get(), bytes.data() + done, want, &got, nullptr)) {
            return IMGLIB_ERR_READ;
        }
        if (got == 0) break; // the file shrank meanwhile
        done += got;
    }
    bytes.resize(done);
    return IMGLIB_OK;
}

bool WithinLimits(uint64_t width, uint64_t height) {
    return width <= imglib::kMaxDimension && height <= imglib::kMaxDimension &&
           width * height <= imglib::kMaxPixels;
}

// Top-down 32-bit BGRX rows into a device-dependent bitmap for the screen.
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

// Why WIC failed: its own codes where they say it, else what the header declares.
int32_t WicFailure(HRESULT hr, const imglib::HeaderFacts& facts) {
    switch (hr) {
    case E_OUTOFMEMORY:
        return IMGLIB_ERR_NO_MEMORY;
    case WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT:
    case WINCODEC_ERR_UNSUPPORTEDVERSION:
    case WINCODEC_ERR_UNSUPPORTEDOPERATION:
    case WINCODEC_ERR_COMPONENTNOTFOUND:
        return IMGLIB_ERR_INCOMPATIBLE;
    default:
        return facts.uncommonVariant ? IMGLIB_ERR_INCOMPATIBLE : IMGLIB_ERR_CORRUPT;
    }
}

const GUID& ContainerOf(Format format) {
    switch (format) {
    case Format::Bmp:
        return GUID_ContainerFormatBmp;
    case Format::Jpeg:
        return GUID_ContainerFormatJpeg;
    case Format::Tiff:
        return GUID_ContainerFormatTiff;
    case Format::Png:
        return GUID_ContainerFormatPng;
    default:
        return GUID_ContainerFormatGif;
    }
}

uint32_t BitsPerPixel(IWICImagingFactory* factory, const WICPixelFormatGUID& format) {
    ComPtr<IWICComponentInfo> info;
    ComPtr<IWICPixelFormatInfo> pixelInfo;
    UINT bits = 0;
    if (FAILED(factory->CreateComponentInfo(format, info.out())) ||
        FAILED(info->QueryInterface(IID_IWICPixelFormatInfo,
                                    reinterpret_cast<void**>(pixelInfo.out()))) ||
        FAILED(pixelInfo->GetBitsPerPixel(&bits))) {
        return 0; // unknown; aux is informative only
    }
    return bits;
}

HBITMAP DecodeWithWic(Format format, std::vector<uint8_t>& bytes, uint32_t& sourceBits) {
    imglib::HeaderFacts facts = imglib::ReadHeaderFacts(format, bytes);
    // Some decoders expand the whole image as soon as they open it: check the header first.
    if (facts.sizeKnown && !WithinLimits(facts.width, facts.height)) {
        throw Failure{IMGLIB_ERR_TOO_LARGE};
    }
    ComScope com;
    if (!com.Usable()) throw Failure{IMGLIB_ERR_NO_MEMORY};
    auto check = [&](HRESULT hr) {
        if (FAILED(hr)) throw Failure{WicFailure(hr, facts)};
    };
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IWICImagingFactory, reinterpret_cast<void**>(factory.out())));
    check(factory->CreateStream(stream.out()));
    check(stream->InitializeFromMemory(bytes.data(), static_cast<DWORD>(bytes.size())));
    check(factory->CreateDecoder(ContainerOf(format), nullptr, decoder.out()));
    check(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand));
    check(decoder->GetFrame(0, frame.out()));
    UINT width = 0, height = 0;
    check(frame->GetSize(&width, &height));
    if (width == 0 || height == 0) throw Failure{IMGLIB_ERR_CORRUPT};
    if (!WithinLimits(width, height)) throw Failure{IMGLIB_ERR_TOO_LARGE};
    WICPixelFormatGUID pixelFormat;
    check(frame->GetPixelFormat(&pixelFormat));
    // The decoder may present packed or run-length pixels expanded; the header knows better.
    sourceBits = facts.bitsPerPixel ? facts.bitsPerPixel : BitsPerPixel(factory.get(), pixelFormat);
    check(factory->CreateFormatConverter(converter.out()));
    check(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                                nullptr, 0, WICBitmapPaletteTypeCustom));
    std::vector<uint8_t> pixels;
    try {
        pixels.resize(size_t{width} * height * 4);
    } catch (const std::bad_alloc&) {
        throw Failure{IMGLIB_ERR_NO_MEMORY};
    }
    check(
        converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size()), pixels.data()));
    return MakeScreenBitmap(width, height, pixels.data());
}

HBITMAP DecodePortable(std::span<const uint8_t> bytes, uint32_t& sourceBits) {
    imglib::DecodeResult result;
    try {
        if (imglib::LooksLikePcx(bytes)) {
            result = imglib::DecodePcx(bytes);
        } else if (imglib::LooksLikePhotoCd(bytes)) {
            result = imglib::DecodePhotoCd(bytes);
        } else if (imglib::LooksLikeTga(bytes)) { // last: TGA has no magic
            result = imglib::DecodeTga(bytes);
        } else {
            throw Failure{IMGLIB_ERR_UNSUPPORTED};
        }
    } catch (const std::bad_alloc&) {
        throw Failure{IMGLIB_ERR_NO_MEMORY};
    }
    if (!result) throw Failure{static_cast<int32_t>(result.error)};
    const imglib::Image& image = result.image;
    if (!WithinLimits(image.width, image.height) || image.width == 0 || image.height == 0 ||
        image.bgra.size() != size_t{image.width} * image.height * 4) {
        throw Failure{IMGLIB_ERR_CORRUPT};
    }
    sourceBits = image.sourceBitsPerPixel;
    return MakeScreenBitmap(image.width, image.height, image.bgra.data());
}

} // namespace

IMGLIB_API HBITMAP WINAPI ReadFileIntoDDB(const char* path, uint32_t* aux, uint32_t flags) {
    t_lastError = IMGLIB_OK;
    if (!path || flags != 0) {
        t_lastError = IMGLIB_ERR_ARGUMENT;
        return nullptr;
    }
    try {
        std::vector<uint8_t> bytes;
        if (int32_t error = ReadWholeFile(path, bytes)) throw Failure{error};
        uint32_t sourceBits = 0;
        Format format = imglib::SniffMagic(bytes);
        HBITMAP bitmap = format == Format::Unknown ? DecodePortable(bytes, sourceBits)
                                                   : DecodeWithWic(format, bytes, sourceBits);
        if (aux) *aux = sourceBits;
        return bitmap;
    } catch (const Failure& failure) {
        t_lastError = failure.code;
    } catch (const std::bad_alloc&) {
        t_lastError = IMGLIB_ERR_NO_MEMORY;
    }
    return nullptr;
}

IMGLIB_API int32_t WINAPI GetLastImgLibError(void) {
    return t_lastError;
}
