#include "data/data_warning.h"

#include <cctype>
#include <chrono>
#include <string>

#include "core/fixed_text.h"

namespace tarvelo {

using platform::Icon;

namespace {

constexpr std::size_t kErrorTextLimit = 150;

// The first maxChars characters of UTF-8 text (never half a character).
std::string firstCharacters(std::string_view text, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;  // continuation byte
        if (chars == maxChars) return std::string(text.substr(0, i));
        ++chars;
    }
    return std::string(text);
}

std::string lowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

platform::MessageBoxRequest box(std::string caption, Icon icon, int buttons, int defaultButton, std::string text) {
    return platform::MessageBoxRequest{std::move(text), std::move(caption), icon, buttons, defaultButton};
}

platform::MessageBoxRequest exclamation(std::string caption, std::string text) {
    return box(std::move(caption), Icon::Exclamation, platform::kOk, platform::kOk, std::move(text));
}

const char* const kReturnToCaller = "  Press OK to return to the calling procedure";

}  // namespace

std::string errorText(const store::Status& status) {
    std::string e;
    if (status.code == store::kDriverError) {
        e = std::string(trimRight(status.driverMessage)) + " (" + std::string(trimRight(status.driverCode)) + ")";
    } else {
        e = std::string(trimRight(status.message)) + " (" + std::to_string(status.code) + ")";
    }
    return firstCharacters(e, kErrorTextLimit);
}

std::optional<platform::MessageBoxRequest> warningRequest(int number, int errorCode, std::string_view eText,
                                                    std::string_view tText, std::string_view lText,
                                                    std::string_view hText) {
    const std::string e(eText);
    const std::string t(trimRight(tText));
    const std::string l(trimRight(lText));
    const std::string h(trimRight(hText));
    const std::string endApp = ".  Press OK to end this application.";
    switch (number) {
    case kWarnInvalidFile:
        return exclamation("Invalid File", "Error: (" + e + ") accessing " + t + endApp);
    case kWarnInvalidKey:
        return box("Invalid Key", Icon::Question, platform::kYes + platform::kNo, platform::kYes,
                   t + " key file is invalid.  Do you want to rebuild the key?");
    case kWarnKeyRebuildError:
        return exclamation("Key Rebuild Error", "Error: (" + e + ") repairing key for " + t + endApp);
    case kWarnFileCreationError:
        return exclamation("File Creation Error", "Error: (" + e + ") creating " + t + endApp);
    case kWarnCreatedFileOpenError:
        return exclamation("File Creation Error", "Error: (" + e + ") opening created file:" + t + endApp);
    case kWarnRangeError:
        return exclamation("Range Error", "The value of " + t + " must be between " + l + " and " + h + ".");
    case kWarnReferentialUpdateError:
        return exclamation("Referential Integrity Update Error",
                           "This record is referenced from the file " + t +
                               ".  Linking field(s) have been restricted from change and have been reset to "
                               "original values.");
    case kWarnReferentialDeleteError:
        return exclamation("Referential Integrity Delete Error",
                           "This record is referenced from the file " + t +
                               ".  This record cannot be deleted while these references exist.");
    case kWarnRecordInsertError:
        return exclamation("Record Insert Error",
                           "An error was experienced during the update of record.  Error: " + e + ".");
    case kWarnUpdateOperationError:
        if (errorCode == store::kOk || errorCode == store::kRecordChanged) {
            return exclamation("Update Operation Error", "This record was changed by another station.");
        }
        return exclamation("Update Operation Error",
                           "An error (" + e +
                               ") was experienced when attempting to update a record from the file.  Probable "
                               "Cause: " +
                               t + ".");
    case kWarnRecordUpdateError:
        return box("Record Update Error", Icon::Exclamation, platform::kYes + platform::kNo + platform::kCancel, platform::kCancel,
                   "An error was experienced changing this record.  Do you want to try to save again?");
    case kWarnDeleteOperationError:
        return exclamation("Delete Operation Error",
                           "An error (" + e + ") was experienced when attempting to delete a record from the file " +
                               t + ".");
    case kWarnRecordDeleteRetry:
        return box("Record Update Error", Icon::Exclamation, platform::kYes + platform::kNo + platform::kCancel, platform::kCancel,
                   "An error was experienced deleting this record.  Do you want to try to save again?");
    case kWarnInsertNotAllowed:
        return exclamation("Invalid Request",
                           std::string("This procedure was called to insert a record, however inserts are not "
                                       "allowed for this procedure.") +
                               kReturnToCaller);
    case kWarnChangeNotAllowed:
        return exclamation("Invalid Request",
                           std::string("This procedure was called to change a record, however changes are not "
                                       "allowed for this procedure.") +
                               kReturnToCaller);
    case kWarnDeleteNotAllowed:
        return exclamation("Invalid Request",
                           std::string("This procedure was called to delete a record, however deletions are not "
                                       "allowed for this procedure.") +
                               kReturnToCaller);
    case kWarnDuplicateKeyError:
        return exclamation("Duplicate Key Error", "Adding this record creates a duplicate entry for the key:" + t);
    case kWarnAutoIncrementError:
        return box("Auto Increment Error", Icon::Exclamation, platform::kRetry + platform::kCancel, platform::kCancel,
                   "Attempts to automatically number this record have failed.  Error: " + e + ".");
    case kWarnFileAccessError:
        return exclamation("File Access Error", "File (" + t + ") could not be opened.  Error: " + e + ".");
    case kWarnConfirmDelete:
        return box("Confirm Delete", Icon::Question, platform::kOk + platform::kCancel, platform::kCancel,
                   "You've selected to delete the highlighted record.  Press OK to confirm deletion of this "
                   "record.");
    case kWarnTransactionFramingError:
        return exclamation("Transaction Framing Error", "Error: (" + e + ") attempting to frame the " + lowerCase(t) +
                                                            " transaction on " + l + ".  " + t +
                                                            " transaction cancelled.");
    case kWarnRecordRetrievalError:
        return exclamation("Record Retrieval Error", "Error: (" + e + ") attempting to access a record from the " +
                                                         t + " file.  Returning to previous window.");
    case kWarnViewOpenError:
        return exclamation("View Open Error",
                           "Error: (" + e + ") attempting to open the current VIEW. Filter and Range Limits ignored.");
    case kWarnFileBusy:
        return box("File Busy", Icon::Exclamation, platform::kRetry + platform::kCancel, platform::kCancel,
                   "Error: (" + e + ") " + t + " is busy: " + (l.empty() ? std::string("another program") : l) +
                       " kept it locked for " + h + " seconds.  Press Retry to wait again, or Cancel to give up.");
    default:
        return std::nullopt;
    }
}

