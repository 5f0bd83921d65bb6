#include "search/schedule_scan.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <utility>

#include "core/fixed_text.h"
#include "data/tables.h"
#include "search/qbe_compare.h"
#include "data/record_position.h"
#include "search/search_key.h"

namespace tarvelo::search {

namespace {

const int kIdIndex = scheduleTableDef().fieldIndex("SCH:ID");

bool isTextKind(FieldKind kind) {
    return kind == FieldKind::string || kind == FieldKind::option || kind == FieldKind::text;
}

// The value as text, without a copy when it is text; a number is written into spare.
std::string_view textView(const store::Value& v, std::string& spare) {
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    spare = std::to_string(std::get<std::int64_t>(v));
    return spare;
}

std::int64_t numberOf(const store::Value& v) {
    if (const auto* n = std::get_if<std::int64_t>(&v)) return *n;
    const std::string_view text = trimRight(std::get<std::string>(v));
    std::int64_t n = 0;
    std::size_t start = 0;
    while (start < text.size() && text[start] == ' ') ++start;
    std::from_chars(text.data() + start, text.data() + text.size(), n);
    return n;
}

const store::Value& valueAt(const store::Row& row, int index) {
    static const store::Value kBlank = std::int64_t{0};
    const auto i = static_cast<std::size_t>(index);
    return i < row.values.size() ? row.values[i] : kBlank;
}

// The keys a scan may read, in the order they are tried, by the field that is their first component.
struct KeyRule {
    const char* field;
    ScheduleKey key;
};
constexpr KeyRule kKeyRules[] = {
    {"SCH:DATE", ScheduleKey::keyDate},
    {"SCH:DESCRIPTION", ScheduleKey::keyTaskName},
    {"SCH:TASKTYPE", ScheduleKey::keyTaskType},
    {"SCH:DISABLED", ScheduleKey::keyDateEnabled},
};

// Empty, or starting with a blank (or a control character): a value the key places before every letter.
bool blankLed(std::string_view text) { return text.empty() || static_cast<unsigned char>(text.front()) <= ' '; }

// Text criteria whose test left-justifies the value, so that a value with leading blanks may match though
// the key places it before the criterion. A criterion starting with a blank matches no left-justified
// value, and an empty one sends the scan past the key (a blank task could match).
bool testsLeftJustified(const Criterion& c) {
    if (c.field->kind != FieldKind::string && c.field->kind != FieldKind::option) return false;
    if (c.type != MatchType::equals && c.type != MatchType::beginsWith && c.type != MatchType::insideRange)
        return false;
    const auto* text = std::get_if<std::string>(&c.value);
    return text && !blankLed(*text);
}

// A task with every field blank: text empty, numbers 0.
store::Row blankTask() {
    store::Row row;
    for (const auto& f : scheduleTableDef().fields) {
        const bool text = f.type == store::FieldType::String || f.type == store::FieldType::CString ||
                          f.type == store::FieldType::Memo;
        row.values.push_back(text ? store::Value(std::string()) : store::Value(std::int64_t{0}));
    }
    return row;
}

// A blank-excluded key leaves out the tasks whose key fields are all blank; reading by it is sound only
// when such a task cannot pass the criteria on those fields.
bool blankTaskCouldMatch(const Criteria& criteria, ScheduleKey key) {
    const store::TableDef& def = scheduleTableDef();
    const store::Row blank = blankTask();
    for (const auto& component : def.keys[static_cast<std::size_t>(key)].components) {
        const int index = def.fieldIndex(component);
        for (const Criterion& c : criteria) {
            if (c.field->index == index && !passes(c, blank)) return false;
        }
    }
    return true;
}

}  // namespace

Criterion makeCriterion(const SearchField& field, MatchType type, const store::Value& value,
                        const std::string& upperText) {
    Criterion c;
    c.field = &field;
    c.type = type;
    if (isTextKind(field.kind)) {
        std::string spare;
        c.value = foldCase(textView(value, spare));
        c.upper = foldCase(upperText);
    } else {
        c.value = numberOf(value);
        c.upper = numberOf(store::Value(upperText));
        if (field.kind == FieldKind::picture && type == MatchType::beginsWith)
            c.upper = static_cast<std::int64_t>(pictureUpperLimit(static_cast<double>(numberOf(c.value))));
    }
    return c;
}

bool passes(const Criterion& c, const store::Row& task) {
    const store::Value& value = valueAt(task, c.field->index);
    std::string spare;
    switch (c.field->kind) {
    case FieldKind::string:
    case FieldKind::option:
        return matchString(c.type, textView(value, spare), std::get<std::string>(c.value),
                           std::get<std::string>(c.upper));
    case FieldKind::text: return matchText(c.type, textView(value, spare), std::get<std::string>(c.value));
    case FieldKind::none: return true;
    default:
        return matchNumber(c.type, static_cast<double>(numberOf(value)),
                           static_cast<double>(std::get<std::int64_t>(c.value)),
                           static_cast<double>(std::get<std::int64_t>(c.upper)));
    }
}

class ScheduleScan::Source {
public:
    virtual ~Source() = default;
    // The next task of the path, held by the source until the next call; null at its end or on a read
    // error.
    virtual const store::Row* next() = 0;
    // The tasks read from the table so far, read-ahead included.
    virtual std::int64_t fetched() const = 0;
    // The last task came from ahead of the criterion's place in the key, where the early stop does not
    // hold.
    virtual bool aheadOfThePlace() const { return false; }
};

// Reads a key's order (or record order) a page at a time, each page one statement into the same rows.
// Pages grow from 8 records to a slice's 100, so a scan that stops early reads little beyond its stop.
class ScheduleScan::KeySource : public Source {
public:
    KeySource(store::Table& table, int key) : m_view(table, key) {}
    store::View& view() { return m_view; }
    std::int64_t fetched() const override { return m_fetched; }
    const store::Row* next() override {
        if (m_at == m_page.size()) {
            m_at = 0;
            if (m_ended) return nullptr;
            const store::Status s = m_view.readPage(store::Direction::forward, m_pageSize, m_page);
            m_ended = !s.ok() || static_cast<int>(m_page.size()) < m_pageSize;
            m_fetched += static_cast<std::int64_t>(m_page.size());
            m_pageSize = std::min(m_pageSize * 2, kScanSlice);
            if (m_page.empty()) return nullptr;
        }
        return &m_page[m_at++];
    }

private:
    store::View m_view;
    std::vector<store::Row> m_page;
    std::size_t m_at = 0;
    int m_pageSize = 8;
    bool m_ended = false;
    std::int64_t m_fetched = 0;
};

// A text key read from the criterion on never reaches a value with leading blanks, which sorts before
// every letter; yet equals, begins-with and the range test the value left-justified, so "  Backup"
// matches "backup". The values that start with a blank (or are empty) come first in the key, so they are
// read from its start, each tested in full, before the key is read from the criterion on.
class ScheduleScan::LeadingBlanksSource : public Source {
public:
    LeadingBlanksSource(std::unique_ptr<KeySource> ahead, std::unique_ptr<KeySource> from, int field)
        : m_ahead(std::move(ahead)), m_from(std::move(from)), m_field(static_cast<std::size_t>(field)) {}
    const store::Row* next() override {
        if (m_ahead) {
            const store::Row* task = m_ahead->next();
            if (task && startsBlank(*task)) return task;
            m_aheadFetched = m_ahead->fetched();
            m_ahead.reset();
        }
        return m_from->next();
    }
    std::int64_t fetched() const override { return (m_ahead ? m_ahead->fetched() : m_aheadFetched) + m_from->fetched(); }
    bool aheadOfThePlace() const override { return m_ahead != nullptr; }

private:
    bool startsBlank(const store::Row& task) const {
        const auto* text = m_field < task.values.size() ? std::get_if<std::string>(&task.values[m_field]) : nullptr;
        return text && blankLed(*text);
    }

