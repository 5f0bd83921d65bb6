#include "data/tags.h"

#include <limits>
#include <utility>

#include "core/fixed_text.h"
#include "data/record_maintenance.h"
#include "data/record_position.h"

namespace tarvelo {

namespace {

constexpr int kCountSlice = 100;
constexpr int kClearSlice = 10;
constexpr const char* kProgressTitle = "Progress...";

Tag keyOf(int table, std::int64_t position) {
    Tag t;
    t.user = kTagUser;
    t.table = static_cast<std::int16_t>(table);
    t.position = static_cast<std::int32_t>(position);
    return t;
}

bool validTable(int table) { return table > 0 && table <= std::numeric_limits<std::int16_t>::max(); }

bool fitsPosition(std::int64_t position) {
    return position > 0 && position <= std::numeric_limits<std::int32_t>::max();
}

store::Status positionOutOfRange() {
    store::Status s = store::Status::make(store::kDriverError);
    s.driverCode = "RANGE";
    s.driverMessage = "record position beyond the tag file's range";
    return s;
}

}  // namespace

bool tagNamesTask(std::string_view tagValue, std::int64_t taskId) { return std::to_string(taskId) == tagValue; }

std::string tagErrorText(const store::Status& status, std::string_view operation) {
    std::string text = std::string(trimRight(status.message));
    if (status.code == store::kDriverError)
        text = std::string(trimRight(status.driverMessage)) + " (" + std::string(trimRight(status.driverCode)) + ")";
    return "Error #" + std::to_string(status.code) + " - " + text + " (" + std::string(operation) + ")";
}

// A walk of one table's tag records in TF_:VALKEY order, holding the tables open while it lasts.
struct Tags::Walk {
    Walk(DataFiles& files, int table)
        : tagUse(files, TableId::tagFile),
          scheduleUse(files, TableId::schedule),
          view(files.table(TableId::tagFile), static_cast<int>(TagKey::valKey)),
          table(table) {
        const Tag start = keyOf(table, 0);  // the lowest sort value: blank
        ended = !view.setAt(RecordTable<Tag>::toRow(start)).ok();
    }
    // The next tag record of the table; nothing at the end of the table's tags (or on a read error,
    // which ends a walk as the end does).
    std::optional<Tag> next() {
        store::Row row;
        if (ended || !view.next(row).ok()) return std::nullopt;
        Tag tag = RecordTable<Tag>::fromRow(row);
        if (tag.user != kTagUser || tag.table != table) return std::nullopt;
        return tag;
    }

