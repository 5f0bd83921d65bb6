#include "data/record_maintenance.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <type_traits>
#include <vector>

namespace tarvelo {

namespace {

// The tables of one maintenance call and their uses; Categories brings Schedule along for its checks.
template <class R>
struct Scope {
    explicit Scope(DataFiles& files) : files(files), own(files, RecordTraits<R>::table) {
        if constexpr (std::is_same_v<R, Category>) schedule.emplace(files, TableId::schedule);
    }
    std::vector<store::Table*> tables() {
        std::vector<store::Table*> all{&files.table(RecordTraits<R>::table)};
        if (schedule) all.push_back(&files.table(TableId::schedule));
        return all;
    }

    DataFiles& files;
    TableUse own;
    std::optional<TableUse> schedule;
};

template <class R>
const char* shownName();
template <>
const char* shownName<Schedule>() { return "Schedule"; }
template <>
const char* shownName<ToDo>() { return "Todo"; }
template <>
const char* shownName<Category>() { return "Categories"; }

// The key a record is remembered by before it is deleted.
ScheduleKey rememberKey(const Schedule*) { return ScheduleKey::keyId; }
ToDoKey rememberKey(const ToDo*) { return ToDoKey::keyDone; }
CategoryKey rememberKey(const Category*) { return CategoryKey::keyCategory; }

template <class R>
int deleteRecord(DataFiles& files, const R& record) {
    Scope<R> scope(files);
    const DataWarning& warn = files.warn();
    auto table = files.records<R>();
    const std::string position = table.position(rememberKey(static_cast<const R*>(nullptr)), record);

    store::Transaction tx;
    if (!tx.begin(scope.tables(), kTransactionTimeoutSeconds).ok()) {
        warn(kWarnTransactionFramingError, "Delete", shownName<R>());
        tx.rollback();
        return 1;
    }
    R current;
    store::Status s = table.reget(position, current);
    if constexpr (std::is_same_v<R, Category>) {
        if (s.ok() && categoryReferenced(files, current.category.text(), ReferenceCheck::forDelete)) {
            tx.rollback();
            return 1;
        }
    }
    if (s.ok()) s = table.erase(current);
    if (s.ok()) s = tx.commit();
    if (!s.ok()) {
        warn(kWarnDeleteOperationError, shownName<R>());
        tx.rollback();
        return 1;
    }
    return 0;
}

// Writes record over its stored row; check runs inside the transaction after the put and may refuse it
// (returning true), having shown its own message.
template <class R, class Check>
int putRecord(DataFiles& files, R& record, Check refused) {
    Scope<R> scope(files);
    const DataWarning& warn = files.warn();
    auto table = files.records<R>();

    store::Transaction tx;
    if (!tx.begin(scope.tables(), kTransactionTimeoutSeconds).ok()) {
        warn(kWarnTransactionFramingError, "Update", shownName<R>());
        tx.rollback();
        return 1;
    }
    const store::RowRef before = record.ref;
    store::Status s = table.put(record);
    if (s.ok() && refused(record)) {
        tx.rollback();
        record.ref = before;
        return 1;
    }
    if (s.ok()) s = tx.commit();
    if (!s.ok()) {
        warn(kWarnUpdateOperationError, shownName<R>());
        tx.rollback();
        record.ref = before;
        return 1;
    }
    return 0;
}

}  // namespace

int deleteScheduleRecord(DataFiles& files, const Schedule& record) { return deleteRecord(files, record); }
int deleteToDoRecord(DataFiles& files, const ToDo& record) { return deleteRecord(files, record); }
int deleteCategoriesRecord(DataFiles& files, const Category& record) { return deleteRecord(files, record); }

int putScheduleRecord(DataFiles& files, Schedule& record) {
    return putRecord(files, record, [](const Schedule&) { return false; });
}

int putToDoRecord(DataFiles& files, ToDo& record) {
    return putRecord(files, record, [](const ToDo&) { return false; });
}

int putCategoriesRecord(DataFiles& files, Category& record, const FixedText<20>& snapshot) {
    return putRecord(files, record, [&](Category& stored) {
        if (stored.category == snapshot) return false;
        if (!categoryReferenced(files, snapshot.text(), ReferenceCheck::forRename)) return false;
        stored.category = snapshot;
        return true;
    });
}

bool categoryReferenced(DataFiles& files, std::string_view name, ReferenceCheck check) {
    auto schedule = files.schedule();
    Schedule probe;
    probe.category = name;  // and the lowest description: blank
    Schedule found;
    store::Status s = schedule.setAt(ScheduleKey::keyCategory, probe);
    if (s.ok()) s = schedule.next(found);
    if (!s.ok()) {
        if (s.code == store::kRecordNotAvailable) return false;
        files.warn()(kWarnRecordRetrievalError, "Schedule");
        return true;
    }
    if (found.category != FixedText<20>(name)) return false;
    files.warn()(check == ReferenceCheck::forDelete ? kWarnReferentialDeleteError : kWarnReferentialUpdateError,
                 "Schedule");
    return true;
}

Numbering reserveScheduleNumber(DataFiles& files, Schedule& record) {
    TableUse use(files, TableId::schedule);
    auto schedule = files.schedule();
    int attempts = 0;
    for (;;) {
        Schedule highest;
        store::Status s = schedule.setToEnd(ScheduleKey::keyId);
        if (s.ok()) s = schedule.previous(highest);
        std::int64_t number = 1;
        if (s.ok()) {
            number = std::int64_t{highest.id} + 1;
        } else if (s.code != store::kRecordNotAvailable) {
            files.warn()(kWarnRecordRetrievalError, "Schedule");
            return Numbering::abandoned;
        }

        Schedule placeholder;
        if (number <= std::numeric_limits<std::int32_t>::max()) {
            placeholder.id = static_cast<std::int32_t>(number);
            s = schedule.add(placeholder);
        } else {
            s = store::Status::make(store::kDuplicateKey);  // every number above the highest is taken
            store::setLastError(s);
        }
        if (s.ok()) {
            record.id = placeholder.id;
            record.ref = placeholder.ref;
            return Numbering::numbered;
        }
        if (++attempts < 3) continue;
        if (files.warn()(kWarnAutoIncrementError) != ui::kRetry) return Numbering::cancelled;
        attempts = 0;
    }
}

store::Status rereadRecord(DataFiles& files, const Schedule& copy, Schedule& out) {
    TableUse use(files, TableId::schedule);
    auto table = files.schedule();
    return table.reget(table.position(rememberKey(&copy), copy), out);
}

store::Status rereadRecord(DataFiles& files, const ToDo& copy, ToDo& out) {
    TableUse use(files, TableId::toDo);
    auto table = files.toDo();
    return table.reget(table.position(rememberKey(&copy), copy), out);
}

store::Status rereadRecord(DataFiles& files, const Category& copy, Category& out) {
    TableUse use(files, TableId::categories);
    auto table = files.categories();
    return table.reget(table.position(rememberKey(&copy), copy), out);
}

bool removeReservedTask(DataFiles& files, const Schedule& record) {
    TableUse use(files, TableId::schedule);
    auto schedule = files.schedule();
    Schedule stored;
    const store::Status s = schedule.fetch(ScheduleKey::keyId, record, stored);
    if (!s.ok()) return s.code == store::kRecordNotFound;
    return schedule.erase(stored).ok();
}

}  // namespace tarvelo
