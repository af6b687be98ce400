// The library window over a library of N setups (10,000 unless given),
// offscreen: the time from opening it until its first rows are painted, a
// keystroke of the search (the key handled and painted), the search once the
// typing rests (its rows painted, the pause itself not counted), and the
// process's memory with the window open. Prints figures, median and worst.
//   QT_QPA_PLATFORM=offscreen build/bench/library_window_bench [N]

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

#include "Installation.h"
#include "LibraryWindow.h"
#include "platform/Process.h"
#include "GeneratedSetups.h"
#include "LibraryModel.h"
#include "library/LibraryPages.h"
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

std::pair<double, double> medianAndWorst(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.back()};
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    long setups = 10000;
    if (argc > 1) {
        char* end = nullptr;
        setups = std::strtol(argv[1], &end, 10);
        if (*end || setups < 1 || setups > 10000000) {
            std::fprintf(stderr, "library_window_bench: the number of setups must be 1 to 10,000,000, not %s\n",
                         argv[1]);
            return 2;
        }
    }
    std::string pattern = (fs::temp_directory_path() / "library-window-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    const fs::path folder = pattern;
    const std::string path = (folder / "Library.sqlite").string();
    {
        SetupLibrary library(path);
        std::mt19937 rng(1);
        for (long n = 0; n < setups; ++n) library.record(generatedSetup(rng, int(n)));
    }
    std::printf("library: %zu setups, %.1f MiB on disk\n", SetupLibrary(path, {true}).count(),
                double(fs::file_size(path)) / (1024 * 1024));
    const long rssBefore = statusKiB("VmRSS");

    // Opening: construction, first layout and paint of the rows.
    std::vector<double> opens;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer t;
        t.start();
        auto* window = new LibraryWindow(
            path, vantrel::setupTypeFolders(vantrel::Installation::read(platform::process::programFolder())),
            vantrel::Dialogs::system());
        window->show();
        QApplication::processEvents();
        window->table()->viewport()->repaint();
        opens.push_back(ms(t));
        if (std::getenv("BENCH_VERBOSE"))
            std::printf("  open: %.1f ms (%d rows)\n", opens.back(), window->table()->model()->rowCount());

        if (round == 4) {
            const auto [openMedian, openWorst] = medianAndWorst(opens);
            std::printf("open, first rows shown: median %.1f ms, worst %.1f ms over %zu opens (%d rows read)\n",
                        openMedian, openWorst, opens.size(), window->table()->model()->rowCount());
            {
                // The store's share: the first page of a search, and the count beside the window.
                SetupLibrary library(path, {true});
                LibraryPages pages(library);
                for (const char* q : {"z", "zurich carpet", "round 99999"}) {
                    t.restart();
                    const std::size_t found = pages.page({q}, nullptr, LibraryModel::PageRows).size();
                    const double first = ms(t);
                    t.restart();
                    const std::size_t all = pages.count({q});
                    std::printf("store, \"%s\": first page %.1f ms (%zu rows), count beside %.1f ms (%zu setups)\n", q,
                                first, found, ms(t), all);
                }
            }
            auto* search = window->findChild<QLineEdit*>("txtSearch");
            const char* const typed = "zurich carpet";
            std::vector<double> keys, searches;
            for (const char* c = typed; *c; ++c) {
                t.restart();
                QTest::keyClick(search, *c);
                window->table()->viewport()->repaint();
                keys.push_back(ms(t));
                // The typing rests: the search runs and its rows are painted.
                QTest::qWait(150);
                t.restart();
                QApplication::processEvents();
                window->table()->viewport()->repaint();
                searches.push_back(ms(t));
                if (std::getenv("BENCH_VERBOSE"))
                    std::printf("  key %c: %.1f ms, its search %.1f ms\n", *c, keys.back(), searches.back());
            }
            const auto [keyMedian, keyWorst] = medianAndWorst(keys);
            const auto [searchMedian, searchWorst] = medianAndWorst(searches);
            std::printf("search keystroke (key handled, repaint): median %.1f ms, worst %.1f ms over \"%s\"\n",
                        keyMedian, keyWorst, typed);
            std::printf(
                "search once the typing rests (first rows painted): median %.1f ms, worst %.1f ms (%d rows read)\n",
                searchMedian, searchWorst, window->table()->model()->rowCount());
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
