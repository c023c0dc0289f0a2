#include "ImageFiles.h"
#include "imglib/Decoders.h"
#include <gtest/gtest.h>
#include <array>

using imglib::DecodeError;
using imglib::DecodePcx;
using testimg::TempDir;

namespace {

// Files that convert writes itself: 1 bit (from a two-colour GIF), 8 bits with the end
// palette, 24 bits in three planes; RLE and uncompressed; an odd width, so lines are padded.
TEST(Pcx, MatchesConvertForTheVariantsItWrites) {
    SKIP_WITHOUT_CONVERT();
    TempDir dir;
    testimg::MakePattern(dir / "mono.gif", 37, 23, "-monochrome");
    testimg::MakePattern(dir / "pal16.gif", 37, 23, "+dither -colors 16");
    testimg::MakePattern(dir / "pal4.gif", 37, 23, "+dither -colors 4");
    testimg::MakePattern(dir / "true.png", 37, 23);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"mono.gif", ""},
        {"mono.gif", "-compress none"},
        {"pal16.gif", ""},
        {"pal4.gif", ""},
        {"true.png", "-type Palette"},
        {"true.png", "-type TrueColor"},
        {"true.png", "-type TrueColor -compress none"},
    };
    const std::array<uint32_t, 7> bits = {1, 1, 8, 8, 8, 24, 24};
    for (size_t i = 0; i < cases.size(); ++i) {
        const std::string pcx = dir / ("case" + std::to_string(i) + ".pcx");
        testimg::Convert("'" + (dir / cases[i].first) + "' " + cases[i].second + " '" + pcx + "'");
        SCOPED_TRACE(cases[i].first + " " + cases[i].second);
        // convert writes and reads monochrome PCX with bit 1 as black, against the palette it
        // puts in the header (black, white); the decoder follows the palette.
        testimg::ExpectMatchesReference(DecodePcx, pcx, bits[i] == 1 ? "-negate" : "");
        EXPECT_EQ(DecodePcx(testimg::ReadFile(pcx)).image.sourceBitsPerPixel, bits[i]);
    }
}

// A PCX writer for the variants convert does not write.
struct PcxLayout {
    uint8_t bitsPerPlane = 8, planes = 1;
    uint16_t width = 0, height = 0, bytesPerLine = 0, paletteInfo = 1;
    std::array<uint8_t, 48> headerPalette{};
};

// Packs colour indices into plane lines, RLE-encodes the whole image as one stream (so runs
// cross planes and lines) and appends the end palette when given.
std::vector<uint8_t> WritePcx(const PcxLayout& l, const std::vector<uint8_t>& indices,
                              const std::vector<uint8_t>& endPalette = {}, uint8_t padding = 0) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < l.height; ++y) {
        for (int p = 0; p < l.planes; ++p) {
            std::vector<uint8_t> line(l.bytesPerLine, padding);
            for (int x = 0; x < l.width; ++x) {
                const int bit = x * l.bitsPerPlane;
                const int sample = (indices[y * l.width + x] >> (p * l.bitsPerPlane)) &
                                   ((1 << l.bitsPerPlane) - 1);
                if (bit % 8 == 0) line[bit / 8] = 0;
                line[bit / 8] |= static_cast<uint8_t>(sample << (8 - l.bitsPerPlane - bit % 8));
            }
            raw.insert(raw.end(), line.begin(), line.end());
        }
    }
    std::vector<uint8_t> file(128, 0);
    file[0] = 0x0A, file[1] = 5, file[2] = 1, file[3] = l.bitsPerPlane;
    file[8] = (l.width - 1) & 0xFF, file[9] = (l.width - 1) >> 8;
    file[10] = (l.height - 1) & 0xFF, file[11] = (l.height - 1) >> 8;
    std::copy(l.headerPalette.begin(), l.headerPalette.end(), file.begin() + 16);
    file[65] = l.planes;
    file[66] = l.bytesPerLine & 0xFF, file[67] = l.bytesPerLine >> 8;
    file[68] = static_cast<uint8_t>(l.paletteInfo);
    for (size_t i = 0; i < raw.size();) {
        size_t run = 1;
        while (i + run < raw.size() && raw[i + run] == raw[i] && run < 63)
            ++run;
        if (run > 1 || raw[i] >= 0xC0) file.push_back(static_cast<uint8_t>(0xC0 | run));
        file.push_back(raw[i]);
        i += run;
    }
    if (!endPalette.empty()) {
        file.push_back(0x0C);
        file.insert(file.end(), endPalette.begin(), endPalette.end());
    }
    return file;
}

