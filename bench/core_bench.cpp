// How long the everyday conversions take: a list of a few hundred tasks shows two pictures per row, and
// every window reads five INI keys when it opens.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/date.h"
#include "core/picture.h"
#include "core/profile.h"

namespace {

void BM_FormatDate3(benchmark::State& state) {
    tarvelo::StdDate d = tarvelo::dateFromYmd(1997, 1, 31);
    for (auto _ : state) {
        benchmark::DoNotOptimize(tarvelo::formatDate3(d));
        d = d % 100000 + 1;
    }
}
BENCHMARK(BM_FormatDate3);

void BM_FormatTime3(benchmark::State& state) {
    tarvelo::StdTime t = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tarvelo::formatTime3(t));
        t = t % tarvelo::kOneDay + 6001;
    }
}
BENCHMARK(BM_FormatTime3);

void BM_ParseDate(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(tarvelo::parseDate("Jan 31, 1997"));
}
BENCHMARK(BM_ParseDate);

void BM_ParseTime(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(tarvelo::parseTime("5:30PM"));
}
BENCHMARK(BM_ParseTime);

// A main INI file as a user who opened every window has it: 17 window sections and the settings.
class IniFixture {
public:
    IniFixture() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvelo-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        m_folder = pattern;
        tarvelo::ProfileFile ini("Tarvelo96.INI", m_folder);
        const char* sections[] = {"Main", "BrowseSchedule", "UpdateSchedule", "SpecialEventWizard", "SearchSchedule",
                                  "SelectCategories", "BrowseSCH:KeyCategory", "BrowseCategories", "UpdateCategories",
                                  "Setup", "UpdateTodo", "BrowseTodo", "AddMessageWizard", "AddProgramWizard",
                                  "AddTaskWizard", "ShowMessage", "Calendar"};
        for (const char* s : sections) {
            const std::pair<std::string_view, std::string_view> keys[] = {
                {"Maximize", "No"}, {"XPosit", "120"}, {"YPosit", "80"}, {"Width", "400"}, {"Height", "300"}};
            if (!ini.writeKeys(s, keys)) std::abort();
        }
        if (!ini.write("Settings", "HistoryExpires", std::int64_t{30})) std::abort();
    }
    ~IniFixture() {
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
    }
    const std::string& folder() const { return m_folder; }

private:
    std::string m_folder;
};

void BM_IniReadLastSection(benchmark::State& state) {
    IniFixture fixture;
    const tarvelo::ProfileFile ini("Tarvelo96.INI", fixture.folder());
    for (auto _ : state) benchmark::DoNotOptimize(ini.read("Calendar", "Height"));
}
BENCHMARK(BM_IniReadLastSection);

void BM_IniWriteOneKey(benchmark::State& state) {
    IniFixture fixture;
    tarvelo::ProfileFile ini("Tarvelo96.INI", fixture.folder());
    std::int64_t n = 0;
    for (auto _ : state) benchmark::DoNotOptimize(ini.write("Calendar", "Height", ++n));
}
BENCHMARK(BM_IniWriteOneKey)->Unit(benchmark::kMillisecond);

}  // namespace
