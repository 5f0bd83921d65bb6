#pragma once
// The keyed-table driver: several tables in one data file (SQLite underneath), each read and written in
// the order of its keys. Nothing above this layer writes SQL.
//
// Errors. Every operation returns a Status (a read that also yields a value, a Result) and keeps no
// error state of its own: the caller checks it, or hands it to the data layer's message, which quotes it.
// Codes are those the program distinguishes (see Code); an error
// of SQLite itself is code 90 with SQLite's own code and text in driverCode / driverMessage: a file that
// is not a database "SQLITE_NOTADB (26)", a damaged one "SQLITE_CORRUPT (11)", a read-only one
// "SQLITE_READONLY (8)" on writing, another process holding the write lock "SQLITE_BUSY (5)". Misuse
// (a table not open, a key number it does not have) is code 90 with "SQLITE_MISUSE (21)".
//
// Durability: every write outside a Transaction is a transaction of its own, on disk when it returns.
//
// Other processes: another process's lock (a write of theirs) is waited for, with backoff, for as long as
// lockWait() says; only then does the operation fail with SQLITE_BUSY (isBusy()). Several programs of
// ours on one folder is normal operation, so the wait is as long as a person would wait.
//
// Threading: everything runs on the program's one GUI thread (or the CLI's main thread). A Database is
// not shared between threads.
#include <cassert>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "store/row_ref.h"

namespace tarvelo::store {

enum Code : int {
    kOk = 0,
    kFileNotFound = 2,
    kAccessDenied = 5,
    kRecordNotAvailable = 33,  // end of the order, or no current record
    kRecordNotFound = 35,
    kDuplicateKey = 40,
    kKeyFileMustBeRebuilt = 46,
    kInvalidRecordDeclaration = 47,
    kFileAlreadyOpen = 52,
    kRecordChanged = 89,       // changed (or deleted) by another station since it was read
    kDriverError = 90,
};

// What an operation came to. Cheap when it succeeded. Never dropped without a look: the compiler warns.
struct [[nodiscard]] Status {
    int code = kOk;
    std::string message;        // "Record Not Found", ...
    std::string driverCode;     // code 90 only: SQLite's own code, e.g. "SQLITE_BUSY (5)"
    std::string driverMessage;  // code 90 only: SQLite's own text

    bool ok() const { return code == kOk; }
    static Status okStatus() { return {}; }
    static Status make(int code);  // with the standard message of the code
    static Status driver(int sqliteCode, std::string sqliteMessage);
};

// The standard text of a code ("Record Not Available" for 33).
std::string codeMessage(int code);

// Whether status says that another process held the file locked for the whole lock wait.
bool isBusy(const Status& status);

// ---------------------------------------------------------------------------------------------------------
// Waiting for other processes. The wait is one setting for every operation of every file: 30 seconds,
// or the milliseconds $TARVELO_LOCK_WAIT_MS names (tests and impatient scripts make it short).

std::chrono::milliseconds lockWait();
void setLockWait(std::chrono::milliseconds wait);

// What a wait that lasts tells the user: the file, how long so far of how long at most, and who holds it.
struct LockWaitNotice {
    std::string file;    // absolute path of the data file
    std::chrono::milliseconds waited{0};
    std::chrono::milliseconds limit{0};
    std::string holders;  // lockHolders(file)
};
// Hears of every wait longer than lockWaitNoticeAfter(), about as often again, on the thread that waits,
// from inside the operation that waits: it may show something, and must not touch a Table. One for the
// process.
void setLockWaitObserver(std::function<void(const LockWaitNotice&)> observer);
// A second, or the milliseconds $TARVELO_LOCK_NOTICE_MS names (so tests of what a wait says need not
// hold a lock for seconds).
std::chrono::milliseconds lockWaitNoticeAfter();
void setLockWaitNoticeAfter(std::chrono::milliseconds after);

// The processes other than this one that hold a write lock on a data file (or its -shm): who a wait is
// for, as "tarvelo96-cli (process 4242)", several joined by ", "; empty when none is known. Read from the
// system's list of locks, without opening the file.
std::string lockHolders(const std::string& path);

// A value a read yields, or why there is none. The value is reached only through a decision about the
// status: value() when the read succeeded, valueOr() naming what stands in for it when it did not.
template <class T>
class [[nodiscard]] Result {
public:
    Result(Status s, T v) : status(std::move(s)), m_value(std::move(v)) {}

