#include "scheme/Contrast.h"
#include "scheme/ContrastReport.h"

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

TEST(ContrastReport, WorstCaseOverATwoColourTileAndTheShareOfPixelsEachColourPasses) {
    // A white tile with one near-black pixel; the top byte of a DIB's pixel is not a colour.
    const uint32_t tile[4] = {0xFFFFFF, 0xFFFFFFFF, 0x00333333, 0xFFFFFF};
    PictureColors colors;
    colors.Add(tile, 4);
    const std::vector<ColorCount> counted = colors.Take();
    ASSERT_EQ(counted.size(), 2u);
    EXPECT_EQ(counted[0].color, 0x333333u);
    EXPECT_EQ(counted[1].pixels, 3u);
    const PageLuminances picture = PicturePage(counted, Vision::Normal);

    int32_t table[kComponentCount];
    ResetColorTable(table); // black text, links green, purple and red
    const ContrastReport report =
        MakeContrastReport(table, {picture, picture, Vision::Normal, true}, kContrastAAA);
    const ContrastReportRow& text = report.rows[0];
    EXPECT_EQ(RatioText(text.ratio), "1.66:1");
    EXPECT_EQ(text.verdicts, (std::array<bool, 3>{false, false, false}));
    EXPECT_TRUE(text.missesAim);
    EXPECT_FALSE(text.againstText);
    // At 7:1 black text passes over the three white pixels of four; the red link over none.
    EXPECT_DOUBLE_EQ(*text.pictureShare, 0.75);
    EXPECT_DOUBLE_EQ(*report.rows[3].pictureShare, 0.0);
    EXPECT_EQ(RatioText(*report.rows[3].againstText), "4.63:1");
    // Against the white alone the text passes everything, and no share is given.
    const PageLuminances white = SolidPage(0xFFFFFF);
    const ContrastReport plain =
        MakeContrastReport(table, {white, white, Vision::Normal, false}, kContrastAA);
    EXPECT_EQ(RatioText(plain.rows[0].ratio), "21.00:1");
    EXPECT_FALSE(plain.rows[0].missesAim);
    EXPECT_FALSE(plain.rows[0].pictureShare);
    // A light colour's worst case is the white, on the other side of the search.
    EXPECT_EQ(RatioText(WorstContrast(RelativeLuminance(0xEE, 0xEE, 0xEE), picture.luminances)),
              "1.16:1");
}
