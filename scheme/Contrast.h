// WCAG 2.2 contrast of the scheme's text and link colours against the page background.
// Portable: standard library only.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ColorScheme.h"
#include "Vision.h"

// The ratios that the verdicts ask for.
inline constexpr double kContrastAA = 4.5;
inline constexpr double kContrastAALarge = 3.0;
inline constexpr double kContrastAAA = 7.0;
// Links told apart from the text by their colour alone.
inline constexpr double kContrastLinkToText = 3.0;

// The linear light, 0 to 1, of each 8-bit sRGB component value.
const std::array<double, 256>& LinearComponents();
// Relative luminance, 0 (black) to 1 (white), of the sRGB colour with components 0 to 255.
double RelativeLuminance(int red, int green, int blue);
// Of a colour 0x00RRGGBB.
double RgbLuminance(uint32_t rgb);
// (lighter + 0.05) / (darker + 0.05): 1 to 21.
double ContrastRatio(double luminanceA, double luminanceB);
// The lowest ratio of foreground against any of backdrop, luminances in ascending order; a
// search, since the lowest is against the nearest luminance on either side.
double WorstContrast(double foreground, std::span<const double> backdrop);
// Whether ratio is at least required: the one test of every verdict and of every fix. It
// allows for the rounding error of the luminance sums, as RatioText does, so that a ratio that
// reads 4.50 always meets 4.5 and one that fails reads less.
bool MeetsContrast(double ratio, double required);
// "12.63:1": two decimals, rounded down, so that a ratio short of 4.5 never reads 4.50.
std::string RatioText(double ratio);

// A colour 0x00RRGGBB of a picture and how many of its pixels have it.
struct ColorCount {
    uint32_t color;
    uint32_t pixels;
};

// The distinct colours of a picture's pixels and how many pixels have each, gathered row by row
// in one pass: the work done once per picture.
class PictureColors {
public:
    PictureColors();
    // Pixels as a 32-bit DIB holds them: 0x00RRGGBB, the top byte ignored.
    void Add(const uint32_t* pixels, size_t count);
    // Every colour added, ascending, each once; the gathering's memory is released.
    std::vector<ColorCount> Take();

private:
    std::vector<uint32_t> m_pixels; // per 24-bit colour
};

// What stands behind the page's text as a view shows it: the luminances of its colours, each
// ascending and once, WCAG's and APCA's, and how many of its pixels are at each luminance.
struct PageLuminances {
    std::vector<double> luminances;
    std::vector<double> apcaLuminances;
    std::vector<uint32_t> pixelsUpTo; // pixels at luminances[0] to [i], the last all of them

    // The share (0 to 1) of the pixels against which luminance reaches aim.
    double ShareReaching(double luminance, double aim) const;
};
// A page of one colour 0x00RRGGBB.
PageLuminances SolidPage(uint32_t rgb);
// A picture of colors (as PictureColors gives them), each colour as view shows it.
PageLuminances PicturePage(const std::vector<ColorCount>& colors, Vision view);