    TableUse tagUse;
    TableUse scheduleUse;
    store::View view;
    int table;
    bool ended = false;
};

// Counts the tag records of a table, a slice at a time.
class Tags::CountJob : public platform::SlicedJob {
public:
    CountJob(Tags& tags, int table) : m_walk(tags.m_files, table) {
        m_total = tags.m_files.table(TableId::tagFile).records().value;  // the walk reports a failure
    }
    Step runSlice() override {
        for (int i = 0; i < kCountSlice; ++i) {
            if (!m_walk.next()) return Step::done;
            ++m_count;
        }
        return Step::more;
    }
    platform::Progress progress() const override {
        return {platform::percentOf(m_count, m_total), "Counting Tags", std::to_string(m_count)};
    }
    std::int64_t count() const { return m_count; }

private:
    Walk m_walk;
    std::int64_t m_count = 0;
    std::int64_t m_total = 0;
};

// Deletes the tag records of a table, a slice at a time.
class Tags::ClearJob : public platform::SlicedJob {
    static constexpr const char* kOperation = "NewTag_/SlowButSure/DELETE";

public:
    ClearJob(Tags& tags, int table, std::int64_t total) : m_tags(tags), m_walk(tags.m_files, table), m_total(total) {}
    Step runSlice() override {
        Batch batch(m_tags, kOperation);
        if (m_tags.gaveUp()) return Step::done;
        Step step = Step::more;
        for (int i = 0; i < kClearSlice; ++i) {
            const auto tag = m_walk.next();
            if (!tag) {
                step = Step::done;
                break;
            }
            m_tags.eraseTag(*tag, kOperation);
            if (m_tags.gaveUp()) return Step::done;
            ++m_deleted;
        }
        batch.commit();
        return m_tags.gaveUp() ? Step::done : step;
    }
    platform::Progress progress() const override {
        const int percent = platform::percentOf(m_deleted, m_total);
        return {percent, "Clearing Tags", std::to_string(percent) + "%"};
    }

private:
    Tags& m_tags;
    Walk m_walk;
    std::int64_t m_deleted = 0;
    std::int64_t m_total = 0;
};

Tags::Tags(DataFiles& files, platform::JobRunner& runner) : m_files(files), m_runner(runner) {}

Tags::~Tags() = default;

bool Tags::waitAgain(const store::Status& status, std::string_view operation) {
    if (!store::isBusy(status)) stop(status, operation);
    if (m_files.warn().retryBusy(m_files.table(TableId::tagFile), status)) return true;
    m_gaveUp = true;
    return false;
}

void Tags::stop(const store::Status& status, std::string_view operation) {
    const std::string text = tagErrorText(status, operation);
    m_files.warn().messages().show({text, "", platform::Icon::Exclamation, platform::kOk, platform::kOk});
    m_files.warn().halt(text);
}

std::optional<Tag> Tags::find(int table, std::int64_t position, std::string_view operation) {
    for (;;) {
        Tag found;
        const store::Status s = m_files.tags().fetch(TagKey::ptrKey, keyOf(table, position), found);
        if (s.ok()) return found;
        if (s.code == store::kRecordNotFound || !waitAgain(s, operation)) return std::nullopt;
    }
}

// Deletes a tag record; one that another program changed since it was read is looked up afresh, one that
// is gone already is what was wanted.
void Tags::eraseTag(Tag tag, std::string_view operation) {
    for (int attempt = 0;; ++attempt) {
        const store::Status s = m_files.tags().erase(tag);
        if (s.ok()) return;
        if (s.code != store::kRecordChanged) {
            if (!waitAgain(s, operation)) return;
            continue;
        }
        if (attempt > 0) stop(s, operation);
        const auto fresh = find(tag.table, tag.position, operation);
        if (!fresh) return;
        tag = *fresh;
    }
}

bool Tags::isLive(const Tag& tag) {
    if (tag.table != kScheduleTable) return true;
    store::Row task;
    if (!readAtPosition(m_files.table(TableId::schedule), tag.position, task).ok()) return false;
    const auto* id = task.values.empty() ? nullptr : std::get_if<std::int64_t>(&task.values[0]);
    return id && tagNamesTask(tag.value.text(), *id);
}

void Tags::countAdd(int table, int delta) {
    if (m_cachedTable == table) {
        m_cachedCount += delta;
    } else {
        m_cachedTable = 0;
        m_cachedCount = 0;
    }
}

void Tags::tag(int table, std::int64_t position, std::string_view value) {
    m_gaveUp = false;
    if (!validTable(table)) return;
    if (!fitsPosition(position)) stop(positionOutOfRange(), "SetTag_/ADD");
    TableUse use(m_files, TableId::tagFile);
    // Another program rewriting, removing or adding the same tag in between is met once: then the tag is
    // looked up afresh. A busy file is waited for as long as the user wants.
    bool raced = false;
    for (;;) {
        auto tag = find(table, position, "SetTag_/PUT");
        if (m_gaveUp) return;
        const char* operation = tag ? "SetTag_/PUT" : "SetTag_/ADD";
        if (!tag) tag = keyOf(table, position);
        tag->value = value;
        const bool added = tag->ref.rowId == 0;
        const store::Status s = added ? m_files.tags().add(*tag) : m_files.tags().put(*tag);
        if (s.ok()) {
            if (added) countAdd(table, +1);
            return;
        }
        const bool race = s.code == (added ? store::kDuplicateKey : store::kRecordChanged);
        if (race && !raced) {
            raced = true;
            continue;
        }
        if (race) stop(s, operation);
        if (!waitAgain(s, operation)) return;
    }
}

void Tags::untag(int table, std::int64_t position) {
    m_gaveUp = false;
    if (!validTable(table) || !fitsPosition(position)) return;
    TableUse use(m_files, TableId::tagFile);
    if (const auto tag = find(table, position, "ClrTag_/DELETE")) {
        eraseTag(*tag, "ClrTag_/DELETE");
        if (!m_gaveUp) countAdd(table, -1);
    }
}

bool Tags::isTagged(int table, std::int64_t position) {
    if (!validTable(table) || !fitsPosition(position)) return false;
    TableUse tagUse(m_files, TableId::tagFile);
    TableUse scheduleUse(m_files, TableId::schedule);
    Tag tag;
    if (!m_files.tags().fetch(TagKey::ptrKey, keyOf(table, position), tag).ok()) return false;
    return isLive(tag);
}

std::int64_t Tags::walkOn(int table, bool first) {
    if (!validTable(table)) return 0;
    if (first) {
        m_walk.reset();  // the old walk's tables go before the new one takes them
        m_walk = std::make_unique<Walk>(m_files, table);
    }
    if (!m_walk || m_walk->table != table) return 0;
    while (const auto tag = m_walk->next()) {
        if (isLive(*tag)) return tag->position;
    }
    m_walk.reset();
    return 0;
}

std::vector<std::pair<std::int64_t, std::string>> Tags::tagRecords(int table) {
    std::vector<std::pair<std::int64_t, std::string>> records;
    if (!validTable(table)) return records;
    Walk walk(m_files, table);
    while (const auto tag = walk.next()) records.emplace_back(tag->position, tag->value.text());
    return records;
}

std::int64_t Tags::firstTagged(int table) { return walkOn(table, true); }

std::int64_t Tags::nextTagged(int table) { return walkOn(table, false); }

std::int64_t Tags::countTags(int table) {
    if (!validTable(table)) return 0;
    if (m_cachedTable == table) return m_cachedCount;
    CountJob job(*this, table);
    if (job.runSlice() == platform::SlicedJob::Step::more && !m_runner.run(kProgressTitle, job, false)) {
        platform::runToEnd(job);  // a count stopped half-way would be cached wrong
    }
    m_cachedTable = table;
    m_cachedCount = job.count();
    return m_cachedCount;
}

bool Tags::anyTagRecord(int table) {
    Walk walk(m_files, table);
    return walk.next().has_value();
}

void Tags::clearTags(int table) {
    m_gaveUp = false;
    if (!validTable(table) || !anyTagRecord(table)) return;
    m_cachedTable = 0;
    m_cachedCount = 0;
    TableUse use(m_files, TableId::tagFile);

    // When the first and the last tag of the whole file (in TF_:PTRKEY order, user and table first) are
    // both this table's, every tag is, and the file can be emptied at once.
    store::View byPointer(m_files.table(TableId::tagFile), static_cast<int>(TagKey::ptrKey));
    store::Row first;
    store::Row last;
    const bool read = byPointer.setToStart().ok() && byPointer.next(first).ok() && byPointer.setToEnd().ok() &&
                      byPointer.previous(last).ok();
    const auto ours = [&](const store::Row& row) {
        const Tag t = RecordTable<Tag>::fromRow(row);
        return t.user == kTagUser && t.table == table;
    };
    if (read && ours(first) && ours(last)) {
        for (store::Status s; !(s = m_files.table(TableId::tagFile).empty()).ok();) {
            if (!waitAgain(s, "NewTag_/TryQuick/EMPTY")) return;
        }
        m_cachedTable = table;
        return;
    }

    const std::int64_t total = countTags(table);
    m_cachedTable = 0;
    ClearJob job(*this, table, total);
    const bool finished = m_runner.run(kProgressTitle, job) && !m_gaveUp;
    // A cancelled clear leaves tags behind: the next count walks them rather than trusting a 0.
    if (finished) {
        m_cachedTable = table;
        m_cachedCount = 0;
    }
}

Tags::Batch::Batch(Tags& tags, std::string operation) : m_tags(tags), m_operation(std::move(operation)) {
    tags.m_gaveUp = false;
    store::Table& tagFile = tags.m_files.table(TableId::tagFile);
    if (!tagFile.isOpen()) return;
    auto transaction = std::make_unique<store::Transaction>();
    for (;;) {
        const store::Status s = transaction->begin({&tagFile});
        if (s.ok()) {
            m_transaction = std::move(transaction);
            return;
        }
        // Only a busy file is worth a word: on any other failure each write commits on its own.
        if (!store::isBusy(s) || !tags.waitAgain(s, m_operation)) return;
    }
}

Tags::Batch::~Batch() = default;

void Tags::Batch::commit() {
    if (!m_transaction) return;
    const store::Status s = m_transaction->commit();
    m_transaction.reset();
    if (s.ok()) return;
    // The batch has rolled back: nothing to wait for again. A busy file ends the operation as a user
    // giving up would.
    if (!store::isBusy(s)) m_tags.stop(s, m_operation);
    m_tags.m_gaveUp = true;
}

}  // namespace tarvelo
