#include <algorithm>

#include "store/table_impl.h"

namespace tarvelo::store {

Transaction::~Transaction() { abandon(); }

void Transaction::abandon() {
    for (auto& db : m_databases) db->abandon();
    m_databases.clear();
}

bool Transaction::active() const { return !m_databases.empty(); }

Status Transaction::begin(const std::vector<Table*>& tables) {
    return start(tables, [](Database& db) { return db.begin(); });
}

Status Transaction::beginBulk(const std::vector<Table*>& tables, int cacheMiB) {
    return start(tables, [cacheMiB](Database& db) { return db.begin(cacheMiB * 1024); });
}

Status Transaction::beginRead(const std::vector<Table*>& tables) {
    return start(tables, [](Database& db) { return db.exec("BEGIN DEFERRED"); });
}

Status Transaction::start(const std::vector<Table*>& tables, const std::function<Status(Database&)>& begin) {
    if (active()) {
        Status s = Status::driver(SQLITE_MISUSE, "a transaction is already active");
        return s;
    }
    std::vector<std::shared_ptr<Database>> databases;
    for (Table* table : tables) {
        if (!table || !table->isOpen()) {
            Status s = Status::driver(SQLITE_MISUSE, (table ? table->name() : std::string("a table")) + " is not open");
            return s;
        }
        // Damage met in an earlier transaction is handled (and the keys perhaps rebuilt) before a new one.
        table->m_impl->reportPendingDamage(*table);
        if (!table->isOpen()) {
            Status s = Status::driver(SQLITE_MISUSE, table->name() + " is not open");
            return s;
        }
        std::shared_ptr<Database> db = table->m_impl->db;
        if (std::find(databases.begin(), databases.end(), db) == databases.end()) databases.push_back(db);
    }
    // Files are always locked in the same order, so two processes can never wait on each other.
    std::sort(databases.begin(), databases.end(), [](const auto& a, const auto& b) { return a->path() < b->path(); });
    for (auto& db : databases) {
        // Refused before SQLite sees it: a BEGIN inside a read transaction would take the write lock
        // on its way to failing, and keep it until that transaction ends.
        if (db->inTransaction()) {
            for (auto& begun : m_databases) begun->abandon();
            m_databases.clear();
            Status s = Status::driver(SQLITE_MISUSE, db->path() + " is in a transaction already");
            return s;
        }
        Status s = begin(*db);
        if (!s.ok()) {
            for (auto& begun : m_databases) begun->abandon();
            m_databases.clear();
            return s;
        }
        m_databases.push_back(db);
    }
    return Status::okStatus();
}

Status Transaction::commit() {
    Status result;
    for (auto& db : m_databases) {
        // A file whose commit failed has been rolled back; the others are still committed, so that one
        // failure does not throw away more than it must.
        Status s = db->commit();
        if (!s.ok() && result.ok()) result = s;
    }
    m_databases.clear();
    return result;
}

Status Transaction::rollback() {
    Status result;
    for (auto& db : m_databases) {
        Status s = db->rollback();
        if (!s.ok() && result.ok()) result = s;
    }
    m_databases.clear();
    return result;
}

ReadSnapshot::ReadSnapshot(const std::vector<Table*>& tables) {
    for (const Table* table : tables) {
        if (!table || !table->isOpen()) return;  // the reads report a table that is not open
    }
    if (const Status begun = m_transaction.beginRead(tables); !begun.ok()) {
        // Refused (a file in a transaction already) or failed: the reads go on without it, each in a
        // snapshot of its own, and report what they meet themselves.
    }
}

ReadSnapshot::~ReadSnapshot() {
    if (!m_transaction.active()) return;
    if (const Status ended = m_transaction.commit(); !ended.ok()) {
        // Nothing was written in it, so nothing is lost; the transaction rolls back as it goes.
    }
}

}  // namespace tarvelo::store
