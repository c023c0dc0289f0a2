// ImgLib.dll: decodes an image file into a device-dependent bitmap compatible with the screen,
// and writes a PNG copy of one. Formats are recognised by content, in this order: BMP, JPEG,
// TIFF, PNG and GIF (through the Windows Imaging Component), PCX, Kodak Photo CD (Base image),
// and last TGA, which has no signature.
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
    IMGLIB_ERR_ARGUMENT = 9,       // path is NULL or no text, or flags is not 0
    IMGLIB_ERR_WRITE = 10,         // the PNG copy cannot be written
};

// Formats of GetLastImgLibFormat.
enum ImgLibFormat : int32_t {
    IMGLIB_FORMAT_NONE = 0, // the latest decode failed
    IMGLIB_FORMAT_BMP = 1,
    IMGLIB_FORMAT_JPEG = 2,
    IMGLIB_FORMAT_TIFF = 3,
    IMGLIB_FORMAT_PNG = 4,
    IMGLIB_FORMAT_GIF = 5,
    IMGLIB_FORMAT_PCX = 6,
    IMGLIB_FORMAT_PHOTOCD = 7,
    IMGLIB_FORMAT_TGA = 8,
};

// Images wider or taller than 32768 pixels, or of more than 64 Mi pixels, fail with
// IMGLIB_ERR_TOO_LARGE, so that a hostile header cannot make the library allocate gigabytes;
// so do files of more than 512 MiB, which are refused before they are read. The size is checked
// in the header before any pixel is decoded.
//
// A code is IMGLIB_ERR_INCOMPATIBLE when the decoder refuses a variant (for example an unusual
// pixel format, or a JPEG with 12-bit samples or lossless coding, or a TIFF compressed with JPEG
// where the system's decoder lacks that) and IMGLIB_ERR_CORRUPT when a common variant fails.

// Transparency is drawn as a browser draws it on a page with no background colour: over white.
// The pixels of a PNG, TIFF or BMP whose pixel format has alpha, the transparent colour of a GIF
// or a palette PNG, and a 32-bit TGA whose header declares alpha are blended over white once,
// when decoded. An alpha channel that is 0 throughout is left out in a BMP, as browsers leave it
// out, and in a TGA, whose writers often leave it empty.

// Decodes the file at path (UTF-16). Returns a bitmap that the caller owns and deletes with
// DeleteObject, or NULL on failure (see GetLastImgLibError). On success *aux (when aux is not
// NULL) receives the source image's bits per pixel (for example 1, 4, 8, 24, 32, 48), or 0 when
// the system cannot say; flags must be 0. When the cause of a failure is the file
// (IMGLIB_ERR_FILE_NOT_FOUND or IMGLIB_ERR_READ), GetLastError, called next, gives the system's
// error code; 0 after other failures.
IMGLIB_API HBITMAP WINAPI ReadFileIntoDDBW(const wchar_t* path, uint32_t* aux, uint32_t flags);
// ReadFileIntoDDBW for a path in the system code page (CP_ACP), kept for older callers: a name
// outside that code page cannot be given to it, and bytes that are no text of it are
// IMGLIB_ERR_ARGUMENT.
IMGLIB_API HBITMAP WINAPI ReadFileIntoDDB(const char* path, uint32_t* aux, uint32_t flags);

// Decodes the picture at sourcePath again and writes it as a PNG file at pngPath (both UTF-16):
// opaque pixels exactly as ReadFileIntoDDB decodes them, 24-bit; a source with alpha
// (see above) 32-bit with its alpha kept. The PNG is written into a new file beside pngPath,
// "<pngPath>.~XXXX.tmp", which replaces pngPath only once it is complete, so no partly written
// PNG ever stands under that name; on failure pngPath is left as it was and the new file is
// removed. A read-only file or a folder at pngPath is refused, as is a folder that takes no new
// file. Returns a code of the table above: IMGLIB_OK, or why it failed; the same code becomes
// the thread's last error. When the cause is a file (IMGLIB_ERR_FILE_NOT_FOUND or
// IMGLIB_ERR_READ for the source, IMGLIB_ERR_WRITE for the PNG), GetLastError, called next,
// gives the system's error code; it gives 0 for IMGLIB_ERR_WRITE when the encoder failed
// without one.
IMGLIB_API int32_t WINAPI WritePngCopyW(const wchar_t* sourcePath, const wchar_t* pngPath);
// WritePngCopyW for paths in the system code page (CP_ACP), kept for older callers.
IMGLIB_API int32_t WINAPI WritePngCopy(const char* sourcePath, const char* pngPath);

// The code of the latest ReadFileIntoDDB or WritePngCopy call on this thread: IMGLIB_OK after
// a success.
IMGLIB_API int32_t WINAPI GetLastImgLibError(void);

// The format of the picture that the latest ReadFileIntoDDB call on this thread decoded, by its
// content; IMGLIB_FORMAT_NONE when that call failed.
IMGLIB_API int32_t WINAPI GetLastImgLibFormat(void);
