// What a hostile file costs the real vantrel-batch: for the largest input of
// each family (an attachment and packed objects that inflate to 1 GiB, a form
// of 120,000 fields, 150,000 pages, a field list of eight million numbers, a
// raw data file of 16 million lines, a sparse 5 GB file, /dev/zero), peak
// memory and time of --fields, --extract, --import and --sync, beside the
// same for the sample sheet; then --import of hostile CSVs (rows that hold
// nothing, a row of millions of empty columns, a quote never closed) in
// seconds a MiB and peak memory beside the file's size. Prints figures,
// asserts nothing.
//   build/bench/hostile_input_bench          (--csv: the CSVs alone)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "HostileFiles.h"

namespace {

namespace fs = std::filesystem;
constexpr std::uint64_t MiB = 1024 * 1024;

struct Cost {
    double ms = 0;
    long peakKiB = 0;
    int status = -1;
};

// One run of the program in a process of its own, its output thrown away.
// The child's peak counts the memory of whatever it was before its exec, so
// the program is started from a small measuring process (this bench run
// again with --measure), never straight from the bench with its files.
Cost measure(const std::vector<std::string>& command) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1), ::dup2(null, 2);
        std::vector<char*> argv;
        for (const auto& a : command) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(child, &status, 0, &usage);
    Cost cost;
    cost.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    cost.peakKiB = usage.ru_maxrss;
    cost.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return cost;
}

fs::path g_self;

Cost run(const fs::path& program, const std::vector<std::string>& args) {
    const fs::path result = fs::temp_directory_path() / ("hostile-input-bench-" + std::to_string(::getpid()));
    std::vector<std::string> command{g_self.string(), "--measure", result.string(), program.string()};
    command.insert(command.end(), args.begin(), args.end());
    measure(command);
    Cost cost;
    std::ifstream(result) >> cost.ms >> cost.peakKiB >> cost.status;
    fs::remove(result);
    return cost;
}

void write(const fs::path& at, const std::string& bytes) { std::ofstream(at, std::ios::binary) << bytes; }

}  // namespace

namespace fs = std::filesystem;
void measureFiles(const fs::path& batch, const fs::path& work, const fs::path& files, const fs::path& team);
void measureCsvs(const fs::path& batch, const fs::path& work, const fs::path& files);

