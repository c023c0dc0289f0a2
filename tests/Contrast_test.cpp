#include "scheme/Contrast.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {
double GreyOnWhite(int grey) {
    return ContrastRatio(RelativeLuminance(grey, grey, grey), RelativeLuminance(255, 255, 255));
}
} // namespace

TEST(ContrastRatio, PublishedPairsAndTheirVerdicts) {
    EXPECT_EQ(RatioText(GreyOnWhite(0)), "21.00:1");
    EXPECT_EQ(RatioText(GreyOnWhite(0x76)), "4.54:1");
    EXPECT_TRUE(MeetsContrast(GreyOnWhite(0x76), kContrastAA));
    EXPECT_EQ(RatioText(GreyOnWhite(0x77)), "4.47:1");
    EXPECT_FALSE(MeetsContrast(GreyOnWhite(0x77), kContrastAA));
    EXPECT_TRUE(MeetsContrast(GreyOnWhite(0x77), kContrastAALarge));
    EXPECT_EQ(RatioText(ContrastRatio(0.3, 0.3)), "1.00:1");
    // Rounded down: a ratio just short of 4.5 neither reads 4.50 nor passes.
    EXPECT_EQ(RatioText(4.499), "4.49:1");
    EXPECT_FALSE(MeetsContrast(4.499, kContrastAA));
    EXPECT_EQ(RatioText(7.05), "7.05:1");
}

TEST(CheckContrast, WorstCaseOverATwoColourTileFailsOnlyThroughItsFailingColour) {
    // A white tile with one near-black pixel; the top byte of a DIB's pixel is not a colour.
    const uint32_t tile[4] = {0xFFFFFF, 0xFFFFFFFF, 0x00333333, 0xFFFFFF};
    PictureColors colors;
    colors.Add(tile, 4);
    const std::vector<double> picture = colors.SortedLuminances();
    ASSERT_EQ(picture.size(), 2u);
    EXPECT_TRUE(std::is_sorted(picture.begin(), picture.end()));

    int32_t table[kComponentCount];
    ResetColorTable(table); // black text, links green, purple and red
    const auto rows = CheckContrast(table, picture);
    const double black = RelativeLuminance(0, 0, 0);
    EXPECT_DOUBLE_EQ(rows[0].ratio, ContrastRatio(black, RelativeLuminance(0x33, 0x33, 0x33)));
    EXPECT_FALSE(MeetsContrast(rows[0].ratio, kContrastAALarge));
    // Against the white alone the text passes everything.
    const double white = RelativeLuminance(255, 255, 255);
    EXPECT_EQ(RatioText(CheckContrast(table, {&white, 1})[0].ratio), "21.00:1");
    EXPECT_FALSE(rows[0].againstText);
    // A light colour's worst case is the white, on the other side of the search.
    const double light = RelativeLuminance(0xEE, 0xEE, 0xEE);
    EXPECT_DOUBLE_EQ(WorstContrast(light, picture), ContrastRatio(light, white));
    // The links are also measured against the text.
    EXPECT_DOUBLE_EQ(*rows[3].againstText, ContrastRatio(RelativeLuminance(0xEE, 0, 0), black));
}
