// The library window over 10,000 setups, offscreen: the time from opening it
// until its first rows are painted, one keystroke of the search (filter and
// repaint), and the process's memory with the window open. Prints figures.
//   QT_QPA_PLATFORM=offscreen build/bench/library_window_bench

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

#include "Installation.h"
#include "LibraryWindow.h"
#include "platform/Process.h"
#include "GeneratedSetups.h"
#include "library/SetupLibrary.h"

namespace {

namespace fs = std::filesystem;
using namespace vantrel::library;

using bench::generatedSetup;

// "VmRSS" or "VmHWM" of this process, in KiB.
long statusKiB(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(line.find(':') + 1));
    return -1;
}

double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    std::string pattern = (fs::temp_directory_path() / "library-window-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    const fs::path folder = pattern;
    const std::string path = (folder / "Library.sqlite").string();
    {
        SetupLibrary library(path);
        std::mt19937 rng(1);
        for (int n = 0; n < 10000; ++n) library.record(generatedSetup(rng, n));
    }
    std::printf("library: %zu setups, %.1f MiB on disk\n", SetupLibrary(path, {true}).count(),
                double(fs::file_size(path)) / (1024 * 1024));
    const long rssBefore = statusKiB("VmRSS");

    // Opening: construction, first layout and paint of the rows.
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer t;
        t.start();
        auto* window = new LibraryWindow(
            path, vantrel::setupTypeFolders(vantrel::Installation::read(platform::process::programFolder())),
            vantrel::Dialogs::system());
        window->show();
        QApplication::processEvents();
        window->table()->viewport()->repaint();
        const double opened = ms(t);
        std::printf("open, first rows shown: %.1f ms (%d rows)\n", opened, window->table()->model()->rowCount());

        if (round == 2) {
            {
                // The store's share of a keystroke.
                SetupLibrary library(path, {true});
                for (const char* q : {"z", "zurich carpet"}) {
                    t.restart();
                    const std::size_t found = library.matchingIds(q).size();
                    std::printf("store's search for \"%s\": %.1f ms (%zu setups)\n", q, ms(t), found);
                }
            }
            auto* search = window->findChild<QLineEdit*>("txtSearch");
            const char* const typed = "zurich carpet";
            double worst = 0, total = 0;
            int keys = 0;
            for (const char* c = typed; *c; ++c) {
                t.restart();
                QTest::keyClick(search, *c);
                window->table()->viewport()->repaint();
                const double one = ms(t);
                worst = std::max(worst, one);
                if (std::getenv("BENCH_VERBOSE")) std::printf("  key %c: %.1f ms\n", *c, one);
                total += one;
                ++keys;
            }
            std::printf(
                "search keystroke (filter and repaint): mean %.1f ms, worst %.1f ms over \"%s\" (%d rows left)\n",
                total / keys, worst, typed, window->table()->model()->rowCount());
            t.restart();
            search->clear();
            window->table()->viewport()->repaint();
            std::printf("clearing the search: %.1f ms\n", ms(t));
            std::printf("memory with the window open: VmRSS %.1f MiB (%.1f MiB before opening), VmHWM %.1f MiB\n",
                        statusKiB("VmRSS") / 1024.0, rssBefore / 1024.0, statusKiB("VmHWM") / 1024.0);
        }
        delete window;
        QApplication::processEvents();
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    return 0;
}
