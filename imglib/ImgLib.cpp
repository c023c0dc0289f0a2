// ImgLib.dll: maps a file whole, recognises its format by content, decodes it through WIC or
// one of our portable decoders, and hands back a bitmap compatible with the screen.
#include "ImgLib.h"

#include <wincodec.h>

#include <algorithm>
#include <memory>
#include <new>
#include <span>
#include <utility>
#include <vector>

#include "Decoders.h"
#include "Sniff.h"

namespace {

using imglib::DecodeError;
using imglib::Format;

// A decoder's failure is handed on as its number.
static_assert(static_cast<int32_t>(DecodeError::None) == IMGLIB_OK);
static_assert(static_cast<int32_t>(DecodeError::Corrupt) == IMGLIB_ERR_CORRUPT);
static_assert(static_cast<int32_t>(DecodeError::TooLarge) == IMGLIB_ERR_TOO_LARGE);
static_assert(static_cast<int32_t>(DecodeError::NoMemory) == IMGLIB_ERR_NO_MEMORY);
static_assert(static_cast<int32_t>(DecodeError::Unsupported) == IMGLIB_ERR_UNSUPPORTED);
static_assert(static_cast<int32_t>(DecodeError::Incompatible) == IMGLIB_ERR_INCOMPATIBLE);

// Bigger files are refused before mapping: no image within the pixel limits needs more.
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

// The COM runtime, loaded at the first decode that needs WIC rather than with the program,
// whose start would otherwise pay for it.
struct Ole {
    decltype(&::CoInitializeEx) initialize = nullptr;
    decltype(&::CoUninitialize) uninitialize = nullptr;
    decltype(&::CoCreateInstance) createInstance = nullptr;

    static const Ole& Get() {
        static const Ole ole = [] {
            Ole loaded;
            if (HMODULE module = ::LoadLibraryA("ole32.dll")) {
                loaded.initialize = reinterpret_cast<decltype(&::CoInitializeEx)>(
                    reinterpret_cast<void*>(::GetProcAddress(module, "CoInitializeEx")));
                loaded.uninitialize = reinterpret_cast<decltype(&::CoUninitialize)>(
                    reinterpret_cast<void*>(::GetProcAddress(module, "CoUninitialize")));
                loaded.createInstance = reinterpret_cast<decltype(&::CoCreateInstance)>(
                    reinterpret_cast<void*>(::GetProcAddress(module, "CoCreateInstance")));
            }
            return loaded;
        }();
        return ole;
    }
    bool Loaded() const { return initialize && uninitialize && createInstance; }
};

// Initialises COM on this thread for one call, and undoes only what it did.
class ComScope {
public:
    ComScope()
        : m_hr(Ole::Get().Loaded() ? Ole::Get().initialize(nullptr, COINIT_APARTMENTTHREADED)
                                   : E_NOINTERFACE) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (SUCCEEDED(m_hr)) Ole::Get().uninitialize();
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

// The whole file, read into memory: a read error becomes a code, never a fault on a mapped page.
class FileView {
public:
    int32_t Open(const char* path) {
        // Others may go on writing it, as an image editor that holds it open does.
        Handle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) {
            DWORD error = ::GetLastError();
            bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                           error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH;
            return missing ? IMGLIB_ERR_FILE_NOT_FOUND : IMGLIB_ERR_READ;
        }
        return ReadAll(file.get());
    }

