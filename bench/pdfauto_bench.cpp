// The PDF engine under the automation objects: one fill of a form of 112,
// 1,000 and 10,000 text fields (open, look every field up by name, set its
// value, save with appearances). Time per field should stay flat as forms grow.
// And the setup record attached to a filled RDX sheet: load, attach a raw data
// file of 73 keys (about 3 KB), save atomically; target under 5 ms.
#include "FormPdfBuilder.h"
#include "PdfForm.h"
#include "pdfauto/Document.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct BenchFolder {
    BenchFolder() {
        std::string pattern = (fs::temp_directory_path() / "pdfauto-bench-XXXXXX").string();
        path = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~BenchFolder() {
        std::error_code ec;
        if (!path.empty()) fs::remove_all(path, ec);
    }
    std::string path;
};

std::string fieldName(int k) { return "fld" + std::to_string(k); }

// A form of `count` single-line text fields, 40 to a page, Helvetica, auto size.
std::string makeTemplate(const std::string& folder, int count) {
    pdfautotest::FormSpec layout;
    layout.pages = (count + 39) / 40;
    for (int k = 0; k < count; ++k) {
        const double y = 760 - (k % 40) * 18;
        layout.fields.push_back({.name = fieldName(k), .page = k / 40, .rect = {40, y - 14, 300, y}});
    }
    const std::string path = folder + "/template-" + std::to_string(count) + ".pdf";
    pdfautotest::writeForm(path, layout);
    return path;
}

void BM_FillForm(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    BenchFolder folder;
    const std::string source = makeTemplate(folder.path, count);
    const std::string sheet = folder.path + "/sheet.pdf";
    std::vector<std::string> names;
    for (int k = 0; k < count; ++k) names.push_back(fieldName(k));

    for (auto _ : state) {
        pdfauto::PdfForm form(source);
        for (int k = 0; k < count; ++k) form.find(names[static_cast<std::size_t>(k)])->setValue("12.5 mm é");
        form.save(sheet);
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["per_field"] =
        benchmark::Counter(static_cast<double>(count) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The shipped sample's 73 keys, each value lengthened to make about 3 KB in all.
std::string setupRecord() {
    std::ifstream in(std::string(VANTREL_STAGE_DIR) + "/Data/Sample_RDX.dat", std::ios::binary);
    std::string out, line;
    int keys = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find('=') != std::string::npos) {
            ++keys;
            line += std::string(std::max<std::size_t>(0, 40 - std::min<std::size_t>(40, line.size())), '.');
        }
        out += line + "\r\n";
    }
    if (keys != 73) return {};
    return out;
}

void BM_AttachSetupToFilledSheet(benchmark::State& state) {
    BenchFolder folder;
    const std::string sheet = folder.path + "/Alex Brennan_SetupSheet_RDX.pdf";
    {
        pdfauto::PdfForm form(std::string(VANTREL_STAGE_DIR) + "/Templates/SetupSheet_RDX.pdf");
        for (std::size_t k = 0; k < form.fieldCount(); ++k)
            if (form.fieldAt(k).type() == "text") form.fieldAt(k).setValue("12.5 mm");
        form.save(sheet);
    }
    const std::string record = setupRecord();
    if (record.empty()) {
        state.SkipWithError("the staged sample has not 73 keys");
        return;
    }
    // Each time on the sheet as the fill left it, as a run attaches once.
    const std::string filled = folder.path + "/filled.pdf";
    fs::copy_file(sheet, filled);
    for (auto _ : state) {
        state.PauseTiming();
        fs::copy_file(filled, sheet, fs::copy_options::overwrite_existing);
        state.ResumeTiming();
        pdfauto::attachFile(sheet, "Alex Brennan_SetupSheet_RDX.dat", record);
    }
    state.counters["record_bytes"] = static_cast<double>(record.size());
    state.counters["sheet_bytes"] = static_cast<double>(fs::file_size(sheet));
}

}  // namespace

BENCHMARK(BM_AttachSetupToFilledSheet)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK(BM_FillForm)
    ->Arg(112)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

BENCHMARK_MAIN();
