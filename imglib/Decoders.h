// The decoders of our own, portable: bytes in, pixels out, no platform calls.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace imglib {

// Limits that keep a hostile header from making a decoder allocate gigabytes.
inline constexpr uint32_t kMaxDimension = 32768;
inline constexpr uint64_t kMaxPixels = 64ull * 1024 * 1024;

// Whether an image of width by height pixels is within the limits; every decoder asks this.
constexpr bool WithinLimits(uint64_t width, uint64_t height) {
    return width <= kMaxDimension && height <= kMaxDimension && width * height <= kMaxPixels;
}

// The same numbers as ImgLibError in ImgLib.h, which ImgLib.cpp asserts.
enum class DecodeError : int32_t {
    None = 0,
    Corrupt = 3,
    TooLarge = 4,
    NoMemory = 5,
    Unsupported = 7,
    Incompatible = 8,
};

// Decoded pixels: rows top to bottom, 4 bytes a pixel in the order blue, green, red, alpha;
// alpha is 0xFF throughout unless hasAlpha.
struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t sourceBitsPerPixel = 0;
    bool hasAlpha = false; // the source's alpha, not all of it 0, is kept in the pixels
    std::vector<uint8_t> bgra;
};

struct DecodeResult {
    DecodeError error = DecodeError::None;
    const char* reason = ""; // a short reason on failure, for tests and diagnostics
    Image image;
    explicit operator bool() const { return error == DecodeError::None; }
};

// Content sniffing: true when the bytes start like that format (Recognise in Sniff.h puts them
// in order).
bool LooksLikePcx(std::span<const uint8_t> data);
bool LooksLikePhotoCd(std::span<const uint8_t> data);
// TGA has no signature: true for the version 2 footer or a plausible header, so test it last.
bool LooksLikeTga(std::span<const uint8_t> data);

// A BMP whose 16- or 32-bit pixels are laid out by masks: WIC reads some layouts, this every
// one whose masks are contiguous.
bool HasBmpBitfields(std::span<const uint8_t> data);
DecodeResult DecodeBmpBitfields(std::span<const uint8_t> data);

DecodeResult DecodePcx(std::span<const uint8_t> data);
DecodeResult DecodePhotoCd(std::span<const uint8_t> data);
DecodeResult DecodeTga(std::span<const uint8_t> data);

} // namespace imglib
