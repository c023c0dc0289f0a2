#include "ContrastFix.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Contrast.h"

namespace {
// Below this aim more than one gap between a picture's luminances could let a colour pass.
constexpr double kOneGapAim = 2.2;
// The luminance that any gap wide enough for such an aim contains: sqrt(0.05 * 1.05) - 0.05.
constexpr double kGapProbe = 0.17912878474779200;
constexpr int kHueToleranceDegrees = 2;
// WCAG's allowance for flare in its ratio.
constexpr double kFlare = 0.05;

// The HSV hue as 60 degrees times num / den, num in [0, 6 den): exact, so that a candidate at
// the tolerance's very edge is decided the same way every time. den is 0 for a grey.
struct Hue {
    int64_t num;
    int64_t den;
};

Hue HueOf(uint32_t rgb) {
    const auto [red, green, blue] = UnpackRgb(rgb);
    const int high = std::max({red, green, blue});
    const int low = std::min({red, green, blue});
    const int64_t d = high - low;
    if (d == 0) return {0, 0};
    int64_t n;
    if (high == red)
        n = green - blue < 0 ? green - blue + 6 * d : green - blue;
    else if (high == green)
        n = 2 * d + blue - red;
    else
        n = 4 * d + red - green;
    return {n, d};
}

bool NearHue(Hue a, Hue b) {
    if (a.den == 0 || b.den == 0) return a.den == b.den;
    const int64_t apart = std::abs(a.num * b.den - b.num * a.den);
    const int64_t circle = 6 * a.den * b.den;
    // 60 * min(apart, circle - apart) / (a.den * b.den) <= tolerance
    return 60 * std::min(apart, circle - apart) <= kHueToleranceDegrees * a.den * b.den;
}

struct OkLab {
    double l, a, b;
};

OkLab ToOkLab(uint32_t rgb) {
    const std::array<double, 256>& linear = LinearComponents();
    const Rgb8 c = UnpackRgb(rgb);
    const double r = linear[c.red], g = linear[c.green], b = linear[c.blue];
    const double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
    const double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
    const double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
    return {0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s,
            1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s,
            0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s};
}

double SquaredDistance(const OkLab& x, const OkLab& y) {
    return (x.l - y.l) * (x.l - y.l) + (x.a - y.a) * (x.a - y.a) + (x.b - y.b) * (x.b - y.b);
}

// Whether a luminance reaches aim against every luminance of the backdrop, as WorstContrast
// decides it, in constant time: a colour inside the backdrop's range passes only in a gap
// wider than aim squared, and for these aims at most one gap is, the one around kGapProbe.
class BackdropTest {
public:
    BackdropTest(std::span<const double> backdrop, double aim) : m_backdrop(backdrop), m_aim(aim) {
        const auto above = std::upper_bound(backdrop.begin(), backdrop.end(), kGapProbe);
        m_gapBelow = above != backdrop.begin() ? above[-1] : backdrop.front();
        m_gapAbove = above != backdrop.end() ? *above : backdrop.back();
    }

    bool Passes(double luminance) const {
        if (m_aim < kOneGapAim) return MeetsContrast(WorstContrast(luminance, m_backdrop), m_aim);
        if (luminance <= m_backdrop.front())
            return MeetsContrast(ContrastRatio(luminance, m_backdrop.front()), m_aim);
        if (luminance >= m_backdrop.back())
            return MeetsContrast(ContrastRatio(luminance, m_backdrop.back()), m_aim);
        if (luminance <= m_gapBelow || luminance >= m_gapAbove) return false;
        return MeetsContrast(ContrastRatio(luminance, m_gapBelow), m_aim) &&
               MeetsContrast(ContrastRatio(luminance, m_gapAbove), m_aim);
    }

private:
    std::span<const double> m_backdrop;
    double m_aim;
    double m_gapBelow = 0, m_gapAbove = 0;
};

// Calls visit with every 8-bit colour of hue's, and a few just beside it, each sector of the
// hue circle walked only where the tolerance reaches into it.
template <typename Visit> void ForEachColorNear(Hue hue, Visit visit) {
    // The stretches of the tolerance within each sector, as fractions of the sector.
    struct Stretch {
        int sector;
        double first, last;
    };
    std::vector<Stretch> stretches;
    const double centre = static_cast<double>(hue.num) / static_cast<double>(hue.den);
    const double reach = kHueToleranceDegrees / 60.0;
    for (int sector = 0; sector < 6; ++sector) {
        for (int turn = -6; turn <= 6; turn += 6) {
            const double from = std::max(centre + turn - reach, double(sector));
            const double to = std::min(centre + turn + reach, double(sector + 1));
            if (from > to) continue;
            // Sectors 0, 2, 4 rise with the middle component, 1, 3, 5 fall.
            if (sector % 2 == 0)
                stretches.push_back({sector, from - sector, to - sector});
            else
                stretches.push_back({sector, sector + 1 - to, sector + 1 - from});
        }
    }
    for (int high = 1; high < 256; ++high) {
        for (int low = 0; low < high; ++low) {
            const int d = high - low;
            for (const Stretch& s : stretches) {
                const int tFirst = std::max(0, static_cast<int>(s.first * d) - 1);
                const int tLast = std::min(d, static_cast<int>(s.last * d) + 2);
                for (int mid = low + tFirst; mid <= low + tLast; ++mid) {
                    switch (s.sector) {
                    case 0: visit(PackRgb(high, mid, low)); break;
                    case 1: visit(PackRgb(mid, high, low)); break;
                    case 2: visit(PackRgb(low, high, mid)); break;
                    case 3: visit(PackRgb(low, mid, high)); break;
                    case 4: visit(PackRgb(mid, low, high)); break;
                    default: visit(PackRgb(high, low, mid)); break;
                    }
                }
            }
        }
    }
}

double SeenLuminance(uint32_t rgb, Vision view) {
    return RgbLuminance(SimulateVision(view, rgb));
}

// The luminances that meet aim against backdrop and, if any, 3:1 against text: some exist.
bool SomeLuminancePasses(const FixSight& sight, double aim) {
    // Each stretch of luminance that passes the backdrop, checked against the text's.
    const auto passes = [&](double low, double high) {
        low = std::max(low, 0.0);
        high = std::min(high, 1.0);
        if (low > high) return false;
        if (!sight.text) return true;
        const double below = (*sight.text + kFlare) / kContrastLinkToText - kFlare;
        const double above = (*sight.text + kFlare) * kContrastLinkToText - kFlare;
        return low <= below || high >= above;
    };
    const std::span<const double> b = sight.backdrop;
    if (passes(0, (b.front() + kFlare) / aim - kFlare)) return true;
    if (passes((b.back() + kFlare) * aim - kFlare, 1)) return true;
    for (size_t i = 1; i < b.size(); ++i)
        if (passes((b[i - 1] + kFlare) * aim - kFlare, (b[i] + kFlare) / aim - kFlare)) return true;
    return false;
}
} // namespace

