#include "scheme/Vision.h"

#include <gtest/gtest.h>

namespace {
constexpr Vision kDeficiencies[] = {Vision::Protanopia, Vision::Deuteranopia, Vision::Tritanopia,
                                    Vision::Achromatopsia};
} // namespace

TEST(SimulateVision, TheStartingLinksAsEachReaderSeesThem) {
    // Worked out apart from the program: decode, matrix, clamp, encode, round.
    struct Expected {
        Vision view;
        uint32_t link, visited, active;
    };
    const Expected rows[] = {
        {Vision::Normal, 0x008200, 0x551A8B, 0xEE0000},
        {Vision::Protanopia, 0x857400, 0x003B8E, 0x655800},
        {Vision::Deuteranopia, 0x796C19, 0x003C89, 0x988600},
        {Vision::Tritanopia, 0x007E6D, 0x493953, 0xFF000D},
        {Vision::Achromatopsia, 0x6F6F6F, 0x3C3C3C, 0x767676},
    };
    for (const Expected& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.view));
        EXPECT_EQ(SimulateVision(row.view, 0x008200), row.link);
        EXPECT_EQ(SimulateVision(row.view, 0x551A8B), row.visited);
        EXPECT_EQ(SimulateVision(row.view, 0xEE0000), row.active);
    }
    // A picture's pixels the same, each, their top byte kept.
    uint32_t pixels[3] = {0xFF008200, 0x008200, 0x00EE0000};
    SimulateVision(Vision::Protanopia, pixels, 3);
    EXPECT_EQ(pixels[0], 0xFF857400);
    EXPECT_EQ(pixels[1], 0x857400u);
    EXPECT_EQ(pixels[2], 0x655800u);
}

TEST(SimulateVision, GreysStayUnderEveryView) {
    for (Vision view : kDeficiencies)
        for (uint32_t grey = 0; grey < 256; ++grey)
            ASSERT_EQ(SimulateVision(view, grey * 0x010101), grey * 0x010101)
                << static_cast<int>(view) << " " << grey;
}
