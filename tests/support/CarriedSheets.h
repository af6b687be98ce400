#pragma once
// Three sheets as a racer ("Driver A") carries them to another machine: the
// sheet of their own run, of a team mate's run taken in from the team
// folder, and of a stranger's run typed into the racer's installation; and
// whose each setup and run is once another installation imported them. The
// batch import's tests and the library window's take the same sheets to
// the same owners. Needs vantrel_core (vantrel-batch's work in this process).

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>
#include <string>
#include <utility>
#include <vector>

#include "BatchRunner.h"
#include "Installation.h"
#include "SetupFile.h"
#include "library/SetupLibrary.h"
#include "library/TeamRecords.h"
#include "platform/Process.h"
#include "runs/RunFile.h"
#include "runs/RunLog.h"

namespace carriedsheets {

namespace fs = std::filesystem;

// (driver, whose: "" the racer's own), sorted.
using Owners = std::vector<std::pair<std::string, std::string>>;

// Whose the setups and the runs of the three sheets are after an import on
// the installation of `racer`, however the racer's name is written there.
struct AfterImport {
    const char* racer;
    Owners owners;
};
inline const AfterImport kAfterImport[] = {
    // The racer's other machine: the team mate's run stays the team mate's, the stranger's the stranger's.
    {"Driver A", {{"Driver A", ""}, {"Kim Lee", "Kim Lee"}, {"Sam Jones", "Sam Jones"}}},
    // The stranger's own installation: the same sheets the other way round.
    {"LEE, Kim", {{"Driver A", "Driver A"}, {"Kim Lee", ""}, {"Sam Jones", "Sam Jones"}}},
};

// vantrel-batch's work on the installation of the program folder at hand:
// the empty text, or what it said when it failed.
inline std::string batchFailure(const std::vector<std::string>& args, std::string* said = nullptr) {
    std::ostringstream out, err;
    const int status =
        vantrel::BatchRunner(out, err, vantrel::Installation::read(platform::process::programFolder())).run(args);
    if (said) *said = out.str();
    return status == 0 ? std::string() : args.front() + " answered " + std::to_string(status) + ": " + err.str();
}

// The sample raw data file as the setup of one meeting at Lostock, driven by
// `driver`, written at `path`.
inline std::string meetingSetup(const fs::path& path, const std::string& driver, const std::string& oil) {
    using vantrel::SetupField;
    vantrel::Setup v = vantrel::readSetupFile(std::string(VANTREL_TEST_DATA_DIR) + "/shell/RawData_DriverA.dat");
    v[std::size_t(SetupField::DriverName)] = driver;
    v[std::size_t(SetupField::TrackCity)] = "Lostock";
    v[std::size_t(SetupField::EventName)] = "Summer Cup";
    v[std::size_t(SetupField::EventDate)] = "2026-06-14";
    v[std::size_t(SetupField::FrontShockOil)] = oil;
    vantrel::writeSetupFile(path.string(), v);
    return path.string();
}

// The three sheets, made by the installation of the program folder at hand
// (at `folder`, its team folder `team`), into `into`. Answers the empty
// text, or what failed.
inline std::string makeCarriedSheets(const fs::path& folder, const fs::path& team, const fs::path& into) {
    using vantrel::SetupField;
    // A team mate's run, taken in from the team folder.
    vantrel::runs::RunEntry mate;
    mate.uid = "a11ce";
    mate.name = "Practice 1";
    mate.created = "2026-06-14T10:00:00+02:00";
    mate.values = vantrel::readSetupFile(meetingSetup(folder / "mate.dat", "Sam Jones", "40"));
    mate.laps = {{21000, true}, {20900, true}};
    fs::create_directories(team / "Sam Jones");
    std::ofstream(team / "Sam Jones" / "Run a11ce.vrun", std::ios::binary) << vantrel::runs::runsFileText({mate});
    std::string said;
    if (std::string failed = batchFailure({"--sync"}, &said); !failed.empty()) return failed;
    if (said.find("Runs added: 1\n") == std::string::npos) return "--sync took no run in: " + said;
    for (const auto& [file, driver, oil, run] : {std::tuple{"mate.dat", "Sam Jones", "40", ""},
                                                 {"own.dat", "Driver A", "30", "Practice 1"},
                                                 {"stranger.dat", "Kim Lee", "50", "Heat 1"}}) {
        const std::string setup = *run ? meetingSetup(folder / file, driver, oil) : (folder / file).string();
        if (*run)
            if (std::string failed = batchFailure({"--log-run", run, setup}); !failed.empty()) return failed;
        if (std::string failed = batchFailure({"--target", into.string(), setup}); !failed.empty()) return failed;
    }
    const auto sheets = std::distance(fs::directory_iterator(into), fs::directory_iterator());
    return sheets == 3 ? std::string() : std::to_string(sheets) + " sheets made, not 3";
}

// Whose each setup of the library at libraryPath is.
inline Owners setupOwners(const std::string& libraryPath) {
    vantrel::library::SetupLibrary setups(libraryPath);
    const auto origins = vantrel::library::TeamRecords(setups).teamOrigins();
    Owners out;
    for (const auto& s : setups.summaries())
        out.push_back({s.driver, origins.count(s.id) ? origins.at(s.id).driver : std::string()});
    std::sort(out.begin(), out.end());
    return out;
}

// Whose each run of the library at libraryPath is.
inline Owners runOwners(const std::string& libraryPath) {
    vantrel::library::SetupLibrary setups(libraryPath);
    Owners out;
    for (const auto& run : vantrel::runs::trackRuns(setups, {}))
        out.push_back({run.values[std::size_t(vantrel::SetupField::DriverName)], run.team});
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace carriedsheets
