#include "scheme/Apca.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {
double Lc(uint32_t text, uint32_t background) {
    return ApcaContrast(ApcaLuminance(text), ApcaLuminance(background));
}
} // namespace

TEST(Apca, PublishedPairs) {
    EXPECT_NEAR(Lc(0x888888, 0xFFFFFF), 63.056469930209424, 1e-9);
    EXPECT_NEAR(Lc(0xFFFFFF, 0x888888), -68.54146436644962, 1e-9);
    EXPECT_NEAR(Lc(0x000000, 0xAAAAAA), 58.146262578561334, 1e-9);
    EXPECT_NEAR(Lc(0x112233, 0xDDEEFF), 91.66830811481631, 1e-9);
    EXPECT_EQ(Lc(0x777777, 0x777777), 0.0);
}

TEST(Apca, OverAPictureTheValueOfLeastMagnitude) {
    // Grey #888 text over black, #AAA and white pixels: #AAA is the nearest, on the light side.
    std::vector<double> picture = {ApcaLuminance(0), ApcaLuminance(0xAAAAAA),
                                   ApcaLuminance(0xFFFFFF)};
    std::sort(picture.begin(), picture.end());
    const double text = ApcaLuminance(0x888888);
    EXPECT_NEAR(LeastApcaContrast(text, picture), 15.162059296082159, 1e-9);
    // Without the #AAA the black, on the dark side, is nearer in Lc than the white.
    const double blackAndWhite[2] = {picture[0], picture[2]};
    EXPECT_NEAR(LeastApcaContrast(text, blackAndWhite), -38.62297543342328, 1e-9);
}
