// ImgLib.dll: opens a picture, recognises its format by content, decodes it through WIC, fed
// from the open file, or through one of our portable decoders, which read the file whole, and
// hands back a bitmap compatible with the screen, or its pixels for a PNG copy.
#include "ImgLib.h"

#include <wincodec.h>

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "Alpha.h"
#include "Decoders.h"
#include "PngWriter.h"
#include "Sniff.h"
#include "WinSupport.h"

namespace {

using imglib::DecodeError;
using imglib::Format;
using imglib::win::ComPtr;
using imglib::win::Failure;
using imglib::win::StreamBase;
using imglib::win::Wic;

// A decoder's failure is handed on as its number.
static_assert(static_cast<int32_t>(DecodeError::None) == IMGLIB_OK);
static_assert(static_cast<int32_t>(DecodeError::Corrupt) == IMGLIB_ERR_CORRUPT);
static_assert(static_cast<int32_t>(DecodeError::TooLarge) == IMGLIB_ERR_TOO_LARGE);
static_assert(static_cast<int32_t>(DecodeError::NoMemory) == IMGLIB_ERR_NO_MEMORY);
static_assert(static_cast<int32_t>(DecodeError::Unsupported) == IMGLIB_ERR_UNSUPPORTED);
static_assert(static_cast<int32_t>(DecodeError::Incompatible) == IMGLIB_ERR_INCOMPATIBLE);
// So is the format that it recognised.
static_assert(static_cast<int32_t>(Format::Unknown) == IMGLIB_FORMAT_NONE);
static_assert(static_cast<int32_t>(Format::Bmp) == IMGLIB_FORMAT_BMP);
static_assert(static_cast<int32_t>(Format::Jpeg) == IMGLIB_FORMAT_JPEG);
static_assert(static_cast<int32_t>(Format::Tiff) == IMGLIB_FORMAT_TIFF);
static_assert(static_cast<int32_t>(Format::Png) == IMGLIB_FORMAT_PNG);
static_assert(static_cast<int32_t>(Format::Gif) == IMGLIB_FORMAT_GIF);
static_assert(static_cast<int32_t>(Format::Pcx) == IMGLIB_FORMAT_PCX);
static_assert(static_cast<int32_t>(Format::PhotoCd) == IMGLIB_FORMAT_PHOTOCD);
static_assert(static_cast<int32_t>(Format::Tga) == IMGLIB_FORMAT_TGA);

// Bigger files are refused before they are read: no image within the pixel limits needs more.
constexpr uint64_t kMaxFileBytes = 512ull * 1024 * 1024;
// The start of the file that tells a format that WIC decodes from the rest.
constexpr size_t kHeadBytes = 4096;
// What WIC's stream reads ahead for the decoders' small reads.
constexpr size_t kStreamBuffer = 64u << 10;
// Rows go into the bitmap a band at a time; a band this size stays in the cache.
constexpr size_t kBandBytes = 256u << 10;

thread_local int32_t t_lastError = IMGLIB_OK;
thread_local int32_t t_lastFormat = IMGLIB_FORMAT_NONE;

// ---- The file ----

// The picture's file, open for reading while others may go on writing it, as an image editor
// that holds it open does. Reads are positional; a failed read is remembered with the system's
// code, so that the decode that it broke reports IMGLIB_ERR_READ, an error code, not a fault.
class ImageFile {
public:
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;
    ~ImageFile() {
        if (m_file != INVALID_HANDLE_VALUE) ::CloseHandle(m_file);
    }

    // Throws why the file cannot be read.
    explicit ImageFile(const char* path)
        : m_file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {
        if (m_file == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                                 error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH;
            throw Failure{missing ? IMGLIB_ERR_FILE_NOT_FOUND : IMGLIB_ERR_READ, error};
        }
        LARGE_INTEGER size;
        const bool sized = ::GetFileSizeEx(m_file, &size);
        const DWORD error = ::GetLastError();
        if (!sized || static_cast<uint64_t>(size.QuadPart) > kMaxFileBytes) {
            ::CloseHandle(m_file); // no destructor runs for a constructor that throws
            throw sized ? Failure{IMGLIB_ERR_TOO_LARGE} : Failure{IMGLIB_ERR_READ, error};
        }
        m_size = static_cast<size_t>(size.QuadPart);
    }

