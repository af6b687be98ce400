// The team folder at 5,000 sheets: the first scan (every sheet new, each
// read through the setup readers), a rescan with nothing new (by name, size
// and time, no sheet opened), and a new sheet dropped into the folder until
// it shows in the library window beside the real watch. Before them, the
// team's runs: 600 run files of 500 runs each (first scan, rescan, peak
// memory) and 1,000 hard links to one run file; the watch's first scan takes
// the same runs in. Prints figures.
//   build/bench/team_folder_bench [SHEETS] [RUN FILES]
// The sheets are copies of one sheet the staged vantrel-batch builds, each
// under a name of its own in one of twenty driver folders.

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <ctime>

#include "Installation.h"
#include "StandInHost.h"
#include "LibraryWindow.h"
#include "TeamIntake.h"
#include "TeamRuns.h"
#include "TeamSync.h"
#include "TeamWatch.h"
#include "library/SetupLibrary.h"
#include "platform/Process.h"

namespace {

namespace fs = std::filesystem;

double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

std::string nameOf(int n) {
    char name[96];
    std::snprintf(name, sizeof name, "Driver %02d/Driver %02d_SetupSheet_RDX_2026-%02d-%02d_%02d%02d%02d.00.pdf",
                  n % 20, n % 20, 1 + n % 12, 1 + n % 28, n / 3600 % 24, n / 60 % 60, n % 60);
    return name;
}

// This process's processor time: the figure on a machine that runs nothing else.
double cpuMs() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

long peakKiB() {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A run file of `runs` runs of one meeting, as short as a run can be.
std::string runFile(int file, int runs, const std::string& driver) {
    std::string out;
    char line[256];
    for (int r = 0; r < runs; ++r) {
        std::snprintf(line, sizeof line,
                      "[Run]\r\nRun.Uid=f%05dr%05d\r\nRun.Name=P%d\r\nRun.Created=2026-12-08T%02d:%02d:%02d+01:00\r\n"
                      "Run.Laps=%d %d\r\nDriverName=%s\r\nTrackCity=Lostock\r\nEventName=E%d\r\n",
                      file, r, r, r / 3600 % 24, r / 60 % 60, r % 60, 20000 + r, 20100 + r, driver.c_str(), file);
        out += line;
    }
    return out + "[End]\r\n";
}

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

void benchRuns(const fs::path& work, const fs::path& team, int files) {
    std::uintmax_t bytes = 0;
    for (int f = 0; f < files; ++f) {
        char driver[32];
        std::snprintf(driver, sizeof driver, "Runner %02d", f % 20);
        const std::string text = runFile(f, 500, driver);
        bytes += text.size();
        writeFile(team / driver / ("Run f" + std::to_string(f) + ".vrun"), text);
    }
    std::printf("team runs: %d files of 500 runs (%.1f MiB)\n", files, double(bytes) / 1048576);
    const long before = peakKiB();
    {
        vantrel::library::SetupLibrary library((work / "Runs.sqlite").string());
        QElapsedTimer t;
        t.start();
        const double cpuBefore = cpuMs();
        auto report = vantrel::team::syncTeamRuns(library, team.string(), "Racer");
        const double cpu = cpuMs() - cpuBefore;
        if (!report.problems.empty())
            std::printf("refused: %zu, first %s: %s\n", report.problems.size(), report.problems[0].file.c_str(),
                        report.problems[0].reason.c_str());
        std::printf(
            "runs, first scan: %.0f ms, %.0f ms of processor time (%zu runs added, %zu pending), peak memory "
            "%.0f MiB (%.0f MiB more)\n",
            ms(t), cpu, report.added, report.pending, double(peakKiB()) / 1024, double(peakKiB() - before) / 1024);
        for (int round = 0; round < 2; ++round) {
            t.restart();
            report = vantrel::team::syncTeamRuns(library, team.string(), "Racer");
            std::printf("runs, rescan with nothing new: %.1f ms (%zu added)\n", ms(t), report.added);
        }
    }
    // One file and 1,000 hard links to it, in a team folder of their own.
    const fs::path linked = work / "Linked";
    const fs::path original = linked / "Runner 01" / "Run.vrun";
    writeFile(original, runFile(9999, 500, "Runner 01"));
    for (int n = 0; n < 1000; ++n)
        fs::create_hard_link(original, linked / "Runner 01" / ("Link " + std::to_string(n) + ".vrun"));
    vantrel::library::SetupLibrary library((work / "Linked.sqlite").string());
    QElapsedTimer t;
    t.start();
    const auto report = vantrel::team::syncTeamRuns(library, linked.string(), "Racer");
    std::printf("1,000 hard links to one run file of %.0f KiB: %.0f ms (%zu runs added), peak memory %.0f MiB\n",
                double(fs::file_size(original)) / 1024, ms(t), report.added, double(peakKiB()) / 1024);
}

}  // namespace

int main(int argc, char* argv[]) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int sheets = argc > 1 ? std::atoi(argv[1]) : 5000;
    std::string pattern = (fs::temp_directory_path() / "team-folder-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    const fs::path work = pattern, program = work / "Vantrel", team = work / "Team";
    fs::copy(VANTREL_STAGE_DIR, program, fs::copy_options::recursive);
    fs::create_directories(team);
    benchRuns(work, team, argc > 2 ? std::atoi(argv[2]) : 600);
    const std::string built = (work / "built.txt").string();
    const std::string command = "'" + (program / "vantrel-batch").string() + "' --target '" + work.string() + "' '" +
                                (program / "Data" / "Sample_RDX.dat").string() + "' > '" + built + "'";
    if (std::system(command.c_str()) != 0) return 1;
    fs::path sheet;
    for (const auto& e : fs::directory_iterator(work))
        if (e.path().extension() == ".pdf") sheet = e.path();
    fs::remove(program / "Data" / "Library.sqlite");
    fs::remove(program / "Data" / "Library.sqlite-wal");
    fs::remove(program / "Data" / "Library.sqlite-shm");
    for (int n = 0; n < sheets; ++n) {
        fs::create_directories((team / nameOf(n)).parent_path());
        fs::copy_file(sheet, team / nameOf(n));
    }
    std::printf("team folder: %d sheets of %.0f KiB\n", sheets, double(fs::file_size(sheet)) / 1024);

    testsupport::StandInHost host;
    host.setProgramFolder(program.string());
    const std::string libraryFile = (program / "Data" / "Library.sqlite").string();
    {
        vantrel::library::SetupLibrary library(libraryFile);
        const auto reader = vantrel::teamSheetReader(vantrel::Installation::read(program.string()));
        QElapsedTimer t;
        t.start();
        auto report = vantrel::team::syncTeamFolder(library, team.string(), *reader);
        std::printf("first scan, all new: %.0f ms (%zu added, %.2f ms a sheet)\n", ms(t), report.added.size(),
                    ms(t) / double(std::max<std::size_t>(1, report.added.size())));
        for (int round = 0; round < 3; ++round) {
            t.restart();
            report = vantrel::team::syncTeamFolder(library, team.string(), *reader);
            std::printf("rescan, nothing new: %.1f ms (%zu already there, %zu added)\n", ms(t), report.alreadyThere,
                        report.added.size());
        }
    }

    // The window floor: the watch on the folder, the library window open.
    {
        std::FILE* ini = std::fopen((program / "bin" / "Vantrel.ini").c_str(), "ab");
        std::fprintf(ini, "TeamFolder=%s\r\n", team.c_str());
        std::fclose(ini);
    }
    const vantrel::Installation installation = vantrel::Installation::read(platform::process::programFolder());
    vantrel::library::LibraryWindow window(libraryFile, vantrel::setupTypeFolders(installation),
                                           vantrel::Dialogs::system());
    window.show();
    vantrel::TeamWatch watch(installation);
    QObject::connect(&watch, &vantrel::TeamWatch::setupsAdded, &window, &vantrel::library::LibraryWindow::reload);
    bool ready = false;
    QObject::connect(&watch, &vantrel::TeamWatch::scanned, [&] { ready = true; });
    // The window shows a page of rows, so its row count does not grow: a sheet has arrived when the watch
    // has said so and the window, connected first, has read the library again.
    int arrivals = 0;
    QObject::connect(&watch, &vantrel::TeamWatch::setupsAdded, [&](int count) { arrivals += count; });
    watch.restart();
    QElapsedTimer watchTime;
    watchTime.start();
    while (!ready) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("the watch's first scan (the team's runs new to this library): %.0f ms, peak memory %.0f MiB\n",
                ms(watchTime), double(peakKiB()) / 1024);
    for (int round = 0; round < 3; ++round) {
        const fs::path arrival =
            team / ("Driver 99/Driver 99_SetupSheet_RDX_2026-12-08_10150" + std::to_string(round) + ".00.pdf");
        fs::create_directories(arrival.parent_path());
        // As a sync tool lands a file: written under a temporary name, renamed.
        const fs::path temp = arrival.parent_path() / ".syncthing.arrival.tmp";
        fs::copy_file(sheet, temp);
        QElapsedTimer t;
        t.start();
        fs::rename(temp, arrival);
        while (arrivals == round && t.elapsed() < 10000) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (arrivals == round) {
            std::printf("new sheet shown in the library window: none in 10 s\n");
            return 1;
        }
        std::printf("new sheet shown in the library window: %.0f ms\n", ms(t));
    }
    std::error_code ec;
    fs::remove_all(work, ec);
    return 0;
}