    Status status;

    bool ok() const { return status.ok(); }
    // REQUIRES: ok().
    const T& value() const {
        assert(ok());
        return m_value;
    }
    T valueOr(T fallback) const { return ok() ? m_value : std::move(fallback); }

private:
    T m_value;
};

// ---------------------------------------------------------------------------------------------------------
// Table descriptions. Each table is described once (fields in stored order, keys) and the driver derives
// its storage, indexes and statements from that.

enum class FieldType { Byte, Short, Long, String, CString, Memo };

struct FieldDef {
    std::string name;  // "SCH:ID"
    FieldType type = FieldType::Long;
    int width = 0;     // bytes of String, CString (including the terminator) and Memo; 0 for numbers
};

struct KeyDef {
    std::string name;                     // "SCH:KEYDATE"
    std::vector<std::string> components;  // field names, each ascending
    bool unique = false;
    bool blankExcluded = true;            // a record whose components are all blank or 0 is not in the key
    std::string description;              // for messages: "By System ID"
};

struct TableDef {
    std::string fileName;   // "SM" (the driver adds ".KTB")
    std::string tableName;  // "Schedule"
    std::string prefix;     // "SCH"
    std::vector<FieldDef> fields;
    std::vector<KeyDef> keys;

    // "SM\!Schedule"
    std::string qualifiedName() const { return fileName + "\\!" + tableName; }
    int fieldIndex(std::string_view name) const;  // case-insensitive; -1 when absent
    int keyIndex(std::string_view name) const;    // case-insensitive; -1 when absent
};

// A field value: numbers for Byte/Short/Long, text (trailing blanks off) for the others.
using Value = std::variant<std::int64_t, std::string>;

// One record in stored field order, and where it came from.
struct Row {
    std::vector<Value> values;
    RowRef ref;
};

// A row's values as stored when it was read: texts without trailing blanks, cut to their width.
struct StoredValues {
    std::vector<Value> values;
};

enum class Direction { forward, backward };

// ---------------------------------------------------------------------------------------------------------

class Database;

// The order records were added in, with no key behind it: every record, blank ones included, read
// straight off the table, the cheapest whole read there is. It reads wherever a key order does (setToStart,
// setToEnd, next, previous, a View, positions); it has no components, so setAt() stands at its start.
// fetch() and duplicate() refuse it.
inline constexpr int kRecordOrder = -1;

// One table of a data file. Opening, creating and rebuilding follow the table opening procedure of the
// data layer: open() reports kFileNotFound when the file or table does not exist yet, kKeyFileMustBeRebuilt
// when an index is missing or damaged, kInvalidRecordDeclaration when the stored layout does not match the
// description; create() makes it; build() rebuilds every key.
//
// How open() comes to a file that exists.
enum class Opening {
    // The whole file is looked at read-only first (every table's layout, its pages' header), so that a
    // file that is not ours is refused exactly as it was.
    checked,
    // For a process that writes this one table of a file and opens no other (the watcher, started with
    // every program on a file its starter has just opened): no look first, only this table's layout and
    // keys checked, a file holding anything that would run code on a write (a trigger, a view) still
    // refused. A file it may not write is opened checked.
    lean,
};

// Text components of every key compare with letters folded to lower case (all of Unicode, so "Émile" and
// "émile" are one key value); records with equal key values keep a stable order (their storage order).
class Table {
public:
    // The table lives in <folder>/<def.fileName>.KTB; folder "" is the current folder.
    explicit Table(const TableDef& def, std::string folder = "");
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    const TableDef& def() const;
    // kFileAlreadyOpen when this Table is open already. A file that is not a database is reported and
    // left exactly as it is, by every one of open, create and build.
    Status open();
    // How open() comes to the file; checked unless set. Takes effect at the next open().
    void setOpening(Opening opening);
    // Makes the file when it is missing, and the table with its keys when the file lacks it; a table
    // that exists is left as it is. The table is not opened.
    Status create();
    // Drops and rebuilds every key of the table from its records (kDuplicateKey when a unique key cannot
    // be built; then nothing changes). Works on a closed table, as after open() reported 46.
    Status build();
    void close();
    bool isOpen() const;
    // Reads every page of the table's data file (all of its tables and keys, and SQLite's own records)
    // and lists what is wrong, one line per problem; none when the file is sound. A whole read of the
    // file, for an explicit check only.
    Status verifyFile(std::vector<std::string>& problems);
    // Reads every record and every key of this table and compares them: kOk, or the damage found, as an
    // operation meets it (see setDamageHandler: the handler hears of it, and the check is made again
    // after a rebuild). A whole read of the table, for an explicit check only.
    Status check();
    // The stored name, for messages: "SM\!Schedule".
    std::string name() const;
    // The data file's absolute path.
    const std::string& path() const;

