// WCAG 2.2 contrast of the scheme's text and link colours against the page background.
// Portable: standard library only.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ColorScheme.h"

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
// Of a display colour 0x00BBGGRR, as RoleColorRef gives it.
double RelativeLuminance(uint32_t colorRef);
// (lighter + 0.05) / (darker + 0.05): 1 to 21.
double ContrastRatio(double luminanceA, double luminanceB);
// The lowest ratio of foreground against any of backdrop, luminances in ascending order; a
// search, since the lowest is against the nearest luminance on either side.
double WorstContrast(double foreground, std::span<const double> backdrop);
// Whether ratio is at least required. Like RatioText, it allows for the rounding error of the
// luminance sums, so that a ratio that reads 4.50 always meets 4.5 and one that fails reads less.
bool MeetsContrast(double ratio, double required);
// "12.63:1": two decimals, rounded down, so that a ratio short of 4.5 never reads 4.50.
std::string RatioText(double ratio);

// The distinct colours of a picture's pixels, gathered row by row in one pass, and their
// luminances: the work done once per picture.
class PictureColors {
public:
    PictureColors();
    // Pixels as a 32-bit DIB holds them: 0x00RRGGBB, the top byte ignored.
    void Add(const uint32_t* pixels, size_t count);
    // The luminance of every colour added, ascending, each value once.
    std::vector<double> SortedLuminances() const;
    // The same of APCA's screen luminance.
    std::vector<double> SortedApcaLuminances() const;

private:
    template <typename Visit> void ForEachColor(Visit visit) const;
    // value of every colour added (0 to 1), ascending, each once.
    std::vector<double> SortedValues(double (*value)(uint32_t color)) const;

    std::vector<uint64_t> m_seen; // one bit per 24-bit colour
};

// One foreground role against the page: its ratio (the lowest over the backdrop) and, for
// the links, its ratio against the text colour.
struct ContrastRow {
    ColorRole role;
    double ratio;
    std::optional<double> againstText;
};
inline constexpr ColorRole kForegroundRoles[4] = {RoleText, RoleLink, RoleVisitedLink,
                                                  RoleActiveLink};

// The four rows of table's colours against backdrop (ascending luminances, not empty).
std::array<ContrastRow, 4> CheckContrast(const int32_t* table, std::span<const double> backdrop);
