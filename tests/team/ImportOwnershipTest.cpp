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

#include "CarriedSheets.h"
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
using carriedsheets::Owners;
using shelltest::batch;
using ::testing::HasSubstr;
using vantrel::Setup;
using vantrel::SetupField;

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
        return carriedsheets::meetingSetup(path() / name, driver, oil);
    }

    std::string library() const { return (path() / "Data" / "Library.sqlite").string(); }
    Owners setupOwners() const { return carriedsheets::setupOwners(library()); }
    Owners runOwners() const { return carriedsheets::runOwners(library()); }
};

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
        ASSERT_EQ(carriedsheets::makeCarriedSheets(mine.path(), team, carried), "");
    }
    for (const auto& [racer, owners] : carriedsheets::kAfterImport) {
        Racer installation(racer);
        const auto imported = batch({"--import", carried.string()});
        ASSERT_EQ(imported.status, 0) << imported.err;
        EXPECT_THAT(imported.out, HasSubstr("Added: 3\n"));
        EXPECT_THAT(imported.out, HasSubstr("Runs added: 3\n"));
        EXPECT_EQ(installation.setupOwners(), owners) << racer;
        EXPECT_EQ(installation.runOwners(), owners) << racer;
        // Again: nothing doubled, nobody's changed hands.
        const auto again = batch({"--import", carried.string()});
        EXPECT_THAT(again.out, HasSubstr("Already there: 3\n"));
        EXPECT_THAT(again.out, ::testing::Not(HasSubstr("Runs added")));
        EXPECT_EQ(installation.runOwners(), owners) << racer;
    }
    {
        // --extract takes a sheet's runs as --import does.
        Racer other("Driver A");
        for (const auto& e : fs::directory_iterator(carried)) {
            const auto extracted = batch({"--extract", e.path().string(), (other.path() / "out.dat").string()});
            ASSERT_EQ(extracted.status, 0) << extracted.err;
        }
        EXPECT_EQ(other.runOwners(), carriedsheets::kAfterImport[0].owners);
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
