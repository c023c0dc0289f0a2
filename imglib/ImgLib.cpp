// ImgLib.dll: opens a picture, recognises its format by content, decodes it through WIC, fed
// from the open file, or through one of our portable decoders, which read the file whole, and
// hands back a bitmap compatible with the screen.
#include "ImgLib.h"

#include <wincodec.h>

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
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

// Bigger files are refused before they are read: no image within the pixel limits needs more.
constexpr uint64_t kMaxFileBytes = 512ull * 1024 * 1024;
// The start of the file that tells a format that WIC decodes from the rest.
constexpr size_t kHeadBytes = 4096;
// What WIC's stream reads ahead for the decoders' small reads.
constexpr size_t kStreamBuffer = 64u << 10;
// Rows go into the bitmap a band at a time; a band this size stays in the cache.
constexpr size_t kBandBytes = 256u << 10;

thread_local int32_t t_lastError = IMGLIB_OK;

struct Failure {
    int32_t code;
};

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

// ---- The file ----

// The picture's file, open for reading while others may go on writing it, as an image editor
// that holds it open does. Reads are positional; a failed read is remembered, so that the
// decode that it broke reports IMGLIB_ERR_READ, an error code rather than a fault.
class ImageFile {
public:
    ImageFile() = default;
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;
    ~ImageFile() {
        if (m_file != INVALID_HANDLE_VALUE) ::CloseHandle(m_file);
    }

    // IMGLIB_OK, or why the file cannot be read.
    int32_t Open(const char* path) {
        m_file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (m_file == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                                 error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH;
            return missing ? IMGLIB_ERR_FILE_NOT_FOUND : IMGLIB_ERR_READ;
        }
        LARGE_INTEGER size;
        if (!::GetFileSizeEx(m_file, &size)) return IMGLIB_ERR_READ;
        if (static_cast<uint64_t>(size.QuadPart) > kMaxFileBytes) return IMGLIB_ERR_TOO_LARGE;
        m_size = static_cast<size_t>(size.QuadPart);
        return IMGLIB_OK;
    }

    size_t Size() const { return m_size; }
    bool ReadFailed() const { return m_readFailed; }

    // Reads into buffer from offset on; returns how many bytes arrived, fewer at the end.
    size_t ReadAt(uint64_t offset, std::span<uint8_t> buffer) {
        constexpr DWORD kChunk = 16u << 20;
        // Seeking first: a read with an offset of its own is many times slower under Wine.
        if (offset != m_pointer) {
            LARGE_INTEGER to;
            to.QuadPart = static_cast<LONGLONG>(offset);
            if (!::SetFilePointerEx(m_file, to, nullptr, FILE_BEGIN)) {
                m_readFailed = true;
                return 0;
            }
            m_pointer = offset;
        }
        size_t done = 0;
        while (done < buffer.size()) {
            const DWORD want = static_cast<DWORD>(std::min<size_t>(kChunk, buffer.size() - done));
            DWORD got = 0;
            if (!::ReadFile(m_file, buffer.data() + done, want, &got, nullptr)) {
                m_readFailed = true;
                break;
            }
            if (got == 0) break; // the file shrank meanwhile: what is there is decoded
            done += got;
            m_pointer += got;
        }
        return done;
    }

    // The first bytes, or all of a small file.
    std::vector<uint8_t> Head() { return Read(std::min(m_size, kHeadBytes)); }
    // The whole file, for our own decoders.
    std::vector<uint8_t> ReadAll() { return Read(m_size); }

private:
    std::vector<uint8_t> Read(size_t count) {
        std::vector<uint8_t> bytes;
        try {
            bytes.resize(count);
        } catch (const std::bad_alloc&) {
            throw Failure{IMGLIB_ERR_NO_MEMORY};
        }
        bytes.resize(ReadAt(0, bytes));
        if (m_readFailed) throw Failure{IMGLIB_ERR_READ};
        return bytes;
    }

    HANDLE m_file = INVALID_HANDLE_VALUE;
    size_t m_size = 0;
    uint64_t m_pointer = 0; // the file's own position
    bool m_readFailed = false;
};

