// Reports over a Schedule table of 100,000 tasks: generating the report by date through the progress
// window (its timer slices of 25 records, the window repainting), turning pages in the preview, and the
// memory the generated pages take; each beside a raw baseline measured in the same run. The table is
// built once per run in a temporary folder (or kept in $TARVELO_REPORT_BENCH_FOLDER between runs).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include <QApplication>
#include <QImage>
#include <QMdiArea>
#include <QPainter>

#include "core/date.h"
#include "data/data_files.h"
#include "data/data_warning.h"
#include "reports/paint/page_painter.h"
#include "reports/report_bands.h"
#include "reports/report_run.h"
#include "reports/windows/page_view.h"
#include "reports/windows/report_preview_window.h"
#include "widgets/progress_window.h"

namespace {

using namespace tarvelo;

constexpr int kTasks = 100'000;

struct NullPorts : platform::MessageBoxPort, platform::HaltPort {
    int show(const platform::MessageBoxRequest&) override { return platform::kOk; }
    [[noreturn]] void halt(const std::string& stopText) override {
        std::fprintf(stderr, "%s\n", stopText.c_str());
        std::abort();
    }
    [[noreturn]] void giveUp(const std::string& text) override {
        std::fprintf(stderr, "gave up: %s\n", text.c_str());
        std::abort();
    }
};

Task makeTask(int id, std::mt19937& random) {
    static const char* const categories[] = {"Work", "Home", "Health", "Garden", "Finance", "Errands", "Family", "Car"};
    Task s;
    s.id = id;
    s.taskType = TaskType::Both;
    s.category = categories[random() % 8];
    s.description = "Task number " + std::to_string(id);
    s.command = "/usr/local/bin/remind --task " + std::to_string(id);
    s.scheduleType = ScheduleType::DayOfWeek;
    s.monday = 1;
    s.thursday = 1;
    s.date = dateFromYmd(1997, 1, 1) + static_cast<StdDate>(random() % 3650);
    s.time = 1 + static_cast<StdTime>(random() % kOneDay);
    s.alarm = 1;
    s.alarmFile = "/usr/share/sounds/alarm.wav";
    s.message = "Reminder for task " + std::to_string(id) + ": check the figures and send them on.";
    return s;
}

struct Fixture {
    Fixture() {
        if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "report_bench";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
        if (const char* kept = std::getenv("TARVELO_REPORT_BENCH_FOLDER")) {
            folder = kept;
            keep = true;
            std::filesystem::create_directories(folder);
        } else {
            std::string pattern = (std::filesystem::temp_directory_path() / "tarvelo-report-bench-XXXXXX").string();
            folder = ::mkdtemp(pattern.data());
        }
        files = std::make_unique<DataFiles>(warn, folder);
        TableUse use(*files, TableId::schedule);
        auto schedule = files->schedule();
        if (schedule.records().value >= kTasks) return;
        std::mt19937 random(1997);
        store::Transaction tx;
        if (!tx.begin({&schedule.table()}).ok()) std::abort();
        for (int id = static_cast<int>(schedule.records().value) + 1; id <= kTasks; ++id) {
            Task s = makeTask(id, random);
            if (!schedule.add(s).ok()) std::abort();
        }
        if (!tx.commit().ok()) std::abort();
    }
    ~Fixture() {
        files.reset();
        if (!keep) std::filesystem::remove_all(folder);
    }

