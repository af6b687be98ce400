// The sheet pipeline, raw data file to saved filled sheet, in a program folder
// of its own made from the staged one (settings, RDX setup, template, sample
// raw data), with the real Logging, Quorrel and PDF automation libraries.
//
//   BM_SheetBuild   one whole build through the run driver (viewer off)
//   BM_SheetStages  the builder's stages timed one by one: the counters give
//                   each stage's share of a sheet in percent, and ms_per_sheet

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "CAppSettings.h"
#include "CDataBuilder.h"
#include "CFileManager.h"
#include "CRulesEngine.h"
#include "CSetupManager.h"
#include "CUtils.h"
#include "TempProgramFolder.h"
#include "platform/Process.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Runtime.h"
#include "quorrel/Quorrel.h"

namespace fs = std::filesystem;

namespace {

class BenchFolder {
public:
    BenchFolder() {
        const fs::path stage = VANTREL_STAGE_DIR;
        for (const char* file :
             {"bin/Vantrel.ini", "Config/Setup_RDX.ini", "Templates/SetupSheet_RDX.pdf", "Data/Sample_RDX.dat"}) {
            fs::create_directories((m_folder.path() / file).parent_path());
            fs::copy_file(stage / file, m_folder.path() / file);
        }
        for (const char* sub : {"Logs", "Mapping", "Sheets"}) fs::create_directories(m_folder.path() / sub);
        com::setRegistryPath((m_folder.path() / "bin" / "Registry.ini").string());
        for (const char* library : {VANTREL_LOGGING_LIBRARY, VANTREL_QUORREL_LIBRARY, VANTREL_PDFAUTOMATION_LIBRARY})
            if (com::failed(com::registerLibrary(library)))
                throw std::runtime_error(std::string("cannot register ") + library);
    }
    ~BenchFolder() { com::setRegistryPath({}); }

    std::string rawDataFile() const { return (m_folder.path() / "Data" / "Sample_RDX.dat").string(); }
    std::string sheets() const { return (m_folder.path() / "Sheets").string(); }
    // Sheets pile up over thousands of iterations; clear them now and then.
    void clearSheets() const {
        for (const auto& entry : fs::directory_iterator(sheets())) fs::remove(entry.path());
    }

private:
    testsupport::TempProgramFolder m_folder;
};

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void BM_SheetBuild(benchmark::State& state) {
    BenchFolder folder;
    int64_t built = 0;
    double spent = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        vantrel::CSetupManager manager;
        manager.setOpenInViewer(false);
        manager.setRawDataFile(folder.rawDataFile());
        manager.setSetupName("RDX");
        manager.setTargetPDFDirectory(folder.sheets());
        manager.BuildSetupSheet();
        benchmark::DoNotOptimize(manager.TargetPDFFile());
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
        auto config = std::make_shared<vantrel::CAppSettings>();
        config->setFileName(platform::process::programFolder() + "\\bin\\Vantrel.ini");
        config->ReadSettings();
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

        start = Clock::now();
        const std::string sheet = folder.sheets() + "/Sheet_" + std::to_string(built % 50) + ".pdf";
        files.copyFile(utils.checkMe(config->TemplatesDirectory()) + setup.PDFTemplateSetupSheet(), sheet);
        stage[Copy] = secondsSince(start);

        start = Clock::now();
        auto filler = com::create<quorrel::ICPdfFormFiller>(quorrel::CLSID_CPdfFormFiller, quorrel::IID_CPdfFormFiller);
        com::check(filler->put_DataFile(dataFile));
        com::check(filler->put_DataFileDelimiter(config->DataFileDelimiter()));
        com::check(filler->put_PdfFormFile(sheet));
        com::check(filler->put_MappingFile(utils.checkMe(config->MappingDirectory()) + setup.MappingFile()));
        com::check(filler->FillForm());
        filler.reset();
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

BENCHMARK_MAIN();