    // Damage inside the file is found when an operation meets it (opening reads no records). The
    // operation then reports kKeyFileMustBeRebuilt when every record still reads soundly and one of the
    // table's keys does not, code 90 "SQLITE_CORRUPT (11)" otherwise; either way the handler hears of it
    // — at once, or, when it is met inside a transaction, at the table's first use after it — and when
    // the handler returns true (it has rebuilt the keys), an operation outside a transaction is tried
    // once more. Nothing is written in between.
    using DamageHandler = std::function<bool(Table&, const Status&)>;
    void setDamageHandler(DamageHandler handler);

    // Reading in key order. The table has one current position (as the shared record buffer of old had);
    // windows that browse independently use a View instead.
    Status setToStart(int key);              // before the first record, for reading forwards
    Status setToEnd(int key);                // after the last, for reading backwards
    Status setAt(int key, const Row& keyValues);  // at the first record >= the key components of keyValues
    Status next(Row& out);                   // kRecordNotAvailable at the end; out then unchanged
    Status previous(Row& out);               // likewise at the start
    // The record with exactly these key components of a unique key (kRecordNotFound when there is none).
    Status fetch(int key, const Row& keyValues, Row& out);
    // For each of firsts, a value of the key's first component, the last record in key order that starts
    // with it (none for a value no record has), all read by one statement; out is replaced by them, in
    // key order. For "the latest of each of these" without a read per value.
    Status lastOfEach(int key, const std::vector<Value>& firsts, std::vector<Row>& out);

    // Writing. add() fills row.ref; put() rewrites the row row.ref names and fails with kRecordChanged when
    // that row changed since row was read (then nothing is written), kDuplicateKey on a unique key. It
    // writes only the fields that differ from the values the copy was read with (fetch, reget,
    // View::reread and add keep them, as the reads made to change a record; reads in key order do not,
    // and a put of such a copy writes every field);
    // erase() deletes the row row.ref names (kRecordChanged likewise when it changed since). A row that
    // was never stored (rowId 0) gives kRecordNotAvailable; one whose values do not match the fields in
    // number and kind gives kInvalidRecordDeclaration. Texts are stored without trailing blanks, cut to
    // their field's width at a whole character. A successful put moves row.ref.version on, so the same
    // copy can be put again.
    Status add(Row& row);
    Status put(Row& row);
    Status erase(const Row& row);
    // Deletes every record of the table in one statement (the keys stay); row ids are still never reused.
    Status empty();
    // Would storing row (as a new record, or in place of row.ref) duplicate a value of the unique key?
    Result<bool> duplicate(int key, const Row& row);
    Result<std::int64_t> records();
    // A count a piece at a time, for a table too large to count without a pause (every key may leave
    // records out, so a count reads the whole table): up to limit records in record order after row id
    // after (0: from the start); after moves on to the last one counted. Fewer than limit: the table's
    // end was reached.
    Result<std::int64_t> recordsAfter(std::int64_t& after, std::int64_t limit);

    // Position strings (at most 512 bytes) name one record in a key's order; reget re-reads it (its ref
    // then carries the version read) and sets the table's position on it, so next() goes on after it.
    // A position no driver made gives kRecordNotFound, as does one whose record is gone.
    std::string position(int key, const Row& row) const;
    Status reget(std::string_view position, Row& out);

