// A meeting's runs over a library of 20,000 runs at 50 tracks (34 meetings
// of 12 runs at each), offscreen: logging a run, the meeting window of 12
// runs, which change paid off at one track and over every track, and 500
// pasted laps read. Prints figures.
//   QT_QPA_PLATFORM=offscreen build/bench/runs_bench

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <ctime>
#include <unistd.h>

#include "MeetingWindow.h"
#include "runs/LapTimes.h"
#include "runs/PaidOff.h"
#include "runs/RunLog.h"

namespace {

namespace fs = std::filesystem;
using namespace vantrel::runs;
using vantrel::Setup;
using vantrel::SetupField;

double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

double cpuMs() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

void printSpread(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%s: median %.2f ms, worst %.2f ms over %zu\n", what, times[times.size() / 2], times.back(),
                times.size());
}

Setup meeting(int track, int round) {
    Setup v;
    v[std::size_t(SetupField::DriverName)] = round % 3 ? "Jo Smith" : "Al Brown";
    v[std::size_t(SetupField::TrackCity)] = "Track " + std::to_string(track);
    v[std::size_t(SetupField::EventName)] = "Round " + std::to_string(round);
    v[std::size_t(SetupField::EventDate)] = "20" + std::to_string(20 + round / 12) + "-" +
                                            std::to_string(10 + round % 12 / 4) + "-1" + std::to_string(round % 4);
    return v;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    std::string pattern = (fs::temp_directory_path() / "runs-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    const fs::path folder = pattern;
    const std::string path = (folder / "Library.sqlite").string();
    const SetupField knobs[] = {SetupField::FrontShockOil, SetupField::RearShockOil,   SetupField::Pinion,
                                SetupField::FrontCamber,   SetupField::RearRideHeight, SetupField::FrontShockSpring};
    std::mt19937 rng(7);
    auto lapsOf = [&](std::int64_t pace) {
        std::vector<Lap> laps;
        for (int i = 0; i < 10; ++i) laps.push_back({pace + std::int64_t(rng() % 400), true});
        return laps;
    };
    QElapsedTimer fill;
    fill.start();
    {
        SetupLibrary library(path);
        for (int track = 0; track < 50; ++track)
            for (int round = 0; round < 34; ++round) {
                Setup v = meeting(track, round);
                for (const SetupField f : knobs) v[std::size_t(f)] = "30";
                for (int run = 0; run < 12; ++run) {
                    auto& knob = v[std::size_t(knobs[rng() % std::size(knobs)])];
                    knob = std::to_string(std::stoi(knob) + (rng() % 2 ? 1 : -1));
                    RunEntry e;
                    e.name = runNames()[std::size_t(run)];
                    e.values = v;
                    e.created = "2026-05-01T10:00:00+02:00";
                    e.laps = lapsOf(13000);
                    logRun(library, e);
                }
            }
        std::printf("library of %zu runs made in %.1f s\n", runCount(library), ms(fill) / 1000);
    }

    SetupLibrary library(path);
    std::vector<double> times;
    for (int i = 0; i < 50; ++i) {
        Setup v = meeting(7, 40 + i);
        v[std::size_t(SetupField::FrontShockOil)] = std::to_string(i);
        RunEntry e;
        e.name = "Practice 1";
        e.values = v;
        e.laps = lapsOf(12800);
        QElapsedTimer t;
        t.start();
        logRun(library, e);
        times.push_back(ms(t));
    }
    printSpread("logging a run", times);

    times.clear();
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer t;
        t.start();
        MeetingWindow window(path, meeting(i % 50, 5), vantrel::Dialogs::system());
        window.show();
        window.grab();  // table and chart painted
        times.push_back(ms(t));
        if (window.runs().size() != 12) std::printf("meeting window shows %zu runs, not 12\n", window.runs().size());
    }
    printSpread("meeting window of 12 runs, shown and painted", times);

    times.clear();
    std::size_t rows = 0;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer t;
        t.start();
        rows = paidOff(library, "track " + std::to_string(i)).size();
        times.push_back(ms(t));
    }
    printSpread(("which change paid off at one track (" + std::to_string(rows) + " changes)").c_str(), times);

    times.clear();
    std::vector<double> cpu;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        const double cpuBefore = cpuMs();
        rows = paidOff(library, {}).size();
        times.push_back(ms(t));
        cpu.push_back(cpuMs() - cpuBefore);
    }
    printSpread(("which change paid off over all tracks (" + std::to_string(rows) + " changes)").c_str(), times);
    // The processor's time alone: what the figure is on a machine that runs nothing else.
    printSpread("  of which this process's processor time", cpu);

    {
        // Of which the runs read a track at a time, and as one list reckoned at once.
        QElapsedTimer t;
        t.start();
        std::size_t read = 0;
        forEachTrack(library, {}, {}, [&](const std::vector<StoredRun>& runs) { read += runs.size(); });
        const double each = ms(t);
        t.restart();
        const auto all = trackRuns(library, {});
        const double whole = ms(t);
        t.restart();
        rows = paidOff(all).size();
        std::printf(
            "  of which the %zu runs read a track at a time %.2f ms (all at once %.2f ms), the pairs "
            "reckoned %.2f ms\n",
            read, each, whole, ms(t));
    }

    std::string pasted = "Lap\tPos\tTime\tGap\n";
    for (int i = 1; i <= 500; ++i)
        pasted += std::to_string(i) + "\t" + std::to_string(i % 7 + 1) + "\t0:" + lapText(12000 + rng() % 900) + "\t+" +
                  std::to_string(rng() % 9) + ".2\n";
    times.clear();
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer t;
        t.start();
        const LapReading r = readLaps(pasted);
        times.push_back(ms(t));
        if (r.laps.size() != 500) std::printf("read %zu laps, not 500\n", r.laps.size());
    }
    printSpread("500 pasted laps read", times);
    fs::remove_all(folder);
    return 0;
}
