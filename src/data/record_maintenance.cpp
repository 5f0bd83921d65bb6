#include "data/record_maintenance.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
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
const char* shownName<Task>() { return "Schedule"; }
template <>
const char* shownName<ToDo>() { return "Todo"; }
template <>
const char* shownName<Category>() { return "Categories"; }

// A refusal met inside a transaction: its message is shown once the transaction is rolled back, so that
// no other program waits on this one while the user reads it.
struct Refusal {
    int warning;
    store::Status status;  // kNoFailure for the reference rules' own refusals
};

std::optional<Refusal> categoryRefusal(DataFiles& files, std::string_view name, ReferenceCheck check) {
    auto schedule = files.schedule();
    Task probe;
    probe.category = name;  // and the lowest description: blank
    Task found;
    store::Status s = schedule.setAt(ScheduleKey::keyCategory, probe);
    if (s.ok()) s = schedule.next(found);
    if (!s.ok()) {
        if (s.code == store::kRecordNotAvailable) return std::nullopt;
        return Refusal{kWarnRecordRetrievalError, s};
    }
    if (found.category != FixedText<20>(name)) return std::nullopt;
    return Refusal{check == ReferenceCheck::forDelete ? kWarnReferentialDeleteError : kWarnReferentialUpdateError,
                   kNoFailure};
}

// Shows the refusal's message (the transaction rolled back already) and returns what the call came to.
store::Status report(DataFiles& files, const Refusal& refusal) {
    files.warn()(refusal.warning, refusal.status, "Schedule");
    return refusal.status.ok() ? referenceRefusal() : refusal.status;
}

// Begins the transaction of an operation ("Update", "Delete"). A file another program keeps busy beyond the lock wait
// asks whether to wait again; any other failure is kWarnTransactionFramingError. Returns the failure shown.
template <class R>
store::Status beginTransaction(Scope<R>& scope, store::Transaction& tx, const char* operation) {
    const DataWarning& warn = scope.files.warn();
    for (;;) {
        const store::Status s = tx.begin(scope.tables());
        if (s.ok()) return s;
        if (warn.retryBusy(scope.files.table(RecordTraits<R>::table), s)) continue;
        if (!store::isBusy(s)) warn(kWarnTransactionFramingError, s, operation, shownName<R>());
        return s;
    }
}

// The key a record is remembered by before it is deleted.
ScheduleKey rememberKey(const Task*) { return ScheduleKey::keyId; }
ToDoKey rememberKey(const ToDo*) { return ToDoKey::keyDone; }
CategoryKey rememberKey(const Category*) { return CategoryKey::keyCategory; }

template <class R>
store::Status deleteRecord(DataFiles& files, const R& record) {
    Scope<R> scope(files);
    const DataWarning& warn = files.warn();
    auto table = files.records<R>();
    const std::string position = table.position(rememberKey(static_cast<const R*>(nullptr)), record);

    store::Transaction tx;  // rolls back unless committed
    if (store::Status s = beginTransaction(scope, tx, "Delete"); !s.ok()) return s;
    R current;
    store::Status s = table.reget(position, current);
    if constexpr (std::is_same_v<R, Category>) {
        if (s.ok()) {
            if (const auto refusal = categoryRefusal(files, current.category.text(), ReferenceCheck::forDelete)) {
                tx.abandon();
                return report(files, *refusal);
            }
        }
    }
    if (s.ok()) s = table.erase(current);
    if (s.ok()) s = tx.commit();
    if (!s.ok()) {
        tx.abandon();  // no lock held while the message is open
        warn(kWarnDeleteOperationError, s, shownName<R>());
    }
    return s;
}

