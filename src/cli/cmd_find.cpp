// find: the schedule search from scripts, through the same criteria, access path and tests as the search
// window. Prints the SCH:ID of every matching task in scan order; --select tags them (--clear-first
// clears the old selection first), --unselect untags them. Message boxes of the data layer go to stderr.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "data/data_files.h"
#include "search/criterion_text.h"
#include "search/schedule_scan.h"
#include "search/schedule_search.h"
#include "search/search_fields.h"
#include "search/tags.h"
#include "ui/headless/exit_halt.h"
#include "ui/headless/text_message_box.h"

namespace tarvelo::cli {
namespace {

constexpr const char* kUsage =
    "find [--where FIELD:CODE:VALUE[:UPPER]]... [--select [--clear-first] | --unselect]   the tasks that match, "
    "by match type CODE (0-17) on each FIELD; dates and times as Standard numbers";

int usageError(const std::string& problem) {
    std::fprintf(stderr, "tarvelo96-cli find: %s\nusage: %s\n", problem.c_str(), kUsage);
    return 2;
}

void printId(const store::Row& task) {
    std::printf("%s\n", search::valueText(task, 0).c_str());
}

int runFind(const std::vector<std::string>& args) {
    std::vector<search::Criterion> given;
    bool select = false;
    bool unselect = false;
    bool clearFirst = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--where") {
            if (i + 1 == args.size()) return usageError("--where needs FIELD:CODE:VALUE[:UPPER]");
            std::string error;
            const auto criterion = search::parseCriterion(args[++i], error);
            if (!criterion) return usageError(error);
            for (const auto& c : given) {
                if (c.field == criterion->field) return usageError("a field is given twice: " + args[i]);
            }
            given.push_back(*criterion);
        } else if (a == "--select") {
            select = true;
        } else if (a == "--unselect") {
            unselect = true;
        } else if (a == "--clear-first") {
            clearFirst = true;
        } else {
            return usageError("unexpected argument '" + a + "'");
        }
    }
    if (select && unselect) return usageError("--select and --unselect exclude each other");
    if (clearFirst && !select) return usageError("--clear-first goes with --select");

    // The criteria are tested in the order of the form's controls, whatever order they were given in.
    search::Criteria criteria;
    for (const search::SearchField& field : search::searchFields()) {
        for (const auto& c : given) {
            if (c.field == &field && c.type != search::MatchType::ignore) criteria.push_back(c);
        }
    }
    if (criteria.empty()) return usageError(search::kNoSearchField);

    ui::TextMessageBox messages(stderr);
    ui::ExitHalt halt;
    DataWarning warn(messages, halt);
    DataFiles files(warn);
    TableUse schedule(files, TableId::schedule);
    TableUse tagFile(files, TableId::tagFile);
    search::LoopRunner runner;
    search::Tags tags(files, runner);
    if (clearFirst) tags.newTag(search::kScheduleTable);

    const auto task = select ? search::SearchTask::select
                             : unselect ? search::SearchTask::unselect : search::SearchTask::edit;
    search::ScheduleScan scan(files, tags, std::move(criteria), task);
    if (select || unselect) {
        search::MarkJob job(scan, tags, select);
        job.onMatch = printId;
        ui::runToEnd(job);
    } else {
        for (;;) {
            search::FindNextJob job(scan);
            ui::runToEnd(job);
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

const Registration kFind{"find", kUsage, &runFind};

}  // namespace
}  // namespace tarvelo::cli
