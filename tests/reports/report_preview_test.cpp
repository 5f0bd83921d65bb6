// The preview's rules: panes, status zones and the menu's enabling after each action.
#include "reports/report_preview.h"

#include <functional>

#include <gtest/gtest.h>

namespace tarvelo::reports {
namespace {

// "L R C Z | zone2 | zone3 | zone4 | prev next facing" with each pane's page ("-" when hidden).
std::string render(const PreviewDisplay& d) {
    const auto pane = [](int page) { return page == 0 ? std::string("-") : std::to_string(page); };
    const auto on = [](bool enabled, const char* name) { return enabled ? std::string(name) : std::string("no-") + name; };
    return pane(d.leftPage) + " " + pane(d.rightPage) + " " + pane(d.centrePage) + " " + pane(d.zoomedPage) + " | " +
           d.zone2 + " | " + d.zone3 + " | " + d.zone4 + " | " + on(d.previousEnabled, "prev") + " " +
           on(d.nextEnabled, "next") + " " + on(d.facingEnabled, "facing");
}

using Action = std::function<void(ReportPreviewModel&)>;

struct PreviewCase {
    const char* name;
    int pages;
    std::vector<Action> actions;
    const char* shown;
};

const Action next = [](ReportPreviewModel& m) { m.nextPage(); };
const Action previous = [](ReportPreviewModel& m) { m.previousPage(); };
const Action facing = [](ReportPreviewModel& m) { m.toggleFacing(); };
const Action zoom = [](ReportPreviewModel& m) { m.zoom(); };
const Action clickLeft = [](ReportPreviewModel& m) { m.clickLeft(); };
Action jump(int page) {
    return [page](ReportPreviewModel& m) { m.jumpTo(page); };
}

class ReportPreviewStates : public ::testing::TestWithParam<PreviewCase> {};

TEST_P(ReportPreviewStates, ShowsWhatTheActionsLeadTo) {
    ReportPreviewModel model(GetParam().pages);
    for (const Action& action : GetParam().actions) action(model);
    EXPECT_EQ(render(model.display()), GetParam().shown);
}

void PrintTo(const PreviewCase& c, std::ostream* os) { *os << c.name; }

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportPreviewStates,
    ::testing::Values(
        PreviewCase{"OnePageReport", 1, {}, "- - 1 - |  | Single Page | Page 1 of 1 | no-prev no-next no-facing"},
        PreviewCase{"OnePageFacingRefused", 1, {facing}, "- - 1 - |  | Single Page | Page 1 of 1 | no-prev no-next no-facing"},
        PreviewCase{"FirstOfFive", 5, {}, "- - 1 - |  | Single Page | Page 1 of 5 | no-prev next facing"},
        PreviewCase{"NextThenPrevious", 5, {next, next, previous}, "- - 2 - |  | Single Page | Page 2 of 5 | prev next facing"},
        PreviewCase{"LastPage", 3, {next, next}, "- - 3 - |  | Single Page | Page 3 of 3 | prev no-next facing"},
        PreviewCase{"FacingOnPageOne", 5, {facing}, "- 1 - - |  | Facing Pages | Page 1 of 5 | no-prev next facing"},
        PreviewCase{"FacingOnPageTwoMovesToThree", 5, {next, facing},
                    "2 3 - - |  | Facing Pages | Pages 2 and 3 of 5 | prev next facing"},
        PreviewCase{"FacingStepsByTwo", 5, {facing, next, next}, "4 5 - - |  | Facing Pages | Pages 4 and 5 of 5 | prev no-next facing"},
        PreviewCase{"FacingPastTheEndOfAnEvenCount", 4, {facing, next, next},
                    "4 - - - |  | Facing Pages | Page 4 of 4 | prev no-next facing"},
        PreviewCase{"SinglePagesAgainFromPastTheEnd", 4, {facing, next, next, facing},
                    "- - 4 - |  | Single Page | Page 4 of 4 | prev no-next facing"},
        PreviewCase{"ZoomFromSingle", 5, {next, zoom}, "- - - 2 | ZOOM | Single Page | Page 2 of 5 | prev next no-facing"},
        PreviewCase{"ZoomedStepsByOne", 5, {zoom, next, next}, "- - - 3 | ZOOM | Single Page | Page 3 of 5 | prev next no-facing"},
        PreviewCase{"ZoomOutToSingle", 5, {zoom, zoom}, "- - 1 - |  | Single Page | Page 1 of 5 | no-prev next facing"},
        PreviewCase{"ClickOnTheLeftPageZoomsIt", 5, {facing, next, clickLeft},
                    "- - - 2 | ZOOM | Single Page | Page 2 of 5 | prev next no-facing"},
        PreviewCase{"ZoomOutOfFacingReturnsToFacing", 5, {facing, next, clickLeft, zoom},
                    "2 3 - - |  | Facing Pages | Pages 2 and 3 of 5 | prev next facing"},
        PreviewCase{"JumpBeyondTheEndStopsAtTheLast", 5, {jump(99)}, "- - 5 - |  | Single Page | Page 5 of 5 | prev no-next facing"},
        PreviewCase{"JumpInFacingToAnEvenPage", 6, {facing, jump(4)},
                    "4 5 - - |  | Facing Pages | Pages 4 and 5 of 6 | prev next facing"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReportPreview, MenuTextsFollowTheMode) {
    ReportPreviewModel model(4);
    model.toggleFacing();
    EXPECT_EQ(model.display().facingText, "&Single Pages!");
    EXPECT_EQ(model.display().facingStatus, "View the report one page at a time");
    model.zoom();
    EXPECT_EQ(model.display().zoomText, "&Zoom Out!");
    EXPECT_EQ(model.display().zoomStatus, "Zoom out to facing page mode");
    model.zoom();
    model.toggleFacing();
    EXPECT_EQ(model.display().facingText, "&Facing Pages!");
    model.zoom();
    EXPECT_EQ(model.display().zoomStatus, "Zoom out to full page mode");
    model.zoom();
    EXPECT_EQ(model.display().zoomText, "&Zoom In!");
    EXPECT_EQ(model.display().zoomStatus, "Zoom in on a page of this report");
}

TEST(ReportPreview, JumpStartsAtTheCurrentPageOrTheLeftOnePastTheEnd) {
    ReportPreviewModel model(4);
    model.nextPage();
    EXPECT_EQ(model.jumpStart(), 2);
    model.toggleFacing();
    model.nextPage();
    EXPECT_EQ(model.currentPage(), 5);
    EXPECT_EQ(model.jumpStart(), 4);
}

}  // namespace
}  // namespace tarvelo::reports
