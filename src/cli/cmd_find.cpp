// find: the schedule search from scripts, through the same criteria, access path and tests as the search
// window. Prints the number of every matching task in scan order; --select tags them (--clear-first
// clears the old selection first), --unselect untags them. Message boxes of the data layer go to stderr.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/data_folder.h"
#include "search/criterion_text.h"
#include "search/schedule_scan.h"
#include "search/schedule_search.h"
#include "search/search_fields.h"
#include "data/tags.h"

namespace tarvelo::cli {
namespace {

struct FindRequest {
    std::vector<std::string> where;
    bool select = false;
    bool unselect = false;
    bool clearFirst = false;
};

void printId(const store::Row& task) {
    std::printf("%s\n", search::valueText(task, 0).c_str());
}

int runFind(const FindRequest& request) {
    const bool select = request.select;
    const bool unselect = request.unselect;
    std::vector<search::Criterion> given;
    for (const std::string& text : request.where) {
        std::string error;
        const auto criterion = search::parseCriterion(text, error);
        if (!criterion) throw UsageError(error);
        for (const auto& c : given) {
            if (c.field == criterion->field) throw UsageError("a field is given twice: " + text);
        }
        given.push_back(*criterion);
    }

    // The criteria are tested in the order of the form's controls, whatever order they were given in.
    search::Criteria criteria;
    for (const search::SearchField& field : search::searchFields()) {
        for (const auto& c : given) {
            if (c.field == &field && c.type != search::MatchType::ignore) criteria.push_back(c);
        }
    }
    if (criteria.empty()) throw UsageError(search::kNoSearchField);

    DataFolder folder;
    DataFiles& files = folder.files;
    TableUse schedule(files, TableId::schedule);
    TableUse tagFile(files, TableId::tagFile);
    platform::LoopRunner runner;
    Tags tags(files, runner);
    if (request.clearFirst) {
        tags.clearTags(kScheduleTable);
        if (tags.gaveUp()) return platform::kBusyExitCode;
    }

    const auto task = select ? search::SearchTask::select
                             : unselect ? search::SearchTask::unselect : search::SearchTask::edit;
    search::ScheduleScan scan(files, tags, std::move(criteria), task);
    if (select || unselect) {
        search::MarkJob job(scan, tags, select);
        job.onMatch = printId;
        platform::runToEnd(job);
        if (job.gaveUp()) {
            std::fflush(stdout);
            return platform::kBusyExitCode;  // the tasks printed are those marked
        }
    } else {
        for (;;) {
            search::FindNextJob job(scan);
            platform::runToEnd(job);
            if (!job.match()) break;
            printId(*job.match());
        }
    }
    std::fflush(stdout);
    if (scan.found() == 0) {
        std::fprintf(stderr, "%s\n", search::kNoMatchingRecords);
        return 1;
    }
    return 0;
}

void defineFind(Commands& commands) {
    auto request = std::make_shared<FindRequest>();
    CLI::App& find = commands.add("find", "the numbers of the tasks that match, as the search finds them",
                                  [request] { return runFind(*request); });
    find.footer("FIELD is a task field in lower case (description, date), CODE a match type 0-17 (1 equals, "
                "9 begins with, 11 contains, 7 inside a range...). Exit code 1 when nothing matches, 5 when the tag file "
                "stayed busy and the wait for it was given up.");
    find.add_option("--where", request->where,
                    "a criterion: match type CODE (0-17) on FIELD, with VALUE (and UPPER for a range); dates and "
                    "times as Standard numbers")
        ->type_name("FIELD:CODE:VALUE[:UPPER]")
        ->allow_extra_args(false);
    CLI::Option* select = find.add_flag("--select", request->select, "tag the tasks found");
    CLI::Option* unselect = find.add_flag("--unselect", request->unselect, "untag the tasks found");
    find.add_flag("--clear-first", request->clearFirst, "untag every task first")->needs(select);
    select->excludes(unselect);
}

const Registration kFind{"find", &defineFind};

}  // namespace
}  // namespace tarvelo::cli
