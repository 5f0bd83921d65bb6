#include "reports/report_bands.h"

#include "core/picture.h"

namespace tarvelo::reports {

namespace {

std::uint32_t bits(std::initializer_list<Byte> flags) {
    std::uint32_t out = 0;
    int bit = 0;
    for (Byte flag : flags) {
        if (flag != 0) out |= 1U << bit;
        ++bit;
    }
    return out;
}

// A number for a right-aligned field: the field aligns it, so the blanks that pad it are not kept.
std::string number(std::int64_t value, int width) {
    std::string text = formatNumber(value, width);
    text.erase(0, text.find_first_not_of(' '));
    return text;
}

}  // namespace

BandValues scheduleBand(const Task& t) {
    BandValues band;
    band.texts = {formatDate3(t.date),
                  formatTime3(t.time),
                  formatText(t.category.text(), 20),
                  formatText(t.description.text(), 40),
                  formatText(t.taskType.text(), 20),
                  formatText(t.command.text(), 80),
                  t.message.text(),
                  formatDate3(t.advanceWarnDate),
                  formatTime3(t.advanceWarnTime),
                  formatText(t.scheduleType.text(), 20),
                  formatNumber(t.every, 6),
                  formatText(t.everyType.text(), 20),
                  formatDate3(t.lastRunDate),
                  formatTime3(t.lastRunTime),
                  formatText(t.alarmFile.text(), 80)};
    band.checks = bits({t.every1st, t.every2nd, t.every3rd, t.every4th, t.everyLast, t.sunday, t.monday, t.tuesday,
                        t.wednesday, t.thursday, t.friday, t.saturday, t.alarm, t.skipNextTime, t.warn, t.userSkip,
                        t.disabled});
    return band;
}

BandValues categoryBand(const Category& c) { return {{formatText(c.category.text(), 20)}, 0}; }

BandValues toDoBand(const ToDo& item) {
    return {{formatText(item.todo.text(), 40), number(item.priority, 2)}, bits({item.done})};
}

}  // namespace tarvelo::reports
