#include "data/tagged_source.h"

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "data/record_table.h"
#include "data/tables.h"
#include "data/tags.h"

namespace tarvelo {
namespace {

struct Entry {
    std::int64_t date = 0;
    std::int64_t time = 0;
    std::int64_t rowId = 0;
    friend bool operator<(const Entry& a, const Entry& b) {
        return std::tie(a.date, a.time, a.rowId) < std::tie(b.date, b.time, b.rowId);
    }
};

class TaggedSource : public PageSource {
public:
    TaggedSource(store::Table& schedule, std::vector<Entry> entries)
        : m_table(schedule), m_view(schedule, kKeyDate), m_entries(std::move(entries)) {}

    store::Status toStart() override {
        m_at = 0;
        return store::Status::okStatus();
    }
    store::Status toEnd() override {
        m_at = m_entries.size();
        return store::Status::okStatus();
    }
    store::Status toValue(const store::Row& keyValues) override {
        const Entry key{number(keyValues, s_date), number(keyValues, s_time), 0};
        m_at = static_cast<std::size_t>(std::lower_bound(m_entries.begin(), m_entries.end(), key) - m_entries.begin());
        return store::Status::okStatus();
    }
    store::Status resetTo(std::string_view position) override {
        store::Row row;
        // A record that has gone leaves the cursor where it was.
        if (m_view.reread(position, row).ok()) {
            const Entry key{number(row, s_date), number(row, s_time), row.ref.rowId};
            m_at = static_cast<std::size_t>(std::lower_bound(m_entries.begin(), m_entries.end(), key) - m_entries.begin());
        }
        return store::Status::okStatus();
    }
    store::Status read(Direction direction, int count, std::vector<PageRecord>& out) override {
        const bool forward = direction == Direction::forward;
        for (int n = 0; n < count;) {
            if (forward ? m_at >= m_entries.size() : m_at == 0) return store::Status::make(store::kRecordNotAvailable);
            const Entry& entry = forward ? m_entries[m_at++] : m_entries[--m_at];
            PageRecord record;
            store::Row probe;
            probe.ref.rowId = entry.rowId;
            const store::Status s = m_view.reread(m_table.position(kKeyDate, probe), record.row);
            if (s.code == store::kRecordNotFound) continue;  // deleted since the list was opened
            if (!s.ok()) return s;
            record.position = m_table.position(kKeyDate, record.row);
            out.push_back(std::move(record));
            ++n;
        }
        return store::Status::okStatus();
    }
    store::Status reread(std::string_view position, store::Row& out) override { return m_view.reread(position, out); }

    static inline const int kKeyDate = static_cast<int>(ScheduleKey::keyDate);
    static inline const int s_date = scheduleTableDef().fieldIndex("SCH:DATE");
    static inline const int s_time = scheduleTableDef().fieldIndex("SCH:TIME");

private:
    static std::int64_t number(const store::Row& row, int field) {
        if (field < 0 || static_cast<std::size_t>(field) >= row.values.size()) return 0;
        const auto* n = std::get_if<std::int64_t>(&row.values[static_cast<std::size_t>(field)]);
        return n ? *n : 0;
    }

    store::Table& m_table;
    store::View m_view;  // reads without moving the table's own position, which the engine uses
    std::vector<Entry> m_entries;
    std::size_t m_at = 0;
};

}  // namespace

std::unique_ptr<PageSource> openTaggedSource(store::Table& schedule, store::Table& tagFile, std::size_t limit) {
    RecordView<Tag> tags(tagFile, TagKey::valKey);
    Tag start;
    start.table = static_cast<std::int16_t>(kScheduleTable);
    if (!tags.setAt(start).ok()) return nullptr;
    // The tag records first, which are small: too many, and no task is read.
    std::vector<Tag> found;
    Tag tag;
    while (tags.next(tag).ok() && tag.user == kTagUser && tag.table == kScheduleTable) {
        if (found.size() == limit) return nullptr;
        found.push_back(tag);
    }
    store::View tasks(schedule, TaggedSource::kKeyDate);
    std::vector<Entry> entries;
    for (const Tag& tag : found) {
        store::Row probe, task;
        probe.ref.rowId = tag.position;
        if (!tasks.reread(schedule.position(TaggedSource::kKeyDate, probe), task).ok()) continue;
        const Task record = RecordTable<Task>::fromRow(task);
        if (!tagNamesTask(tag.value.text(), record.id)) continue;  // a stale tag
        if (record.date == 0 && record.time == 0) continue;         // not in the date key
        entries.push_back({record.date, record.time, task.ref.rowId});
    }
    std::sort(entries.begin(), entries.end());
    return std::make_unique<TaggedSource>(schedule, std::move(entries));
}

}  // namespace tarvelo
