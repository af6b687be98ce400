// Whose a setup and a run are after an import: a sheet or a CSV row of
// another driver's comes in as theirs, and the runs a sheet carries stay
// whose they were, on any installation. Generated sheets and CSV files
// through the real vantrel-batch --import, each checked by what the library
// holds afterwards.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

#include "SetupFile.h"
#include "SheetRuns.h"
#include "ShellTestFolder.h"
#include "library/SetupLibrary.h"
#include "library/TeamRecords.h"
#include "runs/DriverName.h"
#include "runs/RunFile.h"
#include "runs/RunLog.h"

namespace {

namespace fs = std::filesystem;
using shelltest::batch;
using ::testing::HasSubstr;
using vantrel::Setup;
using vantrel::SetupField;
using Owners = std::vector<std::pair<std::string, std::string>>;  // (driver, whose: "" the racer's own)

// A program folder whose installation names `driver` as its racer.
struct Racer : shelltest::ShellTestFolder {
    explicit Racer(const std::string& driver, const fs::path& team = {}) {
        if (!team.empty())
            write("bin/Vantrel.ini", std::string(shelltest::kSettings) + "TeamFolder=" + team.string() + "\r\n");
        const std::string raw = rawDataFile("RawData.dat");
        Setup v = vantrel::readSetupFile(raw);
        v[std::size_t(SetupField::DriverName)] = driver;
        vantrel::writeSetupFile(raw, v);
    }

    // A raw data file of one meeting at Lostock, driven by `driver`.
    std::string setup(const std::string& name, const std::string& driver, const std::string& oil) const {
        Setup v = vantrel::readSetupFile(rawDataFile());
        v[std::size_t(SetupField::DriverName)] = driver;
        v[std::size_t(SetupField::TrackCity)] = "Lostock";
        v[std::size_t(SetupField::EventName)] = "Summer Cup";
        v[std::size_t(SetupField::EventDate)] = "2026-06-14";
        v[std::size_t(SetupField::FrontShockOil)] = oil;
        const std::string path = (this->path() / name).string();
        vantrel::writeSetupFile(path, v);
        return path;
    }

    std::string library() const { return (path() / "Data" / "Library.sqlite").string(); }

    Owners setupOwners() const {
        vantrel::library::SetupLibrary setups(library());
        const auto origins = vantrel::library::TeamRecords(setups).teamOrigins();
        Owners out;
        for (const auto& s : setups.summaries())
            out.push_back({s.driver, origins.count(s.id) ? origins.at(s.id).driver : std::string()});
        std::sort(out.begin(), out.end());
        return out;
    }

    Owners runOwners() const {
        vantrel::library::SetupLibrary setups(library());
        Owners out;
        for (const auto& run : vantrel::runs::trackRuns(setups, {}))
            out.push_back({run.values[std::size_t(SetupField::DriverName)], run.team});
        std::sort(out.begin(), out.end());
        return out;
    }
};

// The sheet `setupFile` builds, copied into `into`.
void buildSheet(const std::string& setupFile, const fs::path& into) {
    const auto built = batch({"--target", into.string(), setupFile});
    ASSERT_EQ(built.status, 0) << built.err;
}

fs::path tempFolder(const std::string& what) {
    const fs::path p = fs::temp_directory_path() / ("vantrel-" + what + "-" + std::to_string(::getpid()));
    fs::remove_all(p);
    fs::create_directories(p);
    return p;
}

}  // namespace

