// The three small dialogs of a search, driven through their buttons and entries.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "qt_environment.h"
#include "widgets/window_placement.h"
#include "search/windows/match_type_dialog.h"
#include "search/windows/qbe_task_dialog.h"
#include "search/windows/upper_limit_dialog.h"

namespace tarvelo::search {
namespace {

void saveShot(QWidget& w, const std::string& name) {
    if (const char* dir = std::getenv("TARVELO_SCREENSHOT_DIR"))
        w.grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QString::fromStdString(name));
}

struct ShapeCase {
    const char* name;
    FieldKind kind;
    int heightUnits;  // the window's height in dialog units
};

class MatchTypeDialogTest : public testing::TestWithParam<ShapeCase> {};

TEST_P(MatchTypeDialogTest, showsOnlyTheKindsChoicesClosedUp) {
    // GIVEN the dialog of a kind
    MatchTypeDialog d(GetParam().kind, MatchType::ignore);
    d.show();
    saveShot(d, std::string("match-type-") + GetParam().name + ".png");
    // THEN its title names the kind, and the visible choices are the offered ones, 9 units apart within a
    // group and 15 between groups, with nothing hidden in between
    EXPECT_EQ(d.windowTitle().toStdString(), "Match Type for " + std::string(kindName(GetParam().kind)) + " Field");
    std::vector<MatchType> visible;
    int previousBottom = -1;
    for (int code = 0; code < kMatchTypeCount; ++code) {
        QRadioButton* r = d.choice(static_cast<MatchType>(code));
        if (!r->isVisible()) continue;
        visible.push_back(static_cast<MatchType>(code));
        if (previousBottom >= 0) {
            EXPECT_LE(r->y() - previousBottom, widgets::dialogSize(d, 0, 7).height()) << code;
        }
        previousBottom = r->geometry().bottom();
    }
    EXPECT_EQ(visible, offeredMatchTypes(GetParam().kind));
    EXPECT_EQ(d.height(), widgets::dialogSize(d, 0, GetParam().heightUnits).height());
    EXPECT_TRUE(d.choice(MatchType::ignore)->isChecked());
}

INSTANTIATE_TEST_SUITE_P(Search, MatchTypeDialogTest,
                         testing::Values(ShapeCase{"String", FieldKind::string, 169},
                                         ShapeCase{"Number", FieldKind::number, 127},
                                         ShapeCase{"Picture", FieldKind::picture, 151},
                                         ShapeCase{"Date", FieldKind::date, 178},
                                         ShapeCase{"Text", FieldKind::text, 103},
                                         ShapeCase{"Check", FieldKind::check, 61},
                                         ShapeCase{"Option", FieldKind::option, 61}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MatchTypeDialog, aCheckFieldOffersThreeChoices) {
    MatchTypeDialog d(FieldKind::check, MatchType::notEquals);
    d.show();
    int shown = 0;
    for (int code = 0; code < kMatchTypeCount; ++code) shown += d.choice(static_cast<MatchType>(code))->isVisible();
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(d.choice(MatchType::equals)->text().toStdString(), "&Equals this");
    EXPECT_TRUE(d.choice(MatchType::notEquals)->isChecked()) << "the current type is preselected";
}

TEST(MatchTypeDialog, okReturnsTheChoiceAndCancelNothing) {
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<MatchTypeDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->choice(MatchType::inYear)->click();
        d->okButton()->click();
    });
    EXPECT_EQ(MatchTypeDialog::ask(FieldKind::date, MatchType::equals), MatchType::inYear);
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<MatchTypeDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->choice(MatchType::lessThan)->click();
        d->cancelButton()->click();
    });
    EXPECT_EQ(MatchTypeDialog::ask(FieldKind::date, MatchType::equals), std::nullopt);
}

TEST(QbeTaskDialog, withoutASelectionCancelTakesUnselectsPlaceAndTheWindowNarrows) {
    QbeTaskDialog withSelection(true);
    QbeTaskDialog without(false);
    withSelection.show();
    without.show();
    saveShot(without, "begin-search-no-selection.png");
    EXPECT_EQ(without.windowTitle().toStdString(), "Begin Search");
    EXPECT_FALSE(without.unselectButton()->isVisible());
    EXPECT_EQ(without.cancelButton()->geometry(), withSelection.unselectButton()->geometry());
    EXPECT_EQ(withSelection.width() - without.width(), widgets::dialogSize(without, 53, 0).width());
    EXPECT_TRUE(withSelection.unselectButton()->isVisible());
    EXPECT_EQ(without.focusWidget(), without.editButton());
}

TEST(QbeTaskDialog, eachButtonClosesWithItsTask) {
    QTimer::singleShot(0, [] { qobject_cast<QbeTaskDialog*>(QApplication::activeModalWidget())->unselectButton()->click(); });
    EXPECT_EQ(QbeTaskDialog::ask(true), SearchTask::unselect);
    QTimer::singleShot(0, [] { qobject_cast<QbeTaskDialog*>(QApplication::activeModalWidget())->close(); });
    EXPECT_EQ(QbeTaskDialog::ask(false), SearchTask::cancel);
}

TEST(UpperLimitDialog, takesAnUpperLimitAboveTheLowerOneOnly) {
    // GIVEN a range from 9
    UpperLimitDialog d("@n6", "9", "0");
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    saveShot(d, "upper-limit.png");
    EXPECT_EQ(d.lowerEntry()->text().toStdString(), "9");
    // WHEN 8 is given, OK refuses it; 10 is taken
    d.upperEntry()->setText(QStringLiteral("8"));
    d.okButton()->click();
    EXPECT_TRUE(d.isVisible());
    d.upperEntry()->setText(QStringLiteral("10"));
    d.okButton()->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.upper(), "10");
}

TEST(UpperLimitDialog, showsAndReadsDatesInTheirPicture) {
    EXPECT_EQ(shownInPicture("@d3", "71651"), "Mar 1, 1997");
    EXPECT_EQ(readInPicture("@d3", "Mar 2, 1997"), "71652");
    EXPECT_EQ(readInPicture("@d3", "Feb 30, 1997"), std::nullopt);
    EXPECT_EQ(readInPicture("@t3", "5:30PM"), "6300001");
}

}  // namespace
}  // namespace tarvelo::search
