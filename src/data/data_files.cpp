#include "data/data_files.h"

#include "core/profile.h"
#include "core/settings.h"

namespace tarvelo {

std::vector<std::string> programFiles(const std::string& folder) {
    const std::string prefix = folder.empty() ? std::string() : folder + "/";
    std::vector<std::string> files;
    for (const std::string& name : {std::string(kDataFileName), tagFileName().text()}) {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) files.push_back(prefix + name + ".KTB" + suffix);
    }
    for (const char* ini : {kMainIniName, kWarningIniName}) files.push_back(configFolder() + "/" + ini);
    return files;
}

namespace {

// After a failure of an open, a create or a rebuild: true when the file stayed busy and the user chose to
// wait again; a user who gives up ends the program (the table is needed); false for any other failure.
bool waitAgain(store::Table& table, const DataWarning& warn, const store::Status& failure) {
    if (!store::isBusy(failure)) return false;
    if (warn.retryBusy(table, failure)) return true;
    warn.giveUp("File Busy");
}

// Rebuilds the keys, waiting again as long as the user wants while the file is busy; a failure stops
// the program.
void rebuildKeys(store::Table& table, const DataWarning& warn) {
    for (;;) {
        const store::Status built = table.build();
        if (built.ok()) return;
        if (waitAgain(table, warn, built)) continue;
        warn(kWarnKeyRebuildError, built, table.name());  // stops the program
        warn.halt("Error Rebuilding Key!");
    }
}

}  // namespace

void openDataTable(store::Table& table, const DataWarning& warn,
                   const std::function<void(const store::Status&)>& rebuilt) {
    // Another program of ours holding the file is no error: each step waits for it (the store's lock
    // wait), then asks whether to wait again.
    for (;;) {
        store::Status s = table.open();
        if (s.ok() || s.code == store::kFileAlreadyOpen) return;

        if (s.code == store::kFileNotFound) {
            if (const store::Status created = table.create(); !created.ok()) {
                if (waitAgain(table, warn, created)) continue;
                warn(kWarnFileCreationError, created, table.name());
            }
            s = table.open();
            if (s.ok() || s.code == store::kFileAlreadyOpen) return;
            if (waitAgain(table, warn, s)) continue;
            warn(kWarnCreatedFileOpenError, s, table.name());
        }
        if (s.code == store::kInvalidRecordDeclaration) {
            warn(kWarnInvalidFile, s, table.name());
        }
        if (s.code == store::kKeyFileMustBeRebuilt) {
            warn(kWarnInvalidKey, s, table.name());  // No has stopped the program
            rebuildKeys(table, warn);
            if (rebuilt) rebuilt(s);
            s = table.open();
            if (s.ok() || s.code == store::kFileAlreadyOpen) return;
        }
        if (waitAgain(table, warn, s)) continue;
        warn(kWarnFileAccessError, s, table.name());
        warn.halt("Disk Error");
    }
}

DataFiles::DataFiles(const DataWarning& warn, std::string folder) : m_warn(warn), m_folder(std::move(folder)) {}

store::Table& DataFiles::table(TableId id) {
    auto& table = m_tables[index(id)];
    if (!table) {
        table = std::make_unique<store::Table>(tableDef(id), m_folder);
        table->setDamageHandler([this](store::Table& damaged, const store::Status& s) { return repair(damaged, s); });
    }
    return *table;
}

bool DataFiles::repair(store::Table& table, const store::Status& damage) {
    if (damage.code != store::kKeyFileMustBeRebuilt) {
        // The records themselves: nothing the program can mend.
        m_warn(kWarnInvalidFile, damage, table.name());  // stops the program
        m_warn.halt("Invalid File!");                    // (a halt port never returns)
    }
    m_warn(kWarnInvalidKey, damage, table.name());  // No has stopped the program
    rebuildKeys(table, m_warn);
    if (m_repaired) m_repaired(table, damage);
    return true;
}

DataFiles::~DataFiles() {
    for (auto& t : m_tables) {
        if (t) t->close();
    }
}

void DataFiles::use(TableId id) {
    if (m_useCounts[index(id)] == 0) {
        store::Table& opening = table(id);
        openDataTable(opening, m_warn, [this, &opening](const store::Status& damage) {
            if (m_repaired) m_repaired(opening, damage);
        });
    }
    ++m_useCounts[index(id)];
}

void DataFiles::release(TableId id) {
    int& count = m_useCounts[index(id)];
    if (count <= 0) return;
    if (--count == 0) table(id).close();
}

}  // namespace tarvelo
