#include "data/records.h"

#include <cctype>

namespace tarvelo {
namespace {

template <class Kind, std::size_t N>
void exactKind(std::string_view text, const std::array<Kind, N>& words, Kind& kind) {
    text = trimRight(text);
    for (Kind word : words) {
        if (ruleText(word) == text) {
            kind = word;
            return;
        }
    }
    kind = Kind::Other;
}

}  // namespace

std::string_view ruleText(TaskType type) {
    switch (type) {
    case TaskType::RunProgram: return "Run Program";
    case TaskType::DisplayMessage: return "Display Message";
    case TaskType::Both: return "Both";
    case TaskType::None: return "None";
    case TaskType::Other: break;
    }
    return {};
}

std::string_view ruleText(ScheduleType type) {
    switch (type) {
    case ScheduleType::Once: return "Once";
    case ScheduleType::DayOfWeek: return "Day of Week";
    case ScheduleType::DayOfMonth: return "Day of Month";
    case ScheduleType::Monthly: return "Monthly";
    case ScheduleType::Yearly: return "Yearly";
    case ScheduleType::Custom: return "Custom";
    case ScheduleType::Other: break;
    }
    return {};
}

std::string_view ruleText(RepetitionUnit unit) {
    switch (unit) {
    case RepetitionUnit::Minute: return "minute(s)";
    case RepetitionUnit::Hour: return "hour(s)";
    case RepetitionUnit::Day: return "day(s)";
    case RepetitionUnit::Week: return "week(s)";
    case RepetitionUnit::Month: return "month(s)";
    case RepetitionUnit::Year: return "year(s)";
    case RepetitionUnit::Other: break;
    }
    return {};
}

void ruleKind(std::string_view text, TaskType& kind) { exactKind(text, kTaskTypes, kind); }
void ruleKind(std::string_view text, ScheduleType& kind) { exactKind(text, kScheduleTypes, kind); }

void ruleKind(std::string_view text, RepetitionUnit& kind) {
    kind = RepetitionUnit::Other;
    if (text.size() < 3) return;
    std::string first(text.substr(0, 3));
    for (char& c : first) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (RepetitionUnit unit : kRepetitionUnits) {
        if (ruleText(unit).substr(0, 3) == first) {
            kind = unit;
            return;
        }
    }
}

}  // namespace tarvelo
