#include "ImageFiles.h"
#include "imglib/Decoders.h"
#include <gtest/gtest.h>

using imglib::DecodeError;
using imglib::DecodeTga;
using testimg::TempDir;

namespace {

// Uncompressed and RLE; colour-mapped, true-colour and grey; 8, 16, 24 and 32 bits; the four
// origins. The pattern is asymmetric both ways, so a missed flip shows.
TEST(Tga, MatchesConvertForTheVariantsItWrites) {
    SKIP_WITHOUT_CONVERT();
    TempDir dir;
    const std::string png = dir / "pattern.png";
    testimg::MakePattern(png, 41, 27);
    const std::vector<std::pair<std::string, uint32_t>> cases = {
        {"", 24},
        {"-compress RLE", 24},
        {"-type Palette", 24},
        {"-type Palette -compress RLE", 24},
        {"-type Grayscale", 8},
        {"-type Grayscale -compress RLE", 8},
        {"-depth 5", 16},
        {"-depth 5 -compress RLE", 16},
        {"-alpha on -channel A -evaluate set 40% +channel", 32},
        {"-alpha on -channel A -evaluate set 40% +channel -compress RLE", 32},
        {"-orient TopLeft", 24},
        {"-orient TopRight -compress RLE", 24},
        {"-orient BottomRight", 24},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const std::string tga = dir / ("case" + std::to_string(i) + ".tga");
        testimg::Convert("'" + png + "' " + cases[i].first + " '" + tga + "'");
        SCOPED_TRACE(cases[i].first);
        EXPECT_TRUE(imglib::LooksLikeTga(testimg::ReadFile(tga)));
        // convert keeps a TGA's origin as an orientation tag; -auto-orient applies it.
        testimg::ExpectMatchesReference(DecodeTga, tga, "-auto-orient");
        const imglib::Image image = DecodeTga(testimg::ReadFile(tga)).image;
        EXPECT_EQ(image.sourceBitsPerPixel, cases[i].second);
        // The 32-bit cases keep their alpha of 40%.
        EXPECT_EQ(image.hasAlpha, cases[i].second == 32);
        EXPECT_EQ(image.bgra[3], cases[i].second == 32 ? 102 : 255);
    }
}

std::vector<uint8_t> TgaHeader(uint8_t type, uint16_t width, uint16_t height, uint8_t bits,
                               uint8_t descriptor = 0) {
    return {0,
            0,
            type,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            uint8_t(width),
            uint8_t(width >> 8),
            uint8_t(height),
            uint8_t(height >> 8),
            bits,
            descriptor};
}

// 15-bit pixels (convert writes only 16): five bits a channel, blue lowest.
TEST(Tga, DecodesFifteenBitPixels) {
    auto file = TgaHeader(2, 3, 2, 15, 0x20);
    const uint16_t pixels[] = {0x7C00, 0x03E0, 0x001F, 0x7FFF, 0x0000, 0x4210};
    for (uint16_t p : pixels)
        file.insert(file.end(), {uint8_t(p), uint8_t(p >> 8)});
    const auto r = DecodeTga(file);
    ASSERT_TRUE(r) << r.reason;
    const std::vector<uint8_t> expected = {0,   0,   255, 255, 0, 255, 0, 255, 255, 0,   0,   255,
                                           255, 255, 255, 255, 0, 0,   0, 255, 131, 131, 131, 255};
    EXPECT_EQ(r.image.bgra, expected);
}

// Alpha counts only where the descriptor declares it and some of it is above 0.
TEST(Tga, AlphaCountsWhenDeclaredAndFilledIn) {
    auto twoPixels = [](uint8_t descriptor, uint8_t alpha0, uint8_t alpha1) {
        auto file = TgaHeader(2, 2, 1, 32, descriptor);
        file.insert(file.end(), {10, 20, 30, alpha0, 40, 50, 60, alpha1});
        return DecodeTga(file).image;
    };
    const imglib::Image declared = twoPixels(0x28, 0, 200);
    EXPECT_TRUE(declared.hasAlpha);
    EXPECT_EQ(declared.bgra, (std::vector<uint8_t>{10, 20, 30, 0, 40, 50, 60, 200}));
    for (const imglib::Image& opaque : {twoPixels(0x20, 0, 200), twoPixels(0x28, 0, 0)}) {
        EXPECT_FALSE(opaque.hasAlpha);
        EXPECT_EQ(opaque.bgra, (std::vector<uint8_t>{10, 20, 30, 255, 40, 50, 60, 255}));
    }
}

TEST(Tga, BrokenFilesFailWithTheirCode) {
    auto raw = TgaHeader(2, 20, 10, 24);
    raw.resize(raw.size() + 20 * 10 * 3, 0x40);
    auto rle = TgaHeader(10, 20, 10, 24);
    rle.insert(rle.end(), {0xFF, 1, 2, 3});      // 128 pixels, ending inside a row
    rle.insert(rle.end(), {0x80 | 43, 4, 5, 6}); // 44 more, crossing rows again
    rle.insert(rle.end(), {27, 1, 2, 3});        // 28 literal pixels
    rle.resize(rle.size() + 27 * 3, 9);
    ASSERT_TRUE(DecodeTga(raw));
    ASSERT_TRUE(DecodeTga(rle));
    for (const auto* file : {&raw, &rle}) {
        for (size_t size : {size_t(18), file->size() / 2, file->size() - 1}) {
            std::vector<uint8_t> cut(file->begin(), file->begin() + size);
            EXPECT_EQ(DecodeTga(cut).error, DecodeError::Corrupt) << size;
        }
    }
    auto huge = TgaHeader(10, 40000, 2, 24);
    huge.insert(huge.end(), {0xFF, 1, 2, 3});
    EXPECT_EQ(DecodeTga(huge).error, DecodeError::TooLarge);
    huge = TgaHeader(10, 30000, 30000, 24); // within each dimension, beyond the pixel count
    EXPECT_EQ(DecodeTga(huge).error, DecodeError::TooLarge);

    auto offsetMap = TgaHeader(1, 2, 2, 8);
    offsetMap[1] = 1, offsetMap[3] = 5, offsetMap[5] = 4, offsetMap[7] = 24; // entries 5 to 8
    offsetMap.resize(offsetMap.size() + 4 * 3 + 4, 1);
    EXPECT_EQ(DecodeTga(offsetMap).error, DecodeError::Incompatible);

    const std::string text = "Plain text is not an image, whatever its name.";
    const std::vector<uint8_t> notTga(text.begin(), text.end());
    EXPECT_FALSE(imglib::LooksLikeTga(notTga));
    EXPECT_EQ(DecodeTga(notTga).error, DecodeError::Unsupported);
}

} // namespace
