// A sheet built for a meeting carries the meeting's runs beside its setup;
// --extract and --import on another installation bring them back, once.

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "SetupFile.h"
#include "ShellTestFolder.h"

namespace {

namespace fs = std::filesystem;
using vantrel::SetupField;

std::string setupFile(const shelltest::ShellTestFolder& folder, const std::string& name, const std::string& oil) {
    vantrel::Setup v = vantrel::readSetupFile(folder.rawDataFile());
    v[std::size_t(SetupField::DriverName)] = "Jo Smith";
    v[std::size_t(SetupField::TrackCity)] = "Lostock";
    v[std::size_t(SetupField::EventName)] = "Summer Cup";
    v[std::size_t(SetupField::EventDate)] = "2026-06-14";
    v[std::size_t(SetupField::FrontShockOil)] = oil;
    const std::string path = (folder.path() / name).string();
    vantrel::writeSetupFile(path, v);
    return path;
}

}  // namespace

TEST(SheetRuns, ASheetCarriesItsMeetingsRunsToAnotherLibrary) {
    const fs::path carried = fs::temp_directory_path() / ("vantrel-runs-carried-" + std::to_string(::getpid()));
    fs::create_directories(carried);
    std::string sheet;
    {
        shelltest::ShellTestFolder folder;
        folder.write("laps.txt", "12.345\n12.300\n");
        const std::string first = setupFile(folder, "a.dat", "30"), second = setupFile(folder, "b.dat", "35");
        ASSERT_EQ(shelltest::batch({"--log-run", "Practice 1", first, "--laps", (folder.path() / "laps.txt").string()})
                      .status,
                  0);
        ASSERT_EQ(shelltest::batch({"--log-run", "Practice 2", second}).status, 0);
        const auto built = shelltest::batch({"--target", folder.sheetsFolder(), second});
        ASSERT_EQ(built.status, 0) << built.err;
        const fs::path path = built.out.substr(0, built.out.find('\n'));
        sheet = (carried / path.filename()).string();
        fs::copy_file(path, sheet);
    }
    {
        shelltest::ShellTestFolder other;
        const std::string out = (other.path() / "out.dat").string();
        const auto extracted = shelltest::batch({"--extract", sheet, out});
        ASSERT_EQ(extracted.status, 0) << extracted.err;
        EXPECT_EQ(extracted.out, "Runs added: 2\n");
        EXPECT_EQ(shelltest::batch({"--extract", sheet, out}).out, "") << "each run once";
        const auto runs = shelltest::batch({"--runs", "lostock"});
        ASSERT_EQ(runs.status, 0) << runs.err;
        EXPECT_NE(runs.out.find("\t1\tPractice 1\t2\t12.300\t"), std::string::npos) << runs.out;
        EXPECT_NE(runs.out.find("\t2\tPractice 2\t0\t"), std::string::npos) << runs.out;
        EXPECT_NE(runs.out.find("Thicker Front Shocks Oil, 30 → 35\n"), std::string::npos) << runs.out;
    }
    {
        shelltest::ShellTestFolder third;
        const auto imported = shelltest::batch({"--import", carried.string()});
        ASSERT_EQ(imported.status, 0) << imported.err;
        EXPECT_NE(imported.out.find("Added: 1\n"), std::string::npos) << imported.out;
        EXPECT_NE(imported.out.find("Runs added: 2\n"), std::string::npos) << imported.out;
    }
    fs::remove_all(carried);
}
