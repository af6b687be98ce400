// One sheet build from raw data file to filled PDF, through the run driver
// and the real PDF automation, and the ways a build fails.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CDataBuilder.h"
#include "CSetupBase.h"
#include "CSetupManager.h"
#include "Links.h"
#include "ShellTestFolder.h"
#include "platform/Error.h"
#include "platform/PathText.h"
#include "platform/Paths.h"
#include "platform/Profile.h"

using namespace shelltest;
using testing::EndsWith;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

// Runs the driver as the window does with an external data file; the error,
// if any, comes back instead of being thrown.
struct RunResult {
    std::string targetPDFFile;
    std::optional<platform::Error> error;
};

RunResult runDriver(const std::string& rawDataFile, const std::string& setupName, const std::string& target) {
    vantrel::CSetupManager manager;
    manager.setRawDataFile(rawDataFile);
    manager.setSetupName(setupName);
    manager.setTargetPDFDirectory(target);
    RunResult result;
    try {
        manager.BuildSetupSheet();
    } catch (const platform::Error& e) {
        result.error = e;
    }
    result.targetPDFFile = manager.TargetPDFFile();
    return result;
}

std::vector<fs::path> pdfsIn(const fs::path& folder) {
    std::vector<fs::path> out;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".pdf") out.push_back(entry.path());
    return out;
}

}  // namespace

TEST(SetupSheet, BuildsAFilledSheetFromARawDataFile) {
    ShellTestFolder folder;
    const RunResult run = runDriver(folder.rawDataFile(), "RDX", folder.sheetsFolder());
    ASSERT_FALSE(run.error) << run.error->source();

    // The sheet: named by driver, setup, date and time, in the target folder.
    EXPECT_EQ(run.targetPDFFile, folder.sheetsFolder() + "\\" + ShellTestFolder::sheetName("Driver A", "RDX"));
    const fs::path sheet = platform::paths::toNative(run.targetPDFFile);
    ASSERT_TRUE(fs::exists(sheet));

    // The data file: one record of 112 fields, the only line.
    const auto dataLines = ShellTestFolder::lines(folder.read("Data/SheetData.txt"));
    ASSERT_EQ(dataLines.size(), 1u);
    const auto record = ShellTestFolder::split(dataLines[0], '|');
    ASSERT_EQ(record.size(), vantrel::SheetFieldCount);
    auto value = [&](vantrel::SheetField f) { return record[std::size_t(f)]; };
    EXPECT_EQ(value(vantrel::SheetField::DriverName), "Driver A");
    EXPECT_EQ(value(vantrel::SheetField::RaceEvent), "Club Race 3");
    EXPECT_EQ(value(vantrel::SheetField::FrontCastor), "4 deg");
    EXPECT_EQ(value(vantrel::SheetField::RearAntiRollBar), "1.2 mm");
    EXPECT_EQ(value(vantrel::SheetField::FrontShockCamber3), "l");
    EXPECT_EQ(value(vantrel::SheetField::FrontArmShort), "_");
    EXPECT_EQ(value(vantrel::SheetField::RearArmLong1), "l");

    // The mapping file: one line per field, position "=fld" name.
    const auto mapping = ShellTestFolder::lines(folder.read("Mapping/Mapping_RDX.map"));
    ASSERT_EQ(mapping.size(), vantrel::SheetFieldCount);
    for (std::size_t i = 0; i < mapping.size(); ++i)
        EXPECT_EQ(mapping[i], std::to_string(i + 1) + "=fld" + std::string(vantrel::SheetFieldNames[i]));

    // Every form field of the sheet holds its value of the record.
    const auto fields = ShellTestFolder::formFields(sheet);
    for (std::size_t i = 0; i < vantrel::SheetFieldCount; ++i) {
        const std::string name = "fld" + std::string(vantrel::SheetFieldNames[i]);
        ASSERT_TRUE(fields.count(name)) << name;
        EXPECT_EQ(fields.at(name), record[i]) << name;
    }

    // The driver logs the start of the run; the builder logs nothing on success.
    EXPECT_EQ(folder.logLines(),
              std::vector<std::string>{"6/12/2026 09:05:07 AM: CSetupManager::BuildSetupSheet-START PROCESSING"});
}

