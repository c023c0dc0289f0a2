// The nearest colour of the same hue that reaches a contrast aim: the Contrast window's Fix.
// Portable: standard library only.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "ColorScheme.h"
#include "Vision.h"

// What a fixed colour must reach, with every luminance as the view shows it.
struct FixGoal {
    std::span<const double> backdrop; // the page's luminances, ascending, not empty
    double aim;                       // against every one of them
    std::optional<double> text;       // for a link: the text's luminance, to reach 3:1 against
    Vision view = Vision::Normal;     // how a candidate is seen
};

// The colour (0x00RRGGBB) that meets goal nearest to rgb in OKLab among the 8-bit colours whose
// HSV hue is within 2 degrees of rgb's (the greys, for a grey); on a tie the smaller value.
// None when no colour of the hue meets it. Ratios are unrounded and compared with >=.
std::optional<uint32_t> FixColor(uint32_t rgb, const FixGoal& goal);

// The display colour of role in table as 0x00RRGGBB.
uint32_t RoleRgb(const int32_t* table, ColorRole role);

// Whether role's colour in table misses aim against backdrop (and, for a link, 3:1 against
// the text), as the window's verdicts decide it.
bool MissesAim(const int32_t* table, ColorRole role, std::span<const double> backdrop, double aim,
               Vision view);

enum class FixOutcome { Unchanged, Fixed, NoColor };
// Fixes role's colour in table when it misses aim: its components become the fixed colour's.
FixOutcome FixRole(int32_t* table, ColorRole role, std::span<const double> backdrop, double aim,
                   Vision view);
// Fixes the text, then the three links against the fixed text; the roles that no colour of
// their hue could fix, in that order.
std::vector<ColorRole> FixAllRoles(int32_t* table, std::span<const double> backdrop, double aim,
                                   Vision view);
