// PCX: 1, 2 and 4 bits in one to four planes with the header palette, 8 bits with the 256-colour
// palette at the end of the file, 24 bits in three planes (a fourth, alpha, plane is ignored).
#include "imglib/ByteReader.h"
#include "imglib/DecodeCommon.h"
#include "imglib/Decoders.h"
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace imglib {
namespace {

using detail::Fail;

constexpr size_t kHeaderSize = 128;
constexpr uint8_t kManufacturer = 0x0A;
constexpr size_t kHeaderPaletteOffset = 16;
constexpr uint8_t kEndPaletteMarker = 0x0C;
constexpr size_t kEndPaletteSize = 1 + 256 * 3; // the marker and 256 RGB triples
constexpr uint16_t kPaletteInfoGrey = 2;
// An RLE pair expands to at most 63 bytes: a file shorter than this share of the pixel data
// cannot hold it, whatever the header says.
constexpr uint64_t kMaxRunLength = 63;

struct Header {
    uint8_t version = 0, encoding = 0, bitsPerPlane = 0, planes = 0;
    uint16_t xMin = 0, yMin = 0, xMax = 0, yMax = 0, bytesPerLine = 0, paletteInfo = 0;
};

uint32_t Bgra(uint8_t r, uint8_t g, uint8_t b) {
    return uint32_t{b} | uint32_t{g} << 8 | uint32_t{r} << 16 | 0xFF000000u;
}

void Store(uint8_t* out, uint32_t pixel) {
    std::memcpy(out, &pixel, 4);
}

// The RLE stream; its state carries over from line to line, since runs may cross lines and planes.
struct RleReader {
    const uint8_t* p;
    const uint8_t* end;
    size_t run = 0;
    uint8_t value = 0;

    bool Fill(uint8_t* out, size_t count) {
        while (count > 0) {
            if (run > 0) {
                const size_t n = std::min(run, count);
                std::memset(out, value, n);
                out += n;
                count -= n;
                run -= n;
                continue;
            }
            if (p == end) return false;
            const uint8_t byte = *p++;
            if ((byte & 0xC0) == 0xC0) {
                if (p == end) return false;
                run = byte & 0x3F;
                value = *p++;
            } else {
                *out++ = byte;
                --count;
            }
        }
        return true;
    }
};

// How the planes of a line make pixels.
enum class Layout { Indexed, Indexed8, Rgb };

Header ReadHeader(std::span<const uint8_t> data) {
    ByteReader reader(data);
    Header h;
    reader.Skip(1);
    h.version = reader.U8();
    h.encoding = reader.U8();
    h.bitsPerPlane = reader.U8();
    h.xMin = reader.U16();
    h.yMin = reader.U16();
    h.xMax = reader.U16();
    h.yMax = reader.U16();
    reader.Seek(65);
    h.planes = reader.U8();
    h.bytesPerLine = reader.U16();
    h.paletteInfo = reader.U16();
    return h;
}

// 1, 2 or 4 bits in planes of at most 4 bits together, 8 bits in one plane, or 8-bit RGB.
std::optional<Layout> LayoutOf(const Header& h) {
    const uint32_t bits = uint32_t{h.bitsPerPlane} * h.planes;
    if ((h.bitsPerPlane == 1 || h.bitsPerPlane == 2 || h.bitsPerPlane == 4) && h.planes >= 1 &&
        bits <= 4)
        return Layout::Indexed;
    if (h.bitsPerPlane == 8 && h.planes == 1) return Layout::Indexed8;
    if (h.bitsPerPlane == 8 && (h.planes == 3 || h.planes == 4)) return Layout::Rgb;
    return std::nullopt;
}

// The colours, as BGRA words: the 256-colour palette at the end of the file (which then ends
// the pixel data) or a grey ramp for 8 bits, the header's 16 colours for fewer. False when an
// 8-bit file has neither palette.
bool ReadPalette(std::span<const uint8_t> data, const Header& h, Layout layout,
                 std::array<uint32_t, 256>& palette, size_t& pixelEnd) {
    pixelEnd = data.size();
    if (layout == Layout::Indexed8) {
        const bool hasEndPalette = data.size() >= kHeaderSize + kEndPaletteSize &&
                                   data[data.size() - kEndPaletteSize] == kEndPaletteMarker;
        if (hasEndPalette) {
            pixelEnd = data.size() - kEndPaletteSize;
            const uint8_t* entry = data.data() + pixelEnd + 1;
            for (size_t i = 0; i < 256; ++i, entry += 3)
                palette[i] = Bgra(entry[0], entry[1], entry[2]);
        } else if (h.paletteInfo == kPaletteInfoGrey) {
            for (uint32_t i = 0; i < 256; ++i)
                palette[i] = Bgra(i, i, i);
        } else {
            return false;
        }
    } else if (layout == Layout::Indexed) {
        const uint8_t* entry = data.data() + kHeaderPaletteOffset;
        for (size_t i = 0; i < 16; ++i, entry += 3)
            palette[i] = Bgra(entry[0], entry[1], entry[2]);
        // Old monochrome files leave the header palette blank.
        if (h.bitsPerPlane * h.planes == 1 && palette[0] == palette[1]) {
            palette[0] = Bgra(0, 0, 0);
            palette[1] = Bgra(0xFF, 0xFF, 0xFF);
        }
    }
    return true;
}

// One line of planes, bytesPerLine each, to width BGRA pixels.
void ConvertLine(const Header& h, Layout layout, const std::array<uint32_t, 256>& palette,
                 const uint8_t* src, uint32_t width, uint8_t* out) {
    const size_t bpl = h.bytesPerLine;
    switch (layout) {
    case Layout::Rgb: {
        const uint8_t *r = src, *g = src + bpl, *b = src + 2 * bpl;
        for (uint32_t x = 0; x < width; ++x, out += 4) {
            out[0] = b[x];
            out[1] = g[x];
            out[2] = r[x];
            out[3] = 0xFF;
        }
        break;
    }
    case Layout::Indexed8:
        for (uint32_t x = 0; x < width; ++x, out += 4)
            Store(out, palette[src[x]]);
        break;
    case Layout::Indexed: {
        const uint32_t mask = (1u << h.bitsPerPlane) - 1;
        for (uint32_t x = 0; x < width; ++x, out += 4) {
            const size_t bit = size_t{x} * h.bitsPerPlane;
            const unsigned shift = 8 - h.bitsPerPlane - (bit & 7);
            uint32_t index = 0;
            for (uint32_t p = 0; p < h.planes; ++p)
                index |= ((src[p * bpl + bit / 8] >> shift) & mask) << (p * h.bitsPerPlane);
            Store(out, palette[index]);
        }
        break;
    }
    }
}

} // namespace

bool LooksLikePcx(std::span<const uint8_t> data) {
    if (data.size() < kHeaderSize || data[0] != kManufacturer) return false;
    const uint8_t version = data[1], encoding = data[2];
    return (version == 0 || (version >= 2 && version <= 5)) && encoding <= 1;
}

DecodeResult DecodePcx(std::span<const uint8_t> data) {
    if (!LooksLikePcx(data)) return Fail(DecodeError::Unsupported, "not a PCX file");
    const Header h = ReadHeader(data);
    const std::optional<Layout> layout = LayoutOf(h);
    if (!layout) return Fail(DecodeError::Incompatible, "PCX pixel layout");
    if (h.xMax < h.xMin || h.yMax < h.yMin) return Fail(DecodeError::Corrupt, "PCX window");

    const uint32_t width = uint32_t{h.xMax} - h.xMin + 1;
    const uint32_t height = uint32_t{h.yMax} - h.yMin + 1;
    if (!WithinLimits(width, height)) return Fail(DecodeError::TooLarge, "image too large");
    if (uint64_t{h.bytesPerLine} * 8 < uint64_t{width} * h.bitsPerPlane)
        return Fail(DecodeError::Corrupt, "PCX line shorter than the width");

    std::array<uint32_t, 256> palette{};
    size_t pixelEnd = 0;
    if (!ReadPalette(data, h, *layout, palette, pixelEnd))
        return Fail(DecodeError::Corrupt, "PCX 256-colour palette missing");

    const size_t lineBytes = size_t{h.bytesPerLine} * h.planes;
    const uint64_t pixelBytes = uint64_t{lineBytes} * height;
    const uint64_t available = pixelEnd - kHeaderSize;
    if (h.encoding == 0 ? available < pixelBytes : available * kMaxRunLength / 2 < pixelBytes)
        return Fail(DecodeError::Corrupt, "PCX file truncated");

    DecodeResult result;
    if (!detail::AllocateImage(result, width, height, uint32_t{h.bitsPerPlane} * h.planes))
        return result;
    std::vector<uint8_t> line;
    try {
        line.resize(lineBytes);
    } catch (const std::bad_alloc&) {
        return Fail(DecodeError::NoMemory, "out of memory");
    }
    RleReader rle{data.data() + kHeaderSize, data.data() + pixelEnd};
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* src = line.data();
        if (h.encoding == 0)
            src = data.data() + kHeaderSize + size_t{y} * lineBytes;
        else if (!rle.Fill(line.data(), lineBytes))
            return Fail(DecodeError::Corrupt, "PCX file truncated");
        ConvertLine(h, *layout, palette, src, width,
                    result.image.bgra.data() + size_t{y} * width * 4);
    }
    return result;
}

} // namespace imglib
