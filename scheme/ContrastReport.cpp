#include "ContrastReport.h"

#include <algorithm>

#include "Apca.h"

namespace {
FixPages PagesForFix(const ReportPages& pages) {
    return {pages.normal.luminances, pages.shown.luminances, pages.view};
}

size_t RowOf(ColorRole role) {
    return static_cast<size_t>(std::find(kForegroundRoles, kForegroundRoles + 4, role) -
                               kForegroundRoles);
}

// false when the page has no luminances (a picture that could not be read).
bool Measured(const ReportPages& pages) {
    return !pages.shown.luminances.empty() && !pages.normal.luminances.empty();
}

// Fixes role's colour in table to meet goal, which it misses.
FixOutcome FixToGoal(int32_t* table, ColorRole role, const FixGoal& goal) {
    const std::optional<uint32_t> fixed = FixColor(RoleRgb(table, role), goal);
    if (!fixed) return NoColorCanMeet(goal) ? FixOutcome::NoColorAtAll : FixOutcome::NoColorOfHue;
    SetRoleRgb(table, role, *fixed);
    return FixOutcome::Fixed;
}
} // namespace

ContrastReport MakeContrastReport(const int32_t* table, const ReportPages& pages, double aim) {
    ContrastReport report{aim, Measured(pages), {}};
    const double text = RgbLuminance(SimulateVision(pages.view, RoleRgb(table, RoleText)));
    for (size_t i = 0; i < report.rows.size(); ++i) {
        ContrastReportRow& row = report.rows[i];
        row.role = kForegroundRoles[i];
        if (!report.measured) continue;
        const uint32_t seen = SimulateVision(pages.view, RoleRgb(table, row.role));
        const double luminance = RgbLuminance(seen);
        row.ratio = WorstContrast(luminance, pages.shown.luminances);
        for (size_t v = 0; v < row.verdicts.size(); ++v)
            row.verdicts[v] = MeetsContrast(row.ratio, kVerdictRatios[v]);
        if (row.role != RoleText) {
            row.againstText = ContrastRatio(luminance, text);
            row.passesAgainstText = MeetsContrast(*row.againstText, kContrastLinkToText);
        }
        row.apca = LeastApcaContrast(ApcaLuminance(seen), pages.shown.apcaLuminances);
        row.missesAim =
            MissesGoal(RoleRgb(table, row.role), GoalOf(table, row.role, PagesForFix(pages), aim));
        if (pages.picture) row.pictureShare = pages.shown.ShareReaching(luminance, aim);
    }
    return report;
}

FixOutcome FixRole(int32_t* table, ColorRole role, const ReportPages& pages,
                   const ContrastReport& report) {
    if (!report.measured || !report.rows[RowOf(role)].missesAim) return FixOutcome::Unchanged;
    return FixToGoal(table, role, GoalOf(table, role, PagesForFix(pages), report.aim));
}

std::vector<std::pair<ColorRole, FixOutcome>> FixAllRoles(int32_t* table, const ReportPages& pages,
                                                          double aim) {
    std::vector<std::pair<ColorRole, FixOutcome>> unfixed;
    if (!Measured(pages)) return unfixed;
    for (ColorRole role : kForegroundRoles) {
        // Each goal made after the fixes before it: the links meet the text as fixed.
        const FixGoal goal = GoalOf(table, role, PagesForFix(pages), aim);
        if (!MissesGoal(RoleRgb(table, role), goal)) continue;
        const FixOutcome outcome = FixToGoal(table, role, goal);
        if (outcome != FixOutcome::Fixed) unfixed.emplace_back(role, outcome);
    }
    return unfixed;
}
