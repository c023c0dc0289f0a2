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

// The HSV hue as 60 degrees times num / den, num in [0, 6 den): exact, so that a candidate at
// the tolerance's very edge is decided the same way every time. den is 0 for a grey.
struct Hue {
    int64_t num;
    int64_t den;
};

Hue HueOf(int red, int green, int blue) {
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
    const double r = linear[(rgb >> 16) & 0xFF], g = linear[(rgb >> 8) & 0xFF],
                 b = linear[rgb & 0xFF];
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
        if (m_aim < kOneGapAim) return WorstContrast(luminance, m_backdrop) >= m_aim;
        if (luminance <= m_backdrop.front())
            return ContrastRatio(luminance, m_backdrop.front()) >= m_aim;
        if (luminance >= m_backdrop.back())
            return ContrastRatio(luminance, m_backdrop.back()) >= m_aim;
        if (luminance <= m_gapBelow || luminance >= m_gapAbove) return false;
        return ContrastRatio(luminance, m_gapBelow) >= m_aim &&
               ContrastRatio(luminance, m_gapAbove) >= m_aim;
    }

private:
    std::span<const double> m_backdrop;
    double m_aim;
    double m_gapBelow = 0, m_gapAbove = 0;
};

uint32_t Rgb(int red, int green, int blue) {
    return static_cast<uint32_t>(red) << 16 | static_cast<uint32_t>(green) << 8 |
           static_cast<uint32_t>(blue);
}

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
                    case 0: visit(Rgb(high, mid, low)); break;
                    case 1: visit(Rgb(mid, high, low)); break;
                    case 2: visit(Rgb(low, high, mid)); break;
                    case 3: visit(Rgb(low, mid, high)); break;
                    case 4: visit(Rgb(mid, low, high)); break;
                    default: visit(Rgb(high, low, mid)); break;
                    }
                }
            }
        }
    }
}

double SeenLuminance(uint32_t rgb, Vision view) {
    const uint32_t seen = SimulateVision(view, rgb);
    return RelativeLuminance(static_cast<int>(seen >> 16), (seen >> 8) & 0xFF, seen & 0xFF);
}
} // namespace

std::optional<uint32_t> FixColor(uint32_t rgb, const FixGoal& goal) {
    if (goal.backdrop.empty()) return std::nullopt;
    rgb &= 0xFFFFFF;
    const BackdropTest backdrop(goal.backdrop, goal.aim);
    const Hue hue = HueOf(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
    const OkLab original = ToOkLab(rgb);
    std::optional<uint32_t> best;
    double bestDistance = 0;
    const auto consider = [&](uint32_t candidate) {
        const double luminance = SeenLuminance(candidate, goal.view);
        if (!backdrop.Passes(luminance)) return;
        if (goal.text && ContrastRatio(luminance, *goal.text) < kContrastLinkToText) return;
        if (!NearHue(hue, HueOf(candidate >> 16, (candidate >> 8) & 0xFF, candidate & 0xFF)))
            return;
        const double distance = SquaredDistance(original, ToOkLab(candidate));
        if (!best || distance < bestDistance || (distance == bestDistance && candidate < *best)) {
            best = candidate;
            bestDistance = distance;
        }
    };
    if (hue.den == 0) {
        for (uint32_t grey = 0; grey < 256; ++grey)
            consider(Rgb(grey, grey, grey));
    } else {
        ForEachColorNear(hue, consider);
    }
    return best;
}

uint32_t RoleRgb(const int32_t* table, ColorRole role) {
    const uint32_t ref = RoleColorRef(table, role);
    return (ref & 0xFF) << 16 | (ref & 0xFF00) | (ref >> 16 & 0xFF);
}

namespace {
FixGoal GoalOf(const int32_t* table, ColorRole role, std::span<const double> backdrop, double aim,
               Vision view) {
    FixGoal goal{backdrop, aim, std::nullopt, view};
    if (role != RoleText) goal.text = SeenLuminance(RoleRgb(table, RoleText), view);
    return goal;
}
} // namespace

bool MissesAim(const int32_t* table, ColorRole role, std::span<const double> backdrop, double aim,
               Vision view) {
    if (backdrop.empty()) return false;
    const FixGoal goal = GoalOf(table, role, backdrop, aim, view);
    const double luminance = SeenLuminance(RoleRgb(table, role), view);
    return !MeetsContrast(WorstContrast(luminance, backdrop), aim) ||
           (goal.text && !MeetsContrast(ContrastRatio(luminance, *goal.text), kContrastLinkToText));
}

FixOutcome FixRole(int32_t* table, ColorRole role, std::span<const double> backdrop, double aim,
                   Vision view) {
    if (!MissesAim(table, role, backdrop, aim, view)) return FixOutcome::Unchanged;
    const std::optional<uint32_t> fixed =
        FixColor(RoleRgb(table, role), GoalOf(table, role, backdrop, aim, view));
    if (!fixed) return FixOutcome::NoColor;
    int32_t* rgb = table + ComponentIndex(role, ChannelRed);
    rgb[0] = static_cast<int32_t>(*fixed >> 16);
    rgb[1] = static_cast<int32_t>(*fixed >> 8 & 0xFF);
    rgb[2] = static_cast<int32_t>(*fixed & 0xFF);
    return FixOutcome::Fixed;
}

std::vector<ColorRole> FixAllRoles(int32_t* table, std::span<const double> backdrop, double aim,
                                   Vision view) {
    std::vector<ColorRole> unfixed;
    for (ColorRole role : {RoleText, RoleLink, RoleVisitedLink, RoleActiveLink})
        if (FixRole(table, role, backdrop, aim, view) == FixOutcome::NoColor)
            unfixed.push_back(role);
    return unfixed;
}
