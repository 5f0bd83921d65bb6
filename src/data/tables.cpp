#include "data/tables.h"

#include <algorithm>
#include <type_traits>
#include <variant>
#include <utility>
#include <vector>

namespace tarvelo {

using store::bind;
using store::bindCString;
using store::bindMemo;
using store::FieldBinding;
using store::KeyDef;
using store::RecordBinding;
using store::TableDef;

namespace {

template <class T>
struct IsRuleWord : std::false_type {};
template <class Kind>
struct IsRuleWord<RuleWord<Kind>> : std::true_type {};

// A word of the rule vocabulary is stored as its text in a 20-character field; what it means is read back
// from the text (records.h).
template <auto Member>
auto bindRule(const char* name) {
    using R = decltype(store::detail::classOf(Member));
    using Word = decltype(store::detail::memberOf(Member));
    static_assert(IsRuleWord<Word>::value, "bindRule binds a RuleWord member");
    FieldBinding<R> b;
    b.def = store::FieldDef{name, store::FieldType::String, 20};
    b.get = [](const R& r, store::Value& v) { v = (r.*Member).text(); };
    b.set = [](R& r, const store::Value& v) {
        const auto* text = std::get_if<std::string>(&v);
        r.*Member = text ? Word::fromText(*text) : Word();
    };
    return b;
}

// Schedule and History share their layout under their own prefixes; History lacks the advance-warned
// flag.
template <class R>
std::vector<FieldBinding<R>> taskFields(const std::string& prefix) {
    const auto n = [&](const char* field) { return prefix + ":" + field; };
    std::vector<FieldBinding<R>> f{
        bind<&R::id>(n("ID").c_str()),
        bindRule<&R::taskType>(n("TASKTYPE").c_str()),
        bind<&R::category>(n("CATEGORY").c_str()),
        bind<&R::description>(n("DESCRIPTION").c_str()),
        bind<&R::command>(n("COMMAND").c_str()),
        bind<&R::path>(n("PATH").c_str()),
        bindRule<&R::scheduleType>(n("SCHEDULETYPE").c_str()),
        bind<&R::sunday>(n("SUNDAY").c_str()),
        bind<&R::monday>(n("MONDAY").c_str()),
        bind<&R::tuesday>(n("TUESDAY").c_str()),
        bind<&R::wednesday>(n("WEDNESDAY").c_str()),
        bind<&R::thursday>(n("THURSDAY").c_str()),
        bind<&R::friday>(n("FRIDAY").c_str()),
        bind<&R::saturday>(n("SATURDAY").c_str()),
        bind<&R::every>(n("EVERY").c_str()),
        bind<&R::every1st>(n("EVERY1ST").c_str()),
        bind<&R::every2nd>(n("EVERY2ND").c_str()),
        bind<&R::every3rd>(n("EVERY3RD").c_str()),
        bind<&R::every4th>(n("EVERY4TH").c_str()),
        bind<&R::everyLast>(n("EVERYLAST").c_str()),
        bindRule<&R::everyType>(n("EVERYTYPE").c_str()),
        bind<&R::date>(n("DATE").c_str()),
        bind<&R::time>(n("TIME").c_str()),
        bind<&R::lastRunDate>(n("LASTRUNDATE").c_str()),
        bind<&R::lastRunTime>(n("LASTRUNTIME").c_str()),
        bind<&R::skipNextTime>(n("SKIPNEXTTIME").c_str()),
        bind<&R::alarm>(n("ALARM").c_str()),
        bindCString<&R::alarmFile>(n("ALARMFILE").c_str()),
        bind<&R::advanceWarnDate>(n("ADVANCEWARNDATE").c_str()),
        bind<&R::advanceWarnTime>(n("ADVANCEWARNTIME").c_str()),
    };
    if constexpr (std::is_same_v<R, Task>) f.push_back(bind<&R::advanceWarned>(n("ADVANCEWARNED").c_str()));
    f.push_back(bind<&R::warn>(n("WARN").c_str()));
    f.push_back(bind<&R::userSkip>(n("USERSKIP").c_str()));
    f.push_back(bind<&R::disabled>(n("DISABLED").c_str()));
    f.push_back(bind<&R::completed>(n("COMPLETED").c_str()));
    f.push_back(bindMemo<&R::message>(n("MESSAGE").c_str()));
    return f;
}

// A key placed at the index its constant names, so the constants and the description cannot drift apart.
template <class KeyEnum>
struct KeyAt {
    KeyEnum key;
    KeyDef def;
};

template <class KeyEnum>
std::vector<KeyDef> keysInOrder(std::vector<KeyAt<KeyEnum>> keys) {
    std::vector<KeyDef> ordered(keys.size());
    for (auto& k : keys) ordered.at(static_cast<std::size_t>(k.key)) = std::move(k.def);
    return ordered;
}

KeyDef key(std::string name, std::vector<std::string> components, bool unique, std::string description,
           bool blankExcluded = true) {
    return KeyDef{std::move(name), std::move(components), unique, blankExcluded, std::move(description)};
}

template <class R, class KeyEnum>
TableDef makeDef(std::string fileName, std::string tableName, std::string prefix,
                 const RecordBinding<R>& binding, std::vector<KeyAt<KeyEnum>> keys) {
    TableDef def;
    def.fileName = std::move(fileName);
    def.tableName = std::move(tableName);
    def.prefix = std::move(prefix);
    def.fields = binding.fieldDefs();
    def.keys = keysInOrder(std::move(keys));
    return def;
}

// The seven keys Schedule and History have in common, in the same places.
template <class KeyEnum>
std::vector<KeyAt<KeyEnum>> taskKeys(const std::string& p) {
    const auto n = [&](const char* part) { return p + ":" + part; };
    return {
        {KeyEnum::keyId, key(n("KEYID"), {n("ID")}, true, "By System ID")},
        {KeyEnum::keyDate, key(n("KEYDATE"), {n("DATE"), n("TIME")}, false, "By Date")},
        {KeyEnum::keyCategory, key(n("KEYCATEGORY"), {n("CATEGORY"), n("DESCRIPTION")}, false, "By Category")},
        {KeyEnum::keyCategoryDate,
         key(n("KEYCATEGORYDATE"), {n("CATEGORY"), n("DATE"), n("TIME")}, false, "By Category and Date")},
        {KeyEnum::keyTaskName, key(n("KEYTASKNAME"), {n("DESCRIPTION"), n("CATEGORY")}, false, "By Task Name")},
        {KeyEnum::keyTaskType, key(n("KEYTASKTYPE"), {n("TASKTYPE"), n("DESCRIPTION")}, false, "By Task Type")},
        {KeyEnum::keyTaskDate,
         key(n("KEYTASKDATE"), {n("TASKTYPE"), n("DATE"), n("TIME")}, false, "By Task Type and Date")},
    };
}

}  // namespace

const FixedText<50>& tagFileName() {
    static const FixedText<50> name = "TagFile_";
    return name;
}

const RecordBinding<Task>& scheduleBinding() {
    static const RecordBinding<Task> binding{taskFields<Task>("SCH")};
    return binding;
}

const RecordBinding<History>& historyBinding() {
    static const RecordBinding<History> binding{taskFields<History>("HIS")};
    return binding;
}

const RecordBinding<Category>& categoryBinding() {
    static const RecordBinding<Category> binding{{
        bind<&Category::category>("CAT:CATEGORY"),
    }};
    return binding;
}

const RecordBinding<ToDo>& toDoBinding() {
    static const RecordBinding<ToDo> binding{{
        bind<&ToDo::done>("TDO:DONE"),
        bind<&ToDo::priority>("TDO:PRIORITY"),
        bind<&ToDo::todo>("TDO:TODO"),
    }};
    return binding;
}

const RecordBinding<Tag>& tagBinding() {
    static const RecordBinding<Tag> binding{{
        bind<&Tag::user>("TF_:USR"),
        bind<&Tag::table>("TF_:TBL"),
        bind<&Tag::position>("TF_:PTR"),
        bind<&Tag::value>("TF_:VAL"),
    }};
    return binding;
}

const TableDef& scheduleTableDef() {
    static const TableDef def = [] {
        auto keys = taskKeys<ScheduleKey>("SCH");
        keys.push_back({ScheduleKey::keyDateEnabled,
                        key("SCH:KEYDATEENABLED", {"SCH:DISABLED", "SCH:DATE", "SCH:TIME"}, false, "Enabled by Date")});
        keys.push_back({ScheduleKey::keyAdvanced,
                        key("SCH:KEYADVANCED", {"SCH:ADVANCEWARNED", "SCH:ADVANCEWARNDATE", "SCH:ADVANCEWARNTIME"},
                            false, "By Advance Warning")});
        return makeDef(kDataFileName, "Schedule", "SCH", scheduleBinding(), std::move(keys));
    }();
    return def;
}

const TableDef& historyTableDef() {
    static const TableDef def = makeDef(kDataFileName, "History", "HIS", historyBinding(), taskKeys<HistoryKey>("HIS"));
    return def;
}

const TableDef& categoryTableDef() {
    static const TableDef def = makeDef<Category, CategoryKey>(
        kDataFileName, "Categories", "CAT", categoryBinding(),
        {{CategoryKey::keyCategory, key("CAT:KEYCATEGORY", {"CAT:CATEGORY"}, true, "Category")}});
    return def;
}

const TableDef& toDoTableDef() {
    static const TableDef def = makeDef<ToDo, ToDoKey>(
        kDataFileName, "ToDo", "TDO", toDoBinding(),
        {
            {ToDoKey::keyDone, key("TDO:KEYDONE", {"TDO:DONE", "TDO:PRIORITY", "TDO:TODO"}, false, "By Done", false)},
            {ToDoKey::keyPriority,
             key("TDO:KEYPRIORITY", {"TDO:PRIORITY", "TDO:DONE", "TDO:TODO"}, false, "By Priority", false)},
            {ToDoKey::keyToDo, key("TDO:KEYTODO", {"TDO:TODO"}, false, "By To Do", false)},
        });
    return def;
}

const TableDef& tagTableDef() {
    static const TableDef def = makeDef<Tag, TagKey>(
        tagFileName().text(), tagFileName().text(), "TF_", tagBinding(),
        {
            {TagKey::ptrKey, key("TF_:PTRKEY", {"TF_:USR", "TF_:TBL", "TF_:PTR"}, true, "By Pointer")},
            {TagKey::valKey, key("TF_:VALKEY", {"TF_:USR", "TF_:TBL", "TF_:VAL"}, false, "By Value")},
        });
    return def;
}

const RecordBinding<RunEntry>& runLogBinding() {
    static const RecordBinding<RunEntry> binding{{
        bind<&RunEntry::task>("RUN:TASK"),
        bind<&RunEntry::description>("RUN:DESCRIPTION"),
        bind<&RunEntry::command>("RUN:COMMAND"),
        bind<&RunEntry::startDate>("RUN:STARTDATE"),
        bind<&RunEntry::startTime>("RUN:STARTTIME"),
        bind<&RunEntry::endDate>("RUN:ENDDATE"),
        bind<&RunEntry::endTime>("RUN:ENDTIME"),
        bind<&RunEntry::exitStatus>("RUN:EXITSTATUS"),
        bind<&RunEntry::signal>("RUN:SIGNAL"),
        bind<&RunEntry::durationMs>("RUN:DURATION"),
        bind<&RunEntry::state>("RUN:STATE"),
        bind<&RunEntry::bootId>("RUN:BOOTID"),
        bind<&RunEntry::watcher>("RUN:WATCHER"),
        bind<&RunEntry::told>("RUN:TOLD"),
        bindMemo<&RunEntry::output>("RUN:OUTPUT"),
    }};
    return binding;
}

const TableDef& runLogTableDef() {
    static const TableDef def = makeDef<RunEntry, RunLogKey>(
        kDataFileName, "RunLog", "RUN", runLogBinding(),
        {
            {RunLogKey::keyTaskStart,
             key("RUN:KEYTASKSTART", {"RUN:TASK", "RUN:STARTDATE", "RUN:STARTTIME"}, false, "By Task and Start")},
            {RunLogKey::keyStart, key("RUN:KEYSTART", {"RUN:STARTDATE", "RUN:STARTTIME"}, false, "By Start")},
            {RunLogKey::keyState,
             key("RUN:KEYSTATE", {"RUN:STATE", "RUN:STARTDATE", "RUN:STARTTIME"}, false, "By State")},
            {RunLogKey::keyTold, key("RUN:KEYTOLD", {"RUN:TOLD", "RUN:STARTDATE", "RUN:STARTTIME"}, false, "By Told")},
        });
    return def;
}

const TableDef& tableDef(TableId id) {
    switch (id) {
    case TableId::schedule: return scheduleTableDef();
    case TableId::categories: return categoryTableDef();
    case TableId::toDo: return toDoTableDef();
    case TableId::history: return historyTableDef();
    case TableId::runLog: return runLogTableDef();
    case TableId::tagFile: return tagTableDef();
    }
    return scheduleTableDef();
}

}  // namespace tarvelo
