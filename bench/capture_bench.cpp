// The window's path from the click to the sheet on disk, and the share of the
// raw data file's write in it: the capture once wrote the file with one entry
// write per setup field (73 reads, rewrites, syncs and renames of the whole
// file) and now writes it in one replacement.
//
//   BM_ClickToSheet               the real window (offscreen): one press of
//                                 "Create >", capture and pipeline as shipped
//   BM_CaptureToSheet/single_writes   the captured record written entry by
//   BM_CaptureToSheet/one_write       entry, or in one write, then the sheet
//                                     built from it under the run lock, as
//                                     the click does
//   BM_RawDataWrite/single_writes     the raw data file's write alone
//   BM_RawDataWrite/one_write

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <chrono>
#include <cstdlib>
#include <memory>

#include "Installation.h"
#include "platform/Process.h"
#include "BenchFolder.h"
#include "CAppSettings.h"
#include "CSetupManager.h"
#include "MessageBox.h"
#include "frmVantrel.h"
#include "modStartProgram.h"
#include "platform/RunLock.h"
#include "WindowBenchMain.h"

namespace {

using bench::BenchFolder;
using Clock = std::chrono::steady_clock;

enum class RawDataWrite { SingleWrites, OneWrite };

// The sample setup as the capture holds it before writing.
std::shared_ptr<vantrel::CAppSettings> capturedRecord(const BenchFolder& folder) {
    auto record = std::make_shared<vantrel::CAppSettings>();
    record->setFileName(folder.rawDataFile());
    record->LoadRawData();
    record->setFileName((folder.path() / "Data" / "RawData.dat").string());
    return record;
}

void writeRawData(vantrel::CAppSettings& record, RawDataWrite how) {
    if (how == RawDataWrite::OneWrite) return record.WriteRawData();
    for (std::size_t i = 0; i < vantrel::SetupFieldCount; ++i)
        record.WriteSettings("SetupData", std::string(vantrel::SetupFieldKeys[i]),
                             record.field(vantrel::SetupField(i)));
}

void report(benchmark::State& state, double seconds, int64_t count) {
    state.counters["ms_per_sheet"] = count ? 1e3 * seconds / double(count) : 0;
}

void BM_ClickToSheet(benchmark::State& state) {
    BenchFolder folder;
    vantrel::frmVantrel window(vantrel::Installation::read(platform::process::programFolder()));
    window.control<QLineEdit>("txtDriverName")->setText("Alex Brennan");
    window.control<QLineEdit>("txtEventName")->setText("Winter Series Round 3");
    window.control<QCheckBox>("chkExternalData")->setCheckState(Qt::Unchecked);
    int64_t built = 0;
    double spent = 0;
    for (auto _ : state) {
        window.control<QLineEdit>("txtTargetPDFDirectory")->setText(QString::fromStdString(folder.sheets()));
        vantrel::MessageBox::clearHistory();
        vantrel::MessageBox::setNextAnswer(QMessageBox::Ok);
        const auto start = Clock::now();
        vantrel::RunSetupSheet(window);
        spent += std::chrono::duration<double>(Clock::now() - start).count();
        if (!vantrel::MessageBox::history().isEmpty()) {
            state.SkipWithError(vantrel::MessageBox::history().first().text.toStdString().c_str());
            break;
        }
        if (++built % 50 == 0) folder.clearSheets();
    }
    report(state, spent, built);
}
BENCHMARK(BM_ClickToSheet)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CaptureToSheet(benchmark::State& state, RawDataWrite how) {
    BenchFolder folder;
    const auto record = capturedRecord(folder);
    int64_t built = 0;
    double spent = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        {
            const platform::process::RunLock runLock(
                vantrel::Installation::read(platform::process::programFolder()).runLockFile());
            writeRawData(*record, how);
            vantrel::CSetupManager manager;
            manager.setRawDataFile(record->FileName());
            manager.setSetupName("RDX");
            manager.setTargetPDFDirectory(folder.sheets());
            manager.setOpenInViewer(false);
            manager.BuildSetupSheet();
            benchmark::DoNotOptimize(manager.TargetPDFFile());
        }
        spent += std::chrono::duration<double>(Clock::now() - start).count();
        if (++built % 50 == 0) {
            state.PauseTiming();
            folder.clearSheets();
            state.ResumeTiming();
        }
    }
    report(state, spent, built);
}
BENCHMARK_CAPTURE(BM_CaptureToSheet, single_writes, RawDataWrite::SingleWrites)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_CaptureToSheet, one_write, RawDataWrite::OneWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RawDataWrite(benchmark::State& state, RawDataWrite how) {
    BenchFolder folder;
    const auto record = capturedRecord(folder);
    for (auto _ : state) writeRawData(*record, how);
}
BENCHMARK_CAPTURE(BM_RawDataWrite, single_writes, RawDataWrite::SingleWrites)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_RawDataWrite, one_write, RawDataWrite::OneWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return bench::runWindowBenchmarks(argc, argv); }
