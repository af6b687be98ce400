// One FillForm of forms of 112, 1,000 and 10,000 text fields: Quorrel
// through the component runtime, on the real PDF automation library.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "StandInHost.h"
#include "TestPdf.h"
#include "platform/Process.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Runtime.h"
#include "quorrel/Quorrel.h"

namespace {

namespace fs = std::filesystem;

class BenchFolder {
public:
    BenchFolder() {
        std::random_device rd;
        do {
            m_path = fs::temp_directory_path() / ("vantrel-bench-" + std::to_string(rd()));
        } while (!fs::create_directory(m_path));
        fs::create_directories(m_path / "bin");
        m_host.setProgramFolder(m_path.string());
        com::setRegistryPath((m_path / "bin" / "Registry.ini").string());
        for (const char* library : {VANTREL_QUORREL_LIBRARY, VANTREL_PDFAUTOMATION_LIBRARY})
            if (com::failed(com::registerLibrary(library)))
                throw std::runtime_error("cannot register " + std::string(library) + ": " + com::lastFailureReason());
    }
    ~BenchFolder() {
        com::freeUnusedLibraries();
        com::setRegistryPath({});
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    std::string path(const std::string& name) const { return (m_path / name).string(); }

private:
    fs::path m_path;
    testsupport::StandInHost m_host;
};

// A form of `count` fields on as many pages as they need, its mapping and a
// one-record data file. Values stay short enough for the record's 32,767
// characters at 10,000 fields.
void makeInputs(const BenchFolder& folder, int count) {
    std::vector<quorreltest::TextField> fields;
    std::ofstream mapping(folder.path("m.map"), std::ios::binary);
    std::ofstream data(folder.path("d.txt"), std::ios::binary);
    for (int i = 1; i <= count; ++i) {
        const std::string name = "fldField" + std::to_string(i);
        fields.push_back({name, (i - 1) / 36});
        mapping << i << "=" << name << "\r\n";
        data << (i > 1 ? "|" : "") << (count > 5000 ? std::to_string(i % 100) : "value " + std::to_string(i));
    }
    data << "\r\n";
    quorreltest::writeFormPdf(folder.path("form.pdf"), (count + 35) / 36, fields);
}

void BM_FillForm(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    BenchFolder folder;
    makeInputs(folder, count);
    auto filler = com::create<quorrel::ICPdfFormFiller>(quorrel::CLSID_CPdfFormFiller, quorrel::IID_CPdfFormFiller);
    com::check(filler->put_DataFile(folder.path("d.txt")));
    com::check(filler->put_DataFileDelimiter("|"));
    com::check(filler->put_PdfFormFile(folder.path("form.pdf")));
    com::check(filler->put_MappingFile(folder.path("m.map")));
    for (auto _ : state) com::check(filler->FillForm());
    state.counters["fields"] = count;
    state.counters["per_field"] =
        benchmark::Counter(count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_FillForm)->Arg(112)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
