#pragma once
// The logic every update form follows (the task form, the to-do form, the category form and the wizards
// that insert tasks), without any window: the window calls it at its entry, on OK, on Cancel and at its
// end, and binds its fields to record().
//
//   UpdateForm<ToDo> form(files, Request::change, highlighted);
//   if (form.start()) { ...open the window titled form.actionTitle(); on OK: if (form.complete() ==
//       FormStep::close) close; on Cancel: form.cancel(), close... }
//   return form.finish();
//
// The form edits its own copy of the record. Saving a change writes that copy over the stored row it was read from;
// when somebody else (the engine's timer, another program) changed the row in between, the save is refused
// (kWarnUpdateOperationError and kWarnRecordUpdateError) instead of writing stale values back. Answering Yes to
// kWarnRecordUpdateError then saves again on top of the row as it is now stored: the fields the user edited keep the
// user's values, every other field keeps the stored one, so neither the user's edit nor the other change is lost.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_files.h"
#include "data/records.h"

namespace tarvelo {

// What a caller asks of a form, and how the form ended; the values are those the callers pass around.
enum class Request : int { none = 0, insert = 1, change = 2, remove = 3, select = 4, search = 8 };
enum class Response : int { none = 0, completed = 1, cancelled = 2 };

// After OK: close the window, or stay with the focus on the first entry field.
enum class FormStep { close, stay };

// A category name that is blank once trimmed. The category key leaves blank names out, so such a category
// could never be listed, changed or deleted again: the category form refuses it with kBlankCategoryText.
bool isBlankCategoryName(std::string_view name);
inline constexpr std::string_view kBlankCategoryText = "You must enter a category name!";

template <class R>
class UpdateForm {
public:
    // record: for a change or delete, the copy the caller read (with its ref); for an insert, the record as
    // the caller primed it (Categories keeps it, ToDo starts afresh, Schedule keeps it and gets a number).
    UpdateForm(DataFiles& files, Request request, R record);
    // Ends the form if finish() was not called (the program closing down).
    ~UpdateForm();
    UpdateForm(const UpdateForm&) = delete;
    UpdateForm& operator=(const UpdateForm&) = delete;

    // The steps before the window: takes the tables, primes an insert, or confirms and performs a delete.
    // Returns true when the window is to be opened; false when the form has ended already.
    bool start();

    // OK, after the window has validated every field: saves as the request says. A category named by
    // blanks only is refused with its message and nothing is saved.
    FormStep complete();
    // Cancel or the close box.
    void cancel();
    // The end: an insert of a task that was not completed removes its reserved record; the tables are
    // released. Returns the response (Cancelled unless the form completed). Safe to call more than once.
    Response finish();

    Request request() const { return m_request; }
    Response response() const { return m_response; }
    // What the last complete() that did not close met (its message has been shown); ok otherwise.
    const store::Status& lastFailure() const { return m_failure; }
    R& record() { return m_record; }
    const R& record() const { return m_record; }
    // "Adding a Todo Record", "Changing a Categories Record"; blank for other requests.
    std::string actionTitle() const;
    // The category's name when the form opened (Categories only).
    const FixedText<20>& snapshot() const { return m_snapshot; }

private:
    bool prime();
    bool blankNameRefused();
    FormStep insert();
    FormStep change();
    void rebaseOnStored();

    DataFiles& m_files;
    Request m_request;
    Response m_response = Response::cancelled;
    R m_record;
    R m_base;  // the stored row the edit started from
    FixedText<20> m_snapshot;
    std::vector<TableUse> m_uses;
    store::Status m_failure;
    bool m_reserved = false;
    bool m_finished = false;
};

extern template class UpdateForm<Task>;
extern template class UpdateForm<ToDo>;
extern template class UpdateForm<Category>;

using ScheduleForm = UpdateForm<Task>;
using ToDoForm = UpdateForm<ToDo>;
using CategoryForm = UpdateForm<Category>;

}  // namespace tarvelo