// Checks every pixel against the palette entry of its index.
void ExpectPixels(const imglib::DecodeResult& r, const std::vector<uint8_t>& indices,
                  const uint8_t* palette) {
    ASSERT_TRUE(r) << r.reason;
    ASSERT_EQ(r.image.bgra.size(), indices.size() * 4);
    for (size_t i = 0; i < indices.size(); ++i) {
        const uint8_t* rgb = palette + indices[i] * 3;
        const uint8_t* px = &r.image.bgra[i * 4];
        ASSERT_EQ((std::array<int, 4>{px[2], px[1], px[0], px[3]}),
                  (std::array<int, 4>{rgb[0], rgb[1], rgb[2], 0xFF}))
            << "pixel " << i;
    }
}

std::vector<uint8_t> Indices(int width, int height, int colours) {
    std::vector<uint8_t> v(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            // The top rows are one colour, so runs cross lines there.
            v[y * width + x] =
                static_cast<uint8_t>(y < 3 ? colours - 1 : (x / 3 + y * 7 + x * y) % colours);
    return v;
}

TEST(Pcx, DecodesHandWrittenPaletteLayouts) {
    std::array<uint8_t, 48> header{};
    for (int i = 0; i < 48; ++i)
        header[i] = static_cast<uint8_t>(i * 37 + 11);
    struct Case {
        uint8_t bits, planes;
        uint16_t bytesPerLine;
    };
    // 2 bits packed (CGA), 4 planes of 1 bit (EGA), 1 bit with padding bytes beyond the width.
    for (const Case c : {Case{2, 1, 6}, Case{1, 4, 3}, Case{1, 1, 8}}) {
        SCOPED_TRACE(int(c.bits) * 10 + c.planes);
        PcxLayout l{c.bits, c.planes, 19, 9, c.bytesPerLine, 1, header};
        const auto indices = Indices(l.width, l.height, 1 << (c.bits * c.planes));
        const auto file = WritePcx(l, indices, {}, 0xAA);
        const auto r = DecodePcx(file);
        ExpectPixels(r, indices, header.data());
        EXPECT_EQ(r.image.sourceBitsPerPixel, uint32_t(c.bits * c.planes));
    }
}

TEST(Pcx, EightBitsUseTheEndPaletteOrAGreyRamp) {
    PcxLayout l{8, 1, 23, 11, 26, 2, {}};
    const auto indices = Indices(l.width, l.height, 256);
    std::vector<uint8_t> grey(256 * 3), colours(256 * 3);
    for (int i = 0; i < 256 * 3; ++i)
        grey[i] = static_cast<uint8_t>(i / 3);
    for (int i = 0; i < 256 * 3; ++i)
        colours[i] = static_cast<uint8_t>(i * 7 + 1);

    ExpectPixels(DecodePcx(WritePcx(l, indices, {}, 0x0C)), indices, grey.data());
    ExpectPixels(DecodePcx(WritePcx(l, indices, colours, 0x0C)), indices, colours.data());
    l.paletteInfo = 1;
    EXPECT_EQ(DecodePcx(WritePcx(l, indices)).error, DecodeError::Corrupt);
}

TEST(Pcx, BrokenFilesFailWithTheirCode) {
    PcxLayout l{8, 3, 40, 30, 40, 1, {}};
    const auto file = WritePcx(l, std::vector<uint8_t>(40 * 30, 0x5A));
    ASSERT_TRUE(DecodePcx(file));
    // Cut anywhere in the pixel data.
    for (size_t size : {size_t(128), size_t(129), file.size() / 2, file.size() - 1}) {
        std::vector<uint8_t> cut(file.begin(), file.begin() + size);
        EXPECT_EQ(DecodePcx(cut).error, DecodeError::Corrupt) << size;
    }
    auto damaged = file;
    damaged[66] = 39; // bytes per line below the width
    EXPECT_EQ(DecodePcx(damaged).error, DecodeError::Corrupt);
    damaged = file;
    damaged[8] = damaged[9] = damaged[10] = damaged[11] = 0xFF; // 65536 by 65536
    EXPECT_EQ(DecodePcx(damaged).error, DecodeError::TooLarge);
    damaged = file;
    damaged[3] = 4; // 4 bits in 3 planes
    EXPECT_EQ(DecodePcx(damaged).error, DecodeError::Incompatible);
    damaged = file;
    damaged[0] = 'B';
    EXPECT_FALSE(imglib::LooksLikePcx(damaged));
    EXPECT_EQ(DecodePcx(damaged).error, DecodeError::Unsupported);
}

} // namespace
