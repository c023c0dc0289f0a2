// Recognises an image format by its content and reads the few header facts that must be
// checked before a decoder allocates anything. Portable: bytes in, facts out.
#pragma once
#include <cstdint>
#include <span>

#include "imglib/ByteReader.h"

namespace imglib {

// The formats that ImgLib reads; the Windows Imaging Component decodes the first five.
enum class Format { Unknown, Bmp, Jpeg, Tiff, Png, Gif, Pcx, PhotoCd, Tga };

// The format of data, trying BMP, JPEG, TIFF, PNG, GIF, PCX, Photo CD and TGA in this order:
// the formats with a signature first, TGA last since it has none. Unknown when none matches.
Format Recognise(std::span<const uint8_t> data);

// Whether the Windows Imaging Component decodes the format; our own decoders read the rest.
constexpr bool DecodedByWic(Format format) {
    return format == Format::Bmp || format == Format::Jpeg || format == Format::Tiff ||
           format == Format::Png || format == Format::Gif;
}

struct HeaderFacts {
    bool sizeKnown = false; // false when the header is too short or damaged to say
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitsPerPixel = 0; // where the header states it plainly (BMP); else 0
    // The header names a variant beyond the common baseline: JPEG other than 8-bit
    // baseline/extended/progressive, TIFF compression other than none, LZW, PackBits, Deflate.
    bool uncommonVariant = false;

    bool operator==(const HeaderFacts&) const = default;
};

// Reads the image size (largest of all frames for GIF) and the variant from the header of a
// format that the Windows Imaging Component decodes; nothing for the others. The reader is a
// fresh one, over the whole file; it is left in the file's byte order.
HeaderFacts ReadHeaderFacts(Format format, ByteReader& reader);

} // namespace imglib
