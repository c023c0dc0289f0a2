// The nearest colour of the same hue that reaches a contrast aim: the Contrast window's Fix.
// Portable: standard library only.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "ColorScheme.h"
#include "Vision.h"

// How a fixed colour must look in one view: against every luminance of the page as that view
// shows it, and for a link 3:1 against the text as that view shows it.
struct FixSight {
    std::span<const double> backdrop; // ascending, not empty
    std::optional<double> text;
    Vision view = Vision::Normal;
};

// What a fixed colour must reach: aim in every one of the sights, jointly.
struct FixGoal {
    double aim;
    std::vector<FixSight> sights;
};

// The colour (0x00RRGGBB) that meets goal nearest to rgb in OKLab among the 8-bit colours whose
// HSV hue is within 2 degrees of rgb's (the greys, for a grey); on a tie the smaller value.
// None when no colour of the hue meets it. Ratios are judged by MeetsContrast.
std::optional<uint32_t> FixColor(uint32_t rgb, const FixGoal& goal);
// Whether rgb misses goal in any of its sights.
bool MissesGoal(uint32_t rgb, const FixGoal& goal);
// Whether no colour at all, of any hue, could meet goal: in one of its sights no luminance does.
bool NoColorCanMeet(const FixGoal& goal);

// The few luminances of backdrop (ascending) that decide whether any colour meets an aim of
// 2.2:1 or more against all of it: the least, the greatest and the two either side of the one
// gap wide enough for such an aim; all of backdrop when it has no more.
std::vector<double> VerdictOutline(std::span<const double> backdrop);

// The page in Normal vision and as the view shows it (the same luminances for Normal).
struct FixPages {
    std::span<const double> normal;
    std::span<const double> shown;
    Vision view = Vision::Normal;
};
// What role's colour in table must reach: aim in Normal vision and in the view shown, and for a
// link 3:1 against the text in both. Its sights are empty when a page has no luminances.
FixGoal GoalOf(const int32_t* table, ColorRole role, const FixPages& pages, double aim);
