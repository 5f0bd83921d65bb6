#include "data/update_form.h"

#include <type_traits>

#include "data/record_maintenance.h"

namespace tarvelo {

namespace {

template <class R>
constexpr bool isSchedule = std::is_same_v<R, Task>;
template <class R>
constexpr bool isCategory = std::is_same_v<R, Category>;

template <class R>
const char* formTableName() {
    if constexpr (isSchedule<R>) return "Schedule";
    else if constexpr (isCategory<R>) return "Categories";
    else return "Todo";
}

store::Status putProcedure(DataFiles& files, Task& r, const FixedText<20>&) { return putTaskRecord(files, r); }
store::Status putProcedure(DataFiles& files, ToDo& r, const FixedText<20>&) { return putToDoRecord(files, r); }
store::Status putProcedure(DataFiles& files, Category& r, const FixedText<20>& snapshot) {
    return putCategoriesRecord(files, r, snapshot);
}

store::Status deleteProcedure(DataFiles& files, const Task& r) { return deleteTaskRecord(files, r); }
store::Status deleteProcedure(DataFiles& files, const ToDo& r) { return deleteToDoRecord(files, r); }
store::Status deleteProcedure(DataFiles& files, const Category& r) { return deleteCategoriesRecord(files, r); }

// The unique key a failed insert may have duplicated.
std::optional<ScheduleKey> uniqueKey(const Task*) { return ScheduleKey::keyId; }
std::optional<CategoryKey> uniqueKey(const Category*) { return CategoryKey::keyCategory; }
std::optional<ToDoKey> uniqueKey(const ToDo*) { return std::nullopt; }

// Field by field: the edited value where the user changed it from base, the stored one elsewhere.
template <class R>
R merged(const R& base, const R& edited, const R& stored) {
    const store::Row b = RecordTable<R>::toRow(base);
    const store::Row e = RecordTable<R>::toRow(edited);
    store::Row out = RecordTable<R>::toRow(stored);
    for (std::size_t i = 0; i < out.values.size(); ++i) {
        if (e.values[i] != b.values[i]) out.values[i] = e.values[i];
    }
    return RecordTable<R>::fromRow(out);
}

}  // namespace

bool isBlankCategoryName(std::string_view name) {
    return name.find_first_not_of(" \t\n\v\f\r") == std::string_view::npos;
}

template <class R>
UpdateForm<R>::UpdateForm(DataFiles& files, Request request, R record)
    : m_files(files), m_request(request), m_record(std::move(record)), m_base(m_record) {
    if constexpr (isCategory<R>) m_snapshot = m_record.category;
}

template <class R>
UpdateForm<R>::~UpdateForm() {
    finish();
}

template <class R>
bool UpdateForm<R>::start() {
    m_uses.emplace_back(m_files, RecordTraits<R>::table);
    if constexpr (isCategory<R>) m_uses.emplace_back(m_files, TableId::schedule);

    if (m_request == Request::insert) return prime();
    if (m_request != Request::remove) return true;

    if (m_files.warn()(kWarnConfirmDelete, kNoFailure) != platform::kOk) return false;
    for (;;) {
        const store::Status s = deleteProcedure(m_files, m_record);
        if (s.ok()) {
            m_response = Response::completed;
            return false;
        }
        if (m_files.warn()(kWarnRecordDeleteRetry, s) != platform::kYes) return false;
    }
}

template <class R>
bool UpdateForm<R>::prime() {
    if constexpr (isSchedule<R>) {
        if (reserveTaskNumber(m_files, m_record) != Numbering::numbered) return false;
        m_reserved = true;
    } else if constexpr (std::is_same_v<R, ToDo>) {
        m_record = ToDo{};
        m_record.priority = 5;
    }
    m_base = m_record;
    return true;
}

template <class R>
bool UpdateForm<R>::blankNameRefused() {
    if constexpr (isCategory<R>) {
        if (isBlankCategoryName(m_record.category.text())) {
            m_files.warn().messages().show(
                {std::string(kBlankCategoryText), "", platform::Icon::Exclamation, platform::kOk, platform::kOk});
            return true;
        }
    }
    return false;
}

template <class R>
FormStep UpdateForm<R>::complete() {
    if ((m_request == Request::insert || m_request == Request::change) && blankNameRefused()) return FormStep::stay;
    switch (m_request) {
    case Request::insert: return insert();
    case Request::change: return change();
    default:
        m_response = Response::completed;
        return FormStep::close;
    }
}

template <class R>
FormStep UpdateForm<R>::insert() {
    auto table = m_files.records<R>();
    store::Status s;
    do {
        // A numbered task is stored already: it is written over its reserved record.
        s = isSchedule<R> ? table.put(m_record) : table.add(m_record);
    } while (!s.ok() && m_files.warn().retryBusy(table.table(), s));
    if (s.ok()) {
        m_response = Response::completed;
        return FormStep::close;
    }
    m_failure = s;
    if (store::isBusy(s)) return FormStep::stay;  // the user gave up waiting; the box has said why
    const auto key = uniqueKey(static_cast<const R*>(nullptr));
    const bool duplicated = key && s.code == store::kDuplicateKey && table.duplicate(*key, m_record).value;
    if (duplicated) {
        const auto& def = tableDef(RecordTraits<R>::table);
        m_files.warn()(kWarnDuplicateKeyError, s, def.keys[static_cast<std::size_t>(*key)].description);
    } else {
        m_files.warn()(kWarnRecordInsertError, s);  // E names the insert's failure
    }
    return FormStep::stay;
}

template <class R>
FormStep UpdateForm<R>::change() {
    for (;;) {
        const store::Status s = putProcedure(m_files, m_record, m_snapshot);
        if (s.ok()) {
            m_response = Response::completed;
            return FormStep::close;
        }
        m_failure = s;
        const int button = m_files.warn()(kWarnRecordUpdateError, s);
        if (button == platform::kNo) {
            m_response = Response::cancelled;
            return FormStep::close;
        }
        if (button != platform::kYes) return FormStep::stay;
        rebaseOnStored();
    }
}

template <class R>
void UpdateForm<R>::rebaseOnStored() {
    R stored;
    if (!rereadRecord(m_files, m_base, stored).ok()) return;  // gone: the next save reports it again
    if (stored.ref.rowId == m_base.ref.rowId && stored.ref.version == m_base.ref.version) return;
    m_record = merged(m_base, m_record, stored);
    m_base = stored;
}

template <class R>
void UpdateForm<R>::cancel() {
    m_response = Response::cancelled;
}

template <class R>
Response UpdateForm<R>::finish() {
    if (m_finished) return m_response;
    m_finished = true;
    if constexpr (isSchedule<R>) {
        if (m_reserved && m_response != Response::completed) {
            // The placeholder would stay behind as a blank task under the reserved number.
            if (const store::Status s = removeReservedTask(m_files, m_record); !s.ok()) {
                m_files.warn()(kWarnDeleteOperationError, s, "Schedule");
            }
        }
    }
    m_uses.clear();
    return m_response;
}

template <class R>
std::string UpdateForm<R>::actionTitle() const {
    if (m_request == Request::insert) return std::string("Adding a ") + formTableName<R>() + " Record";
    if (m_request == Request::change) return std::string("Changing a ") + formTableName<R>() + " Record";
    return {};
}

template class UpdateForm<Task>;
template class UpdateForm<ToDo>;
template class UpdateForm<Category>;

}  // namespace tarvelo
