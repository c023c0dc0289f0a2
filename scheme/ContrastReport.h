// The Contrast window's figures, each worked out once for a colour table, a page and a view,
// and the fixes that read them. Portable: standard library only.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "ColorScheme.h"
#include "Contrast.h"
#include "ContrastFix.h"
#include "Vision.h"

inline constexpr ColorRole kForegroundRoles[4] = {RoleText, RoleLink, RoleVisitedLink,
                                                  RoleActiveLink};
// The ratios of the verdicts, in the window's column order: AA, AA Large, AAA.
inline constexpr double kVerdictRatios[3] = {kContrastAA, kContrastAALarge, kContrastAAA};

// One foreground role against the page as the view shows both.
struct ContrastReportRow {
    ColorRole role;
    double ratio;                       // the lowest over the page
    std::array<bool, 3> verdicts;       // it meets kVerdictRatios
    std::optional<double> againstText;  // for a link: its ratio against the text
    bool passesAgainstText = false;     // that ratio meets kContrastLinkToText
    double apca;                        // Lc of least magnitude over the page
    bool missesAim;                     // in Normal vision or in the view: Fix changes it
    std::optional<double> pictureShare; // over a picture: the share of its pixels it meets aim on
};

struct ContrastReport {
    double aim;
    bool measured; // false when the page has no luminances (a picture that could not be read)
    std::array<ContrastReportRow, 4> rows;
};

// The page in Normal vision and as view shows it (the same for Normal); picture: whether it is
// a picture whose shares the rows give.
struct ReportPages {
    const PageLuminances& normal;
    const PageLuminances& shown;
    Vision view;
    bool picture;
};

ContrastReport MakeContrastReport(const int32_t* table, const ReportPages& pages, double aim);

enum class FixOutcome { Unchanged, Fixed, NoColorOfHue, NoColorAtAll };
// Fixes role's colour in table when its row of report misses the aim: its components become
// the fixed colour's.
FixOutcome FixRole(int32_t* table, ColorRole role, const ReportPages& pages,
                   const ContrastReport& report);
// Fixes the text, then the three links against the fixed text; the roles that could not be
// fixed, in that order, with why.
std::vector<std::pair<ColorRole, FixOutcome>> FixAllRoles(int32_t* table, const ReportPages& pages,
                                                          double aim);
