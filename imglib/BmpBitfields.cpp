// BMP whose 16- or 32-bit pixels are laid out by masks (BI_BITFIELDS, BI_ALPHABITFIELDS), in any
// layout of contiguous masks, each channel widened to 8 bits as browsers do.
#include "imglib/Alpha.h"
#include "imglib/ByteReader.h"
#include "imglib/DecodeCommon.h"
#include "imglib/Decoders.h"
#include <bit>

namespace imglib {
namespace {

using detail::Fail;

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;     // BITMAPINFOHEADER; masks follow it
constexpr uint32_t kAlphaHeaderSize = 56;    // from BITMAPV3INFOHEADER on, the alpha mask too
constexpr uint32_t kLargestHeaderSize = 124; // BITMAPV5HEADER
constexpr size_t kMasksOffset = kFileHeaderSize + kInfoHeaderSize;
constexpr uint32_t kBitfields = 3;
constexpr uint32_t kAlphaBitfields = 6;

// One channel's mask: where it lies and how wide it is.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int width = 0;

    // Contiguous masks only: a mask with a gap has no meaning as a channel.
    static bool Make(uint32_t mask, Channel& channel) {
        channel.mask = mask;
        if (mask == 0) return true;
        channel.shift = std::countr_zero(mask);
        channel.width = std::popcount(mask);
        return std::countr_one(mask >> channel.shift) == channel.width;
    }
    // The channel's value widened to 8 bits: its top 8 bits, or its bits repeated (5 bits
    // abcde give abcdeabc), so that the largest value is 255. 0 for an empty mask.
    uint8_t Get(uint32_t pixel) const {
        if (width == 0) return 0;
        const uint32_t value = (pixel & mask) >> shift;
        if (width >= 8) return static_cast<uint8_t>(value >> (width - 8));
        uint32_t wide = 0;
        int bits = 0;
        for (; bits < 8; bits += width)
            wide = wide << width | value;
        return static_cast<uint8_t>(wide >> (bits - 8));
    }
};

} // namespace

bool HasBmpBitfields(std::span<const uint8_t> data) {
    ByteReader reader(data);
    const uint32_t headerSize = reader.U32At(kFileHeaderSize);
    const uint32_t compression = reader.U32At(30);
    return !reader.Overrun() && data[0] == 'B' && data[1] == 'M' && headerSize >= kInfoHeaderSize &&
           headerSize <= kLargestHeaderSize &&
           (compression == kBitfields || compression == kAlphaBitfields);
}

DecodeResult DecodeBmpBitfields(std::span<const uint8_t> data) {
    if (!HasBmpBitfields(data)) return Fail(DecodeError::Unsupported, "not a BMP with bitfields");
    ByteReader reader(data);
    const uint32_t headerSize = reader.U32At(kFileHeaderSize);
    const uint32_t pixelsOffset = reader.U32At(10);
    const auto width = static_cast<int32_t>(reader.U32At(18));
    const auto height = static_cast<int32_t>(reader.U32At(22));
    const uint16_t bits = reader.U16At(28);
    const bool withAlpha = headerSize >= kAlphaHeaderSize || reader.U32At(30) == kAlphaBitfields;
    Channel red, green, blue, alpha;
    const bool masksValid = Channel::Make(reader.U32At(kMasksOffset), red) &&
                            Channel::Make(reader.U32At(kMasksOffset + 4), green) &&
                            Channel::Make(reader.U32At(kMasksOffset + 8), blue) &&
                            Channel::Make(withAlpha ? reader.U32At(kMasksOffset + 12) : 0, alpha);
    if (reader.Overrun()) return Fail(DecodeError::Corrupt, "header cut short");
    if (bits != 16 && bits != 32) return Fail(DecodeError::Incompatible, "bitfields of this depth");
    const uint32_t allMasks = red.mask | green.mask | blue.mask | alpha.mask;
    if (!masksValid || (bits == 16 && allMasks > 0xFFFF))
        return Fail(DecodeError::Corrupt, "masks that are no channels");
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return Fail(DecodeError::Corrupt, "bad size");
    const uint32_t rows = static_cast<uint32_t>(height < 0 ? -int64_t{height} : height);
    if (!WithinLimits(static_cast<uint32_t>(width), rows))
        return Fail(DecodeError::TooLarge, "image too large");
    // Within the limits the product cannot overflow; checked before the pixels are allocated.
    const uint64_t stride = (uint64_t{static_cast<uint32_t>(width)} * bits + 31) / 32 * 4;
    if (pixelsOffset > data.size() || stride * rows > data.size() - pixelsOffset)
        return Fail(DecodeError::Corrupt, "pixels cut short");
    DecodeResult result;
    if (!detail::AllocateImage(result, static_cast<uint32_t>(width), rows, bits)) return result;
    const size_t bytesPerPixel = bits / 8;
    Image& image = result.image;
    for (uint32_t y = 0; y < rows; ++y) {
        // Rows go bottom-up unless the height is negative.
        const uint8_t* in = data.data() + pixelsOffset + stride * (height < 0 ? y : rows - 1 - y);
        uint8_t* out = image.bgra.data() + size_t{y} * image.width * 4;
        for (uint32_t x = 0; x < image.width; ++x, in += bytesPerPixel, out += 4) {
            uint32_t pixel = 0;
            for (size_t i = 0; i < bytesPerPixel; ++i)
                pixel |= uint32_t{in[i]} << (8 * i);
            out[0] = blue.Get(pixel);
            out[1] = green.Get(pixel);
            out[2] = red.Get(pixel);
            out[3] = alpha.width ? alpha.Get(pixel) : 0xFF;
        }
    }
    // Browsers show a BMP whose alpha is 0 throughout as opaque.
    image.hasAlpha = alpha.width != 0 && !AlphaIsEmpty(image.bgra);
    if (!image.hasAlpha) DropAlpha(image.bgra);
    return result;
}

} // namespace imglib