// A read-only stream over the image file for WIC, at a position of its own.
class FileStream final : public IStream {
public:
    explicit FileStream(ImageFile& file) : m_file(file) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) {
            *out = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&m_references); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = ::InterlockedDecrement(&m_references);
        if (left == 0) delete this;
        return left;
    }

    // Small reads, of which some decoders make very many, come from a buffer.
    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override {
        auto* to = static_cast<uint8_t*>(buffer);
        size_t done = 0;
        while (done < count) {
            if (m_position >= m_bufferStart && m_position < m_bufferStart + m_buffered) {
                const size_t at = static_cast<size_t>(m_position - m_bufferStart);
                const size_t n = std::min<size_t>(m_buffered - at, count - done);
                std::copy_n(m_buffer.data() + at, n, to + done);
                done += n;
                m_position += n;
                continue;
            }
            const size_t wanted = count - done;
            const bool direct = wanted >= m_buffer.size();
            const size_t got = direct ? m_file.ReadAt(m_position, {to + done, wanted})
                                      : m_file.ReadAt(m_position, m_buffer);
            if (direct) {
                done += got;
                m_position += got;
            } else {
                m_bufferStart = m_position;
                m_buffered = got;
            }
            if (got == 0 || (direct && got < wanted)) break;
        }
        if (read) *read = static_cast<ULONG>(done);
        if (m_file.ReadFailed()) return STG_E_READFAULT;
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                   ULARGE_INTEGER* position) override {
        if (origin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
        const int64_t base = origin == STREAM_SEEK_SET   ? 0
                             : origin == STREAM_SEEK_CUR ? static_cast<int64_t>(m_position)
                                                         : static_cast<int64_t>(m_file.Size());
        if (base + move.QuadPart < 0) return STG_E_INVALIDFUNCTION;
        m_position = static_cast<uint64_t>(base + move.QuadPart);
        if (position) position->QuadPart = m_position;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
        if (!stat) return STG_E_INVALIDPOINTER;
        *stat = {};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = m_file.Size();
        stat->grfMode = STGM_READ;
        return S_OK;
    }

    // Reading is all that the decoders need.
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override {
        return STG_E_ACCESSDENIED;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                     ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

private:
    ~FileStream() = default;

    ImageFile& m_file; // borrowed: the decoder that holds the stream goes first
    uint64_t m_position = 0;
    std::vector<uint8_t> m_buffer = std::vector<uint8_t>(kStreamBuffer);
    uint64_t m_bufferStart = 0;
    size_t m_buffered = 0;
    LONG m_references = 1;
};

// ---- The bitmap ----

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

// The rows of source, laid out as dib says, into a new bitmap compatible with the screen, a
// band at a time: WIC writes a band, its rows are turned bottom-up, the layout in which
// SetDIBits takes a band of scan lines reliably, and SetDIBits converts them into the bitmap's
// rows. A band fits the cache; no copy of the whole picture is made besides the bitmap itself.
template <class Check>
HBITMAP RowsIntoBitmap(IWICBitmapSource* source, const DibLayout& dib, Check&& check) {
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

// ---- WIC ----

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

// The DIB layout of WIC's pixelFormat, when SetDIBits takes it as it is: BGR, BGRX, BGRA
// (whose alpha the bitmap drops), grey, and 1, 4 or 8 bits with the frame's palette.
template <class Check>
std::optional<DibLayout> DibOf(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame,
                               const WICPixelFormatGUID& pixelFormat, UINT width, UINT height,
                               Check&& check) {
    if (pixelFormat == GUID_WICPixelFormat24bppBGR) return DibLayout(width, height, 24);
    if (pixelFormat == GUID_WICPixelFormat32bppBGR || pixelFormat == GUID_WICPixelFormat32bppBGRA)
        return DibLayout(width, height, 32);
    if (pixelFormat == GUID_WICPixelFormat8bppGray) {
        DibLayout dib(width, height, 8);
        for (int i = 0; i < 256; ++i) {
            const BYTE level = static_cast<BYTE>(i);
            dib.colors[i] = {level, level, level, 0};
        }
        return dib;
    }
    WORD bits = 0;
    if (pixelFormat == GUID_WICPixelFormat1bppIndexed) bits = 1;
    if (pixelFormat == GUID_WICPixelFormat4bppIndexed) bits = 4;
    if (pixelFormat == GUID_WICPixelFormat8bppIndexed) bits = 8;
    if (bits == 0) return std::nullopt;
    ComPtr<IWICPalette> palette;
    check(factory->CreatePalette(palette.out()));
    check(frame->CopyPalette(palette.get()));
    WICColor colors[256] = {};
    UINT count = 0;
    check(palette->GetColors(1u << bits, colors, &count));
    DibLayout dib(width, height, bits);
    for (UINT i = 0; i < count; ++i) { // 0xAARRGGBB; the bitmap has no alpha
        const WICColor color = colors[i];
        dib.colors[i] = {static_cast<BYTE>(color), static_cast<BYTE>(color >> 8),
                         static_cast<BYTE>(color >> 16), 0};
    }
    return dib;
}

HBITMAP DecodeWithWic(Format format, ImageFile& file, uint32_t& sourceBits) {
    imglib::ByteReader header(
        [&](size_t offset, std::span<uint8_t> buffer) { return file.ReadAt(offset, buffer); },
        file.Size());
    const imglib::HeaderFacts facts = imglib::ReadHeaderFacts(format, header);
    if (file.ReadFailed()) throw Failure{IMGLIB_ERR_READ};
    // Some decoders expand the whole image as soon as they open it: check the header first.
    if (facts.sizeKnown && !imglib::WithinLimits(facts.width, facts.height)) {
        throw Failure{IMGLIB_ERR_TOO_LARGE};
    }
    ComScope com;
    if (!com.Usable()) throw Failure{IMGLIB_ERR_NO_MEMORY};
    auto check = [&](HRESULT hr) {
        if (file.ReadFailed()) throw Failure{IMGLIB_ERR_READ};
        if (FAILED(hr)) throw Failure{WicFailure(hr, facts)};
    };
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    check(Ole::Get().createInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWICImagingFactory,
                                    reinterpret_cast<void**>(factory.out())));
    check(factory->CreateDecoder(ContainerOf(format), nullptr, decoder.out()));
    {
        IStream* stream = new FileStream(file);
        const HRESULT opened = decoder->Initialize(stream, WICDecodeMetadataCacheOnDemand);
        stream->Release(); // the decoder holds it as long as it needs it
        check(opened);
    }
    check(decoder->GetFrame(0, frame.out()));
    UINT width = 0, height = 0;
    check(frame->GetSize(&width, &height));
    if (width == 0 || height == 0) throw Failure{IMGLIB_ERR_CORRUPT};
    if (!imglib::WithinLimits(width, height)) throw Failure{IMGLIB_ERR_TOO_LARGE};
    WICPixelFormatGUID pixelFormat;
    check(frame->GetPixelFormat(&pixelFormat));
    // The decoder may present packed or run-length pixels expanded; the header knows better.
    sourceBits = facts.bitsPerPixel ? facts.bitsPerPixel : BitsPerPixel(factory.get(), pixelFormat);
    // The layouts that SetDIBits takes go in as they are; WIC's converter makes the rest BGRX.
    if (const std::optional<DibLayout> dib =
            DibOf(factory.get(), frame.get(), pixelFormat, width, height, check)) {
        return RowsIntoBitmap(frame.get(), *dib, check);
    }
    check(factory->CreateFormatConverter(converter.out()));
    check(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                                nullptr, 0, WICBitmapPaletteTypeCustom));
    return RowsIntoBitmap(converter.get(), DibLayout(width, height, 32), check);
}

// ---- Our own decoders ----

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

HBITMAP DecodePortable(Format format, std::span<const uint8_t> bytes, uint32_t& sourceBits) {
    imglib::DecodeResult result;
    try {
        switch (format) {
        case Format::Pcx: result = imglib::DecodePcx(bytes); break;
        case Format::PhotoCd: result = imglib::DecodePhotoCd(bytes); break;
        case Format::Tga: result = imglib::DecodeTga(bytes); break;
        default: throw Failure{IMGLIB_ERR_UNSUPPORTED};
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
        ImageFile file;
        if (int32_t error = file.Open(path)) throw Failure{error};
        uint32_t sourceBits = 0;
        HBITMAP bitmap = nullptr;
        // The formats that WIC decodes are told by their first bytes, as they come first.
        const Format format = imglib::Recognise(file.Head());
        if (imglib::DecodedByWic(format)) {
            bitmap = DecodeWithWic(format, file, sourceBits);
        } else {
            const std::vector<uint8_t> bytes = file.ReadAll();
            const Format portable = imglib::Recognise(bytes);
            if (portable == Format::Unknown) throw Failure{IMGLIB_ERR_UNSUPPORTED};
            bitmap = DecodePortable(portable, bytes, sourceBits);
        }
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
