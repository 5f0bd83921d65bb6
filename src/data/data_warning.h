#pragma once
// The standard messages of the data layer. Each warning has a fixed caption, text, icon, buttons and
// default button; the texts quote the status the warning reports as E and up to three caller texts T, L
// and H.
// Some warnings end the program: the box is shown first, then the halt port stops with a short text.
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "store/store.h"
#include "platform/ports.h"

namespace tarvelo {

// What a warning that reports no failure passes as its status.
inline const store::Status kNoFailure{};

// The warning numbers, named after their captions.
enum Warning : int {
    kWarnInvalidFile = 1,
    kWarnInvalidKey = 2,
    kWarnKeyRebuildError = 3,
    kWarnFileCreationError = 4,
    kWarnCreatedFileOpenError = 5,
    kWarnRangeError = 10,
    kWarnReferentialUpdateError = 12,
    kWarnReferentialDeleteError = 13,
    kWarnRecordInsertError = 14,
    kWarnUpdateOperationError = 15,
    kWarnRecordUpdateError = 16,
    kWarnDeleteOperationError = 17,
    kWarnRecordDeleteRetry = 18,
    kWarnInsertNotAllowed = 19,
    kWarnChangeNotAllowed = 20,
    kWarnDeleteNotAllowed = 21,
    kWarnDuplicateKeyError = 24,
    kWarnAutoIncrementError = 25,
    kWarnFileAccessError = 30,
    kWarnConfirmDelete = 32,
    kWarnTransactionFramingError = 34,
    kWarnRecordRetrievalError = 35,
    kWarnViewOpenError = 36,
    // A file another program kept locked through the whole lock wait: T the table, L who holds it (or
    // blank), H the seconds waited. Retry waits again, Cancel gives up.
    kWarnFileBusy = 37,
};

// E: "Record Not Found (35)"; for a driver error (90) the driver's own text and code, "disk I/O error
// (SQLITE_IOERR (10))". Trailing blanks off each part; at most 150 characters.
std::string errorText(const store::Status& status);

// The box of a warning, with E already built. nullopt for a number that is not a warning.
// errorCode is the code E was built from (kWarnUpdateOperationError has a fixed sentence when it is 0 or 89).
std::optional<platform::MessageBoxRequest> warningRequest(int number, int errorCode, std::string_view e,
                                                    std::string_view t = {}, std::string_view l = {},
                                                    std::string_view h = {});

// What a long wait for a busy file says while it lasts (on stderr, in a window): "Waiting for SM.KTB,
// which tarvelo96-cli (process 4242) keeps locked: 3 of 30 seconds"; brief, where room is short (the
// status bar, a progress window's line): "Waiting for SM.KTB: 3 of 30 seconds".
enum class Wording { full, brief };
std::string lockWaitText(const store::LockWaitNotice& wait, Wording wording = Wording::full);

// What the program stops with after the warning, given the button pressed; nullopt when it goes on.
std::optional<std::string> warningStopText(int number, int button);

// Shows warnings through the ports. One per program (or per test), shared by reference.
class DataWarning {
public:
    DataWarning(platform::MessageBoxPort& messages, platform::HaltPort& halt) : m_messages(messages), m_halt(halt) {}

    // Shows the warning with E built from the status it reports (kNoFailure for the warnings that report
    // none: a range, a reference, a request not allowed, a confirmation) and returns the button pressed;
    // ends the program through the halt port when the warning says so. A number that is not a warning
    // shows nothing and returns 0.
    int operator()(int number, const store::Status& status, std::string_view t = {}, std::string_view l = {},
                   std::string_view h = {}) const;

    platform::MessageBoxPort& messages() const { return m_messages; }
    [[noreturn]] void halt(const std::string& stopText) const {
        m_halt.halt(stopText);
        std::abort();  // a halt port never returns
    }
    // The user gave up waiting for a busy file the program cannot go on without.
    [[noreturn]] void giveUp(const std::string& text) const {
        m_halt.giveUp(text);
        std::abort();  // a halt port never returns
    }

    // After an operation on table failed with failure: when the file stayed busy through the whole lock
    // wait, shows kWarnFileBusy, naming who holds it, and returns true when the user chose Retry. Any other
    // failure shows nothing and returns false.
    bool retryBusy(const store::Table& table, const store::Status& failure) const;

private:
    platform::MessageBoxPort& m_messages;
    platform::HaltPort& m_halt;
};

}  // namespace tarvelo