    std::unique_ptr<KeySource> m_ahead;
    std::unique_ptr<KeySource> m_from;
    std::size_t m_field;
    std::int64_t m_aheadFetched = 0;
};

// The tagged tasks, in the tags' sort-value order.
class ScheduleScan::TagSource : public Source {
public:
    TagSource(DataFiles& files, Tags& tags) : m_files(files), m_tags(tags), m_next(tags.firstTagged(kScheduleTable)) {}
    const store::Row* next() override {
        while (m_next != 0) {
            const std::int64_t position = m_next;
            m_next = m_tags.nextTagged(kScheduleTable);
            // A task deleted since its tag was read is passed over.
            ++m_fetched;
            if (readAtPosition(m_files.table(TableId::schedule), position, m_task).ok()) return &m_task;
        }
        return nullptr;
    }

private:
    std::int64_t fetched() const override { return m_fetched; }

private:
    DataFiles& m_files;
    Tags& m_tags;
    std::int64_t m_next;
    std::int64_t m_fetched = 0;
    store::Row m_task;
};

ScheduleScan::ScheduleScan(DataFiles& files, Tags& tags, Criteria criteria, SearchTask task)
    : m_files(files), m_criteria(std::move(criteria)) {
    store::Table& schedule = files.table(TableId::schedule);
    const store::TableDef& def = scheduleTableDef();
    for (const KeyRule& rule : kKeyRules) {
        const int index = def.fieldIndex(rule.field);
        for (std::size_t i = 0; i < m_criteria.size() && !m_source; ++i) {
            const Criterion& c = m_criteria[i];
            if (c.field->index != index || c.type == MatchType::ignore) continue;
            if (blankTaskCouldMatch(m_criteria, rule.key)) continue;
            auto source = std::make_unique<KeySource>(schedule, static_cast<int>(rule.key));
            source->view().readFields(testedFields());
            store::Row keyValues;
            keyValues.values.resize(def.fields.size(), std::int64_t{0});
            keyValues.values[static_cast<std::size_t>(index)] = c.value;
            bool earlyStop = false;
            if (!chooseSearchKey(source->view(), def, static_cast<int>(rule.key), c.type, keyValues, earlyStop))
                continue;
            m_path = {AccessPath::Kind::key, static_cast<int>(rule.key), earlyStop ? static_cast<int>(i) : -1};
            if (testsLeftJustified(c)) {
                auto ahead = std::make_unique<KeySource>(schedule, static_cast<int>(rule.key));
                ahead->view().readFields(testedFields());
                m_source = std::make_unique<LeadingBlanksSource>(std::move(ahead), std::move(source), index);
            } else {
                m_source = std::move(source);
            }
        }
        if (m_source) break;
    }
    if (!m_source && task == SearchTask::unselect) {
        m_path = {AccessPath::Kind::tags, -1, -1};
        m_total = tags.countTags(kScheduleTable);
        m_source = std::make_unique<TagSource>(files, tags);
        return;
    }
    if (!m_source) {
        m_path = {AccessPath::Kind::table, store::kRecordOrder, -1};
        auto source = std::make_unique<KeySource>(schedule, store::kRecordOrder);
        source->view().readFields(testedFields());
        m_ended = !source->view().setToStart().ok();
        m_source = std::move(source);
    }
}

// A scan reads only what its tests look at, and the ID that names a match; a match is then read whole.
std::vector<int> ScheduleScan::testedFields() const {
    std::vector<int> fields{kIdIndex};
    for (const Criterion& c : m_criteria) fields.push_back(c.field->index);
    return fields;
}

std::int64_t ScheduleScan::recordsFetched() const { return m_source->fetched(); }

std::int64_t ScheduleScan::total() const {
    // A count that fails shows no total; the scan that follows reports the failure.
    if (m_total < 0) m_total = m_files.table(TableId::schedule).records().value;
    return m_total;
}

ScheduleScan::~ScheduleScan() = default;

ScheduleScan::Result ScheduleScan::read(int limit, store::Row& match) {
    if (m_ended) return Result::end;
    // One snapshot for the whole slice rather than one per statement; when the file is in a transaction
    // already, the reads simply take their own. It ends with the slice.
    store::Transaction snapshot;
    [[maybe_unused]] const bool oneSnapshot = snapshot.beginRead({&m_files.table(TableId::schedule)}).ok();
    for (int i = 0; i < limit; ++i) {
        const store::Row* task = m_source->next();
        if (!task) {
            m_ended = true;
            return Result::end;
        }
        ++m_read;
        if (m_path.stopCriterion >= 0 && !passes(m_criteria[static_cast<std::size_t>(m_path.stopCriterion)], *task)) {
            if (m_source->aheadOfThePlace()) continue;
            m_ended = true;
            return Result::end;
        }
        if (!passesAll(*task)) continue;
        if (task->ref.partial) {
            // Within the slice's snapshot the record is still there; without one (the file was in a
            // transaction already) it may have gone since, and is then passed over as never read.
            store::Row whole;
            const store::Status s = readAtPosition(m_files.table(TableId::schedule), task->ref.rowId, whole);
            if (s.code == store::kRecordNotFound) continue;
            if (!s.ok()) {
                m_ended = true;
                return Result::end;
            }
            // Changed between the two reads: judged again as it is now.
            if (whole.ref.version != task->ref.version && !passesAll(whole)) continue;
            match = std::move(whole);
        } else {
            match = *task;
        }
        ++m_found;
        return Result::match;
    }
    return Result::more;
}

bool ScheduleScan::passesAll(const store::Row& task) const {
    for (std::size_t c = 0; c < m_criteria.size(); ++c) {
        if (static_cast<int>(c) != m_path.stopCriterion && !passes(m_criteria[c], task)) return false;
    }
    return true;
}

void ScheduleScan::countPiece() const {
    const store::Result<std::int64_t> n = m_files.table(TableId::schedule).recordsAfter(m_countedTo, kCountPiece);
    if (!n.ok()) {
        m_total = 0;  // no total to show; the scan reports the failure
        return;
    }
    m_counted += n.value;
    if (n.value < kCountPiece) m_total = m_counted;
}

platform::Progress ScheduleScan::progress() const {
    if (m_total < 0) countPiece();
    const int percent = m_total < 0 ? 0 : platform::percentOf(m_read, m_total);
    return {percent, std::to_string(m_found) + " Found", platform::percentCompleted(percent, false)};
}

platform::SlicedJob::Step FindNextJob::runSlice() {
    store::Row row;
    switch (m_scan.read(kScanSlice, row)) {
    case ScheduleScan::Result::match: m_match = std::move(row); return Step::done;
    case ScheduleScan::Result::end: return Step::done;
    case ScheduleScan::Result::more: return Step::more;
    }
    return Step::done;
}

platform::SlicedJob::Step MarkJob::runSlice() {
    Tags::Batch batch(m_tags, m_select ? "SetTag_/ADD" : "ClrTag_/DELETE");
    // A user who gives up waiting for a busy tag file ends the job where it is.
    m_gaveUp = m_tags.gaveUp();
    std::int64_t budget = kScanSlice;
    bool more = !m_gaveUp;
    while (more && budget > 0) {
        const std::int64_t before = m_scan.recordsRead();
        store::Row task;
        const auto result = m_scan.read(static_cast<int>(budget), task);
        budget -= m_scan.recordsRead() - before;
        if (result == ScheduleScan::Result::match) {
            const std::int64_t id = numberOf(valueAt(task, kIdIndex));
            if (m_select) m_tags.tag(kScheduleTable, task.ref.rowId, std::to_string(id));
            else m_tags.untag(kScheduleTable, task.ref.rowId);
            if ((m_gaveUp = m_tags.gaveUp())) break;
            if (onMatch) onMatch(task);
        } else {
            more = result == ScheduleScan::Result::more;
        }
    }
    batch.commit();
    m_gaveUp = m_gaveUp || m_tags.gaveUp();
    return more && !m_gaveUp ? Step::more : Step::done;
}

}  // namespace tarvelo::search
