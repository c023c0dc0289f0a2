#include "Contrast.h"

#include <algorithm>
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

double RgbLuminance(uint32_t rgb) {
    const Rgb8 c = UnpackRgb(rgb);
    return Luminance(LinearComponents(), c.red, c.green, c.blue);
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

PictureColors::PictureColors() : m_pixels(kColorCount) {}

void PictureColors::Add(const uint32_t* pixels, size_t count) {
    for (size_t i = 0; i < count; ++i)
        ++m_pixels[pixels[i] & (kColorCount - 1)];
}

std::vector<ColorCount> PictureColors::Take() {
    std::vector<ColorCount> colors;
    for (uint32_t color = 0; color < kColorCount; ++color)
        if (m_pixels[color]) colors.push_back({color, m_pixels[color]});
    std::vector<uint32_t>().swap(m_pixels);
    return colors;
}

namespace {
struct ValuePixels {
    double value;
    uint64_t pixels;
};

// Sorts by value and merges equal values: a bucket sort, the values spread over buckets of a
// few each that are sorted alone; many times faster than one sort of up to 16 Mi values.
void SortMerging(std::vector<ValuePixels>& values) {
    const size_t buckets = std::max<size_t>(1, values.size() / kValuesPerBucket);
    const auto bucketOf = [&](double v) {
        return std::min(buckets - 1, static_cast<size_t>(std::max(0.0, v) * double(buckets)));
    };
    std::vector<size_t> starts(buckets + 1);
    for (const ValuePixels& v : values)
        ++starts[bucketOf(v.value) + 1];
    for (size_t b = 1; b <= buckets; ++b)
        starts[b] += starts[b - 1];
    std::vector<ValuePixels> sorted(values.size());
    std::vector<size_t> next(starts.begin(), starts.end() - 1);
    for (const ValuePixels& v : values)
        sorted[next[bucketOf(v.value)]++] = v;
    const auto byValue = [](const ValuePixels& a, const ValuePixels& b) {
        return a.value < b.value;
    };
    for (size_t b = 0; b < buckets; ++b)
        std::sort(sorted.begin() + static_cast<std::ptrdiff_t>(starts[b]),
                  sorted.begin() + static_cast<std::ptrdiff_t>(starts[b + 1]), byValue);
    values.clear();
    for (const ValuePixels& v : sorted) {
        if (!values.empty() && values.back().value == v.value)
            values.back().pixels += v.pixels;
        else
            values.push_back(v);
    }
}
} // namespace

double PageLuminances::ShareReaching(double luminance, double aim) const {
    if (pixelsUpTo.empty() || pixelsUpTo.back() == 0) return 0;
    // It falls short against the luminances strictly between these, as MeetsContrast decides.
    const double least = aim - kRatioSlack;
    const double low = (luminance + kFlare) / least - kFlare;
    const double high = (luminance + kFlare) * least - kFlare;
    const auto first = std::upper_bound(luminances.begin(), luminances.end(), low);
    const auto last = std::lower_bound(luminances.begin(), luminances.end(), high);
    const auto upTo = [&](std::vector<double>::const_iterator end) {
        return end == luminances.begin() ? 0 : pixelsUpTo[size_t(end - luminances.begin()) - 1];
    };
    const uint64_t failing = first < last ? upTo(last) - upTo(first) : 0;
    return 1.0 - double(failing) / double(pixelsUpTo.back());
}

PageLuminances SolidPage(uint32_t rgb) {
    return {{RgbLuminance(rgb)}, {ApcaLuminance(rgb)}, {1}};
}

PageLuminances PicturePage(const std::vector<ColorCount>& colors, Vision view) {
    std::vector<ValuePixels> wcag, apca;
    wcag.reserve(colors.size());
    apca.reserve(colors.size());
    for (const ColorCount& c : colors) {
        const uint32_t seen = SimulateVision(view, c.color);
        wcag.push_back({RgbLuminance(seen), c.pixels});
        apca.push_back({ApcaLuminance(seen), c.pixels});
    }
    SortMerging(wcag);
    SortMerging(apca);
    PageLuminances page;
    uint64_t total = 0;
    for (const ValuePixels& v : wcag) {
        page.luminances.push_back(v.value);
        page.pixelsUpTo.push_back(static_cast<uint32_t>(total += v.pixels));
    }
    for (const ValuePixels& v : apca)
        page.apcaLuminances.push_back(v.value);
    return page;
}
