#pragma once
// The program's tables and their use counts.
//
// One DataFiles per program, made at start and passed by reference. It owns the driver's Table objects
// of the data file SM and the tag file, all in one folder (the current folder by default). A procedure
// that needs a table takes a use of it (TableUse, or use()/release() in pairs): the first use opens the
// table through openDataTable, the last release closes it. A failure to open is never returned: it has
// been reported and the program has stopped (through the halt port), so after use() the table is open.
//
// Damage that a read or write meets later is reported as opening reports it: damaged keys with the
// question whether to rebuild them (No stops the program; Yes rebuilds them, and the operation is tried
// again), damaged records with the fatal file message.
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/data_warning.h"
#include "data/record_table.h"
#include "data/tables.h"
#include "store/store.h"

namespace tarvelo {

// Opens a table, creating it when it does not exist and offering to rebuild damaged keys; every other
// failure is reported and stops the program. Returns only when the table is open. rebuilt hears of keys
// rebuilt on the way, with the damage that was found.
void openDataTable(store::Table& table, const DataWarning& warn,
                   const std::function<void(const store::Status&)>& rebuilt = {});

// Every file the program keeps: the data files of folder ("" for the current folder) with the -wal and
// -shm files beside them, and the INI files of the config folder. Nothing else may be written over them.
std::vector<std::string> programFiles(const std::string& folder);

class DataFiles {
public:
    explicit DataFiles(const DataWarning& warn, std::string folder = "");
    ~DataFiles();
    DataFiles(const DataFiles&) = delete;
    DataFiles& operator=(const DataFiles&) = delete;

    void use(TableId id);
    // REQUIRES: a use of id is held.
    void release(TableId id);
    int useCount(TableId id) const { return m_useCounts[index(id)]; }

    // The driver's table, open only while a use is held. Made at its first mention: a program that
    // needs one table (the watcher) derives the storage of no other.
    store::Table& table(TableId id);
    template <class R>
    RecordTable<R> records() {
        return RecordTable<R>(table(RecordTraits<R>::table));
    }
    RecordTable<Task> schedule() { return records<Task>(); }
    RecordTable<History> history() { return records<History>(); }
    RecordTable<Category> categories() { return records<Category>(); }
    RecordTable<ToDo> toDo() { return records<ToDo>(); }
    RecordTable<Tag> tags() { return records<Tag>(); }
    RecordTable<RunEntry> runLog() { return records<RunEntry>(); }

    const DataWarning& warn() const { return m_warn; }
    const std::string& folder() const { return m_folder; }

    // Hears of every table whose keys were rebuilt (when it was opened, or when an operation met the
    // damage), with the damage found: a check reports what it mended.
    using RepairListener = std::function<void(store::Table& table, const store::Status& damage)>;
    void setRepairListener(RepairListener listener) { m_repaired = std::move(listener); }

private:
    static std::size_t index(TableId id) { return static_cast<std::size_t>(id); }
    // The damage handler of every table; true when the keys were rebuilt.
    bool repair(store::Table& table, const store::Status& damage);

    const DataWarning& m_warn;
    std::string m_folder;
    std::array<std::unique_ptr<store::Table>, kTableCount> m_tables;
    std::array<int, kTableCount> m_useCounts{};
    RepairListener m_repaired;
};

// One use of a table for the lifetime of the object.
class TableUse {
public:
    TableUse(DataFiles& files, TableId id) : m_files(&files), m_id(id) { files.use(id); }
    ~TableUse() {
        if (m_files) m_files->release(m_id);
    }
    TableUse(TableUse&& other) noexcept : m_files(other.m_files), m_id(other.m_id) { other.m_files = nullptr; }
    TableUse(const TableUse&) = delete;
    TableUse& operator=(const TableUse&) = delete;
    TableUse& operator=(TableUse&&) = delete;

private:
    DataFiles* m_files;
    TableId m_id;
};

}  // namespace tarvelo
