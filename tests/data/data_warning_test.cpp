#include "data/data_warning.h"

#include <gtest/gtest.h>

#include "fakes/fake_ports.h"

namespace tarvelo {
namespace {

using test::FakeHalt;
using test::FakeMessageBox;
using test::HaltCalled;
using platform::Icon;

struct WarningCase {
    int number;
    const char* caption;
    Icon icon;
    int buttons;
    int defaultButton;
    const char* text;
};

constexpr int kYesNoCancel = platform::kYes + platform::kNo + platform::kCancel;

// Every warning with E = "Record Not Found (35)", T = "Schedule", L = "Todo", H = "10", each caller text
// handed over with trailing blanks.
const WarningCase kWarnings[] = {
    {1, "Invalid File", Icon::Exclamation, platform::kOk, platform::kOk,
     "Error: (Record Not Found (35)) accessing Schedule.  Press OK to end this application."},
    {2, "Invalid Key", Icon::Question, platform::kYes + platform::kNo, platform::kYes,
     "Schedule key file is invalid.  Do you want to rebuild the key?"},
    {3, "Key Rebuild Error", Icon::Exclamation, platform::kOk, platform::kOk,
     "Error: (Record Not Found (35)) repairing key for Schedule.  Press OK to end this application."},
    {4, "File Creation Error", Icon::Exclamation, platform::kOk, platform::kOk,
     "Error: (Record Not Found (35)) creating Schedule.  Press OK to end this application."},
    {5, "File Creation Error", Icon::Exclamation, platform::kOk, platform::kOk,
     "Error: (Record Not Found (35)) opening created file:Schedule.  Press OK to end this application."},
    {10, "Range Error", Icon::Exclamation, platform::kOk, platform::kOk, "The value of Schedule must be between Todo and 10."},
    {12, "Referential Integrity Update Error", Icon::Exclamation, platform::kOk, platform::kOk,
     "This record is referenced from the file Schedule.  Linking field(s) have been restricted from change and "
     "have been reset to original values."},
    {13, "Referential Integrity Delete Error", Icon::Exclamation, platform::kOk, platform::kOk,
     "This record is referenced from the file Schedule.  This record cannot be deleted while these references "
     "exist."},
    {14, "Record Insert Error", Icon::Exclamation, platform::kOk, platform::kOk,
     "An error was experienced during the update of record.  Error: Record Not Found (35)."},
    {15, "Update Operation Error", Icon::Exclamation, platform::kOk, platform::kOk,
     "An error (Record Not Found (35)) was experienced when attempting to update a record from the file.  "
     "Probable Cause: Schedule."},
    {16, "Record Update Error", Icon::Exclamation, kYesNoCancel, platform::kCancel,
     "An error was experienced changing this record.  Do you want to try to save again?"},
    {17, "Delete Operation Error", Icon::Exclamation, platform::kOk, platform::kOk,
     "An error (Record Not Found (35)) was experienced when attempting to delete a record from the file Schedule."},
    {18, "Record Update Error", Icon::Exclamation, kYesNoCancel, platform::kCancel,
     "An error was experienced deleting this record.  Do you want to try to save again?"},
    {19, "Invalid Request", Icon::Exclamation, platform::kOk, platform::kOk,
     "This procedure was called to insert a record, however inserts are not allowed for this procedure.  Press "
     "OK to return to the calling procedure"},
    {20, "Invalid Request", Icon::Exclamation, platform::kOk, platform::kOk,
     "This procedure was called to change a record, however changes are not allowed for this procedure.  Press "
     "OK to return to the calling procedure"},
    {21, "Invalid Request", Icon::Exclamation, platform::kOk, platform::kOk,
     "This procedure was called to delete a record, however deletions are not allowed for this procedure.  "
     "Press OK to return to the calling procedure"},
    {24, "Duplicate Key Error", Icon::Exclamation, platform::kOk, platform::kOk,
     "Adding this record creates a duplicate entry for the key:Schedule"},
    {25, "Auto Increment Error", Icon::Exclamation, platform::kRetry + platform::kCancel, platform::kCancel,
     "Attempts to automatically number this record have failed.  Error: Record Not Found (35)."},
    {30, "File Access Error", Icon::Exclamation, platform::kOk, platform::kOk,
     "File (Schedule) could not be opened.  Error: Record Not Found (35)."},
    {32, "Confirm Delete", Icon::Question, platform::kOk + platform::kCancel, platform::kCancel,
     "You've selected to delete the highlighted record.  Press OK to confirm deletion of this record."},
    {34, "Transaction Framing Error", Icon::Exclamation, platform::kOk, platform::kOk,
     "Error: (Record Not Found (35)) attempting to frame the schedule transaction on Todo.  Schedule "
     "transaction cancelled."},
    {35, "Record Retrieval Error", Icon::Exclamation, platform::kOk, platform::kOk,
     "Error: (Record Not Found (35)) attempting to access a record from the Schedule file.  Returning to "
     "previous window."},
    {36, "View Open Error", Icon::Exclamation, platform::kOk, platform::kOk,
     "Error: (Record Not Found (35)) attempting to open the current VIEW. Filter and Range Limits ignored."},
    {37, "File Busy", Icon::Exclamation, platform::kRetry + platform::kCancel, platform::kCancel,
     "Error: (Record Not Found (35)) Schedule is busy: Todo kept it locked for 10 seconds.  Press Retry to wait "
     "again, or Cancel to give up."},
};

class EveryWarning : public testing::TestWithParam<WarningCase> {};

TEST_P(EveryWarning, GivenItsNumberWhenShownThenCaptionTextIconButtonsAndDefaultAreFixed) {
    const WarningCase& c = GetParam();
    const auto request = warningRequest(c.number, store::kRecordNotFound, "Record Not Found (35)", "Schedule   ",
                                        "Todo  ", "10 ");
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->caption, c.caption);
    EXPECT_EQ(request->text, c.text);
    EXPECT_EQ(request->icon, c.icon);
    EXPECT_EQ(request->buttons, c.buttons);
    EXPECT_EQ(request->defaultButton, c.defaultButton);
}

INSTANTIATE_TEST_SUITE_P(Warnings, EveryWarning, testing::ValuesIn(kWarnings),
                         [](const auto& info) { return "Warning" + std::to_string(info.param.number); });

TEST(WarningRequest, GivenANumberThatIsNoWarningThenThereIsNoBox) {
    for (int n : {0, 6, 11, 22, 31, 33, 38, -1}) EXPECT_FALSE(warningRequest(n, 0, "", "T").has_value()) << n;
}

TEST(WarningRequest, GivenTheRangeMessageOfTheToDoFormThenItReadsAsTheFormShowsIt) {
    EXPECT_EQ(warningRequest(kWarnRangeError, 0, "", "tDo:Priority", "1", "10")->text,
              "The value of tDo:Priority must be between 1 and 10.");
}

TEST(WarningRequest, GivenARecordChangedElsewhereOrNoErrorThenWarning15IsTheFixedSentenceWithoutE) {
    for (int code : {store::kOk, store::kRecordChanged}) {
        EXPECT_EQ(warningRequest(kWarnUpdateOperationError, code, "Record Changed By Another Station (89)",
                                 "Schedule")
                      ->text,
                  "This record was changed by another station.")
            << code;
    }
}

TEST(WarningRequest, GivenTheDeleteOperationThenWarning34NamesItInLowerCaseThenAsGiven) {
    EXPECT_EQ(warningRequest(kWarnTransactionFramingError, 90, "database is locked (SQLITE_BUSY (5))", "Delete",
                             "Categories")
                  ->text,
              "Error: (database is locked (SQLITE_BUSY (5))) attempting to frame the delete transaction on "
              "Categories.  Delete transaction cancelled.");
}

// ---------------------------------------------------------------------------------------------------------

TEST(ErrorText, GivenAStandardCodeOrADriverErrorThenItIsTheTextAndTheCodeInBrackets) {
    EXPECT_EQ(errorText(store::Status{35, "Record Not Found   ", "", ""}), "Record Not Found (35)");
    EXPECT_EQ(errorText(store::Status{90, "Driver Error", "SQLITE_NOTADB (26)  ", "file is not a database  "}),
              "file is not a database (SQLITE_NOTADB (26))");
}

TEST(ErrorText, GivenATextLongerThan150CharactersThenItIsCutAt150) {
    const std::string longText(200, 'x');
    const std::string e = errorText(store::Status{90, "", "SQLITE_IOERR (10)", longText});
    EXPECT_EQ(e, std::string(150, 'x'));
    // Exactly at the limit nothing is cut.
    EXPECT_EQ(errorText(store::Status{90, "", "1", std::string(146, 'y')}), std::string(146, 'y') + " (1)");
}

TEST(ErrorText, GivenCharactersOfSeveralBytesThenTheCutCountsCharactersAndNeverSplitsOne) {
    std::string text;
    for (int i = 0; i < 160; ++i) text += "\xC3\xA9";  // é
    const std::string e = errorText(store::Status{90, "", "1", text});
    std::string expected;
    for (int i = 0; i < 150; ++i) expected += "\xC3\xA9";
    EXPECT_EQ(e, expected);
}

// ---------------------------------------------------------------------------------------------------------

struct StopCase {
    int number;
    int button;
    const char* stopText;  // nullptr: the program goes on
};

const StopCase kStops[] = {
    {1, platform::kOk, "Invalid File!"},         {2, platform::kNo, "Invalid Key!"},
    {2, platform::kYes, nullptr},                {3, platform::kOk, "Error Rebuilding Key!"},
    {4, platform::kOk, "File Creation Error!"},  {5, platform::kOk, "File Creation Error!"},
    {30, platform::kOk, nullptr},                {34, platform::kOk, nullptr},
    {16, platform::kNo, nullptr},                {25, platform::kCancel, nullptr},
};

TEST(WarningStopText, GivenEachWarningAndAnswerThenOnlyTheFatalOnesStopWithTheirText) {
    for (const auto& c : kStops) {
        const auto stop = warningStopText(c.number, c.button);
        if (c.stopText) {
            ASSERT_TRUE(stop.has_value()) << c.number;
            EXPECT_EQ(*stop, c.stopText) << c.number;
        } else {
            EXPECT_FALSE(stop.has_value()) << c.number;
        }
    }
}

// ---------------------------------------------------------------------------------------------------------

class DataWarningTest : public testing::Test {
protected:
    FakeMessageBox messages;
    FakeHalt halt;
    DataWarning warn{messages, halt};
};

TEST_F(DataWarningTest, GivenAFailureWhenAWarningReportsItThenEQuotesIt) {
    EXPECT_EQ(warn(kWarnRecordInsertError, store::Status{40, "Creates Duplicate Key", "", ""}), platform::kOk);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text,
              "An error was experienced during the update of record.  Error: Creates Duplicate Key (40).");
    EXPECT_FALSE(halt.halted());
}

