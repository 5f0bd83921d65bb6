#pragma once
// The data a report reads: a data file in a folder of its own, with builders for tasks, categories and
// to-do items, and the message box and halt faked.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "data/data_files.h"
#include "data/data_warning.h"
#include "fakes/fake_ports.h"

namespace tarvelo::test {

class ReportData {
public:
    ReportData() : m_folder(makeFolder()), files(warn, m_folder) {}
    ~ReportData() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    ReportData(const ReportData&) = delete;
    ReportData& operator=(const ReportData&) = delete;

    const std::string& folder() const { return m_folder; }

    // A task; the id is the next free one.
    Task& task(std::string description, StdDate date, StdTime time, std::string category = "General") {
        m_task = Task{};
        m_task.id = ++m_lastId;
        m_task.description = description;
        m_task.category = category;
        m_task.date = date;
        m_task.time = time;
        m_task.taskType = TaskType::DisplayMessage;
        m_task.scheduleType = ScheduleType::Once;
        return m_task;
    }
    // Stores the task last built (after any changes made to it).
    void addTask() { add(TableId::schedule, files.schedule(), m_task); }
    void addTask(std::string description, StdDate date, StdTime time, std::string category = "General") {
        task(std::move(description), date, time, std::move(category));
        addTask();
    }
    void addCategory(std::string name) {
        Category c;
        c.category = name;
        add(TableId::categories, files.categories(), c);
    }
    void addToDo(std::string text, int priority, bool done) {
        ToDo item;
        item.todo = text;
        item.priority = static_cast<Byte>(priority);
        item.done = done ? 1 : 0;
        add(TableId::toDo, files.toDo(), item);
    }

    FakeMessageBox messages;
    FakeHalt halt;
    DataWarning warn{messages, halt};

private:
    static std::string makeFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvelo-report-XXXXXX").string();
        return ::mkdtemp(pattern.data());
    }
    template <class R>
    void add(TableId id, RecordTable<R> table, R record) {
        TableUse use(files, id);
        if (!table.add(record).ok()) std::abort();
    }

    std::string m_folder;
    Task m_task;
    int m_lastId = 0;

public:
    DataFiles files;
};

}  // namespace tarvelo::test
