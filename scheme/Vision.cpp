#include "Vision.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "Contrast.h"

namespace {
using Matrix = std::array<std::array<double, 3>, 3>;

// Rows for red, green and blue out, over linear red, green and blue in.
constexpr Matrix kProtanopia = {{{0.152286, 1.052583, -0.204868},
                                 {0.114503, 0.786281, 0.099216},
                                 {-0.003882, -0.048116, 1.051998}}};
constexpr Matrix kDeuteranopia = {{{0.367322, 0.860646, -0.227968},
                                   {0.280085, 0.672501, 0.047413},
                                   {-0.011820, 0.042940, 0.968881}}};
constexpr Matrix kTritanopia = {{{1.255528, -0.076749, -0.178779},
                                 {-0.078411, 0.930809, 0.147602},
                                 {0.004733, 0.691367, 0.303900}}};
// WCAG's luminance weights, for the one grey of achromatopsia.
constexpr Matrix kAchromatopsia = {
    {{0.2126, 0.7152, 0.0722}, {0.2126, 0.7152, 0.0722}, {0.2126, 0.7152, 0.0722}}};

const Matrix& MatrixOf(Vision view) {
    switch (view) {
    case Vision::Protanopia: return kProtanopia;
    case Vision::Deuteranopia: return kDeuteranopia;
    case Vision::Tritanopia: return kTritanopia;
    default: return kAchromatopsia;
    }
}

constexpr int kEncodeBuckets = 4096;

// The linear light at which each 8-bit value begins, and for each of kEncodeBuckets equal
// stretches of linear light the value at its start: encoding is a look-up and a step or two
// up this table, exact to the rounding of the sRGB curve and without a power per component.
struct EncodeTable {
    std::array<double, 257> starts;
    std::array<uint8_t, kEncodeBuckets> bucketValues;
};

const EncodeTable& Encoding() {
    static const EncodeTable table = [] {
        EncodeTable t{};
        t.starts[0] = -INFINITY;
        for (int v = 1; v < 256; ++v) {
            const double c = (v - 0.5) / 255.0;
            t.starts[v] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        t.starts[256] = INFINITY;
        int v = 0;
        for (int b = 0; b < kEncodeBuckets; ++b) {
            const double start = static_cast<double>(b) / kEncodeBuckets;
            while (t.starts[v + 1] <= start)
                ++v;
            t.bucketValues[b] = static_cast<uint8_t>(v);
        }
        return t;
    }();
    return table;
}

uint32_t Encode(const EncodeTable& table, double linear) {
    // Clamping to 0..1 comes with the table's ends.
    if (!(linear > 0)) return 0;
    if (linear >= 1) return 255;
    uint32_t v = table.bucketValues[static_cast<int>(linear * kEncodeBuckets)];
    while (table.starts[v + 1] <= linear)
        ++v;
    return v;
}

uint32_t Simulate(const Matrix& m, const std::array<double, 256>& linear, const EncodeTable& starts,
                  uint32_t rgb) {
    const double in[3] = {linear[(rgb >> 16) & 0xFF], linear[(rgb >> 8) & 0xFF],
                          linear[rgb & 0xFF]};
    uint32_t out = rgb & 0xFF000000;
    for (int row = 0; row < 3; ++row) {
        const double value = m[row][0] * in[0] + m[row][1] * in[1] + m[row][2] * in[2];
        out |= Encode(starts, value) << (16 - 8 * row);
    }
    return out;
}
} // namespace

const char* VisionName(Vision view) {
    switch (view) {
    case Vision::Normal: return "";
    case Vision::Protanopia: return "protanopia";
    case Vision::Deuteranopia: return "deuteranopia";
    case Vision::Tritanopia: return "tritanopia";
    case Vision::Achromatopsia: return "achromatopsia";
    }
    return "";
}

uint32_t SimulateVision(Vision view, uint32_t rgb) {
    if (view == Vision::Normal) return rgb;
    return Simulate(MatrixOf(view), LinearComponents(), Encoding(), rgb);
}

void SimulateVision(Vision view, uint32_t* pixels, size_t count) {
    if (view == Vision::Normal) return;
    const Matrix& m = MatrixOf(view);
    const std::array<double, 256>& linear = LinearComponents();
    const EncodeTable& starts = Encoding();
    // Pictures repeat their neighbours' colours: one remembered colour spares most of the work.
    uint32_t lastIn = pixels && count ? ~pixels[0] : 0, lastOut = 0;
    for (size_t i = 0; i < count; ++i) {
        if (pixels[i] != lastIn) {
            lastIn = pixels[i];
            lastOut = Simulate(m, linear, starts, lastIn);
        }
        pixels[i] = lastOut;
    }
}
