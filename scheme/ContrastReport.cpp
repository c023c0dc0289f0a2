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
} // namespace

ContrastReport MakeContrastReport(const int32_t* table, const ReportPages& pages, double aim) {
    ContrastReport report{
        aim, !pages.shown.luminances.empty() && !pages.normal.luminances.empty(), {}};
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
    const FixGoal goal = GoalOf(table, role, PagesForFix(pages), report.aim);
    const std::optional<uint32_t> fixed = FixColor(RoleRgb(table, role), goal);
    if (!fixed) return NoColorCanMeet(goal) ? FixOutcome::NoColorAtAll : FixOutcome::NoColorOfHue;
    SetRoleRgb(table, role, *fixed);
    return FixOutcome::Fixed;
}

std::vector<std::pair<ColorRole, FixOutcome>> FixAllRoles(int32_t* table, const ReportPages& pages,
                                                          double aim) {
    std::vector<std::pair<ColorRole, FixOutcome>> unfixed;
    for (ColorRole role : kForegroundRoles) {
        // The links are judged against the text as fixed.
        const FixOutcome outcome =
            FixRole(table, role, pages, MakeContrastReport(table, pages, aim));
        if (outcome == FixOutcome::NoColorOfHue || outcome == FixOutcome::NoColorAtAll)
            unfixed.emplace_back(role, outcome);
    }
    return unfixed;
}
