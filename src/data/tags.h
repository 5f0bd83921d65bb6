#pragma once
// Tags: selection marks on records, kept apart from the records in the tag file, one tag record per
// tagged record: (user, table number, record position, sort value). The search tags and untags tasks in
// bulk; the schedule browse asks of each task whether it is tagged.
//
// Positions are the driver's row ids, which are never reused, so a tag can never come to mark a record
// other than the one it was set on. A tag can outlive its record, though (nothing untags a task that is
// deleted). Such a stale tag tags nothing: isTagged() is false for it and the walk passes over it; for the
// Schedule table a tag is live when a task exists at its position with the SCH:ID its sort value names
// (tagNamesTask, the one statement of that rule). Stale tags are dropped by the next clearTags() of their
// table. countTags() counts tag records, live or stale: it sizes the progress of walks, which read every
// tag record.
//
// The count of one table is cached for the run (tag and untag keep it, clearTags resets it); another
// process tagging meanwhile leaves it behind, which only affects how far a progress bar moves.
//
// A tag file that another program keeps busy beyond the store's lock wait asks whether to wait again
// (the data layer's "File Busy" box): Retry does, Cancel drops the operation, and gaveUp() tells the
// caller, which stops what it was doing (a search ends with the tasks tagged so far). Every other failure
// to write the tag file stops the program: a box shows "Error #<code> - <text> (<operation>)" and the
// data layer's halt ends the run.
//
// Not thread-safe; one Tags per program, used on the GUI (or CLI) thread.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/data_files.h"
#include "platform/sliced_job.h"

namespace tarvelo {

// The table number of Schedule in the tag file; table 0 is refused by every operation.
inline constexpr int kScheduleTable = 1;
// Nothing in this program sets a user number, so every tag is user 0's.
inline constexpr std::int32_t kTagUser = 0;

// Whether a Schedule tag with this sort value tags the task now stored at its position: the value names
// the task's SCH:ID. A position is never reused, but a task may have gone and another taken its number.
bool tagNamesTask(std::string_view tagValue, std::int64_t taskId);

class Tags {
public:
    // runner shows the progress of the slow count and the slow clear.
    Tags(DataFiles& files, platform::JobRunner& runner);
    ~Tags();
    Tags(const Tags&) = delete;
    Tags& operator=(const Tags&) = delete;

    // Tags a record, or changes its tag's sort value.
    void tag(int table, std::int64_t position, std::string_view value);
    // Removes a record's tag if it has one.
    void untag(int table, std::int64_t position);
    // Whether a record has a live tag.
    bool isTagged(int table, std::int64_t position);

    // A walk over the live tags of a table in sort-value order, which is text order ("10" before "9"):
    // the position of the first, then of each next one; 0 at the end. One walk at a time; firstTagged starts
    // a new one. Tags may be cleared while the walk is on.
    std::int64_t firstTagged(int table);
    std::int64_t nextTagged(int table);

    // Every tag record of a table, live or stale: its position and its sort value, in one read of the tag
    // file. For a caller that reads the tagged records anyway: a Schedule tag is live when the task at its
    // position has the SCH:ID its value names.
    std::vector<std::pair<std::int64_t, std::string>> tagRecords(int table);

    // The number of tag records of a table: from the cache, else counted a slice at a time (100 tag
    // records per slice, with a progress window without Cancel).
    std::int64_t countTags(int table);

    // Removes every tag of a table, stale ones included. When the tag file holds nothing else it is
    // emptied at once; otherwise the tags are counted, then deleted ten per slice with a progress window
    // whose Cancel leaves the rest in place (and the count to be taken afresh).
    void clearTags(int table);

    // Whether the user gave up waiting for the busy tag file in the last operation (tag, untag,
    // clearTags, or a Batch's start or commit); that operation then wrote nothing more.
    bool gaveUp() const { return m_gaveUp; }

    // Groups the tag writes made until commit() into one transaction of the tag file, so tagging a
    // thousand tasks is one commit rather than a thousand. A failure to begin leaves each write to commit
    // on its own; a failure to commit stops the program, naming operation. Not committed, it rolls back.
    class Batch {
    public:
        Batch(Tags& tags, std::string operation);
        ~Batch();
        void commit();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        Tags& m_tags;
        std::string m_operation;
        std::unique_ptr<store::Transaction> m_transaction;
    };

private:
    struct Walk;
    class CountJob;
    class ClearJob;
    friend class Batch;

    // A failure of operation: true when the file stayed busy and the user chose to wait again; false
    // when the user gave up (gaveUp() then tells); any other failure stops the program.
    bool waitAgain(const store::Status& status, std::string_view operation);
    [[noreturn]] void stop(const store::Status& status, std::string_view operation);
    std::optional<Tag> find(int table, std::int64_t position, std::string_view operation);
    void eraseTag(Tag tag, std::string_view operation);
    bool isLive(const Tag& tag);
    std::int64_t walkOn(int table, bool first);
    bool anyTagRecord(int table);
    void countAdd(int table, int delta);

    DataFiles& m_files;
    platform::JobRunner& m_runner;
    std::unique_ptr<Walk> m_walk;
    int m_cachedTable = 0;
    std::int64_t m_cachedCount = 0;
    bool m_gaveUp = false;
};

// The fatal text of a tag-file failure: "Error #90 - disk I/O error (SQLITE_IOERR (10)) (SetTag_/ADD)".
std::string tagErrorText(const store::Status& status, std::string_view operation);

}  // namespace tarvelo
