#include <gtest/gtest.h>

#include <sstream>

#include "CAppSettings.h"
#include "TempProgramFolder.h"
#include "platform/Profile.h"

using testsupport::TempProgramFolder;
using vantrel::CAppSettings;

namespace {

class CAppSettingsTest : public ::testing::Test {
protected:
    std::string settingsPath() const { return program.str() + "\\bin\\Vantrel.ini"; }
    CAppSettings readSettings() const {
        CAppSettings s;
        s.setFileName(settingsPath());
        s.ReadSettings();
        return s;
    }

    TempProgramFolder program;
};

TEST_F(CAppSettingsTest, AbsentSettingsFileGivesProgramFolderAndEmptyNames) {
    const CAppSettings s = readSettings();
    for (const std::string& folder :
         {s.DataDirectory(), s.MappingDirectory(), s.TemplatesDirectory(), s.LoggingDirectory(), s.ConfigDirectory()})
        EXPECT_EQ(folder, program.str());
    for (const std::string& name : {s.DataFile(), s.DataFileDelimiter(), s.RawDataFile(), s.LogFile()})
        EXPECT_EQ(name, "");
}

TEST_F(CAppSettingsTest, FoldersAreAlwaysBelowTheProgramFolder) {
    const struct {
        const char* value;
        const char* suffix;
    } cases[] = {
        {"Data", "\\Data\\"},         {"\\Data", "\\Data\\"},       {"Data\\", "\\Data\\"},
        {"\\Data\\", "\\Data\\"},     {"C:\\Data", "\\C:\\Data\\"}, {"", ""},
        {"Sub\\Dir", "\\Sub\\Dir\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        program.write("bin/Vantrel.ini", std::string("[Vantrel]\r\nDataDirectory=") + c.value +
                                             "\r\nMappingDirectory=" + c.value + "\r\nTemplatesDirectory=" + c.value +
                                             "\r\nLoggingDirectory=" + c.value + "\r\nConfigDirectory=" + c.value +
                                             "\r\n");
        const CAppSettings s = readSettings();
        const std::string expected = program.str() + c.suffix;
        EXPECT_EQ(s.DataDirectory(), expected);
        EXPECT_EQ(s.MappingDirectory(), expected);
        EXPECT_EQ(s.TemplatesDirectory(), expected);
        EXPECT_EQ(s.LoggingDirectory(), expected);
        EXPECT_EQ(s.ConfigDirectory(), expected);
    }
}

TEST_F(CAppSettingsTest, StagedSettingsFileReadsAsShipped) {
    program.write("bin/Vantrel.ini", testsupport::TempProgramFolder::readFile(VANTREL_STAGE_DIR "/bin/Vantrel.ini"));
    const CAppSettings s = readSettings();
    EXPECT_EQ(s.DataDirectory(), program.str() + "\\Data\\");
    EXPECT_EQ(s.MappingDirectory(), program.str() + "\\Mapping\\");
    EXPECT_EQ(s.TemplatesDirectory(), program.str() + "\\Templates\\");
    EXPECT_EQ(s.LoggingDirectory(), program.str() + "\\Logs\\");
    EXPECT_EQ(s.ConfigDirectory(), program.str() + "\\Config\\");
    EXPECT_EQ(s.DataFile(), "SheetData.txt");
    EXPECT_EQ(s.DataFileDelimiter(), "|");
    EXPECT_EQ(s.RawDataFile(), "RawData.dat");
    EXPECT_EQ(s.LogFile(), "Vantrel.log");

    CAppSettings setup;
    setup.setFileName(s.ConfigDirectory() + "Setup_RDX.ini");
    program.write("Config/Setup_RDX.ini",
                  testsupport::TempProgramFolder::readFile(VANTREL_STAGE_DIR "/Config/Setup_RDX.ini"));
    setup.LoadProperties();
    EXPECT_EQ(setup.SetupName(), "RDX");
    EXPECT_EQ(setup.MappingFile(), "Mapping_RDX.map");
    EXPECT_EQ(setup.PDFTemplateSetupSheet(), "SetupSheet_RDX.pdf");
}

TEST_F(CAppSettingsTest, LongValuesComeBackAs254Characters) {
    program.write("bin/Vantrel.ini", "[Vantrel]\r\nDataFile=" + std::string(300, 'f') + "\r\nLogFile=" +
                                         std::string(300, 'l') + "\r\nDataDirectory=" + std::string(300, 'd') + "\r\n");
    const CAppSettings s = readSettings();
    EXPECT_EQ(s.DataFile(), std::string(254, 'f'));
    EXPECT_EQ(s.LogFile(), std::string(254, 'l'));
    EXPECT_EQ(s.DataDirectory(), program.str() + "\\" + std::string(254, 'd') + "\\");
}

TEST_F(CAppSettingsTest, MissingPerSetupFileEmptiesOnlyItsThreeValues) {
    CAppSettings s;
    s.setSetupName("old");
    s.setMappingFile("old.map");
    s.setPDFTemplateSetupSheet("old.pdf");
    s.setDataFile("keep.txt");
    s.setFileName(program.str() + "\\Config\\Setup_None.ini");
    s.LoadProperties();
    EXPECT_EQ(s.SetupName(), "");
    EXPECT_EQ(s.MappingFile(), "");
    EXPECT_EQ(s.PDFTemplateSetupSheet(), "");
    EXPECT_EQ(s.DataFile(), "keep.txt");
}

TEST_F(CAppSettingsTest, WriteSettingsCreatesFileAndOverwritesInPlace) {
    CAppSettings s;
    s.setFileName(program.str() + "\\Data\\new.ini");
    s.WriteSettings("Vantrel", "DataFile", "x.txt");  // folder missing: nothing happens, nothing raised
    EXPECT_FALSE(std::filesystem::exists(program.path() / "Data"));

    s.setFileName(settingsPath());
    s.WriteSettings("Vantrel", "DataFile", "x.txt");
    EXPECT_EQ(program.read("bin/Vantrel.ini"), "[Vantrel]\r\nDataFile=x.txt\r\n");

    program.write("bin/Vantrel.ini", "[Vantrel]\nLogFile=a.log\nDataFile=x.txt\n; tail\n");
    s.WriteSettings("Vantrel", "LogFile", "b.log");
    EXPECT_EQ(program.read("bin/Vantrel.ini"), "[Vantrel]\nLogFile=b.log\r\nDataFile=x.txt\n; tail\n");
}

TEST_F(CAppSettingsTest, WriteSettingsCannotInjectAnEntry) {
    program.write("bin/Vantrel.ini", "[Vantrel]\r\nDriverName=Me\r\n");
    CAppSettings s;
    s.setFileName(settingsPath());
    s.WriteSettings("Vantrel", "LogFile", "x\r\nDriverName=Other");
    EXPECT_EQ(platform::profile::readEntry(settingsPath(), "Vantrel", "DriverName"), "Me");
    EXPECT_EQ(program.read("bin/Vantrel.ini"), "[Vantrel]\r\nDriverName=Me\r\nLogFile=x DriverName=Other\r\n");
}

TEST_F(CAppSettingsTest, RawDataRoundTripKeepsForeignSectionsAndFileOrder) {
    const std::string foreign = "; written by hand\r\n[Other]\r\nDriverName=Not mine\r\n\r\n";
    program.write("Data/RawData.dat", foreign);

    CAppSettings written;
    written.setFileName(program.str() + "\\Data\\RawData.dat");
    for (std::size_t i = 0; i < vantrel::SetupFieldCount; ++i)
        written.setField(vantrel::SetupField(i),
                         "value " + std::to_string(i) + " of " + std::string(vantrel::SetupFieldKeys[i]));
    written.setDriverName("Driver A");
    written.setFrontToeIn("");
    written.setNotes(std::string(300, 'n'));
    written.WriteRawData();

    CAppSettings loaded;
    loaded.setFileName(written.FileName());
    loaded.setDataFile("untouched");
    loaded.LoadRawData();
    for (std::size_t i = 0; i < vantrel::SetupFieldCount; ++i) {
        const auto f = vantrel::SetupField(i);
        SCOPED_TRACE(std::string(vantrel::SetupFieldKeys[i]));
        if (f == vantrel::SetupField::Notes) EXPECT_EQ(loaded.field(f), std::string(254, 'n'));
        else EXPECT_EQ(loaded.field(f), written.field(f));
    }
    EXPECT_EQ(loaded.DataFile(), "untouched");

    // The file holds the foreign part unchanged, then our section in field order.
    const std::string bytes = program.read("Data/RawData.dat");
    ASSERT_EQ(bytes.substr(0, foreign.size()), foreign);
    std::istringstream rest(bytes.substr(foreign.size()));
    std::string line;
    std::getline(rest, line);
    EXPECT_EQ(line, "[SetupData]\r");
    for (std::size_t i = 0; i < vantrel::SetupFieldCount; ++i) {
        ASSERT_TRUE(std::getline(rest, line));
        EXPECT_EQ(line.substr(0, line.find('=')), vantrel::SetupFieldKeys[i]);
    }
    EXPECT_FALSE(std::getline(rest, line));

    // A second capture replaces every entry in place.
    written.setDriverName("Driver B");
    written.WriteRawData();
    EXPECT_EQ(program.read("Data/RawData.dat").size(), bytes.size());
    loaded.LoadRawData();
    EXPECT_EQ(loaded.DriverName(), "Driver B");
}

TEST_F(CAppSettingsTest, LoadRawDataEmptiesWhatTheFileLacks) {
    program.write("x.dat", "[setupdata]\r\n  FrontArmShock = 3\r\nUnknownKey=1\r\n[Other]\r\nMotor=No\r\n");
    CAppSettings s;
    s.setMotor("stale");
    s.setDriverName("stale");
    s.setFileName(program.str() + "\\x.dat");
    s.LoadRawData();
    EXPECT_EQ(s.FrontArmShock(), "3");
    EXPECT_EQ(s.Motor(), "");
    EXPECT_EQ(s.DriverName(), "");

    s.setFileName(program.str() + "\\missing.dat");
    s.LoadRawData();
    EXPECT_EQ(s.FrontArmShock(), "");
}

}  // namespace