    std::span<const uint8_t> bytes() const { return {m_data.get(), m_size}; }

private:
    int32_t ReadAll(HANDLE file) {
        LARGE_INTEGER size;
        if (!::GetFileSizeEx(file, &size)) return IMGLIB_ERR_READ;
        if (static_cast<uint64_t>(size.QuadPart) > kMaxFileBytes) return IMGLIB_ERR_TOO_LARGE;
        const size_t total = static_cast<size_t>(size.QuadPart);
        m_data.reset(new (std::nothrow) uint8_t[total ? total : 1]);
        if (!m_data) return IMGLIB_ERR_NO_MEMORY;
        constexpr DWORD kChunk = 16u << 20;
        while (m_size < total) {
            DWORD want = static_cast<DWORD>(std::min<size_t>(kChunk, total - m_size));
            DWORD got = 0;
            if (!::ReadFile(file, m_data.get() + m_size, want, &got, nullptr))
                return IMGLIB_ERR_READ;
            if (got == 0) break; // the file shrank meanwhile: decode what is there
            m_size += got;
        }
        return IMGLIB_OK;
    }

    std::unique_ptr<uint8_t[]> m_data;
    size_t m_size = 0;
};

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

// Copies a band of rows at a time from source (24-bit BGR or 32-bit BGRX) into the bitmap, so
// that no full-size copy of the pixels is made besides the bitmap itself. Small bands keep the
// decoders' scratch memory in the heap, reused, instead of fresh pages for every band.
template <class Check>
HBITMAP CopyInBands(IWICBitmapSource* source, UINT sourceBytesPerPixel, UINT width, UINT height,
                    Check&& check) {
    constexpr size_t kBandBytes = 256u << 10;
    const size_t rowBytes = size_t{width} * 4;
    const size_t sourceRowBytes = size_t{width} * sourceBytesPerPixel;
    const UINT bandRows = static_cast<UINT>(std::clamp<size_t>(kBandBytes / rowBytes, 1, height));
    std::vector<uint8_t> sourceBand, band;
    try {
        sourceBand.resize(sourceRowBytes * bandRows);
        band.resize(rowBytes * bandRows);
    } catch (const std::bad_alloc&) {
        throw Failure{IMGLIB_ERR_NO_MEMORY};
    }
    ScreenDC screen;
    if (!screen.get()) throw Failure{IMGLIB_ERR_BITMAP};
    OwnedBitmap bitmap(
        ::CreateCompatibleBitmap(screen.get(), static_cast<int>(width), static_cast<int>(height)));
    if (!bitmap.get()) throw Failure{IMGLIB_ERR_BITMAP};
    // Bottom-up, the layout in which SetDIBits takes a band of scan lines reliably.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    for (UINT top = 0; top < height; top += bandRows) {
        UINT rows = std::min(bandRows, height - top);
        WICRect rect = {0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
        check(source->CopyPixels(&rect, static_cast<UINT>(sourceRowBytes),
                                 static_cast<UINT>(sourceRowBytes * rows), sourceBand.data()));
        for (UINT row = 0; row < rows; ++row) {
            const uint8_t* from = sourceBand.data() + row * sourceRowBytes;
            uint8_t* to = band.data() + (rows - 1 - row) * rowBytes;
            if (sourceBytesPerPixel == 4) {
                std::copy_n(from, rowBytes, to);
                continue;
            }
            for (UINT x = 0; x < width; ++x, from += 3, to += 4) {
                to[0] = from[0], to[1] = from[1], to[2] = from[2], to[3] = 0;
            }
        }
        if (::SetDIBits(screen.get(), bitmap.get(), height - top - rows, rows, band.data(), &info,
                        DIB_RGB_COLORS) != static_cast<int>(rows)) {
            throw Failure{IMGLIB_ERR_BITMAP};
        }
    }
    return bitmap.release();
}

// Why WIC failed: its own codes where they say it, else what the header declares.
int32_t WicFailure(HRESULT hr, const imglib::HeaderFacts& facts) {
    switch (hr) {
    case E_OUTOFMEMORY: return IMGLIB_ERR_NO_MEMORY;
    case WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT:
    case WINCODEC_ERR_UNSUPPORTEDVERSION:
    case WINCODEC_ERR_UNSUPPORTEDOPERATION:
    case WINCODEC_ERR_COMPONENTNOTFOUND: return IMGLIB_ERR_INCOMPATIBLE;
    default: return facts.uncommonVariant ? IMGLIB_ERR_INCOMPATIBLE : IMGLIB_ERR_CORRUPT;
    }
}

const GUID& ContainerOf(Format format) {
    switch (format) {
    case Format::Bmp: return GUID_ContainerFormatBmp;
    case Format::Jpeg: return GUID_ContainerFormatJpeg;
    case Format::Tiff: return GUID_ContainerFormatTiff;
    case Format::Png: return GUID_ContainerFormatPng;
    default: return GUID_ContainerFormatGif;
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

HBITMAP DecodeWithWic(Format format, std::span<const uint8_t> bytes, uint32_t& sourceBits) {
    imglib::HeaderFacts facts = imglib::ReadHeaderFacts(format, bytes);
    // Some decoders expand the whole image as soon as they open it: check the header first.
    if (facts.sizeKnown && !imglib::WithinLimits(facts.width, facts.height)) {
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
    check(Ole::Get().createInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWICImagingFactory,
                                    reinterpret_cast<void**>(factory.out())));
    check(factory->CreateStream(stream.out()));
    check(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                       static_cast<DWORD>(bytes.size())));
    check(factory->CreateDecoder(ContainerOf(format), nullptr, decoder.out()));
    check(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand));
    check(decoder->GetFrame(0, frame.out()));
    UINT width = 0, height = 0;
    check(frame->GetSize(&width, &height));
    if (width == 0 || height == 0) throw Failure{IMGLIB_ERR_CORRUPT};
    if (!imglib::WithinLimits(width, height)) throw Failure{IMGLIB_ERR_TOO_LARGE};
    WICPixelFormatGUID pixelFormat;
    check(frame->GetPixelFormat(&pixelFormat));
    // The decoder may present packed or run-length pixels expanded; the header knows better.
    sourceBits = facts.bitsPerPixel ? facts.bitsPerPixel : BitsPerPixel(factory.get(), pixelFormat);
    // The common layouts are copied as they are; WIC's converter is slower, for the rest only.
    if (pixelFormat == GUID_WICPixelFormat24bppBGR) {
        return CopyInBands(frame.get(), 3, width, height, check);
    }
    if (pixelFormat == GUID_WICPixelFormat32bppBGR || pixelFormat == GUID_WICPixelFormat32bppBGRA) {
        return CopyInBands(frame.get(), 4, width, height, check);
    }
    check(factory->CreateFormatConverter(converter.out()));
    check(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                                nullptr, 0, WICBitmapPaletteTypeCustom));
    return CopyInBands(converter.get(), 4, width, height, check);
}

HBITMAP DecodePortable(Format format, std::span<const uint8_t> bytes, uint32_t& sourceBits) {
    imglib::DecodeResult result;
    try {
        switch (format) {
        case Format::Pcx: result = imglib::DecodePcx(bytes); break;
        case Format::PhotoCd: result = imglib::DecodePhotoCd(bytes); break;
        default: result = imglib::DecodeTga(bytes); break;
        }
    } catch (const std::bad_alloc&) {
        throw Failure{IMGLIB_ERR_NO_MEMORY};
    }
    if (!result) throw Failure{static_cast<int32_t>(result.error)};
    const imglib::Image& image = result.image;
    if (!imglib::WithinLimits(image.width, image.height) || image.width == 0 || image.height == 0 ||
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
        FileView file;
        if (int32_t error = file.Open(path)) throw Failure{error};
        std::span<const uint8_t> bytes = file.bytes();
        uint32_t sourceBits = 0;
        const Format format = imglib::Recognise(bytes);
        if (format == Format::Unknown) throw Failure{IMGLIB_ERR_UNSUPPORTED};
        HBITMAP bitmap = imglib::DecodedByWic(format) ? DecodeWithWic(format, bytes, sourceBits)
                                                      : DecodePortable(format, bytes, sourceBits);
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
