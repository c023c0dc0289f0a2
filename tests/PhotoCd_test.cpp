#include "ImageFiles.h"
#include "imglib/Decoders.h"
#include <gtest/gtest.h>

using imglib::DecodeError;
using imglib::DecodePhotoCd;
using testimg::TempDir;

namespace {

constexpr size_t kOrientationOffset = 0xE02;
// convert maps PhotoYCC's whole range, up to 1.3584 times reference white, onto 0 to 255; the
// decoder maps reference white to 255 and clips the highlights above it. Scaling convert's RGB
// by 1.3584 makes the two comparable.
const std::string kReferenceScale = " -colorspace sRGB -evaluate multiply 1.3584";
// Beyond that, the two differ in rounding and in the precision of their constants.
constexpr int kLargestTolerance = 3;
constexpr double kMeanTolerance = 0.5;

// One Photo CD file by convert, decoded in each of the four orientations and compared with
// convert's decode. convert leaves orientation 2 unturned, so it is compared with convert's decode
// turned half a turn.
TEST(PhotoCd, MatchesConvertInEachOrientation) {
    SKIP_WITHOUT_CONVERT();
    TempDir dir;
    const std::string source = dir / "source.pcd";
    testimg::MakePattern(dir / "pattern.png", 96, 64);
    testimg::Convert("'" + (dir / "pattern.png") + "' -filter point -resize 768x512! '" + source +
                     "'");
    const auto original = testimg::ReadFile(source);
    ASSERT_TRUE(imglib::LooksLikePhotoCd(original));

    for (uint8_t orientation = 0; orientation < 4; ++orientation) {
        SCOPED_TRACE(int(orientation));
        auto bytes = original;
        bytes[kOrientationOffset] =
            static_cast<uint8_t>((bytes[kOrientationOffset] & ~3) | orientation);
        const std::string path = dir / ("turned" + std::to_string(orientation) + ".pcd");
        testimg::WriteFile(path, bytes);
        const auto r = DecodePhotoCd(bytes);
        ASSERT_TRUE(r) << r.reason;
        EXPECT_EQ(r.image.width, orientation % 2 ? 512u : 768u);
        EXPECT_EQ(r.image.height, orientation % 2 ? 768u : 512u);
        const auto reference =
            testimg::ReferenceRgb(path, (orientation == 2 ? "-rotate 180" : "") + kReferenceScale);
        const auto difference = testimg::Compare(r.image, reference);
        EXPECT_LE(difference.largest, kLargestTolerance);
        EXPECT_LE(difference.mean, kMeanTolerance);
    }
}

// The conversion itself, on flat fields where chroma widening plays no part.
TEST(PhotoCd, ConvertsPhotoYccToRgb) {
    std::vector<uint8_t> file(0x30000 + 768 * 512 * 3 / 2, 0);
    std::copy_n("PCD_IPI", 7, file.begin() + 0x800);
    struct Sample {
        uint8_t y, c1, c2;
        int r, g, b;
    };
    // Neutral grey keeps its luma scaled by 1.3584; pure chroma moves blue or red alone
    // (green by the Rec. 709 weights); highlights clip.
    const Sample samples[] = {{100, 156, 137, 136, 136, 136},
                              {100, 186, 137, 136, 123, 202},
                              {100, 156, 167, 190, 108, 136},
                              {255, 156, 137, 255, 255, 255}};
    for (const Sample& s : samples) {
        for (size_t pair = 0; pair < 256; ++pair) {
            uint8_t* p = &file[0x30000 + pair * 2304];
            std::fill_n(p, 1536, s.y);
            std::fill_n(p + 1536, 384, s.c1);
            std::fill_n(p + 1920, 384, s.c2);
        }
        const auto r = DecodePhotoCd(file);
        ASSERT_TRUE(r) << r.reason;
        const uint8_t* px = &r.image.bgra[(300 * 768 + 500) * 4];
        EXPECT_NEAR(px[2], s.r, 1) << int(s.y) << "," << int(s.c1) << "," << int(s.c2);
        EXPECT_NEAR(px[1], s.g, 1) << int(s.y) << "," << int(s.c1) << "," << int(s.c2);
        EXPECT_NEAR(px[0], s.b, 1) << int(s.y) << "," << int(s.c1) << "," << int(s.c2);
        EXPECT_EQ(r.image.sourceBitsPerPixel, 24u);
    }

    file.pop_back();
    EXPECT_EQ(DecodePhotoCd(file).error, DecodeError::Corrupt);
    file.resize(0x900);
    EXPECT_EQ(DecodePhotoCd(file).error, DecodeError::Corrupt);
    file[0x800] = 'X';
    EXPECT_FALSE(imglib::LooksLikePhotoCd(file));
    EXPECT_EQ(DecodePhotoCd(file).error, DecodeError::Unsupported);
}

} // namespace
