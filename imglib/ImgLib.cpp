// ImgLib.dll: opens a picture, recognises its format by content, decodes it through WIC, fed
// from the open file, or through one of our portable decoders, which read the file whole, and
// hands back a bitmap compatible with the screen, or its pixels for a PNG copy.
#include "ImgLib.h"

#include <new>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "Alpha.h"
#include "Decoders.h"
#include "ImageFile.h"
#include "PngWriter.h"
#include "ScreenBitmap.h"
#include "Sniff.h"
#include "WicPicture.h"
#include "WinSupport.h"

namespace {

using imglib::DecodeError;
using imglib::Format;
using imglib::win::Failure;
using imglib::win::ImageFile;
using imglib::win::MakeScreenBitmap;
using imglib::win::WicPicture;

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

thread_local int32_t t_lastError = IMGLIB_OK;
thread_local int32_t t_lastFormat = IMGLIB_FORMAT_NONE;

// ---- Our own decoders ----

imglib::Image DecodePortable(Format format, std::span<const uint8_t> bytes) {
    imglib::DecodeResult result;
    try {
        switch (format) {
        case Format::Bmp: result = imglib::DecodeBmpBitfields(bytes); break;
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
auto Decode(const wchar_t* path, Format& format, FromWic&& fromWic, FromPortable&& fromPortable) {
    ImageFile file(path);
    // The formats that WIC decodes are told by their first bytes, as they come first.
    format = imglib::Recognise(file.Head());
    if (imglib::DecodedByWic(format)) {
        try {
            WicPicture picture(format, file);
            return fromWic(picture);
        } catch (const Failure& failure) {
            // WIC reads a few layouts of a BMP's bitfields (Wine's only the usual ones); ours the
            // rest.
            const bool damaged =
                failure.code == IMGLIB_ERR_INCOMPATIBLE || failure.code == IMGLIB_ERR_CORRUPT;
            if (format != Format::Bmp || !damaged) throw;
            const std::vector<uint8_t> bytes = file.ReadAll();
            if (!imglib::HasBmpBitfields(bytes)) throw;
            return fromPortable(DecodePortable(format, bytes));
        }
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
    } catch (...) {
        // Nothing may cross the exports' C boundary; the standard library's other failures
        // (a length beyond its limits, a thread it could not start) are failures of memory.
        t_lastError = IMGLIB_ERR_NO_MEMORY;
    }
    ::SetLastError(systemError);
    return false;
}

// A path of the single-byte exports, in the system code page, as the wide exports take it;
// bytes that are no text of that code page are an argument error, not a file that is missing.
std::wstring CodePageToWide(const char* path) {
    if (!path) throw Failure{IMGLIB_ERR_ARGUMENT};
    const int length = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
    if (length <= 0) throw Failure{IMGLIB_ERR_ARGUMENT};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, wide.data(), length);
    wide.resize(wide.size() - 1);
    return wide;
}

} // namespace

IMGLIB_API HBITMAP WINAPI ReadFileIntoDDBW(const wchar_t* path, uint32_t* aux, uint32_t flags) {
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

IMGLIB_API int32_t WINAPI WritePngCopyW(const wchar_t* sourcePath, const wchar_t* pngPath) {
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

IMGLIB_API HBITMAP WINAPI ReadFileIntoDDB(const char* path, uint32_t* aux, uint32_t flags) {
    std::wstring wide;
    if (!Run([&] { wide = CodePageToWide(path); })) {
        t_lastFormat = IMGLIB_FORMAT_NONE;
        return nullptr;
    }
    return ReadFileIntoDDBW(wide.c_str(), aux, flags);
}

IMGLIB_API int32_t WINAPI WritePngCopy(const char* sourcePath, const char* pngPath) {
    std::wstring source, png;
    if (!Run([&] {
            source = CodePageToWide(sourcePath);
            png = CodePageToWide(pngPath);
        }))
        return t_lastError;
    return WritePngCopyW(source.c_str(), png.c_str());
}

IMGLIB_API int32_t WINAPI GetLastImgLibError(void) {
    return t_lastError;
}

IMGLIB_API int32_t WINAPI GetLastImgLibFormat(void) {
    return t_lastFormat;
}
