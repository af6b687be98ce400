// The team folder end to end through vantrel-batch: a sheet built in one
// installation goes into the team folder whole, comes into another's library
// once by --sync, and stays the racer's own in the first.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "BatchRunner.h"
#include "ShellTestFolder.h"
#include "library/TeamRecords.h"
#include "platform/Paths.h"

namespace {

namespace fs = std::filesystem;
using shelltest::ShellTestFolder;
using ::testing::HasSubstr;

using Output = shelltest::BatchRun;
using shelltest::batch;

struct Installation : ShellTestFolder {
    explicit Installation(const fs::path& team) {
        write("bin/Vantrel.ini", std::string(shelltest::kSettings) + "TeamFolder=" + team.string() + "\r\n");
    }
    std::size_t teamSetups() {
        vantrel::library::SetupLibrary library((path() / "Data" / "Library.sqlite").string());
        return vantrel::library::TeamRecords(library).teamOrigins().size();
    }
};

TEST(TeamBatch, ASheetBuiltInOneInstallationComesIntoTheOthersLibraryOnce) {
    const fs::path team = fs::temp_directory_path() / ("vantrel-team-" + std::to_string(::getpid()));
    fs::create_directories(team);
    const std::string sheetName = ShellTestFolder::sheetName("Driver A", "RDX");
    {
        Installation mine(team);
        const Output built = batch({"--target", mine.sheetsFolder(), mine.rawDataFile()});
        ASSERT_EQ(built.status, 0) << built.err;
        EXPECT_EQ(built.err, "");
        // Whole, in the driver's folder, byte for byte the sheet.
        EXPECT_TRUE(ShellTestFolder::readFile(team / "Driver A" / sheetName) ==
                    ShellTestFolder::readFile(fs::path(mine.sheetsFolder()) / sheetName));
        const Output sync = batch({"--sync"});
        EXPECT_EQ(sync.status, 0) << sync.err;
        EXPECT_EQ(sync.out, "Added: 0\nAlready there: 1\n") << "one's own sheet back through the folder";
        EXPECT_EQ(mine.teamSetups(), 0u);
    }
    {
        Installation other(team);
        other.write("../" + team.filename().string() + "/Driver A/broken.pdf", "%PDF-1.7\n%%EOF\n");
        EXPECT_EQ(batch({"--sync"}).out, "Added: 1\nAlready there: 0\n");
        const Output again = batch({"--sync"});
        EXPECT_EQ(again.status, 0);
        EXPECT_EQ(again.out, "Added: 0\nAlready there: 1\n");
        const std::string broken = (team / "Driver A" / "broken.pdf").string();
        EXPECT_THAT(again.err, HasSubstr("Cannot take " + broken + ": "));
        EXPECT_EQ(again.err.find(broken, again.err.find(broken) + 1), std::string::npos) << "named once";
        EXPECT_EQ(other.teamSetups(), 1u);

        // A library inside the team folder is refused; the sheet is built all the same.
        other.write("bin/Vantrel.ini", std::string(shelltest::kSettings) + "TeamFolder=Data\r\n");
        const Output refused = batch({"--sync"});
        EXPECT_EQ(refused.status, 1);
        EXPECT_THAT(refused.err, HasSubstr("lies inside the team folder " + (other.path() / "Data").string()));
        const Output built = batch({"--target", other.sheetsFolder(), other.rawDataFile()});
        EXPECT_EQ(built.status, 0);
        EXPECT_THAT(built.err, HasSubstr("Warning: The sheet was not put into the team folder: The setup library"));

        // A team folder that is not there: one error line for --sync, a warning for a run.
        other.write("bin/Vantrel.ini", std::string(shelltest::kSettings) + "TeamFolder=/nonexistent/team\r\n");
        // Named as the system writes it (\nonexistent\team on Windows).
        const std::string missing = platform::paths::toNative("/nonexistent/team");
        EXPECT_THAT(batch({"--sync"}).err, HasSubstr("Error: The team folder " + missing + " is not there"));
        EXPECT_THAT(batch({"--target", other.sheetsFolder(), other.rawDataFile()}).err,
                    HasSubstr("Warning: The sheet was not put into the team folder: The team folder " + missing +
                              " is not there"));
    }
    fs::remove_all(team);
}

}  // namespace
