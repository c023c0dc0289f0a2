// TGA through stb_image: the header and the extent of the pixel data are checked here before
// stb_image allocates, since it reads zeros past the end of its input instead of failing.
#include "imglib/Alpha.h"
#include "imglib/ByteReader.h"
#include "imglib/DecodeCommon.h"
#include "imglib/Decoders.h"
#include <algorithm>
#include <cstring>
#include <memory>

#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 32768
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#if defined(__clang__) || defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#include <stb_image.h>
#if defined(__clang__) || defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace imglib {
namespace {

using detail::Fail;

static_assert(STBI_MAX_DIMENSIONS == kMaxDimension);

constexpr size_t kHeaderSize = 18;
constexpr char kFooterSignature[] = "TRUEVISION-XFILE.";
constexpr size_t kFooterSize = 26;
constexpr uint8_t kTypeColorMapped = 1, kTypeTrueColor = 2, kTypeGrey = 3;
constexpr uint8_t kTypeRleFlag = 8;
constexpr uint8_t kDescriptorRightToLeft = 0x10;
constexpr uint8_t kDescriptorAlphaBits = 0x0F;
constexpr uint8_t kRlePacketRepeat = 0x80;
constexpr uint32_t kRlePacketMaxPixels = 128;

struct Header {
    uint8_t idLength, colorMapType, imageType;
    uint16_t colorMapFirst, colorMapLength;
    uint8_t colorMapEntryBits;
    uint16_t width, height;
    uint8_t pixelBits, descriptor;
};

Header ReadHeader(std::span<const uint8_t> data) {
    ByteReader r(data);
    Header h{};
    h.idLength = r.U8();
    h.colorMapType = r.U8();
    h.imageType = r.U8();
    h.colorMapFirst = r.U16();
    h.colorMapLength = r.U16();
    h.colorMapEntryBits = r.U8();
    r.Skip(4); // origin on screen
    h.width = r.U16();
    h.height = r.U16();
    h.pixelBits = r.U8();
    h.descriptor = r.U8();
    return h;
}

bool IsPixelDepth(uint8_t bits) {
    return bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

// Walks the RLE packets, so that a truncated stream fails instead of decoding as zeros.
bool RleStreamComplete(std::span<const uint8_t> stream, uint64_t pixels, size_t pixelBytes) {
    size_t at = 0;
    while (pixels > 0) {
        if (at >= stream.size()) return false;
        const uint8_t packet = stream[at++];
        const uint32_t count = (packet & (kRlePacketMaxPixels - 1)) + 1;
        const size_t bytes = (packet & kRlePacketRepeat) ? pixelBytes : size_t{count} * pixelBytes;
        if (bytes > stream.size() - at) return false;
        at += bytes;
        pixels -= std::min<uint64_t>(pixels, count);
    }
    return true;
}

// One row of stb_image's grey (and alpha) or RGB(A) pixels to BGRA.
template <bool Grey>
void ConvertRow(const stbi_uc* src, size_t channels, uint32_t width, uint8_t* out) {
    const bool alpha = channels == 2 || channels == 4;
    for (uint32_t x = 0; x < width; ++x, src += channels, out += 4) {
        out[0] = src[Grey ? 0 : 2];
        out[1] = src[Grey ? 0 : 1];
        out[2] = src[0];
        out[3] = alpha ? src[channels - 1] : 0xFF;
    }
}

struct StbFree {
    void operator()(stbi_uc* p) const { stbi_image_free(p); }
};

// Refuses the variants that stb_image does not read correctly; an empty result for the rest.
DecodeResult RefuseVariant(const Header& h) {
    const uint8_t baseType = h.imageType & ~kTypeRleFlag;
    if (baseType == kTypeColorMapped) {
        if (h.colorMapType != 1) return Fail(DecodeError::Corrupt, "TGA colour map missing");
        if (h.pixelBits != 8) return Fail(DecodeError::Incompatible, "TGA index depth");
        if (h.colorMapFirst != 0) return Fail(DecodeError::Incompatible, "TGA colour map offset");
        if (h.colorMapLength == 0) return Fail(DecodeError::Corrupt, "TGA colour map empty");
    } else {
        // stb_image would take a colour map ahead of true-colour pixels for their palette.
        if (h.colorMapType != 0) return Fail(DecodeError::Incompatible, "TGA colour map unused");
        if (baseType == kTypeGrey && h.pixelBits != 8 && h.pixelBits != 16)
            return Fail(DecodeError::Incompatible, "TGA grey depth");
        if (baseType == kTypeTrueColor && h.pixelBits == 8)
            return Fail(DecodeError::Incompatible, "TGA true-colour depth");
    }
    if (!WithinLimits(h.width, h.height)) return Fail(DecodeError::TooLarge, "image too large");
    return {};
}

// Whether the file holds every pixel that the header declares, raw or run-length encoded.
bool PixelDataComplete(std::span<const uint8_t> data, const Header& h) {
    const size_t pixelBytes = (h.pixelBits + 7u) / 8;
    const size_t mapBytes =
        h.colorMapType ? size_t{h.colorMapLength} * ((h.colorMapEntryBits + 7u) / 8) : 0;
    const size_t dataStart = kHeaderSize + h.idLength + mapBytes;
    if (data.size() < dataStart) return false;
    const uint64_t pixels = uint64_t{h.width} * h.height;
    if (h.imageType & kTypeRleFlag)
        return RleStreamComplete(data.subspan(dataStart), pixels, pixelBytes);
    return data.size() - dataStart >= pixels * pixelBytes;
}

// stb_image's grey, grey and alpha, RGB or RGBA rows, top to bottom, into result's BGRA rows,
// mirrored where the header says the rows run right to left.
void ConvertRows(const stbi_uc* decoded, int channels, const Header& h, DecodeResult& result) {
    const bool mirror = (h.descriptor & kDescriptorRightToLeft) != 0;
    const size_t rowBytes = size_t{h.width} * channels;
    for (uint32_t y = 0; y < h.height; ++y) {
        const stbi_uc* src = decoded + y * rowBytes;
        uint8_t* out = result.image.bgra.data() + size_t{y} * h.width * 4;
        if (channels <= 2)
            ConvertRow<true>(src, channels, h.width, out);
        else
            ConvertRow<false>(src, channels, h.width, out);
        if (mirror)
            for (size_t left = 0, right = h.width - 1; left < right; ++left, --right)
                std::swap_ranges(out + 4 * left, out + 4 * left + 4, out + 4 * right);
    }
    // Alpha counts where the header declares it and the writer filled it in.
    std::vector<uint8_t>& bgra = result.image.bgra;
    result.image.hasAlpha = (h.descriptor & kDescriptorAlphaBits) != 0 &&
                            (channels == 2 || channels == 4) && !AlphaIsEmpty(bgra);
    if (!result.image.hasAlpha) DropAlpha(bgra);
}

} // namespace

bool LooksLikeTga(std::span<const uint8_t> data) {
    if (data.size() < kHeaderSize) return false;
    if (data.size() >= kHeaderSize + kFooterSize &&
        std::memcmp(data.data() + data.size() - kFooterSize + 8, kFooterSignature,
                    sizeof(kFooterSignature)) == 0)
        return true;
    // No magic number: accept only a plausible header.
    const Header h = ReadHeader(data);
    const uint8_t baseType = h.imageType & ~kTypeRleFlag;
    if (h.colorMapType > 1 || baseType < kTypeColorMapped || baseType > kTypeGrey) return false;
    if (h.colorMapType == 1 && !IsPixelDepth(h.colorMapEntryBits)) return false;
    return h.width > 0 && h.height > 0 && IsPixelDepth(h.pixelBits);
}

DecodeResult DecodeTga(std::span<const uint8_t> data) {
    if (!LooksLikeTga(data)) return Fail(DecodeError::Unsupported, "not a TGA file");
    const Header h = ReadHeader(data);
    if (DecodeResult refused = RefuseVariant(h); !refused) return refused;
    if (!PixelDataComplete(data, h)) return Fail(DecodeError::Corrupt, "TGA file truncated");

    if (data.size() > INT32_MAX) return Fail(DecodeError::TooLarge, "file too large");
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, StbFree> decoded(stbi_load_from_memory(
        data.data(), static_cast<int>(data.size()), &width, &height, &channels, 0));
    if (!decoded) {
        const char* why = stbi_failure_reason();
        if (why && std::strcmp(why, "outofmem") == 0)
            return Fail(DecodeError::NoMemory, "out of memory");
        return Fail(DecodeError::Corrupt, "TGA data damaged");
    }
    if (width != h.width || height != h.height || channels < 1 || channels > 4)
        return Fail(DecodeError::Corrupt, "TGA data damaged");

    DecodeResult result;
    const bool mapped = (h.imageType & ~kTypeRleFlag) == kTypeColorMapped;
    const uint32_t sourceBits = mapped ? h.colorMapEntryBits : h.pixelBits;
    if (!detail::AllocateImage(result, h.width, h.height, sourceBits)) return result;
    ConvertRows(decoded.get(), channels, h, result);
    return result;
}

} // namespace imglib
