// Opening a setup into the window: the file read, the setup taken from the
// sheet's attachment or derived from its fields, and the 73 controls set.
//
//   BM_OpenSetup/raw_data        the shipped sample raw data file
//   BM_OpenSetup/sheet_attached  the sheet built from it, setup attached
//   BM_OpenSetup/sheet_fields    that sheet without its attachment: the
//                                setup comes from its fields
//
// The target is at most 50 ms for the sample sheet. What the attachment adds
// to a run is pdfauto_bench's BM_AttachSetupToFilledSheet.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include "Installation.h"
#include "platform/Process.h"
#include "BenchFolder.h"
#include "CSetupManager.h"
#include "MessageBox.h"
#include "frmVantrel.h"
#include "platform/Paths.h"
#include "WindowBenchMain.h"

namespace {

using bench::BenchFolder;
namespace fs = std::filesystem;

enum class Source { RawData, SheetAttached, SheetFields };

std::string sampleSheet(const BenchFolder& folder) {
    vantrel::CSetupManager manager;
    manager.setRawDataFile(folder.rawDataFile());
    manager.setSetupName("RDX");
    manager.setTargetPDFDirectory(folder.sheets());
    manager.setOpenInViewer(false);
    manager.BuildSetupSheet();
    return platform::paths::toNative(manager.TargetPDFFile());
}

std::string withoutAttachments(const std::string& sheet) {
    QPDF pdf;
    pdf.processFile(sheet.c_str());
    QPDFEmbeddedFileDocumentHelper files(pdf);
    for (const auto& [name, file] : files.getEmbeddedFiles()) files.removeEmbeddedFile(name);
    const std::string bare = (fs::path(sheet).parent_path() / "Bare.pdf").string();
    QPDFWriter writer(pdf, bare.c_str());
    writer.write();
    return bare;
}

void BM_OpenSetup(benchmark::State& state, Source source) {
    BenchFolder folder;
    std::string file = folder.rawDataFile();
    if (source != Source::RawData) file = sampleSheet(folder);
    if (source == Source::SheetFields) file = withoutAttachments(file);
    vantrel::frmVantrel window(vantrel::Installation::read(platform::process::programFolder()));
    for (auto _ : state) {
        window.control<QLineEdit>("txtDriverName")->clear();
        vantrel::MessageBox::clearHistory();
        vantrel::MessageBox::setNextAnswer(QMessageBox::Ok);
        if (!window.openSetupFile(QString::fromStdString(file)) || !vantrel::MessageBox::history().isEmpty()) {
            state.SkipWithError(vantrel::MessageBox::history().value(0).text.toStdString().c_str());
            break;
        }
        benchmark::DoNotOptimize(window.control<QLineEdit>("txtDriverName")->text());
    }
}
BENCHMARK_CAPTURE(BM_OpenSetup, raw_data, Source::RawData)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_OpenSetup, sheet_attached, Source::SheetAttached)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_OpenSetup, sheet_fields, Source::SheetFields)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return bench::runWindowBenchmarks(argc, argv); }
