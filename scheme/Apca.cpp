#include "Apca.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {
constexpr double kMainTrc = 2.4;
constexpr double kRedWeight = 0.2126729;
constexpr double kGreenWeight = 0.7151522;
constexpr double kBlueWeight = 0.0721750;
// Exponents for a light background (normal polarity) and a dark one (reverse polarity).
constexpr double kNormBackground = 0.56;
constexpr double kNormText = 0.57;
constexpr double kRevText = 0.62;
constexpr double kRevBackground = 0.65;
// The soft clamp of near-black luminances, for the flare of a real screen.
constexpr double kBlackThreshold = 0.022;
constexpr double kBlackClamp = 1.414;
constexpr double kScale = 1.14;
constexpr double kLowOffset = 0.027;
constexpr double kDeltaYMin = 0.0005;
constexpr double kLowClip = 0.1;

double SoftClamp(double y) {
    return y < kBlackThreshold ? y + std::pow(kBlackThreshold - y, kBlackClamp) : y;
}

const std::array<double, 256>& PoweredComponents() {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> powered{};
        for (int v = 0; v < 256; ++v)
            powered[v] = std::pow(v / 255.0, kMainTrc);
        return powered;
    }();
    return table;
}
} // namespace

double ApcaLuminance(uint32_t rgb) {
    const std::array<double, 256>& powered = PoweredComponents();
    return kRedWeight * powered[(rgb >> 16) & 0xFF] + kGreenWeight * powered[(rgb >> 8) & 0xFF] +
           kBlueWeight * powered[rgb & 0xFF];
}

double ApcaContrast(double text, double background) {
    text = SoftClamp(text);
    background = SoftClamp(background);
    if (std::abs(background - text) < kDeltaYMin) return 0;
    if (background > text) {
        const double sapc =
            (std::pow(background, kNormBackground) - std::pow(text, kNormText)) * kScale;
        return sapc < kLowClip ? 0 : (sapc - kLowOffset) * 100;
    }
    const double sapc = (std::pow(background, kRevBackground) - std::pow(text, kRevText)) * kScale;
    return sapc > -kLowClip ? 0 : (sapc + kLowOffset) * 100;
}

double LeastApcaContrast(double text, std::span<const double> backdrop) {
    // Lc shrinks as the background nears the text from either side: only the neighbours count.
    const auto above = std::lower_bound(backdrop.begin(), backdrop.end(), text);
    double least = ApcaContrast(text, above != backdrop.end() ? *above : backdrop.back());
    if (above != backdrop.begin()) {
        const double below = ApcaContrast(text, above[-1]);
        if (std::abs(below) < std::abs(least)) least = below;
    }
    return least;
}