std::string lockWaitText(const store::LockWaitNotice& wait, Wording wording) {
    using std::chrono::duration_cast;
    using std::chrono::seconds;
    const std::size_t slash = wait.file.rfind('/');
    const std::string name = slash == std::string::npos ? wait.file : wait.file.substr(slash + 1);
    const std::string who = wording == Wording::brief ? std::string()
                            : ", which " + (wait.holders.empty() ? std::string("another program") : wait.holders) +
                                  " keeps locked";
    return "Waiting for " + name + who + ": " + std::to_string(duration_cast<seconds>(wait.waited).count()) + " of " +
           std::to_string(duration_cast<seconds>(wait.limit).count()) + " seconds";
}

std::optional<std::string> warningStopText(int number, int button) {
    switch (number) {
    case kWarnInvalidFile: return "Invalid File!";
    case kWarnInvalidKey:
        if (button == platform::kYes) return std::nullopt;
        return "Invalid Key!";
    case kWarnKeyRebuildError: return "Error Rebuilding Key!";
    case kWarnFileCreationError:
    case kWarnCreatedFileOpenError: return "File Creation Error!";
    default: return std::nullopt;
    }
}

bool DataWarning::retryBusy(const store::Table& table, const store::Status& failure) const {
    if (!store::isBusy(failure)) return false;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(store::lockWait()).count();
    return (*this)(kWarnFileBusy, failure, table.name(), store::lockHolders(table.path()), std::to_string(seconds)) ==
           platform::kRetry;
}

int DataWarning::operator()(int number, const store::Status& status, std::string_view t, std::string_view l,
                            std::string_view h) const {
    const auto request = warningRequest(number, status.code, errorText(status), t, l, h);
    if (!request) return 0;
    const int button = m_messages.show(*request);
    if (const auto stop = warningStopText(number, button)) m_halt.halt(*stop);
    return button;
}

}  // namespace tarvelo