// Writes record over its stored row; check runs inside the transaction after the put and may refuse it
// (returning the refusal to report).
template <class R, class Check>
store::Status putRecord(DataFiles& files, R& record, Check refused) {
    Scope<R> scope(files);
    const DataWarning& warn = files.warn();
    auto table = files.records<R>();

    store::Transaction tx;  // rolls back unless committed
    if (store::Status s = beginTransaction(scope, tx, "Update"); !s.ok()) return s;
    const store::RowRef before = record.ref;
    store::Status s = table.put(record);
    if (s.ok()) {
        if (const std::optional<Refusal> refusal = refused(record)) {
            tx.abandon();
            record.ref = before;
            return report(files, *refusal);
        }
    }
    if (s.ok()) s = tx.commit();
    if (!s.ok()) {
        tx.abandon();  // no lock held while the message is open
        warn(kWarnUpdateOperationError, s, shownName<R>());
        record.ref = before;
    }
    return s;
}

}  // namespace

store::Status referenceRefusal() {
    store::Status s;
    s.code = kReferencedElsewhere;
    s.message = "Referenced From Another File";
    return s;
}

store::Status deleteTaskRecord(DataFiles& files, const Task& record) { return deleteRecord(files, record); }
store::Status deleteToDoRecord(DataFiles& files, const ToDo& record) { return deleteRecord(files, record); }
store::Status deleteCategoriesRecord(DataFiles& files, const Category& record) { return deleteRecord(files, record); }

store::Status putTaskRecord(DataFiles& files, Task& record) {
    return putRecord(files, record, [](const Task&) { return std::optional<Refusal>(); });
}

store::Status putToDoRecord(DataFiles& files, ToDo& record) {
    return putRecord(files, record, [](const ToDo&) { return std::optional<Refusal>(); });
}

store::Status putCategoriesRecord(DataFiles& files, Category& record, const FixedText<20>& snapshot) {
    return putRecord(files, record, [&](Category& stored) -> std::optional<Refusal> {
        if (stored.category == snapshot) return std::nullopt;
        auto refusal = categoryRefusal(files, snapshot.text(), ReferenceCheck::forRename);
        if (refusal) stored.category = snapshot;
        return refusal;
    });
}

bool categoryReferenced(DataFiles& files, std::string_view name, ReferenceCheck check) {
    const std::optional<Refusal> refusal = categoryRefusal(files, name, check);
    if (refusal) (void)report(files, *refusal);
    return refusal.has_value();
}

Numbering reserveTaskNumber(DataFiles& files, Task& record) {
    TableUse use(files, TableId::schedule);
    auto schedule = files.schedule();
    int attempts = 0;
    for (;;) {
        Task highest;
        store::Status s = schedule.setToEnd(ScheduleKey::keyId);
        if (s.ok()) s = schedule.previous(highest);
        std::int64_t number = 1;
        if (s.ok()) {
            number = std::int64_t{highest.id} + 1;
        } else if (s.code != store::kRecordNotAvailable) {
            files.warn()(kWarnRecordRetrievalError, s, "Schedule");
            return Numbering::abandoned;
        }

        Task placeholder;
        if (number <= std::numeric_limits<std::int32_t>::max()) {
            placeholder.id = static_cast<std::int32_t>(number);
            s = schedule.add(placeholder);
        } else {
            s = store::Status::make(store::kDuplicateKey);  // every number above the highest is taken
        }
        if (s.ok()) {
            record.id = placeholder.id;
            record.ref = placeholder.ref;
            return Numbering::numbered;
        }
        // A file busy beyond the lock wait has been waited for long enough: the user decides at once.
        if (store::isBusy(s)) {
            if (!files.warn().retryBusy(schedule.table(), s)) return Numbering::cancelled;
            attempts = 0;
            continue;
        }
        if (++attempts < 3) continue;
        if (files.warn()(kWarnAutoIncrementError, s) != platform::kRetry) return Numbering::cancelled;
        attempts = 0;
    }
}

store::Status rereadRecord(DataFiles& files, const Task& copy, Task& out) {
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

store::Status removeReservedTask(DataFiles& files, const Task& record) {
    TableUse use(files, TableId::schedule);
    auto schedule = files.schedule();
    Task stored;
    const store::Status s = schedule.fetch(ScheduleKey::keyId, record, stored);
    if (s.code == store::kRecordNotFound) return store::Status::okStatus();  // gone already
    if (!s.ok()) return s;
    return schedule.erase(stored);
}

}  // namespace tarvelo
