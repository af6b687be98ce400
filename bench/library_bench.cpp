// The setup library at 10,000 setups: opening it and reading the first rows
// (the library window), one keystroke of the search, one recording (what a
// run adds), and an import of 1,000 raw data files.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

#include "ImportReaders.h"
#include "Installation.h"
#include "library/SetupImport.h"
#include "GeneratedSetups.h"
#include "library/SetupLibrary.h"

namespace {

namespace fs = std::filesystem;
using namespace vantrel::library;

struct BenchFolder {
    BenchFolder() {
        std::string pattern = (fs::temp_directory_path() / "library-bench-XXXXXX").string();
        path = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~BenchFolder() {
        std::error_code ec;
        if (!path.empty()) fs::remove_all(path, ec);
    }
    std::string path;
};

using bench::generatedSetup;

// One library of 10,000 setups for every benchmark that reads or records.
const std::string& library10k() {
    static BenchFolder folder;
    static const std::string path = [] {
        const std::string p = folder.path + "/Library.sqlite";
        SetupLibrary library(p);
        std::mt19937 rng(1);
        for (int n = 0; n < 10000; ++n) library.record(generatedSetup(rng, n));
        return p;
    }();
    return path;
}

void BM_OpenAndFirstRows(benchmark::State& state) {
    const std::string& path = library10k();
    for (auto _ : state) {
        SetupLibrary library(path);
        benchmark::DoNotOptimize(library.summaries({}, std::size_t(state.range(0))));
    }
}
BENCHMARK(BM_OpenAndFirstRows)->Arg(100)->Arg(0)->ArgNames({"rows(0=all)"})->Unit(benchmark::kMillisecond);

void BM_SearchKeystroke(benchmark::State& state) {
    SetupLibrary library(library10k());
    const char* const typed[] = {"z", "zu", "zur", "zuri", "zurich", "zurich car", "zurich carpet"};
    std::size_t i = 0, matches = 0;
    for (auto _ : state) {
        matches = library.matchingIds(typed[i++ % std::size(typed)]).size();
        benchmark::DoNotOptimize(matches);
    }
    state.counters["last_matches"] = double(matches);
}
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMillisecond);

// What a run adds: open the library, record one setup, close it.
void BM_RecordOne(benchmark::State& state) {
    const std::string& path = library10k();
    std::mt19937 rng(2);
    int n = 20000;
    for (auto _ : state) {
        SetupLibrary library(path);
        library.record(generatedSetup(rng, n++));
    }
}
BENCHMARK(BM_RecordOne)->Unit(benchmark::kMillisecond);

void BM_Import1000RawDataFiles(benchmark::State& state) {
    BenchFolder folder;
    std::mt19937 rng(3);
    fs::create_directories(folder.path + "/in");
    for (int n = 0; n < 1000; ++n) {
        const SetupEntry e = generatedSetup(rng, n);
        std::string text = "[SetupData]\r\n";
        for (std::size_t i = 0; i < vantrel::SetupFieldCount; ++i)
            text += std::string(vantrel::SetupFieldKeys[i]) + "=" + e.values[i] + "\r\n";
        std::ofstream(folder.path + "/in/RawData_" + std::to_string(n) + ".dat", std::ios::binary) << text;
    }
    const auto readers =
        vantrel::importReaders(vantrel::setupTypeFolders(vantrel::Installation::read(folder.path)), "RDX");
    std::size_t added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(folder.path + "/Library.sqlite");
        state.ResumeTiming();
        SetupLibrary library(folder.path + "/Library.sqlite");
        added = importSetups(library, {folder.path + "/in"}, {readers.front().get()}).added.size();
    }
    state.counters["added"] = double(added);
}
BENCHMARK(BM_Import1000RawDataFiles)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
