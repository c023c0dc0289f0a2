// Time of a contrast fix: the slowest and the median over colours of every hue and the greys,
// against a background colour and against the worst case of a picture of every 24-bit colour,
// beside a plain pass over the 16.7 million colours (their luminance and hue) in the same run:
// what a search of every colour would cost at the least.
// Usage: fix_bench (under Wine from build/win/bin: ../wine-run fix_bench.exe)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "scheme/Contrast.h"
#include "scheme/ContrastFix.h"

namespace {
using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Every 24-bit colour's luminance and a hue test, as a search of every colour would start.
double EveryColourPass() {
    const Clock::time_point start = Clock::now();
    volatile double sink = 0;
    double sum = 0;
    for (uint32_t c = 0; c < (1u << 24); ++c) {
        const int r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF;
        if (std::max({r, g, b}) - std::min({r, g, b}) > 128) sum += RelativeLuminance(r, g, b);
    }
    sink = sum;
    (void)sink;
    return Milliseconds(start, Clock::now());
}

void Report(const char* backdropName, std::span<const double> backdrop,
            const std::vector<uint32_t>& colours, Vision view = Vision::Normal) {
    for (double aim : {kContrastAA, kContrastAAA}) {
        std::vector<double> times;
        for (uint32_t colour : colours) {
            const double text = RelativeLuminance(0, 0, 0);
            const Clock::time_point start = Clock::now();
            // In a view, jointly with Normal vision, as the window fixes (the same backdrop).
            FixGoal goal{aim, {{backdrop, text, Vision::Normal}}};
            if (view != Vision::Normal) goal.sights.push_back({backdrop, text, view});
            FixColor(colour, goal);
            times.push_back(Milliseconds(start, Clock::now()));
        }
        std::sort(times.begin(), times.end());
        std::printf("fix, %-28s %-10s aim %.1f: median %6.2f ms, slowest %6.2f ms (%zu colours)\n",
                    backdropName, view == Vision::Normal ? "" : VisionName(view), aim,
                    times[times.size() / 2], times.back(), times.size());
    }
}
} // namespace

int main() {
    std::vector<uint32_t> colours = {0x808080, 0x000000, 0xFFFFFF, 0x008200, 0x551A8B, 0xEE0000};
    for (int degrees = 0; degrees < 360; degrees += 15) {
        // Full saturation and value at each hue, and a muted one beside it.
        const int sector = degrees / 60, rise = (degrees % 60) * 255 / 60;
        const int parts[6][3] = {{255, rise, 0},       {255 - rise, 255, 0}, {0, 255, rise},
                                 {0, 255 - rise, 255}, {rise, 0, 255},       {255, 0, 255 - rise}};
        const int* p = parts[sector];
        colours.push_back(static_cast<uint32_t>(p[0] << 16 | p[1] << 8 | p[2]));
        colours.push_back(
            static_cast<uint32_t>((p[0] / 2 + 40) << 16 | (p[1] / 2 + 40) << 8 | (p[2] / 2 + 40)));
    }
    const double page = RelativeLuminance(0xFF, 0xEB, 0xD7);
    Report("background #FFEBD7", {&page, 1}, colours);
    Report("background #FFEBD7", {&page, 1}, colours, Vision::Protanopia);

    PictureColors every;
    std::vector<uint32_t> row(4096);
    for (uint32_t first = 0; first < (1u << 24); first += 4096) {
        for (uint32_t i = 0; i < 4096; ++i)
            row[i] = first + i;
        every.Add(row.data(), row.size());
    }
    const std::vector<double> picture = PicturePage(every.Take(), Vision::Normal).luminances;
    Report("picture of every colour", picture, colours);
    Report("picture of every colour", picture, colours, Vision::Deuteranopia);
    // Black and white only: the one gap in which a colour can pass.
    const double blackAndWhite[2] = {0.0, 1.0};
    Report("picture of black and white", blackAndWhite, colours);

    std::printf("reference, one pass over every colour: %.2f ms\n", EveryColourPass());
    return 0;
}
