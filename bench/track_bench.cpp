// At the track over 10,000 setups at 50 tracks, offscreen: the time from
// leaving the Track / City box of the real main window until "Last here" is
// offered, and the history of one track (the store's query, and the history
// window with its chart). Prints figures.
//   QT_QPA_PLATFORM=offscreen build/bench/track_bench

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <unistd.h>

#include "Installation.h"
#include "StandInHost.h"
#include "GeneratedSetups.h"
#include "LibraryWindow.h"
#include "TrackHistoryWindow.h"
#include "frmVantrel.h"
#include "library/TrackHistory.h"
#include "platform/Process.h"

namespace {

namespace fs = std::filesystem;
using namespace vantrel::library;
using vantrel::SetupField;

double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

std::string trackName(int n) { return n % 5 == 0 ? "Zürich " + std::to_string(n) : "Track " + std::to_string(n); }

void printSpread(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%s: median %.1f ms, worst %.1f ms over %zu\n", what, times[times.size() / 2], times.back(),
                times.size());
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    std::string pattern = (fs::temp_directory_path() / "track-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    const fs::path folder = pattern;
    fs::create_directories(folder / "bin");
    fs::create_directories(folder / "Data");
    fs::copy_file(fs::path(VANTREL_STAGE_DIR) / "bin" / "Vantrel.ini", folder / "bin" / "Vantrel.ini");
    testsupport::StandInHost host;
    host.setProgramFolder(folder.string());
    const std::string path = vantrel::Installation::read(platform::process::programFolder()).libraryFile();
    {
        SetupLibrary library(path);
        std::mt19937 rng(7);
        static const char* const kSpellings[] = {"%04d-%02d-%02d", "%3$d/%2$d/%1$d", "%3$d.%2$d.%1$d"};
        for (int n = 0; n < 10000; ++n) {
            SetupEntry e = bench::generatedSetup(rng, n);
            char date[32];
            std::snprintf(date, sizeof date, kSpellings[n % 3], 2020 + int(rng() % 7), 1 + int(rng() % 12),
                          1 + int(rng() % 28));
            e.values[std::size_t(SetupField::TrackCity)] = trackName(int(rng() % 50));
            e.values[std::size_t(SetupField::EventDate)] = date;
            e.values[std::size_t(SetupField::ResultsFinishPos)] = std::to_string(1 + rng() % 12);
            library.record(e);
        }
    }
    SetupLibrary reader(path, {.readOnly = true});
    std::printf("library: %zu setups at %zu tracks\n", reader.count(), knownTracks(reader).size());

    // Leaving the box: Tab out of Track / City until the offer stands.
    auto* main = new vantrel::frmVantrel(vantrel::Installation::read(platform::process::programFolder()));
    main->show();
    main->activateWindow();
    if (!QTest::qWaitForWindowActive(main)) std::printf("the main window did not become active\n");
    auto* box = main->findChild<QLineEdit*>("txtTrackCity");
    auto* offer = main->findChild<QLabel*>("lblLastHere");
    std::vector<double> offers;
    for (int round = 0; round < 30; ++round) {
        box->setFocus();
        box->setText(QString::fromStdString(trackName(round * 7 % 50)).toUpper());
        QElapsedTimer t;
        t.start();
        QTest::keyClick(box, Qt::Key_Tab);
        while (!offer->isVisible() && t.elapsed() < 5000) QApplication::processEvents();
        offer->repaint();
        offers.push_back(ms(t));
    }
    printSpread("\"Last here\" offered after leaving the Track / City box", offers);
    delete main;

    std::vector<double> queries, windows;
    std::size_t meetings = 0;
    TrackHistoryWindow window(path, {}, vantrel::Dialogs::system(), nullptr);
    window.show();
    QApplication::processEvents();
    for (int round = 0; round < 20; ++round) {
        const std::string track = trackName(round * 3 % 50);
        QElapsedTimer t;
        t.start();
        meetings = trackHistory(reader, track).size();
        queries.push_back(ms(t));
        t.restart();
        window.showTrack(QString::fromStdString(track));
        window.repaint();
        windows.push_back(ms(t));
    }
    std::printf("a track's history: %zu meetings\n", meetings);
    printSpread("history of one track, the store's query with the changes", queries);
    printSpread("history of one track in its window, table and chart drawn", windows);
    std::error_code ec;
    fs::remove_all(folder, ec);
    return 0;
}
