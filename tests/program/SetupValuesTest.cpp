// A run whose setup is handed over in memory (the rebuild of a sheet from the
// setup library) makes the sheet that the same values make through a raw
// data file, and reads no raw data file for them.

#include <gtest/gtest.h>

#include <random>

#include "CSetupManager.h"
#include "RebuildSheet.h"
#include "ShellTestFolder.h"
#include "library/SetupLibrary.h"
#include "platform/Paths.h"
#include "platform/Profile.h"

using namespace shelltest;

namespace {

// Values whose way through a raw data file is not plain: line breaks, blanks
// and quotes around them, more than an entry keeps (cut at a whole character),
// bytes that are no UTF-8, and text that looks like a section or an entry.
const std::vector<std::string> kPieces = {
    "",
    "Driver A",
    "  blanks  ",
    "\"quoted\"",
    "two\r\nlines",
    "lf\nonly",
    std::string(300, 'x'),
    [] {
        std::string s;
        for (int i = 0; i < 130; ++i) s += "\xC3\xA4";
        return s;
    }(),
    "caf\xE9",
    "[SetupData]",
    "Key=value",
    "4",
};

vantrel::Setup generatedSetup(std::mt19937& rng) {
    vantrel::Setup values;
    for (auto& value : values) value = kPieces[rng() % kPieces.size()];
    values[std::size_t(vantrel::SetupField::DriverName)] = "Driver " + std::to_string(rng() % 100);
    return values;
}

// The sheet into a folder of its own below Sheets: its system path.
std::string buildSheet(vantrel::CSetupManager& manager, const ShellTestFolder& folder, const std::string& target) {
    fs::create_directories(folder.path() / "Sheets" / target);
    manager.setSetupName("RDX");
    manager.setOpenInViewer(false);
    manager.setTargetPDFDirectory(folder.sheetsFolder() + "\\" + target);
    manager.BuildSetupSheet();
    return platform::paths::toNative(manager.TargetPDFFile());
}

}  // namespace

TEST(SetupValue, MakeTheSheetTheirRawDataFileMakesWithoutReadingOne) {
    ShellTestFolder folder;
    // A raw data file beside the values: the run must not take its setup.
    const std::string decoy = folder.write("Data/Decoy.dat", "[SetupData]\r\nDriverName=From the file\r\n").string();
    std::mt19937 rng(11);
    for (int round = 0; round < 4; ++round) {
        const vantrel::Setup values = generatedSetup(rng);
        SCOPED_TRACE(values[0]);
        const std::string rawData = (folder.path() / "Data" / "Given.dat").string();
        std::vector<platform::profile::Entry> entries;
        for (std::size_t i = 0; i < vantrel::SetupFieldCount; ++i)
            entries.push_back({vantrel::SetupFieldKeys[i], values[i]});
        fs::remove(rawData);
        ASSERT_TRUE(platform::profile::writeEntries(rawData, "SetupData", entries));

        vantrel::CSetupManager fromFile;
        fromFile.setRawDataFile(rawData);
        const std::string fileSheet = buildSheet(fromFile, folder, "File" + std::to_string(round));
        const std::string fileRecord = folder.read("Data/SheetData.txt");

        vantrel::CSetupManager fromMemory;
        fromMemory.setRawDataFile(decoy);
        fromMemory.setSetupValues(values);
        const std::string memorySheet = buildSheet(fromMemory, folder, "Memory" + std::to_string(round));

        EXPECT_EQ(folder.read("Data/SheetData.txt"), fileRecord);
        EXPECT_EQ(fs::path(memorySheet).filename(), fs::path(fileSheet).filename());
        EXPECT_EQ(ShellTestFolder::formFields(memorySheet), ShellTestFolder::formFields(fileSheet));
    }
    // The library holds each setup twice over, the same values both times.
    std::vector<vantrel::Setup> recorded;
    vantrel::library::SetupLibrary((folder.path() / "Data" / "Library.sqlite").string())
        .forEachSetup([&](const vantrel::library::StoredSetup& s) { recorded.push_back(s.values); });
    ASSERT_EQ(recorded.size(), 8u);
    for (std::size_t i = 0; i < recorded.size(); i += 2) EXPECT_EQ(recorded[i + 1], recorded[i]);
}

// A sheet that has gone, built anew from the library: the sheet stands in
// the chosen folder with the stored values, and the library keeps one setup,
// now naming the new sheet.
TEST(SetupValue, ARebuildPutsTheSheetBackAndMovesItsSetupToIt) {
    ShellTestFolder folder;
    std::mt19937 rng(5);
    const std::string libraryPath = (folder.path() / "Data" / "Library.sqlite").string();
    vantrel::library::StoredSetup stored;
    {
        vantrel::library::SetupLibrary library(libraryPath);
        vantrel::Setup values = generatedSetup(rng);
        values[vantrel::SetupField::DriverName] = "Sam Rebuilt";
        const auto id = library.record({"2026-05-01T10:00:00+02:00", "RDX", "/gone/Sam.pdf", values});
        stored = *library.setup(id);
    }
    fs::create_directories(folder.path() / "Again");
    const std::string sheet = vantrel::rebuildSheet(stored, (folder.path() / "Again").string(), false);

    EXPECT_EQ(fs::path(sheet).parent_path(), folder.path() / "Again");
    EXPECT_EQ(ShellTestFolder::formFields(sheet).at("fldDriverName"), "Sam Rebuilt");
    vantrel::library::SetupLibrary library(libraryPath, {.readOnly = true});
    EXPECT_EQ(library.count(), 1u);
    EXPECT_EQ(library.setup(stored.id)->sheet, sheet);
    EXPECT_EQ(library.setup(stored.id)->values, stored.values);
}
