#pragma once
// The main of a benchmark that drives the real window: offscreen, and no
// desktop viewer for the sheets it makes.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

namespace bench {

inline int runWindowBenchmarks(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
