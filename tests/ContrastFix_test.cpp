#include "scheme/ContrastFix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "scheme/Contrast.h"

namespace {
struct Lab {
    double l, a, b;
};

const std::array<double, 256>& Linear() {
    static const std::array<double, 256> linear = [] {
        std::array<double, 256> table;
        for (int v = 0; v < 256; ++v) {
            const double c = v / 255.0;
            table[v] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        return table;
    }();
    return linear;
}

Lab ToLab(uint32_t c) {
    const double r = Linear()[c >> 16], g = Linear()[(c >> 8) & 0xFF], b = Linear()[c & 0xFF];
    const double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
    const double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
    const double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
    return {0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s,
            1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s,
            0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s};
}

double Distance(const Lab& x, const Lab& y) {
    return (x.l - y.l) * (x.l - y.l) + (x.a - y.a) * (x.a - y.a) + (x.b - y.b) * (x.b - y.b);
}

// The reference: each of the 16.7 million colours sorted once by whole degrees of hue (the
// greys apart); a fix then judges every colour of the degrees around the original's.
class BruteForce {
public:
    BruteForce() : m_byDegree(361) {
        for (uint32_t c = 0; c < (1u << 24); ++c)
            m_byDegree[Degree(c)].push_back(c);
    }

    double Luminance(uint32_t c) const {
        const std::array<double, 256>& linear = Linear();
        return 0.2126 * linear[c >> 16] + 0.7152 * linear[(c >> 8) & 0xFF] +
               0.0722 * linear[c & 0xFF];
    }

    // None is 0xFFFFFFFF.
    uint32_t Fix(uint32_t original, const std::vector<double>& page, double aim,
                 double text = -1) const {
        const Lab from = ToLab(original);
        uint32_t best = 0xFFFFFFFF;
        double bestDistance = INFINITY;
        const int degree = Degree(original);
        for (int step = -3; step <= 3; ++step) {
            if (degree == kGrey && step != 0) continue;
            for (uint32_t c : m_byDegree[degree == kGrey ? kGrey : (degree + step + 360) % 360]) {
                if (!SameHue(original, c)) continue;
                const double l = Luminance(c);
                if (text >= 0 && Ratio(l, text) < 3.0) continue;
                if (std::any_of(page.begin(), page.end(),
                                [&](double p) { return Ratio(l, p) < aim; }))
                    continue;
                const double d = Distance(from, ToLab(c));
                if (d < bestDistance || (d == bestDistance && c < best)) best = c, bestDistance = d;
            }
        }
        return best;
    }

private:
    static double Ratio(double x, double y) {
        return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
    }

    // HSV hue within 2 degrees, as 6 * chroma-scaled sector positions compared in integers.
    static bool SameHue(uint32_t x, uint32_t y) {
        int64_t nx, dx, ny, dy;
        Position(x, nx, dx);
        Position(y, ny, dy);
        if (dx == 0 || dy == 0) return dx == dy;
        int64_t apart = nx * dy - ny * dx; // in units of 60 degrees / (dx * dy)
        apart = std::abs(apart) % (6 * dx * dy);
        apart = std::min(apart, 6 * dx * dy - apart);
        return 30 * apart <= dx * dy;
    }

    static void Position(uint32_t c, int64_t& num, int64_t& den) {
        const int r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF;
        const int hi = std::max({r, g, b}), lo = std::min({r, g, b});
        den = hi - lo;
        if (den == 0)
            num = 0;
        else if (r == hi)
            num = (g - b + 6 * den) % (6 * den);
        else if (g == hi)
            num = 2 * den + (b - r);
        else
            num = 4 * den + (r - g);
    }

    static constexpr int kGrey = 360;

    static int Degree(uint32_t c) {
        int64_t num, den;
        Position(c, num, den);
        return den == 0 ? kGrey : static_cast<int>(60.0 * num / den) % 360;
    }

    std::vector<std::vector<uint32_t>> m_byDegree;
};

uint32_t ProgramFix(uint32_t original, std::vector<double> page, double aim, double text = -1) {
    std::sort(page.begin(), page.end());
    FixGoal goal{page, aim, std::nullopt};
    if (text >= 0) goal.text = text;
    return FixColor(original, goal).value_or(0xFFFFFFFF);
}
} // namespace

TEST(FixColor, MatchesASearchOfEveryColour) {
    const BruteForce all;
    const auto lum = [&](uint32_t c) { return all.Luminance(c); };
    struct Case {
        uint32_t original;
        std::vector<double> page;
        double aim;
        double text;
    };
    std::vector<Case> cases = {
        {0x008200, {lum(0xFFEBD7)}, kContrastAA, lum(0)},     // the starting New Link
        {0x777777, {lum(0xFFFFFF)}, kContrastAA, -1},         // a grey just short
        {0x808080, {lum(0x808080)}, kContrastAAA, -1},        // a grey on itself
        {0x0000EE, {lum(0xFFFFFF)}, kContrastAAA, lum(0)},    // no link reaches AAA
        {0xEE0000, {lum(0), lum(0xFFFFFF)}, kContrastAA, -1}, // a picture's gap
        {0x3366CC, {lum(0x102030), lum(0xF0E0D0), lum(0x806040)}, kContrastAA, -1},
        {0xFF8800, {lum(0x000000), lum(0x202020)}, kContrastAAA, lum(0x404040)},
    };
    std::mt19937 random(18);
    for (int i = 0; i < 14; ++i) {
        const uint32_t original = random() & 0xFFFFFF, background = random() & 0xFFFFFF;
        const bool link = i % 2;
        cases.push_back({original,
                         {lum(background)},
                         i % 3 ? kContrastAA : kContrastAAA,
                         link ? lum(random() & 0xFFFFFF) : -1});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.original);
        EXPECT_EQ(ProgramFix(c.original, c.page, c.aim, c.text),
                  all.Fix(c.original, c.page, c.aim, c.text));
    }
    // The starting New Link's fix, for the window's tests; and the impossible AAA link.
    EXPECT_EQ(ProgramFix(0x008200, {lum(0xFFEBD7)}, kContrastAA, lum(0)), 0x047E00u);
    EXPECT_EQ(ProgramFix(0x0000EE, {lum(0xFFFFFF)}, kContrastAAA, lum(0)), 0xFFFFFFFFu);
}