TEST_F(DataWarningTest, GivenAFatalWarningWhenShownThenTheBoxComesFirstAndThenTheHalt) {
    EXPECT_THROW(warn(kWarnInvalidFile, store::Status{47, "Invalid Record Declaration", "", ""}, "SM\\!Schedule"),
                 HaltCalled);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "Invalid File");
    EXPECT_EQ(halt.stopTexts(), std::vector<std::string>{"Invalid File!"});
}

TEST_F(DataWarningTest, GivenWarning2WhenTheUserAnswersYesThenYesIsReturnedAndNoStopsTheProgram) {
    const store::Status keyStatus = store::Status::make(store::kKeyFileMustBeRebuilt);
    messages.answer(platform::kYes);
    EXPECT_EQ(warn(kWarnInvalidKey, keyStatus, "SM\\!ToDo"), platform::kYes);
    EXPECT_FALSE(halt.halted());

    messages.answer(platform::kNo);
    EXPECT_THROW(warn(kWarnInvalidKey, keyStatus, "SM\\!ToDo"), HaltCalled);
    EXPECT_EQ(halt.stopTexts(), std::vector<std::string>{"Invalid Key!"});
}

TEST_F(DataWarningTest, GivenAQuestionWhenTheUserPressesAButtonThenThatButtonIsReturned) {
    messages.answer({platform::kYes, platform::kNo, platform::kCancel, platform::kRetry});
    const store::Status changed = store::Status::make(store::kRecordChanged);
    EXPECT_EQ(warn(kWarnRecordUpdateError, changed), platform::kYes);
    EXPECT_EQ(warn(kWarnRecordUpdateError, changed), platform::kNo);
    EXPECT_EQ(warn(kWarnRecordDeleteRetry, changed), platform::kCancel);
    EXPECT_EQ(warn(kWarnAutoIncrementError, changed), platform::kRetry);
}

TEST_F(DataWarningTest, GivenANumberThatIsNoWarningThenNothingIsShownAndZeroReturned) {
    EXPECT_EQ(warn(7, kNoFailure, "x"), 0);
    EXPECT_EQ(messages.count(), 0u);
}

}  // namespace
}  // namespace tarvelo

namespace tarvelo {
namespace {

TEST(LockWaitText, SaysWhoKeepsTheFileLockedUnlessBrief) {
    using std::chrono::milliseconds;
    store::LockWaitNotice wait{"/home/ann/tasks/SM.KTB", milliseconds(3400), milliseconds(30000),
                               "tarvelo96-cli (process 7)"};
    EXPECT_EQ(lockWaitText(wait), "Waiting for SM.KTB, which tarvelo96-cli (process 7) keeps locked: 3 of 30 seconds");
    EXPECT_EQ(lockWaitText(wait, Wording::brief), "Waiting for SM.KTB: 3 of 30 seconds");
    wait.holders.clear();
    EXPECT_EQ(lockWaitText(wait), "Waiting for SM.KTB, which another program keeps locked: 3 of 30 seconds");
}

}  // namespace
}  // namespace tarvelo
