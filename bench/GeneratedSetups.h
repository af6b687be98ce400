#pragma once
// Setups as a season brings them, for the setup library's benchmarks.

#include <cstdio>
#include <iterator>
#include <random>
#include <string>

#include "library/SetupLibrary.h"

namespace bench {

// A racer's setup: names, places and numbers as they come in a season.
inline vantrel::library::SetupEntry generatedSetup(std::mt19937& rng, int n) {
    static const char* const kDrivers[] = {"Driver A", "Jürgen Bär", "Åsa Lind", "Marco Rossi", "Chloé Martin"};
    static const char* const kTracks[] = {"Northtown", "Zürich", "Łódź", "Southport", "Besançon", "Lakeside"};
    static const char* const kWords[] = {"4 deg", "Composite", "Long",  "Short", "2.5",  "-1",    "3",
                                         "13.5T", "Carpet",    "Astro", "High",  "blue", "35 WT", "hole 2"};
    auto pick = [&](const auto& pool) { return pool[rng() % std::size(pool)]; };
    vantrel::library::SetupEntry e;
    char created[32];
    std::snprintf(created, sizeof created, "20%02d-%02d-%02dT%02d:%02d:00+01:00", 20 + n % 7, 1 + n % 12, 1 + n % 28,
                  n % 24, n % 60);
    e.created = created;
    e.setupType = "RDX";
    e.sheet = "/home/racer/Sheets/Setup_" + std::to_string(n) + ".pdf";
    for (auto& v : e.values) v = pick(kWords);
    e.values[std::size_t(vantrel::SetupField::DriverName)] = pick(kDrivers);
    e.values[std::size_t(vantrel::SetupField::TrackCity)] = pick(kTracks);
    e.values[std::size_t(vantrel::SetupField::EventName)] = "Club Race " + std::to_string(n % 40);
    e.values[std::size_t(vantrel::SetupField::Comments)] = "Round " + std::to_string(n) + ", loose at the back";
    return e;
}

}  // namespace bench
