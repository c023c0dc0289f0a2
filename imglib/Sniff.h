// Recognises an image format by its first bytes and reads the few header facts that must be
// checked before a decoder allocates anything. Portable: bytes in, facts out.
#pragma once
#include <cstdint>
#include <span>

namespace imglib {

enum class Format { Unknown, Bmp, Jpeg, Tiff, Png, Gif, Pcx, PhotoCd, Tga };

// BMP, JPEG, TIFF, PNG and GIF by their magic bytes; the caller tries the formats without
// a reliable magic (PCX, Photo CD, TGA) when this returns Unknown.
Format SniffMagic(std::span<const uint8_t> data);

struct HeaderFacts {
    bool sizeKnown = false; // false when the header is too short or damaged to say
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitsPerPixel = 0; // where the header states it plainly (BMP); else 0
    // The header names a variant beyond the common baseline: JPEG other than 8-bit
    // baseline/extended/progressive, TIFF compression other than none, LZW, PackBits, Deflate.
    bool uncommonVariant = false;
};

// Reads the image size (largest of all frames for GIF) and the variant from the header.
HeaderFacts ReadHeaderFacts(Format format, std::span<const uint8_t> data);

} // namespace imglib
