#include "scheme/ColorScheme.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(HexColor, ComponentsInRangeGiveSixUpperCaseDigits) {
    EXPECT_EQ(HexColor(255, 235, 215), "FFEBD7");
    EXPECT_EQ(HexColor(0, 0, 0), "000000");
    EXPECT_EQ(HexColor(10, 1, 0xAB), "0A01AB");
}

TEST(HexColor, ComponentsOutsideTheRangeAreNeitherClampedNorCut) {
    EXPECT_EQ(HexColor(256, -1, 5), "100FFFFFFFF05");
    EXPECT_EQ(HexColor(4096, 0, 0), "10000000");
    EXPECT_EQ(HexColor(INT32_MIN, -1, INT32_MAX), "80000000FFFFFFFF7FFFFFFF");
}

TEST(ColorTable, StartsWithTheDefaultSchemeWhoseTextsAreTheDefaults) {
    // The process-wide table as the program starts with it: no test of this program changes it.
    const char* expected[] = {"FFEBD7", "000000", "008200", "551A8B", "EE0000"};
    for (int r = 0; r < kRoleCount; ++r)
        EXPECT_EQ(HexColor(ColorTable, kRoles[r]), expected[r]);
    EXPECT_TRUE(std::equal(ColorTable, ColorTable + kComponentCount, kDefaultScheme));
    int32_t reset[kComponentCount] = {};
    ResetColorTable(reset);
    EXPECT_TRUE(std::equal(reset, reset + kComponentCount, kDefaultScheme));
    EXPECT_EQ(ComponentIndex(RoleVisitedLink, ChannelGreen), 10);
}

TEST(RoleColorRef, TakesTheLowEightBitsOfEachComponent) {
    int32_t table[kComponentCount] = {};
    table[0] = 256; // draws as 0
    table[1] = 0x1EB;
    table[2] = -1;
    EXPECT_EQ(RoleColorRef(table, RoleBackground), 0x00FFEB00u);
    EXPECT_EQ(RoleColorRef(kDefaultScheme, RoleVisitedLink), 0x008B1A55u);
}