// The sheet lands in the target folder however that is written, named after
// the driver and the per-setup file's setup name, never anywhere else.
TEST(SetupSheet, SheetNameAndPlaceFollowTheTargetFolderAndSafeNameParts) {
    struct Case {
        std::string target;  // below the test folder
        std::string driverName, setupNameInFile;
        std::string expected;  // sheet path below the test folder
    };
    auto sheet = [](const std::string& driver, const std::string& setup) {
        return "Sheets/" + ShellTestFolder::sheetName(driver, setup);
    };
    const std::vector<Case> cases = {
        {"/Sheets", "Driver A", "RDX", sheet("Driver A", "RDX")},
        {"/Sheets\\", "Driver A", "RDX", sheet("Driver A", "RDX")},
        {"\\Sheets", "Driver A", "RDX", sheet("Driver A", "RDX")},
        {"/Sheets", "Driver A", "RDX Club", sheet("Driver A", "RDX Club")},
        {"/Sheets", "..\\..\\Escape", "RDX", sheet("_._.._Escape", "RDX")},
        {"/Sheets", "../../Escape", "RDX", sheet("_._.._Escape", "RDX")},
        {"/Sheets", "a:b*c?d\"e<f>g|h", "RDX", sheet("a_b_c_d_e_f_g_h", "RDX")},
        {"/Sheets", "Tab\there", "RDX", sheet("Tab_here", "RDX")},
        {"/Sheets", "Driver A", "../Outside", sheet("Driver A", ".._Outside")},
        {"/Sheets", "Zoë", "RDX\\Sub:1", sheet("Zoë", "RDX_Sub_1")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target + " " + c.driverName + " / " + c.setupNameInFile);
        ShellTestFolder folder;
        // The filler reads a mapping file of a plain name, whatever the setup is called.
        folder.write("Config/Setup_RDX.ini", setupIni(c.setupNameInFile, "Fixed.map"));
        folder.writeMapping("Fixed.map");
        const std::string raw = folder.rawDataFile();
        ASSERT_TRUE(platform::profile::writeEntry(raw, "SetupData", "DriverName", c.driverName));

        const RunResult run = runDriver(raw, "RDX", folder.str() + c.target);
        ASSERT_FALSE(run.error) << run.error->source();
        const fs::path expected = folder.path() / platform::paths::pathOf(c.expected);
        EXPECT_EQ(platform::paths::pathOf(platform::paths::toNative(run.targetPDFFile)), expected);
        std::vector<fs::path> made;
        for (const auto& entry : fs::recursive_directory_iterator(folder.path()))
            if (entry.path().extension() == ".pdf" && entry.path().parent_path().filename() != "Templates")
                made.push_back(entry.path());
        EXPECT_EQ(made, std::vector<fs::path>{expected});
    }
}

// A raw data file that cannot be read would give a sheet of empty values (and
// record and share it): the run stops before it writes anything.
TEST(SetupSheet, ARawDataFileThatCannotBeReadStopsTheRunBeforeAnythingIsWritten) {
    struct Case {
        const char* what;
        std::function<bool(const fs::path& raw)> make;  // false: it cannot be made here
        const char* reason;
    };
    const Case cases[] = {
        {"missing", [](const fs::path&) { return true; }, "there is no such file"},
        {"dangling link", [](const fs::path& raw) { return testsupport::madeLink("Gone.dat", raw); },
         "which is not there"},
        {"looping link", [](const fs::path& raw) { return testsupport::madeLink(raw.filename(), raw); },
         "Too many levels of symbolic links"},
        {"a folder", [](const fs::path& raw) { return fs::create_directory(raw); }, "it is a folder"},
    };
    bool allMade = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShellTestFolder folder;
        const fs::path raw = folder.path() / "Data" / "Typo.dat";
        if (!c.make(raw)) {
            allMade = false;
            continue;
        }
        const auto before = folder.read("Data/SheetData.txt");
        const RunResult run = runDriver(raw.string(), "RDX", folder.sheetsFolder());
        ASSERT_TRUE(run.error);
        EXPECT_THAT(run.error->source(), HasSubstr("The raw data file " + raw.string() + " cannot be read: "));
        EXPECT_THAT(run.error->source(), HasSubstr(c.reason));
        EXPECT_EQ(run.targetPDFFile, "");
        EXPECT_EQ(pdfsIn(folder.path() / "Sheets").size(), 0u);
        EXPECT_EQ(folder.read("Data/SheetData.txt"), before);
        EXPECT_FALSE(fs::exists(folder.path() / "Data" / "Library.sqlite"));
    }
    if (!allMade) GTEST_SKIP() << testsupport::kNoLinks;
}