    // REQUIRES: isOpen().
    Database& database();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    friend class View;
    friend class Transaction;
};

// Which way a view walks its key: ascending, or descending (newest first on a key by time). A descending
// view is the ascending one read from the other end: its start is the key's last record, next() reads
// towards the first, and positions, reset() and setAt() mean the same record as in the ascending one.
enum class Order { ascending, descending };

// An ordered, filtered read cursor over one table, independent of the table's own position and of every
// other view. The filter is evaluated once on each record read, after the driver is done reading, so it
// may read tables itself; records it rejects are passed over. A view starts before its first record.
// REQUIRES: the table outlives the view.
class View {
public:
    using Filter = std::function<bool(const Row&)>;
    View(Table& table, int key, Filter filter = {}, Order order = Order::ascending);
    ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    Status setToStart();
    Status setToEnd();
    // At the first record, in the view's order, whose key is >= keyValues (descending: <= keyValues).
    Status setAt(const Row& keyValues);
    Status next(Row& out);
    Status previous(Row& out);
    // A page: up to count records on from the view's place in direction, one statement for them all
    // (more only where the filter passes records over), appended to out; the view then stands on the
    // last one. Fewer than count: the view reached its end. Like next() and previous(), it does not keep
    // the records' values as read (see Table::put): reread one before changing it.
    Status read(Direction direction, int count, std::vector<Row>& out);
    // The same page in place of page's rows rather than after them, reusing their storage: for a scan
    // over many records a page at a time, which then allocates nothing per record.
    Status readPage(Direction direction, int count, std::vector<Row>& page);
    // From now on next(), previous() and read() read only these fields (indexes into the table's
    // fields) and the key's components; every other field of the rows they yield is blank (0, or empty
    // text), and a put of such a row is refused with kInvalidRecordDeclaration: reread the record to
    // change it. For a scan that tests a few fields of many records. Each set of fields has its own
    // prepared statements, kept with the connection. An empty set reads every field again.
    void readFields(std::vector<int> fields);
    // Position string of the last record read; reset(pos) makes the following next() return that record
    // (and previous() the one before it), wherever the record has moved since; when it was deleted, the
    // view goes on from where it was.
    std::string position() const;
    Status reset(std::string_view position);
    // Re-read the record at a position (its ref then carries the version read, so a later put fails with
    // kRecordChanged if somebody changed it in between).
    Status reread(std::string_view position, Row& out);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// A write transaction over tables (of one or more data files). begin() takes the write lock at once,
// waiting for it at most lockWait(); a file that stays busy gives a clean failure then (code 90,
// "SQLITE_BUSY (5)"), never a late one; so does a read-only file. Tables of one file share one
// connection, so one file's tables are in or out of a transaction together, and a second Transaction
// over a file already in one is refused. Across files, commit is per file, not atomic.
// A Transaction that is neither committed nor rolled back rolls back when it is destroyed.
class Transaction {
public:
    Transaction() = default;
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    Status begin(const std::vector<Table*>& tables);
    // A write transaction that adds or changes many records (an import): each file's page cache holds
    // up to cacheMiB while it lasts, and is back to its usual few megabytes, its memory freed, when it
    // ends. Otherwise as begin().
    Status beginBulk(const std::vector<Table*>& tables, int cacheMiB);
    // A read transaction: the tables' files are read as one snapshot until commit() (or rollback()), and
    // the reads in between skip taking a snapshot each. Nobody is held back: other processes go on
    // writing, and their writes are seen after the end. Refused like begin() for a file in a
    // transaction already; writing inside it fails unless no other process has written since it began.
    Status beginRead(const std::vector<Table*>& tables);
    Status commit();
    Status rollback();
    // Rolls back on a path that is failing already, whose first failure is the one to report.
    void abandon();
    bool active() const;

private:
    Status start(const std::vector<Table*>& tables, const std::function<Status(Database&)>& begin);

    std::vector<std::shared_ptr<Database>> m_databases;
};

// One snapshot over the reads of tables for as long as it lives, when one can be taken, so that the reads
// in between skip taking one each. Best effort: when a file is in a transaction already (a caller
// writing), a table is not open or the snapshot cannot begin, the reads take their own, as without it;
// nothing is reported, since nothing is lost. It ends when destroyed; end it before anything is shown,
// so a message box's event loop never runs inside it.
class ReadSnapshot {
public:
    explicit ReadSnapshot(const std::vector<Table*>& tables);
    ~ReadSnapshot();
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

    // Whether the reads share the snapshot.
    bool active() const { return m_transaction.active(); }

private:
    Transaction m_transaction;
};

}  // namespace tarvelo::store