TEST(ImportOwnership, WhoseARunIsByItsDriverAndWhatItCarries) {
    const struct {
        const char *driver, *carried, *racer, *whose;
    } cases[] = {
        {"Driver A", "", "Driver A", ""},
        {"A. Driver", "", "Driver A", ""},                   // the racer however the name is written
        {"Sam Jones", "", "Driver A", "Sam Jones"},          // a stranger's: their own name
        {"Sam Jones", "Sam J", "Driver A", "Sam J"},         // a team mate's: the name it travels under
        {"Driver A", "Sam Jones", "Driver A", ""},           // the racer's run, back from a team mate's sheet
        {"Sam Jones", "Driver A", "Driver A", "Sam Jones"},  // never the racer's by what it claims
        {"Sam/Jones", "", "Driver A", "Sam_Jones"},          // named as its folder in the team folder would be
        {"Sam Jones", "", "", ""},                           // no racer known: as before, the racer's own
        {"Sam Jones", "Sam Jones", "", "Sam Jones"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vantrel::teamMateOf(c.driver, c.carried, c.racer), c.whose)
            << c.driver << " carrying \"" << c.carried << "\" for " << c.racer;
}

// A team mate's run carried by the racer's sheet stays the team mate's on
// another machine; a stranger's sheet brings its setup and runs as the
// stranger's; the racer's own sheet as the racer's. On the stranger's own
// installation the same sheets turn the other way round.
TEST(ImportOwnership, ASheetBringsItsSetupAndRunsAsTheirDriversOnAnyMachine) {
    const fs::path team = tempFolder("import-team"), carried = tempFolder("import-sheets");
    {
        Racer mine("Driver A", team);
        // A team mate's run, taken from the team folder.
        vantrel::runs::RunEntry mate;
        mate.uid = "a11ce";
        mate.name = "Practice 1";
        mate.created = "2026-06-14T10:00:00+02:00";
        mate.values = vantrel::readSetupFile(mine.setup("mate.dat", "Sam Jones", "40"));
        mate.laps = {{21000, true}, {20900, true}};
        fs::create_directories(team / "Sam Jones");
        std::ofstream(team / "Sam Jones" / "Run a11ce.vrun", std::ios::binary) << vantrel::runs::runsFileText({mate});
        const auto sync = batch({"--sync"});
        ASSERT_EQ(sync.status, 0) << sync.err;
        ASSERT_THAT(sync.out, HasSubstr("Runs added: 1\n"));
        buildSheet(mine.path() / "mate.dat", carried);

        // The racer's own run and a stranger's typed into this installation.
        ASSERT_EQ(batch({"--log-run", "Practice 1", mine.setup("own.dat", "Driver A", "30")}).status, 0);
        buildSheet(mine.path() / "own.dat", carried);
        ASSERT_EQ(batch({"--log-run", "Heat 1", mine.setup("stranger.dat", "Kim Lee", "50")}).status, 0);
        buildSheet(mine.path() / "stranger.dat", carried);
    }
    ASSERT_EQ(std::distance(fs::directory_iterator(carried), fs::directory_iterator()), 3);

    {
        Racer laptop("Driver A");  // the racer's other machine, no team folder
        const auto imported = batch({"--import", carried.string()});
        ASSERT_EQ(imported.status, 0) << imported.err;
        EXPECT_THAT(imported.out, HasSubstr("Added: 3\n"));
        EXPECT_THAT(imported.out, HasSubstr("Runs added: 3\n"));
        EXPECT_EQ(laptop.setupOwners(), (Owners{{"Driver A", ""}, {"Kim Lee", "Kim Lee"}, {"Sam Jones", "Sam Jones"}}));
        EXPECT_EQ(laptop.runOwners(), (Owners{{"Driver A", ""}, {"Kim Lee", "Kim Lee"}, {"Sam Jones", "Sam Jones"}}));
        // Again: nothing doubled, nobody's changed hands.
        const auto again = batch({"--import", carried.string()});
        EXPECT_THAT(again.out, HasSubstr("Already there: 3\n"));
        EXPECT_THAT(again.out, ::testing::Not(HasSubstr("Runs added")));
        EXPECT_EQ(laptop.runOwners(), (Owners{{"Driver A", ""}, {"Kim Lee", "Kim Lee"}, {"Sam Jones", "Sam Jones"}}));
    }
    {
        Racer stranger("LEE, Kim");  // the stranger's own installation
        const auto imported = batch({"--import", carried.string()});
        ASSERT_EQ(imported.status, 0) << imported.err;
        EXPECT_EQ(stranger.setupOwners(),
                  (Owners{{"Driver A", "Driver A"}, {"Kim Lee", ""}, {"Sam Jones", "Sam Jones"}}));
        EXPECT_EQ(stranger.runOwners(),
                  (Owners{{"Driver A", "Driver A"}, {"Kim Lee", ""}, {"Sam Jones", "Sam Jones"}}));
    }
    {
        // --extract takes a sheet's runs as --import does.
        Racer other("Driver A");
        for (const auto& e : fs::directory_iterator(carried)) {
            const auto extracted = batch({"--extract", e.path().string(), (other.path() / "out.dat").string()});
            ASSERT_EQ(extracted.status, 0) << extracted.err;
        }
        EXPECT_EQ(other.runOwners(), (Owners{{"Driver A", ""}, {"Kim Lee", "Kim Lee"}, {"Sam Jones", "Sam Jones"}}));
    }
    fs::remove_all(team);
    fs::remove_all(carried);
}

// A CSV of several drivers' setups, their names written every which way:
// each row comes in as its driver's, whichever installation imports it.
TEST(ImportOwnership, ACsvRowIsItsDriversSetup) {
    const fs::path carried = tempFolder("import-csv");
    const std::vector<std::string> spellings[] = {
        {"Driver A", "A. Driver", "DRIVER A"}, {"Sam Jones", "Jones, Sam", "S. Jones"}, {"Kim Lee", "LEE Kim"}};
    std::mt19937 rng(41);
    std::vector<std::pair<std::size_t, std::string>> rows;  // (whose, as written)
    for (int n = 0; n < 24; ++n) {
        const std::size_t who = rng() % std::size(spellings);
        rows.push_back({who, spellings[who][rng() % spellings[who].size()]});
    }
    const std::string csv = (carried / "Library.csv").string();
    {
        Racer maker("Nobody Else");
        std::vector<std::string> files;
        for (std::size_t i = 0; i < rows.size(); ++i)
            files.push_back(maker.setup("s" + std::to_string(i) + ".dat", rows[i].second, std::to_string(20 + i)));
        std::vector<std::string> args{"--import"};
        args.insert(args.end(), files.begin(), files.end());
        ASSERT_EQ(batch(args).status, 0);
        ASSERT_EQ(batch({"--export-csv", csv}).status, 0);
    }
    for (std::size_t racer = 0; racer < std::size(spellings); ++racer) {
        Racer installation(spellings[racer].back());
        const auto imported = batch({"--import", csv});
        ASSERT_EQ(imported.status, 0) << imported.err;
        EXPECT_THAT(imported.out, HasSubstr("Added: " + std::to_string(rows.size()) + "\n"));
        Owners expected;
        for (const auto& [who, written] : rows) expected.push_back({written, who == racer ? "" : written});
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(installation.setupOwners(), expected) << "racer " << spellings[racer].back();
    }
    fs::remove_all(carried);
}