int main(int argc, char* argv[]) {
    if (argc > 3 && std::string(argv[1]) == "--measure") {
        const Cost cost = measure(std::vector<std::string>(argv + 3, argv + argc));
        std::ofstream(argv[2]) << cost.ms << ' ' << cost.peakKiB << ' ' << cost.status << '\n';
        return 0;
    }
    const bool csvOnly = argc > 1 && std::string(argv[1]) == "--csv";
    g_self = fs::canonical("/proc/self/exe");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::string pattern = (fs::temp_directory_path() / "hostile-input-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    const fs::path work = pattern, program = work / "Vantrel", team = work / "Team", files = work / "files";
    fs::copy(VANTREL_STAGE_DIR, program, fs::copy_options::recursive);
    fs::create_directories(files);
    std::ofstream(program / "bin" / "Vantrel.ini", std::ios::app) << "TeamFolder=" << team.string() << "\r\n";
    const fs::path batch = program / "vantrel-batch";
    if (run(batch, {"--target", files.string(), (program / "Data" / "Sample_RDX.dat").string()}).status != 0) return 1;
    fs::remove_all(team);  // the sample sheet's team copy: each family gets the folder to itself
    if (!csvOnly) measureFiles(batch, work, files, team);
    measureCsvs(batch, work, files);
    fs::remove_all(work);
    return 0;
}

void measureFiles(const fs::path& batch, const fs::path& work, const fs::path& files, const fs::path& team) {
    struct Family {
        const char* name;
        fs::path file;
    };
    std::vector<Family> families;
    for (const auto& e : fs::directory_iterator(files))
        if (e.path().extension() == ".pdf") families.push_back({"the sample sheet", e.path()});
    std::printf("making the hostile files ...\n");
    const std::string sheetName = "Driver B_SetupSheet_RDX_2026-12-08_101500.25";
    write(files / "attachment.pdf", hostile::attachmentBomb(1024 * MiB, sheetName + ".dat"));
    families.push_back({"attachment inflating to 1 GiB", files / "attachment.pdf"});
    write(files / "packed.pdf", hostile::packedObjectBomb(1024 * MiB));
    families.push_back({"packed objects inflating to 1 GiB", files / "packed.pdf"});
    write(files / "fields.pdf", hostile::manyFields(120000));
    families.push_back({"form of 120,000 fields", files / "fields.pdf"});
    write(files / "pages.pdf", hostile::manyPages(150000));
    families.push_back({"document of 150,000 pages", files / "pages.pdf"});
    write(files / "lines.dat", hostile::manyLines(16 * MiB - 16));
    families.push_back({"raw data file of 16 million lines", files / "lines.dat"});
    write(files / "array.pdf", hostile::hugeArray(8000000));
    families.push_back({"field list of 8 million numbers", files / "array.pdf"});
    {
        std::ofstream(files / "sparse.pdf") << "%PDF-1.7\n";
        fs::resize_file(files / "sparse.pdf", 5'000'000'000);
        families.push_back({"sparse file of 5 GB", files / "sparse.pdf"});
    }
    families.push_back({"/dev/zero", "/dev/zero"});

    std::printf("%-36s %10s  %-10s %9s %10s %5s\n", "input", "file KiB", "command", "ms", "peak KiB", "exit");
    for (const Family& f : families) {
        std::error_code ec;
        const auto size = fs::is_regular_file(f.file, ec) ? fs::file_size(f.file) : 0;
        const std::string out = (work / "out.dat").string();
        const std::vector<std::pair<const char*, std::vector<std::string>>> commands{
            {"--fields", {"--fields", f.file.string()}},
            {"--extract", {"--extract", f.file.string(), out}},
            {"--import", {"--import", f.file.string()}},
        };
        for (const auto& [name, args] : commands) {
            const Cost c = run(batch, args);
            std::printf("%-36s %10.0f  %-10s %9.1f %10ld %5d\n", f.name, double(size) / 1024, name, c.ms, c.peakKiB,
                        c.status);
        }
        if (fs::is_regular_file(f.file, ec)) {
            // The team folder holding this one sheet; the first scan reads it.
            fs::remove_all(team);
            fs::create_directories(team / "Driver B");
            fs::create_symlink(f.file, team / "Driver B" / "link.pdf");  // passed over, never read
            const fs::path copy = team / "Driver B" / (sheetName + ".pdf");
            if (size > 1024 * MiB) {
                // Made sparse again rather than copied block by block.
                std::ofstream(copy) << "%PDF-1.7\n";
                fs::resize_file(copy, size);
            } else {
                fs::copy_file(f.file, copy);
            }
            const Cost c = run(batch, {"--sync"});
            std::printf("%-36s %10.0f  %-10s %9.1f %10ld %5d\n", f.name, double(size) / 1024, "--sync", c.ms, c.peakKiB,
                        c.status);
        }
    }
}

// --import of CSVs as a stranger may hand them over, each up to the 64 MiB
// that import accepts: the header of a real export, then rows of nothing
// ("R"), or one row of empty columns, or a quote never closed.
void measureCsvs(const fs::path& batch, const fs::path& work, const fs::path& files) {
    const fs::path exported = work / "export.csv";
    if (run(batch, {"--export-csv", exported.string()}).status != 0) return;
    std::string header;
    std::getline(std::ifstream(exported, std::ios::binary), header);
    header += "\n";
    struct Csv {
        std::string name;
        std::uint64_t bytes;
        std::string (*body)(std::uint64_t);
    };
    auto rows = [](std::uint64_t n) {
        std::string text;
        text.reserve(n);
        while (text.size() + 3 <= n) text += "R\r\n";
        return text;
    };
    auto columns = [](std::uint64_t n) { return std::string(n, ',') + "\r\n"; };
    auto unclosed = [](std::uint64_t n) { return ",RDX,\"" + std::string(n, '\n'); };
    std::vector<Csv> csvs;
    for (const std::uint64_t size : {2 * MiB, 4 * MiB, 16 * MiB, 64 * MiB - 4096}) {
        const std::string mib = std::to_string(size / MiB + (size % MiB ? 1 : 0));
        csvs.push_back({"rows of nothing, " + mib + " MiB", size, +rows});
        csvs.push_back({"one row of empty columns, " + mib + " MiB", size, +columns});
        csvs.push_back({"a quote never closed, " + mib + " MiB", size, +unclosed});
    }
    std::printf("\n%-36s %10s %9s %8s %10s %10s %5s\n", "CSV", "file KiB", "ms", "s/MiB", "peak KiB", "beyond KiB",
                "exit");
    for (const Csv& c : csvs) {
        const fs::path file = files / "hostile.csv";
        write(file, header + c.body(c.bytes - header.size()));
        const auto size = fs::file_size(file);
        // Each import into a library of its own: the rows are not what is measured.
        fs::remove(batch.parent_path() / "Data" / "Library.sqlite");
        const Cost cost = run(batch, {"--import", file.string()});
        std::printf("%-36s %10.0f %9.1f %8.3f %10ld %10ld %5d\n", c.name.c_str(), double(size) / 1024, cost.ms,
                    cost.ms / 1000 / (double(size) / MiB), cost.peakKiB, cost.peakKiB - long(size / 1024), cost.status);
    }
}
