#include "scheme/ContrastFix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "scheme/Contrast.h"

namespace {
// One view's part of a goal: the page's colours and, for a link, the text's (-1 for none), each
// seen in view.
struct Sight {
    std::vector<uint32_t> page;
    int64_t text;
    Vision view = Vision::Normal;
};

double Seen(uint32_t rgb, Vision view) {
    return RgbLuminance(SimulateVision(view, rgb));
}

// The fix of original at aim in every sight jointly; 0xFFFFFFFF for none.
uint32_t ProgramFix(uint32_t original, double aim, const std::vector<Sight>& sights) {
    std::vector<std::vector<double>> pages;
    FixGoal goal{aim, {}};
    for (const Sight& s : sights) {
        std::vector<double>& page = pages.emplace_back();
        for (uint32_t c : s.page)
            page.push_back(Seen(c, s.view));
        std::sort(page.begin(), page.end());
    }
    for (size_t i = 0; i < sights.size(); ++i) {
        FixSight sight{pages[i], std::nullopt, sights[i].view};
        if (sights[i].text >= 0)
            sight.text = Seen(static_cast<uint32_t>(sights[i].text), sights[i].view);
        goal.sights.push_back(sight);
    }
    return FixColor(original, goal).value_or(0xFFFFFFFF);
}
} // namespace

// The expected colours were worked out once by a separate Python search of every colour within
// 2 degrees of hue, with its own sRGB, OKLab, HSV and Machado formulas (not this program's code).
TEST(FixColor, NearestColourOfTheHueThatMeetsTheAimInEverySight) {
    constexpr uint32_t kNone = 0xFFFFFFFF;
    const Vision protan = Vision::Protanopia, deutan = Vision::Deuteranopia;
    struct Case {
        uint32_t original;
        double aim;
        std::vector<Sight> sights;
        uint32_t expected;
    };
    const Case cases[] = {
        {0x008200, kContrastAA, {{{0xFFEBD7}, 0x000000}}, 0x047E00},     // the starting New Link
        {0x777777, kContrastAA, {{{0xFFFFFF}, -1}}, 0x767676},           // a grey just short
        {0x808080, kContrastAAA, {{{0x808080}, -1}}, kNone},             // a grey on itself
        {0x0000EE, kContrastAAA, {{{0xFFFFFF}, 0x000000}}, kNone},       // no link reaches AAA
        {0xEE0000, kContrastAA, {{{0x000000, 0xFFFFFF}, -1}}, 0xEE0000}, // a picture's gap
        {0x3366CC, kContrastAA, {{{0x102030, 0xF0E0D0, 0x806040}, -1}}, kNone},
        {0xFF8800, kContrastAAA, {{{0x000000, 0x202020}, 0x404040}}, 0xFE8D14},
        // Where a browser's rounded suggestion (#CD69FF, #006800, #3B3B3B) misses or lies further.
        {0xB114FF, 7.05, {{{0x000000}, -1}}, 0xD166FF},
        {0x00FF00, 7.05, {{{0xFFFFFF}, -1}}, 0x036700},
        {0xFFFFFF, kContrastAA, {{{0xFA8072}, -1}}, 0x3A3A3A},
        // In a view, jointly with Normal vision: protanopia alone would give #D45058, 3.56:1 in
        // Normal vision.
        {0xD76367, kContrastAA, {{{0xFFEBD7}, 0x000000}, {{0xFFEBD7}, 0x000000, protan}}, 0xBB434B},
        {0x2266AA, kContrastAA, {{{0x5A7A3A}, 0xF0F0F0}, {{0x5A7A3A}, 0xF0F0F0, deutan}}, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.original << " aim " << c.aim);
        EXPECT_EQ(ProgramFix(c.original, c.aim, c.sights), c.expected);
    }
    EXPECT_EQ(ProgramFix(0xD76367, kContrastAA, {{{0xFFEBD7}, 0x000000, protan}}), 0xD45058u);
}
