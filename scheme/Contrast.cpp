#include "Contrast.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "Apca.h"

namespace {
constexpr uint32_t kColorCount = 1u << 24;
constexpr double kFlare = 0.05;
constexpr size_t kValuesPerBucket = 16;
// The rounding error that a ratio may carry from the luminance sums, many times over.
constexpr double kRatioSlack = 1e-9;

double Luminance(const std::array<double, 256>& linear, int red, int green, int blue) {
    return 0.2126 * linear[red] + 0.7152 * linear[green] + 0.0722 * linear[blue];
}
} // namespace

const std::array<double, 256>& LinearComponents() {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> linear{};
        for (int v = 0; v < 256; ++v) {
            const double c = v / 255.0;
            linear[v] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        return linear;
    }();
    return table;
}

double RelativeLuminance(int red, int green, int blue) {
    return Luminance(LinearComponents(), red & 0xFF, green & 0xFF, blue & 0xFF);
}

double RelativeLuminance(uint32_t colorRef) {
    return RelativeLuminance(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
}

double ContrastRatio(double luminanceA, double luminanceB) {
    const auto [darker, lighter] = std::minmax(luminanceA, luminanceB);
    return (lighter + kFlare) / (darker + kFlare);
}

double WorstContrast(double foreground, std::span<const double> backdrop) {
    const auto above = std::lower_bound(backdrop.begin(), backdrop.end(), foreground);
    double worst = ContrastRatio(foreground, above != backdrop.end() ? *above : backdrop.back());
    if (above != backdrop.begin()) worst = std::min(worst, ContrastRatio(foreground, above[-1]));
    return worst;
}

bool MeetsContrast(double ratio, double required) {
    return ratio + kRatioSlack >= required;
}

std::string RatioText(double ratio) {
    const auto hundredths = static_cast<long long>(std::floor((ratio + kRatioSlack) * 100));
    const long long fraction = hundredths % 100;
    return std::to_string(hundredths / 100) + (fraction < 10 ? ".0" : ".") +
           std::to_string(fraction) + ":1";
}

PictureColors::PictureColors() : m_seen(kColorCount / 64) {}

void PictureColors::Add(const uint32_t* pixels, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const uint32_t color = pixels[i] & (kColorCount - 1);
        m_seen[color >> 6] |= uint64_t{1} << (color & 63);
    }
}

template <typename Visit> void PictureColors::ForEachColor(Visit visit) const {
    for (size_t w = 0; w < m_seen.size(); ++w)
        for (uint64_t word = m_seen[w]; word; word &= word - 1)
            visit(static_cast<uint32_t>(w * 64 + static_cast<size_t>(std::countr_zero(word))));
}

std::vector<double> PictureColors::SortedLuminances() const {
    return SortedValues([](uint32_t color) {
        return Luminance(LinearComponents(), static_cast<int>(color >> 16), (color >> 8) & 0xFF,
                         color & 0xFF);
    });
}

std::vector<double> PictureColors::SortedApcaLuminances() const {
    return SortedValues(ApcaLuminance);
}

std::vector<double> PictureColors::SortedValues(double (*value)(uint32_t color)) const {
    size_t count = 0;
    for (uint64_t word : m_seen)
        count += static_cast<size_t>(std::popcount(word));
    if (count == 0) return {};
    // A bucket sort: the luminances spread by value over buckets of a few each, which are
    // sorted alone; many times faster than one sort of up to 16 Mi values.
    const size_t buckets = std::max<size_t>(1, count / kValuesPerBucket);
    const auto bucketOf = [&](double v) {
        return std::min(buckets - 1, static_cast<size_t>(v * static_cast<double>(buckets)));
    };
    std::vector<size_t> starts(buckets + 1);
    ForEachColor([&](uint32_t color) { ++starts[bucketOf(value(color)) + 1]; });
    for (size_t b = 1; b <= buckets; ++b)
        starts[b] += starts[b - 1];
    std::vector<double> luminances(count);
    std::vector<size_t> next(starts.begin(), starts.end() - 1);
    ForEachColor([&](uint32_t color) {
        const double v = value(color);
        luminances[next[bucketOf(v)]++] = v;
    });
    for (size_t b = 0; b < buckets; ++b)
        std::sort(luminances.begin() + static_cast<std::ptrdiff_t>(starts[b]),
                  luminances.begin() + static_cast<std::ptrdiff_t>(starts[b + 1]));
    luminances.erase(std::unique(luminances.begin(), luminances.end()), luminances.end());
    return luminances;
}

std::array<ContrastRow, 4> CheckContrast(const int32_t* table, std::span<const double> backdrop) {
    const double text = RelativeLuminance(RoleColorRef(table, RoleText));
    std::array<ContrastRow, 4> rows{};
    for (size_t i = 0; i < rows.size(); ++i) {
        const ColorRole role = kForegroundRoles[i];
        const double luminance = RelativeLuminance(RoleColorRef(table, role));
        rows[i].role = role;
        rows[i].ratio = WorstContrast(luminance, backdrop);
        if (role != RoleText) rows[i].againstText = ContrastRatio(luminance, text);
    }
    return rows;
}
