// A sheet in one write, side by side with the fill alone, in a program folder
// of the benchmark's own with the real Logging, Quorrel and PDF automation.
//
//   BM_BatchSheets/N     N sheets through one real vantrel-batch process, from
//                        its start to its exit (ms per sheet, peak RSS in MiB)
//   BM_SheetAgainstFill  in one process, turn about: a whole sheet through the
//                        run driver (fill and attachment in one save, recorded
//                        in the library), the fill alone (the template copied
//                        as a run copies it, Quorrel's fill and save), and the
//                        fill followed by a second write for the attachment,
//                        as runs used to make it, and the fill with the
//                        attachment handed to the document first (one save,
//                        as a run makes it); ratio = sheet / fill alone,
//                        ms_around_fill = sheet - fill alone,
//                        attachment_ratio = fill with attachment / fill alone
//   BM_SheetsOfOneRun    the same turn about for a run of many sheets: the
//                        library held open across them, as vantrel-batch
//                        holds it, against the fill alone

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "Installation.h"
#include "platform/Process.h"
#include "BenchFolder.h"
#include "BenchSheet.h"
#include "SetupFile.h"
#include "SheetDocument.h"
#include "library/SetupLibrary.h"
#include "pdfauto/Document.h"
#include "platform/Paths.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The batch tool beside its own libraries in the bench folder, which is then its program folder.
std::string stageBatchTool(const bench::BenchFolder& folder) {
    const fs::path built = fs::path(VANTREL_BATCH_PROGRAM).parent_path();
    for (const char* file : {"vantrel-batch", "libVantrelCom.so", "libVantrelPlatform.so"})
        fs::copy_file(built / file, folder.path() / file, fs::copy_options::overwrite_existing);
    return (folder.path() / "vantrel-batch").string();
}

void BM_BatchSheets(benchmark::State& state) {
    bench::BenchFolder folder;
    const std::string tool = stageBatchTool(folder);
    const std::string sheets = folder.sheets(), raw = folder.rawDataFile();
    double spent = 0, peakKiB = 0;
    int64_t built = 0;
    // The sheet paths the tool prints would run through the figures.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<const char*> argv = {tool.c_str(), "--target", sheets.c_str()};
    for (int64_t k = 0; k < state.range(0); ++k) argv.push_back(raw.c_str());
    argv.push_back(nullptr);
    for (auto _ : state) {
        const auto start = Clock::now();
        pid_t pid = 0;
        if (posix_spawn(&pid, tool.c_str(), &quiet, nullptr, const_cast<char**>(argv.data()), environ) != 0)
            throw std::runtime_error("cannot start " + tool);
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        spent += secondsSince(start);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("vantrel-batch failed");
        peakKiB = std::max(peakKiB, double(usage.ru_maxrss));
        built += state.range(0);
        if (built % 50 < state.range(0)) folder.clearSheets();
    }
    posix_spawn_file_actions_destroy(&quiet);
    state.counters["ms_per_sheet"] = built ? 1e3 * spent / double(built) : 0;
    state.counters["peak_rss_MiB"] = peakKiB / 1024;
}
BENCHMARK(BM_BatchSheets)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void BM_SheetAgainstFill(benchmark::State& state) {
    bench::BenchFolder folder;
    bench::buildSheet(folder);  // the data and mapping files the fill alone reads
    const bench::FillFiles files = bench::rdxFillFiles(bench::installedSettings());
    const std::string setup = vantrel::readSetupFile(folder.rawDataFile()).rawDataText();

    double sheetTime = 0, fillTime = 0, twoWrites = 0, oneSave = 0;
    int64_t n = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        benchmark::DoNotOptimize(bench::buildSheet(folder));
        sheetTime += secondsSince(start);

        const std::string sheet = folder.sheets() + "/Fill_" + std::to_string(n % 50) + ".pdf";
        start = Clock::now();
        bench::fillAlone(files, sheet);
        fillTime += secondsSince(start);

        start = Clock::now();
        bench::fillAlone(files, sheet);
        pdfauto::attachFile(platform::paths::toNative(sheet), "Sheet.dat", setup);
        twoWrites += secondsSince(start);

        start = Clock::now();
        bench::copyTemplate(files, sheet);
        {
            vantrel::SheetDocument document(sheet);
            document.attach("Sheet.dat", setup, "text/plain");
            bench::fillCopy(files, sheet);
        }
        oneSave += secondsSince(start);
        if (++n % 50 == 0) folder.clearSheets();
    }
    state.counters["ms_sheet"] = 1e3 * sheetTime / double(n);
    state.counters["ms_fill_alone"] = 1e3 * fillTime / double(n);
    state.counters["ms_fill_then_attach"] = 1e3 * twoWrites / double(n);
    state.counters["ms_around_fill"] = 1e3 * (sheetTime - fillTime) / double(n);
    state.counters["ms_fill_with_attachment"] = 1e3 * oneSave / double(n);
    state.counters["ratio"] = fillTime > 0 ? sheetTime / fillTime : 0;
    state.counters["attachment_ratio"] = fillTime > 0 ? oneSave / fillTime : 0;
}
BENCHMARK(BM_SheetAgainstFill)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void BM_SheetsOfOneRun(benchmark::State& state) {
    bench::BenchFolder folder;
    bench::buildSheet(folder);  // the data and mapping files the fill alone reads
    const bench::FillFiles files = bench::rdxFillFiles(bench::installedSettings());
    auto library = std::make_shared<vantrel::library::SetupLibrary>(
        vantrel::Installation::read(platform::process::programFolder()).libraryFile());
    double sheetTime = 0, fillTime = 0;
    int64_t n = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        benchmark::DoNotOptimize(bench::buildSheet(folder, library));
        sheetTime += secondsSince(start);

        const std::string sheet = folder.sheets() + "/Fill_" + std::to_string(n % 50) + ".pdf";
        start = Clock::now();
        bench::fillAlone(files, sheet);
        fillTime += secondsSince(start);
        if (++n % 50 == 0) folder.clearSheets();
    }
    state.counters["ms_sheet"] = 1e3 * sheetTime / double(n);
    state.counters["ms_fill_alone"] = 1e3 * fillTime / double(n);
    state.counters["ratio"] = fillTime > 0 ? sheetTime / fillTime : 0;
}
BENCHMARK(BM_SheetsOfOneRun)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace

BENCHMARK_MAIN();
