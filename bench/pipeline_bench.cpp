// The sheet pipeline, raw data file to saved filled sheet, in a program folder
// of its own made from the staged one (settings, RDX setup, template, sample
// raw data), with the real Logging, Quorrel and PDF automation libraries.
//
//   BM_SheetBuild   one whole build through the run driver (viewer off)
//   BM_SheetStages  the builder's stages timed one by one: the counters give
//                   each stage's share of a sheet in percent, and ms_per_sheet
//   BM_RawDataLoad  LoadRawData of the shipped sample, of a 15 MiB raw data
//                   file (the largest size allowed) and of a 45 MB one (refused)
//   BM_EntryReads   the 73 entry reads one by one, as the load used to make
//                   them, on the sample and on the 15 MiB file

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "CAppSettings.h"
#include "CDataBuilder.h"
#include "CFileManager.h"
#include "CRulesEngine.h"
#include "BenchFolder.h"
#include "BenchSheet.h"
#include "CUtils.h"
#include "TempProgramFolder.h"
#include "platform/Error.h"
#include "platform/Profile.h"

namespace fs = std::filesystem;

namespace {

using bench::BenchFolder;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void BM_SheetBuild(benchmark::State& state) {
    BenchFolder folder;
    int64_t built = 0;
    double spent = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(bench::buildSheet(folder));
        spent += secondsSince(start);
        if (++built % 50 == 0) {
            state.PauseTiming();
            folder.clearSheets();
            state.ResumeTiming();
        }
    }
    state.counters["ms_per_sheet"] = built ? 1e3 * spent / double(built) : 0;
}
BENCHMARK(BM_SheetBuild)->Unit(benchmark::kMillisecond)->UseRealTime();

enum Stage { SettingsAndRawData, Rules, MappingFile, DataFile, Copy, FillAndSave, StageCount };
constexpr const char* kStageNames[StageCount] = {"settings_raw_%", "rules_%", "mapping_file_%",
                                                 "data_file_%",    "copy_%",  "fill_save_%"};

void BM_SheetStages(benchmark::State& state) {
    BenchFolder folder;
    vantrel::CUtils utils;
    double spent[StageCount] = {};
    int64_t built = 0;
    for (auto _ : state) {
        double stage[StageCount] = {};

        auto start = Clock::now();
        auto config = std::make_shared<vantrel::CAppSettings>(bench::installedSettings());
        vantrel::CAppSettings setup;
        setup.setFileName(utils.checkMe(config->ConfigDirectory()) + "Setup_RDX.ini");
        setup.LoadProperties();
        config->setFileName(folder.rawDataFile());
        config->LoadRawData();
        stage[SettingsAndRawData] = secondsSince(start);

        // The rules engine rewrites the mapping file on the way; that write is
        // timed again on its own and taken out of the rules' share.
        start = Clock::now();
        vantrel::CRulesEngine rules;
        rules.setConfig(config);
        rules.setSetupName(setup.SetupName());
        rules.setDataFileDelimiter(config->DataFileDelimiter());
        rules.ProcessData();
        const double rulesWithMapping = secondsSince(start);
        start = Clock::now();
        vantrel::CDataBuilder mapping;
        mapping.setMappingDirectory(utils.checkMe(config->MappingDirectory()));
        mapping.setSetupName(setup.SetupName());
        mapping.WriteMappingFile();
        stage[MappingFile] = secondsSince(start);
        stage[Rules] = std::max(0.0, rulesWithMapping - stage[MappingFile]);

        start = Clock::now();
        const std::string dataFile = utils.checkMe(config->DataDirectory()) + config->DataFile();
        CFileManager files;
        files.setFileName(dataFile);
        files.writeLineToFileWithData(rules.SetupDataRow());
        stage[DataFile] = secondsSince(start);

        const bench::FillFiles fillFiles{dataFile, config->DataFileDelimiter(),
                                         utils.checkMe(config->MappingDirectory()) + setup.MappingFile(),
                                         utils.checkMe(config->TemplatesDirectory()) + setup.PDFTemplateSetupSheet()};
        start = Clock::now();
        const std::string sheet = folder.sheets() + "/Sheet_" + std::to_string(built % 50) + ".pdf";
        bench::copyTemplate(fillFiles, sheet);
        stage[Copy] = secondsSince(start);

        start = Clock::now();
        bench::fillCopy(fillFiles, sheet);
        stage[FillAndSave] = secondsSince(start);

        double total = 0;
        for (int i = 0; i < StageCount; ++i) {
            spent[i] += stage[i];
            total += stage[i];
        }
        state.SetIterationTime(total);
        ++built;
    }
    double total = 0;
    for (double s : spent) total += s;
    for (int i = 0; i < StageCount; ++i) state.counters[kStageNames[i]] = total > 0 ? 100.0 * spent[i] / total : 0;
    state.counters["ms_per_sheet"] = built ? 1e3 * total / double(built) : 0;
}
BENCHMARK(BM_SheetStages)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

namespace {

// A raw data file picked by mistake: the record's section among a great many
// other lines, of about the given size.
std::string bigRawDataFile(const testsupport::TempProgramFolder& folder, std::size_t bytes) {
    const fs::path file = folder.path() / ("Big_" + std::to_string(bytes) + ".dat");
    std::ofstream out(file, std::ios::binary);
    std::size_t written = 0;
    out << "[Log]\r\n";
    for (std::size_t i = 0; written < bytes / 2; ++i) {
        const std::string line = "Line" + std::to_string(i) + "=some value of a line in another section\r\n";
        out << line;
        written += line.size();
    }
    out << "[SetupData]\r\n";
    for (std::string_view key : vantrel::SetupFieldKeys) out << key << "=1\r\n";
    for (std::size_t i = 0; written < bytes; ++i) {
        const std::string line = "Other" + std::to_string(i) + "=a value no field has\r\n";
        out << line;
        written += line.size();
    }
    return file.string();
}

const testsupport::TempProgramFolder& loadFolder() {
    static const testsupport::TempProgramFolder folder;
    return folder;
}

std::string loadFile(int64_t which) {
    if (which == 0) return (fs::path(VANTREL_STAGE_DIR) / "Data" / "Sample_RDX.dat").string();
    static const std::string allowed = bigRawDataFile(loadFolder(), 15 * 1024 * 1024);
    static const std::string refused = bigRawDataFile(loadFolder(), 45 * 1000 * 1000);
    return which == 1 ? allowed : refused;
}

const char* kLoadLabels[] = {"sample", "15MiB", "45MB_refused"};

void BM_RawDataLoad(benchmark::State& state) {
    const std::string file = loadFile(state.range(0));
    state.SetLabel(kLoadLabels[state.range(0)]);
    for (auto _ : state) {
        vantrel::CAppSettings config;
        config.setFileName(file);
        try {
            config.LoadRawData();
        } catch (const platform::Error& e) {
            benchmark::DoNotOptimize(e.description());
        }
        benchmark::DoNotOptimize(config.DriverName());
    }
}
BENCHMARK(BM_RawDataLoad)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EntryReads(benchmark::State& state) {
    const std::string file = loadFile(state.range(0));
    state.SetLabel(kLoadLabels[state.range(0)]);
    for (auto _ : state) {
        for (std::string_view key : vantrel::SetupFieldKeys)
            benchmark::DoNotOptimize(platform::profile::readEntry(file, "SetupData", key));
    }
}
BENCHMARK(BM_EntryReads)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
BENCHMARK_MAIN();