    NullPorts ports;
    DataWarning warn{ports, ports};
    std::unique_ptr<QApplication> app;
    std::string folder;
    bool keep = false;
    std::unique_ptr<DataFiles> files;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

std::unique_ptr<reports::ReportPages> generate() {
    Fixture& f = fixture();
    reports::ReportRun run(reports::ReportKind::scheduleByDate, *f.files, f.ports);
    if (!run.open()) std::abort();
    platform::runToEnd(run);
    return run.takePages();
}

// Baseline: the same records read in the same key order, nothing else done with them.
void BM_RawReadByDate(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        TableUse use(*f.files, TableId::schedule);
        RecordView<Task> view(f.files->table(TableId::schedule), ScheduleKey::keyDate);
        if (!view.setToStart().ok()) std::abort();
        Task task;
        int n = 0;
        while (view.next(task).ok()) ++n;
        if (n != kTasks) state.SkipWithError("records missing");
    }
    state.counters["records/s"] = benchmark::Counter(kTasks * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RawReadByDate)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The report's run alone, slice after slice, without a window.
void BM_ReportRunByDate(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(generate());
    state.counters["records/s"] = benchmark::Counter(kTasks * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReportRunByDate)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The whole generation as the user sees it: the progress window shown, one slice of 25 records per
// timer event, the bar and the percentage repainted as they change.
void BM_ReportWithProgressWindow(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        reports::ReportRun run(reports::ReportKind::scheduleByDate, *f.files, f.ports);
        if (!run.open()) std::abort();
        widgets::ProgressWindow window(run, QStringLiteral("Generating Report"));
        window.show();
        if (window.run() != widgets::ProgressWindow::Outcome::finished) state.SkipWithError("not finished");
    }
    state.counters["records/s"] = benchmark::Counter(kTasks * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReportWithProgressWindow)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The pages of 100,000 tasks as the preview keeps them (in memory, and in their temporary file), beside
// the records' own size in the data file.
void BM_PagesMemory(benchmark::State& state) {
    std::unique_ptr<reports::ReportPages> pages;
    for (auto _ : state) pages = generate();
    const double fileBytes = static_cast<double>(std::filesystem::file_size(fixture().folder + "/SM.KTB"));
    state.counters["pages"] = pages->pageCount();
    state.counters["in_memory_MB"] = static_cast<double>(pages->bytes()) / 1e6;
    state.counters["temp_file_MB"] = static_cast<double>(pages->spilledBytes()) / 1e6;
    state.counters["data_file_MB"] = fileBytes / 1e6;
}
BENCHMARK(BM_PagesMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// Baseline for a page turn: one page painted straight into an image the size of the preview's pane.
void BM_RawPaintPage(benchmark::State& state) {
    static std::unique_ptr<reports::ReportPages> pages = generate();
    const reports::ReportPage page = pages->page(pages->pageCount() / 2);
    QImage image(420, 543, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(420.0 / reports::kPageWidth, 543.0 / reports::kPageHeight);
        reports::paintPage(painter, page);
    }
}
BENCHMARK(BM_RawPaintPage)->Unit(benchmark::kMillisecond);

// "&Next Page!" in the preview over the 50,000 pages: the page composed from its packed bands and the
// window repainted (facing pages, so two pages each turn).
void BM_PreviewPageTurn(benchmark::State& state) {
    static std::shared_ptr<const reports::ReportPages> pages = generate();
    QMdiArea area;
    area.resize(1000, 700);
    area.show();
    reports::ReportPreviewWindow* preview = reports::ReportPreviewWindow::open(pages, &area);
    if (state.range(0) == 1) preview->item(reports::ReportPreviewWindow::Item::facing)->trigger();
    QAction* next = preview->item(reports::ReportPreviewWindow::Item::next);
    QAction* previous = preview->item(reports::ReportPreviewWindow::Item::previous);
    preview->item(reports::ReportPreviewWindow::Item::jump)->setEnabled(true);
    preview->askPage = [](int, int pages) { return std::optional<int>(pages / 2); };
    preview->item(reports::ReportPreviewWindow::Item::jump)->trigger();
    bool forward = true;
    for (auto _ : state) {
        (forward ? next : previous)->trigger();
        forward = !forward;
        // Painting now, as the event loop would on the next round.
        QPixmap shown = preview->grab();
        benchmark::DoNotOptimize(shown);
    }
    state.SetLabel(state.range(0) == 1 ? "facing pages" : "single page");
}
BENCHMARK(BM_PreviewPageTurn)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