std::vector<double> VerdictOutline(std::span<const double> backdrop) {
    if (backdrop.size() <= 4) return {backdrop.begin(), backdrop.end()};
    const auto above = std::upper_bound(backdrop.begin(), backdrop.end(), kGapProbe);
    std::vector<double> outline = {backdrop.front(), backdrop.back()};
    if (above != backdrop.begin()) outline.push_back(above[-1]);
    if (above != backdrop.end()) outline.push_back(*above);
    std::sort(outline.begin(), outline.end());
    outline.erase(std::unique(outline.begin(), outline.end()), outline.end());
    return outline;
}

std::optional<uint32_t> FixColor(uint32_t rgb, const FixGoal& goal) {
    if (goal.sights.empty()) return std::nullopt;
    rgb &= 0xFFFFFF;
    std::vector<BackdropTest> backdrops;
    for (const FixSight& sight : goal.sights)
        backdrops.emplace_back(sight.backdrop, goal.aim);
    const Hue hue = HueOf(rgb);
    const OkLab original = ToOkLab(rgb);
    std::optional<uint32_t> best;
    double bestDistance = 0;
    const auto consider = [&](uint32_t candidate) {
        for (size_t i = 0; i < backdrops.size(); ++i) {
            const FixSight& sight = goal.sights[i];
            const double luminance = SeenLuminance(candidate, sight.view);
            if (!backdrops[i].Passes(luminance)) return;
            if (sight.text &&
                !MeetsContrast(ContrastRatio(luminance, *sight.text), kContrastLinkToText))
                return;
        }
        if (!NearHue(hue, HueOf(candidate))) return;
        const double distance = SquaredDistance(original, ToOkLab(candidate));
        if (!best || distance < bestDistance || (distance == bestDistance && candidate < *best)) {
            best = candidate;
            bestDistance = distance;
        }
    };
    if (hue.den == 0) {
        for (int grey = 0; grey < 256; ++grey)
            consider(PackRgb(grey, grey, grey));
    } else {
        ForEachColorNear(hue, consider);
    }
    return best;
}

bool MissesGoal(uint32_t rgb, const FixGoal& goal) {
    for (const FixSight& sight : goal.sights) {
        const double luminance = SeenLuminance(rgb, sight.view);
        if (!MeetsContrast(WorstContrast(luminance, sight.backdrop), goal.aim)) return true;
        if (sight.text &&
            !MeetsContrast(ContrastRatio(luminance, *sight.text), kContrastLinkToText))
            return true;
    }
    return false;
}

bool NoColorCanMeet(const FixGoal& goal) {
    return std::any_of(goal.sights.begin(), goal.sights.end(), [&](const FixSight& sight) {
        return !SomeLuminancePasses(sight, goal.aim);
    });
}

FixGoal GoalOf(const int32_t* table, ColorRole role, const FixPages& pages, double aim) {
    FixGoal goal{aim, {}};
    if (pages.normal.empty() || pages.shown.empty()) return goal;
    const uint32_t text = RoleRgb(table, RoleText);
    const auto sight = [&](std::span<const double> backdrop, Vision view) {
        FixSight s{backdrop, std::nullopt, view};
        if (role != RoleText) s.text = SeenLuminance(text, view);
        return s;
    };
    goal.sights.push_back(sight(pages.normal, Vision::Normal));
    if (pages.view != Vision::Normal) goal.sights.push_back(sight(pages.shown, pages.view));
    return goal;
}
