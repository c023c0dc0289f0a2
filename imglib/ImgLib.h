// ImgLib.dll: decodes an image file into a device-dependent bitmap compatible with the screen.
// Formats are recognised by content, in this order: BMP, JPEG, TIFF, PNG and GIF (through the
// Windows Imaging Component), PCX, Kodak Photo CD (Base image), and last TGA, which has no
// signature.
#pragma once
#include <windows.h>
#include <cstdint>

#ifdef IMGLIB_BUILDING
#define IMGLIB_API extern "C" __declspec(dllexport)
#else
#define IMGLIB_API extern "C" __declspec(dllimport)
#endif

// Codes of GetLastImgLibError.
enum ImgLibError : int32_t {
    IMGLIB_OK = 0,
    IMGLIB_ERR_FILE_NOT_FOUND = 1, // no file at that path
    IMGLIB_ERR_READ = 2,           // the file exists but cannot be opened or read
    IMGLIB_ERR_CORRUPT = 3,        // a known format, but the data is damaged or cut short
    IMGLIB_ERR_TOO_LARGE = 4,      // dimensions or pixel count beyond the limits below
    IMGLIB_ERR_NO_MEMORY = 5,      // out of memory
    IMGLIB_ERR_BITMAP = 6,         // the system could not create the bitmap
    IMGLIB_ERR_UNSUPPORTED = 7,    // not an image format that ImgLib reads
    IMGLIB_ERR_INCOMPATIBLE = 8,   // a known format in a variant that ImgLib does not read
    IMGLIB_ERR_ARGUMENT = 9,       // path is NULL or flags is not 0
};

// Images wider or taller than 32768 pixels, or of more than 64 Mi pixels, fail with
// IMGLIB_ERR_TOO_LARGE, so that a hostile header cannot make the library allocate gigabytes;
// so do files of more than 512 MiB, which are refused before they are read. The size is checked
// in the header before any pixel is decoded.
//
// A code is IMGLIB_ERR_INCOMPATIBLE when the decoder refuses a variant (for example an unusual
// pixel format, or a JPEG with 12-bit samples or lossless coding, or a TIFF compressed with JPEG
// where the system's decoder lacks that) and IMGLIB_ERR_CORRUPT when a common variant fails.

// Decodes the file at path (8-bit ANSI). Returns a bitmap that the caller owns and deletes with
// DeleteObject, or NULL on failure (see GetLastImgLibError). On success *aux (when aux is not
// NULL) receives the source image's bits per pixel (for example 1, 4, 8, 24, 32, 48), or 0 when
// the system cannot say; flags must be 0.
IMGLIB_API HBITMAP WINAPI ReadFileIntoDDB(const char* path, uint32_t* aux, uint32_t flags);

// The code of the latest ReadFileIntoDDB call on this thread: IMGLIB_OK after a success.
IMGLIB_API int32_t WINAPI GetLastImgLibError(void);
