// Messages and advance warnings as desktop notices: a program without a window offers every one to the
// desktop and shows it its own way only when nobody takes it; the window program notices only while its
// frame is out of sight, beside its own windows; the notice's action adds the to-do item the message
// window's button adds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/case_names.h"
#include "scheduler_fixture.h"

namespace tarvelo::test {
namespace {

struct NoticeCase {
    const char* name;
    bool windowless;
    bool minimized;
    bool desktopThere;
    bool notified;     // a notice was handed over
    bool shownOurWay;  // the message window (or the warning's box) too
};

void PrintTo(const NoticeCase& c, std::ostream* out) { *out << c.name; }

class MessageNoticeTest : public SchedulerTest, public testing::WithParamInterface<NoticeCase> {
protected:
    MessageNoticeTest() {
        fake.notifications.available = GetParam().desktopThere;
        frame.setMinimized(GetParam().minimized);
        scheduler.setMessageNotices({[this](const std::string& text) { toDo.push_back(text); }, GetParam().windowless});
    }
    // The notice sent, when the case sends one; its summary is the task's description.
    const platform::Notification* notice() {
        const auto& sent = fake.notifications.sent();
        EXPECT_EQ(sent.size(), GetParam().notified ? 1u : 0u);
        if (sent.size() != 1) return nullptr;
        EXPECT_EQ(sent[0].summary, "Dentist");
        return &sent[0];
    }
    std::vector<std::string> toDo;
};

TEST_P(MessageNoticeTest, aDueMessageIsNoticedAsTheCaseSaysAndItsActionAddsTheToDoItem) {
    const NoticeCase& c = GetParam();
    Task t = task("Dentist", day(1996, 10, 31), at(11, 0), "Display Message");
    t.message = "Call the dentist\r\nabout Friday";
    add(t);

    checkDueTask();

    EXPECT_EQ(windows.texts().size(), c.shownOurWay ? 1u : 0u);
    const platform::Notification* sent = notice();
    if (sent == nullptr) return;
    EXPECT_EQ(sent->body, "Call the dentist\nabout Friday");
    EXPECT_FALSE(sent->urgent);
    ASSERT_TRUE(fake.notifications.invoke(0, "Add to To Do List"));
    EXPECT_EQ(toDo, std::vector<std::string>{"Call the dentist\r\nabout Friday"});
}

TEST_P(MessageNoticeTest, aPassedAdvanceWarningIsNoticedTheSameWay) {
    const NoticeCase& c = GetParam();
    Task t = task("Dentist", day(1996, 11, 1), at(11, 0), "Display Message");
    t.message = "Call the dentist";
    t.advanceWarnDate = day(1996, 10, 31);
    t.advanceWarnTime = at(11, 0);
    add(t);

    checkAdvanceWarning();

    EXPECT_EQ(messages.requests().size(), c.shownOurWay ? 1u : 0u);
    const platform::Notification* sent = notice();
    if (sent == nullptr) return;
    EXPECT_EQ(sent->body.find('\r'), std::string::npos) << sent->body;
    EXPECT_NE(sent->body.find("\nCall the dentist"), std::string::npos) << sent->body;
    ASSERT_TRUE(fake.notifications.invoke(0, "Add to To Do List"));
    ASSERT_EQ(toDo.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Engine, MessageNoticeTest,
    testing::Values(NoticeCase{"WindowlessWithADesktop", true, false, true, true, false},
                    NoticeCase{"WindowlessWithoutADesktop", true, false, false, false, true},
                    NoticeCase{"WindowInSight", false, false, true, false, true},
                    NoticeCase{"WindowMinimized", false, true, true, true, true},
                    NoticeCase{"WindowMinimizedWithoutADesktop", false, true, false, false, true}),
    NamedBy<&NoticeCase::name>());

}  // namespace
}  // namespace tarvelo::test