TEST(FixColor, MeetsTheAimWhereABrowsersRoundedSuggestionMissesIt) {
    // Background, original, aim, and the suggestion of a browser's developer tools rounded to
    // 8 bits: the second and the last miss their own aim, the others meet it.
    struct Anchor {
        double background;
        uint32_t original;
        double aim;
        uint32_t suggestion;
        bool suggestionMeetsAim;
    };
    const double white = 1.0, black = 0.0, salmon = RelativeLuminance(0xFA, 0x80, 0x72);
    const Anchor anchors[] = {{white, 0xFFFFFF, 7.0, 0x595959, true},
                              {white, 0x00FF00, 7.05, 0x006800, false},
                              {black, 0xB114FF, 7.05, 0xCD69FF, true},
                              {salmon, 0xFFFFFF, 4.5, 0x3B3B3B, false}};
    for (const Anchor& a : anchors) {
        SCOPED_TRACE(testing::Message() << std::hex << a.original);
        const std::optional<uint32_t> ours = FixColor(a.original, {{&a.background, 1}, a.aim});
        ASSERT_TRUE(ours);
        const auto ratio = [&](uint32_t c) {
            return ContrastRatio(RelativeLuminance(c >> 16, (c >> 8) & 0xFF, c & 0xFF),
                                 a.background);
        };
        EXPECT_GE(ratio(*ours), a.aim);
        EXPECT_EQ(ratio(a.suggestion) >= a.aim, a.suggestionMeetsAim);
        if (a.suggestionMeetsAim)
            EXPECT_LE(Distance(ToLab(a.original), ToLab(*ours)),
                      Distance(ToLab(a.original), ToLab(a.suggestion)));
    }
}