TEST(SetupSheet, FailedBuildsEndInOneErrorNamingWhatWentWrong) {
    struct Case {
        const char* what;
        std::function<void(ShellTestFolder&)> breakIt;
        std::string setupName;
        std::function<std::string(const ShellTestFolder&)> expectedStart;
        std::string expectedPart;  // somewhere in the source
        bool sheetLeft;            // an unfilled copy stays on disk
    };
    auto native = [](const fs::path& p) { return p.string(); };
    const std::vector<Case> cases = {
        {"template missing", [](ShellTestFolder& f) { fs::remove(f.path() / "Templates" / "SetupSheet_RDX.pdf"); },
         "RDX",
         [&](const ShellTestFolder& f) {
             return "CSetupManager::BuildSetupSheet-Cannot copy the template " +
                    native(f.path() / "Templates" / "SetupSheet_RDX.pdf") + " to " +
                    native(f.path() / "Sheets" / ShellTestFolder::sheetName("Driver A", "RDX"));
         },
         "", false},
        // No per-setup file: named as such before anything is written.
        {"per-setup file missing", [](ShellTestFolder&) {}, "NoSuchSetup",
         [&](const ShellTestFolder& f) {
             return "CSetupManager::BuildSetupSheet-There is no setup type \"NoSuchSetup\" (" +
                    native(f.path() / "Config" / "Setup_NoSuchSetup.ini") + " is missing)";
         },
         "", false},
        // The sheet data file cannot be written: no sheet may be filled from
        // what an earlier run left there.
        {"data file not writable",
         [](ShellTestFolder& f) { fs::create_directories(f.path() / "Data" / "SheetData.txt"); }, "RDX",
         [&](const ShellTestFolder& f) {
             return "CSetupManager::BuildSetupSheet-Cannot write the sheet data file " +
                    native(f.path() / "Data" / "SheetData.txt");
         },
         "", false},
        // No settings: named as the cause, before anything lands in the program folder.
        {"settings file missing", [](ShellTestFolder& f) { fs::remove(f.path() / "bin" / "Vantrel.ini"); }, "RDX",
         [&](const ShellTestFolder& f) {
             return "CSetupManager::BuildSetupSheet-The settings file " + native(f.path() / "bin" / "Vantrel.ini") +
                    " is missing";
         },
         "", false},
        // The form filler's own error passes through the chain with its description.
        {"mapping file of the per-setup file missing",
         [](ShellTestFolder& f) { f.write("Config/Setup_RDX.ini", setupIni("RDX", "Missing.map")); }, "RDX",
         [](const ShellTestFolder&) { return std::string("CSetupManager::BuildSetupSheet-Cannot open "); },
         "Missing.map", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ShellTestFolder folder;
        const std::string raw = folder.rawDataFile();
        c.breakIt(folder);
        const RunResult run = runDriver(raw, c.setupName, folder.sheetsFolder());
        ASSERT_TRUE(run.error);
        EXPECT_EQ(run.error->number(), 1);
        EXPECT_THAT(run.error->source(), StartsWith(c.expectedStart(folder)));
        EXPECT_THAT(run.error->source(), HasSubstr(c.expectedPart));
        EXPECT_EQ(run.targetPDFFile, "");
        EXPECT_EQ(pdfsIn(folder.path() / "Sheets").size(), c.sheetLeft ? 1u : 0u);
    }
}

TEST(SetupBase, ReportsItsOwnSourceAndNumberWithTheFirstDescription) {
    ShellTestFolder folder;
    vantrel::CSetupManager loader;
    loader.LoadConfig();
    fs::remove(folder.path() / "Templates" / "SetupSheet_RDX.pdf");

    vantrel::CSetupBase builder;
    builder.setConfig(loader.GetConfig());
    builder.setLogPath((folder.path() / "Logs" / "Run.log").string());
    builder.setSetupName("RDX");
    builder.setRawDataFile(folder.rawDataFile());
    builder.setTargetPDFDirectory(folder.sheetsFolder() + "\\");
    try {
        builder.CreateSetupSheet();
        FAIL() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 100);
        EXPECT_EQ(e.source(), "CSetupBase::-CreateSetupSheet");
        EXPECT_THAT(e.description(), StartsWith("Cannot copy the template "));
    }
    // The sheet's name was settled before the copy failed; the data file stays.
    EXPECT_THAT(builder.DriverSetupFilename(), EndsWith(ShellTestFolder::sheetName("Driver A", "RDX")));
    EXPECT_TRUE(fs::exists(folder.path() / "Data" / "SheetData.txt"));
}

TEST(SetupBase, WithoutSettingsLogsTheFailedPerSetupReadAndStops) {
    ShellTestFolder folder;
    vantrel::CSetupBase builder;
    builder.setLogPath((folder.path() / "Logs" / "Run.log").string());
    builder.setSetupName("RDX");
    builder.setRawDataFile(folder.rawDataFile());
    builder.setTargetPDFDirectory(folder.sheetsFolder() + "\\");
    const std::string notSet = platform::standardDescription(platform::ErrObjectNotSet);
    try {
        builder.CreateSetupSheet();
        FAIL() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 100);
        EXPECT_EQ(e.description(), notSet);
    }
    EXPECT_EQ(folder.logLines(),
              std::vector<std::string>{"6/12/2026 09:05:07 AM: CSetupBase::LoadProperties-" + notSet});
}

TEST(SetupSheet, AnEarlierRunsDataIsNeverFilledIntoANewSheet) {
    ShellTestFolder folder;
    ASSERT_FALSE(runDriver(folder.rawDataFile(), "RDX", folder.sheetsFolder()).error);

    // The data file of the first run cannot be rewritten: a folder stands in
    // its place, which no user can replace by a file, root neither.
    const fs::path dataFile = folder.path() / "Data" / "SheetData.txt";
    ASSERT_TRUE(fs::remove(dataFile));
    ASSERT_TRUE(fs::create_directory(dataFile));

    const std::string raw = folder.rawDataFile("DriverB.dat");
    ASSERT_TRUE(platform::profile::writeEntry(raw, "SetupData", "DriverName", "Driver B"));
    const RunResult run = runDriver(raw, "RDX", folder.sheetsFolder());
    ASSERT_TRUE(run.error);
    EXPECT_THAT(run.error->source(), HasSubstr("Cannot write the sheet data file " + dataFile.string()));
    EXPECT_FALSE(fs::exists(folder.path() / "Sheets" / ShellTestFolder::sheetName("Driver B", "RDX")));
}