    size_t Size() const { return m_size; }
    bool ReadFailed() const { return m_readError != ERROR_SUCCESS; }
    // Throws IMGLIB_ERR_READ after a failed read.
    void ThrowIfReadFailed() const {
        if (ReadFailed()) throw Failure{IMGLIB_ERR_READ, m_readError};
    }

    // Reads into buffer from offset on; returns how many bytes arrived, fewer at the end.
    size_t ReadAt(uint64_t offset, std::span<uint8_t> buffer) {
        constexpr DWORD kChunk = 16u << 20;
        // Seeking first: a read with an offset of its own is many times slower under Wine.
        if (offset != m_pointer) {
            LARGE_INTEGER to;
            to.QuadPart = static_cast<LONGLONG>(offset);
            if (!::SetFilePointerEx(m_file, to, nullptr, FILE_BEGIN)) {
                m_readError = ::GetLastError();
                return 0;
            }
            m_pointer = offset;
        }
        size_t done = 0;
        while (done < buffer.size()) {
            const DWORD want = static_cast<DWORD>(std::min<size_t>(kChunk, buffer.size() - done));
            DWORD got = 0;
            if (!::ReadFile(m_file, buffer.data() + done, want, &got, nullptr)) {
                m_readError = ::GetLastError();
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
        ThrowIfReadFailed();
        return bytes;
    }

    HANDLE m_file;
    size_t m_size = 0;
    uint64_t m_pointer = 0; // the file's own position
    DWORD m_readError = ERROR_SUCCESS;
};

// A read-only stream over the image file for WIC, at a position of its own.
class FileStream final : public StreamBase {
public:
    explicit FileStream(ImageFile& file) : m_file(file) {}

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
        const int64_t to = SeekTarget(move, origin, m_position, m_file.Size());
        if (to < 0) return STG_E_INVALIDFUNCTION;
        m_position = static_cast<uint64_t>(to);
        if (position) position->QuadPart = m_position;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
        return StatOf(stat, m_file.Size(), STGM_READ);
    }

private:
    ~FileStream() override = default;

    ImageFile& m_file; // borrowed: the decoder that holds the stream goes first
    uint64_t m_position = 0;
    std::vector<uint8_t> m_buffer = std::vector<uint8_t>(kStreamBuffer);
    uint64_t m_bufferStart = 0;
    size_t m_buffered = 0;
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

// What WIC says of a pixel format: its bits per pixel (0 when it cannot say; aux is
// informative only) and whether it carries alpha.
struct PixelFormatFacts {
    uint32_t bits = 0;
    bool alpha = false;
};

PixelFormatFacts FactsOf(IWICImagingFactory* factory, const WICPixelFormatGUID& format) {
    PixelFormatFacts facts;
    ComPtr<IWICComponentInfo> info;
    ComPtr<IWICPixelFormatInfo2> pixelInfo;
    if (FAILED(factory->CreateComponentInfo(format, info.out())) ||
        FAILED(info->QueryInterface(IID_IWICPixelFormatInfo2,
                                    reinterpret_cast<void**>(pixelInfo.out())))) {
        return facts;
    }
    UINT bits = 0;
    BOOL transparency = FALSE;
    if (SUCCEEDED(pixelInfo->GetBitsPerPixel(&bits))) facts.bits = bits;
    if (SUCCEEDED(pixelInfo->SupportsTransparency(&transparency))) facts.alpha = transparency;
    return facts;
}

bool IsIndexed(const WICPixelFormatGUID& format) {
    return format == GUID_WICPixelFormat1bppIndexed || format == GUID_WICPixelFormat2bppIndexed ||
           format == GUID_WICPixelFormat4bppIndexed || format == GUID_WICPixelFormat8bppIndexed;
}

// The first frame of a picture that WIC decodes, through a decoder over the open file.
class WicPicture {
    // Check, for the helpers that take a callable.
    struct Checker {
        const WicPicture* picture;
        void operator()(HRESULT hr) const { picture->Check(hr); }
    };

public:
    WicPicture(Format format, ImageFile& file)
        : m_format(format), m_file(file), m_facts(ReadFacts(format, file)), m_wic(Checker{this}) {
        // Some decoders expand the whole image as soon as they open it: check the header first.
        if (m_facts.sizeKnown && !imglib::WithinLimits(m_facts.width, m_facts.height)) {
            throw Failure{IMGLIB_ERR_TOO_LARGE};
        }
        Check(m_wic->CreateDecoder(ContainerOf(format), nullptr, m_decoder.out()));
        {
            IStream* stream = new FileStream(file);
            const HRESULT opened = m_decoder->Initialize(stream, WICDecodeMetadataCacheOnDemand);
            stream->Release(); // the decoder holds it as long as it needs it
            Check(opened);
        }
        Check(m_decoder->GetFrame(0, m_frame.out()));
        Check(m_frame->GetSize(&m_width, &m_height));
        if (m_width == 0 || m_height == 0) throw Failure{IMGLIB_ERR_CORRUPT};
        if (!imglib::WithinLimits(m_width, m_height)) throw Failure{IMGLIB_ERR_TOO_LARGE};
        Check(m_frame->GetPixelFormat(&m_pixelFormat));
        m_pixelFacts = FactsOf(m_wic.get(), m_pixelFormat);
    }

    // The source's bits per pixel. The decoder may present packed or run-length pixels
    // expanded; the header knows better.
    uint32_t SourceBits() const {
        return m_facts.bitsPerPixel ? m_facts.bitsPerPixel : m_pixelFacts.bits;
    }

    // A bitmap compatible with the screen, transparent pixels blended over white.
    HBITMAP IntoBitmap() {
        // The layouts that SetDIBits takes go in as they are.
        if (const std::optional<DibLayout> dib = DibOfFrame()) {
            return RowsIntoBitmap(m_frame.get(), *dib, Checker{this});
        }
        const DibLayout bgrx(m_width, m_height, 32);
        if (!m_pixelFacts.alpha) {
            return RowsIntoBitmap(Converted(GUID_WICPixelFormat32bppBGR), bgrx, Checker{this});
        }
        IWICBitmapSource* bgra = Converted(GUID_WICPixelFormat32bppBGRA);
        bool anyAlpha = false;
        OwnedBitmap blended(
            RowsIntoBitmap(bgra, bgrx, Checker{this}, RowAlpha::BlendedOverWhite, &anyAlpha));
        if (anyAlpha || !EmptyAlphaIgnored()) return blended.release();
        return RowsIntoBitmap(bgra, bgrx, Checker{this});
    }

    // The pixels, with alpha where the source has it.
    imglib::Image IntoPixels() {
        imglib::Image image;
        image.width = m_width;
        image.height = m_height;
        image.sourceBitsPerPixel = SourceBits();
        try {
            image.bgra.resize(size_t{m_width} * m_height * 4);
        } catch (const std::bad_alloc&) {
            throw Failure{IMGLIB_ERR_NO_MEMORY};
        }
        Check(Converted(GUID_WICPixelFormat32bppBGRA)
                  ->CopyPixels(nullptr, m_width * 4, static_cast<UINT>(image.bgra.size()),
                               image.bgra.data()));
        image.hasAlpha = HasAlpha() && !(EmptyAlphaIgnored() && imglib::AlphaIsEmpty(image.bgra));
        if (!image.hasAlpha) imglib::DropAlpha(image.bgra);
        return image;
    }

private:
    static imglib::HeaderFacts ReadFacts(Format format, ImageFile& file) {
        imglib::ByteReader header(
            [&](size_t offset, std::span<uint8_t> buffer) { return file.ReadAt(offset, buffer); },
            file.Size());
        const imglib::HeaderFacts facts = imglib::ReadHeaderFacts(format, header);
        file.ThrowIfReadFailed();
        return facts;
    }

    void Check(HRESULT hr) const {
        m_file.ThrowIfReadFailed();
        if (FAILED(hr)) throw Failure{WicFailure(hr, m_facts)};
    }

    // Browsers show a BMP whose alpha is 0 throughout as opaque.
    bool EmptyAlphaIgnored() const { return m_format == Format::Bmp; }

    bool HasAlpha() const {
        if (!IsIndexed(m_pixelFormat)) return m_pixelFacts.alpha;
        ComPtr<IWICPalette> palette;
        BOOL alpha = FALSE;
        Check(m_wic->CreatePalette(palette.out()));
        Check(m_frame->CopyPalette(palette.get()));
        Check(palette->HasAlpha(&alpha));
        return alpha;
    }

    // The frame's layout when SetDIBits takes its rows as they are: BGR, BGRX, grey, and 1, 4 or
    // 8 bits with the frame's palette, its colours blended over white by their alpha.
    std::optional<DibLayout> DibOfFrame() const {
        if (m_pixelFormat == GUID_WICPixelFormat24bppBGR) return DibLayout(m_width, m_height, 24);
        if (m_pixelFormat == GUID_WICPixelFormat32bppBGR) return DibLayout(m_width, m_height, 32);
        if (m_pixelFormat == GUID_WICPixelFormat8bppGray) {
            DibLayout dib(m_width, m_height, 8);
            for (int i = 0; i < 256; ++i) {
                const BYTE level = static_cast<BYTE>(i);
                dib.colors[i] = {level, level, level, 0};
            }
            return dib;
        }
        WORD bits = 0;
        if (m_pixelFormat == GUID_WICPixelFormat1bppIndexed) bits = 1;
        if (m_pixelFormat == GUID_WICPixelFormat4bppIndexed) bits = 4;
        if (m_pixelFormat == GUID_WICPixelFormat8bppIndexed) bits = 8;
        if (bits == 0) return std::nullopt;
        ComPtr<IWICPalette> palette;
        Check(m_wic->CreatePalette(palette.out()));
        Check(m_frame->CopyPalette(palette.get()));
        WICColor colors[256] = {};
        UINT count = 0;
        Check(palette->GetColors(1u << bits, colors, &count));
        DibLayout dib(m_width, m_height, bits);
        for (UINT i = 0; i < count; ++i) { // 0xAARRGGBB
            const WICColor color = colors[i];
            const auto alpha = static_cast<uint8_t>(color >> 24);
            dib.colors[i] = {imglib::OverWhite(static_cast<uint8_t>(color), alpha),
                             imglib::OverWhite(static_cast<uint8_t>(color >> 8), alpha),
                             imglib::OverWhite(static_cast<uint8_t>(color >> 16), alpha), 0};
        }
        return dib;
    }

    // The frame's pixels in pixelFormat, through WIC's converter; one converter for the picture,
    // as it is asked for one format only.
    IWICBitmapSource* Converted(const WICPixelFormatGUID& pixelFormat) {
        if (m_pixelFormat == pixelFormat) return m_frame.get();
        if (!m_converter.get()) {
            Check(m_wic->CreateFormatConverter(m_converter.out()));
            Check(m_converter->Initialize(m_frame.get(), pixelFormat, WICBitmapDitherTypeNone,
                                          nullptr, 0, WICBitmapPaletteTypeCustom));
        }
        WICPixelFormatGUID converted = {};
        Check(m_converter->GetPixelFormat(&converted));
        if (converted != pixelFormat) throw Failure{IMGLIB_ERR_INCOMPATIBLE};
        return m_converter.get();
    }

    Format m_format;
    ImageFile& m_file; // borrowed: outlives the picture
    imglib::HeaderFacts m_facts;
    Wic m_wic; // COM lasts until the interfaces below are released
    ComPtr<IWICBitmapDecoder> m_decoder;
    ComPtr<IWICBitmapFrameDecode> m_frame;
    ComPtr<IWICFormatConverter> m_converter;
    UINT m_width = 0, m_height = 0;
    WICPixelFormatGUID m_pixelFormat = {};
    PixelFormatFacts m_pixelFacts;
};

// ---- Our own decoders ----

imglib::Image DecodePortable(Format format, std::span<const uint8_t> bytes) {
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
    imglib::Image& image = result.image;
    if (!imglib::WithinLimits(image.width, image.height) || image.width == 0 || image.height == 0 ||
        image.bgra.size() != size_t{image.width} * image.height * 4) {
        throw Failure{IMGLIB_ERR_CORRUPT};
    }
    return std::move(image);
}

// ---- Both exports ----

// Opens the picture at path, recognises it by its content and hands it to the one of fromWic
// (given a WicPicture) and fromPortable (given the pixels of our own decoder) that decodes it.
template <class FromWic, class FromPortable>
auto Decode(const char* path, Format& format, FromWic&& fromWic, FromPortable&& fromPortable) {
    ImageFile file(path);
    // The formats that WIC decodes are told by their first bytes, as they come first.
    format = imglib::Recognise(file.Head());
    if (imglib::DecodedByWic(format)) {
        WicPicture picture(format, file);
        return fromWic(picture);
    }
    const std::vector<uint8_t> bytes = file.ReadAll();
    format = imglib::Recognise(bytes);
    if (format == Format::Unknown) throw Failure{IMGLIB_ERR_UNSUPPORTED};
    return fromPortable(DecodePortable(format, bytes));
}

// Runs an export's work. Its failure's code becomes the thread's last error, and the system's
// code of a file that failed is left for GetLastError; false then.
template <class Work> bool Run(Work&& work) {
    t_lastError = IMGLIB_OK;
    DWORD systemError = ERROR_SUCCESS;
    try {
        work();
        return true;
    } catch (const Failure& failure) {
        t_lastError = failure.code;
        systemError = failure.systemError;
    } catch (const std::bad_alloc&) {
        t_lastError = IMGLIB_ERR_NO_MEMORY;
    }
    ::SetLastError(systemError);
    return false;
}

} // namespace

IMGLIB_API HBITMAP WINAPI ReadFileIntoDDB(const char* path, uint32_t* aux, uint32_t flags) {
    HBITMAP bitmap = nullptr;
    Format format = Format::Unknown;
    const bool done = Run([&] {
        if (!path || flags != 0) throw Failure{IMGLIB_ERR_ARGUMENT};
        uint32_t sourceBits = 0;
        bitmap = Decode(
            path, format,
            [&](WicPicture& picture) {
                sourceBits = picture.SourceBits();
                return picture.IntoBitmap();
            },
            [&](imglib::Image image) {
                sourceBits = image.sourceBitsPerPixel;
                if (image.hasAlpha) imglib::BlendOverWhite(image.bgra);
                return MakeScreenBitmap(image.width, image.height, image.bgra.data());
            });
        if (aux) *aux = sourceBits;
    });
    t_lastFormat = done ? static_cast<int32_t>(format) : IMGLIB_FORMAT_NONE;
    return bitmap;
}

IMGLIB_API int32_t WINAPI WritePngCopy(const char* sourcePath, const char* pngPath) {
    Run([&] {
        if (!sourcePath || !pngPath) throw Failure{IMGLIB_ERR_ARGUMENT};
        imglib::win::PngFile png(pngPath);
        Format format = Format::Unknown;
        // The source is closed before the PNG takes its place, which may be the source's own.
        const imglib::Image image = Decode(
            sourcePath, format, [](WicPicture& picture) { return picture.IntoPixels(); },
            [](imglib::Image pixels) { return pixels; });
        png.Write(image);
    });
    return t_lastError;
}

IMGLIB_API int32_t WINAPI GetLastImgLibError(void) {
    return t_lastError;
}

IMGLIB_API int32_t WINAPI GetLastImgLibFormat(void) {
    return t_lastFormat;
}
