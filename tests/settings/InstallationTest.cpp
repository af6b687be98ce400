#include <gtest/gtest.h>

#include <string>

#include "CAppSettings.h"
#include "Installation.h"
#include "TempProgramFolder.h"
#include "platform/Error.h"
#include "platform/Paths.h"

using testsupport::TempProgramFolder;
using vantrel::Installation;

namespace {

// One installation per case: its settings file (nullptr: none), then where
// its folders and files are, "~" standing for the program folder.
struct Case {
    const char* name;
    const char* settings;
    const char* dataFolder;
    const char* configFolder;
    const char* libraryFile;  // nullptr: asking for it raises
    const char* teamFolder;
    bool found;
};

// Native, as the installation gives its paths ("\\" on Windows).
std::string expand(const std::string& text, const std::string& program) {
    return platform::paths::toNative(text.front() == '~' ? program + text.substr(1) : text);
}

TEST(InstallationTest, ReadsFoldersAndFilesOfTheSettingsFile) {
    const Case cases[] = {
        {"no settings file", nullptr, "~", "~", "~/Library.sqlite", "", false},
        {"shipped folders", "[Vantrel]\r\nDataDirectory=\\Data\\\r\nConfigDirectory=Config\r\n", "~/Data/", "~/Config/",
         "~/Data/Library.sqlite", "", true},
        {"absolute folders", "[Vantrel]\r\nDataDirectory=/srv/rc/data\r\nConfigDirectory=/srv/rc/config/\r\n",
         "/srv/rc/data/", "/srv/rc/config/", "/srv/rc/data/Library.sqlite", "", true},
        {"folder below a folder", "[vantrel]\r\ndatadirectory = Sub\\Data\r\n", "~/Sub/Data/", "~",
         "~/Sub/Data/Library.sqlite", "", true},
        {"another library file", "[Vantrel]\r\nDataDirectory=Data\r\nLibraryFile=Club.sqlite\r\n", "~/Data/", "~",
         "~/Data/Club.sqlite", "", true},
        {"library file outside the data folder", "[Vantrel]\r\nDataDirectory=Data\r\nLibraryFile=../x.sqlite\r\n",
         "~/Data/", "~", nullptr, "", true},
        {"team folder below the program folder", "[Vantrel]\r\nTeamFolder=\\Team\\\r\n", "~", "~", "~/Library.sqlite",
         "~/Team", true},
        {"team folder given whole", "[Vantrel]\r\nTeamFolder= /home/sam/Sync/Team/ \r\n", "~", "~", "~/Library.sqlite",
         "/home/sam/Sync/Team", true},
        {"blank team folder", "[Vantrel]\r\nTeamFolder=  \r\n", "~", "~", "~/Library.sqlite", "", true},
        {"another section only", "[Setup]\r\nDataDirectory=Data\r\n", "~", "~", "~/Library.sqlite", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempProgramFolder program;
        if (c.settings) program.write("bin/Vantrel.ini", c.settings);
        const Installation in = Installation::read(program.str());
        EXPECT_EQ(in.programFolder(), program.str());
        EXPECT_EQ(in.settingsFile(), platform::paths::toNative(program.str() + "/bin/Vantrel.ini"));
        EXPECT_EQ(in.settingsFound(), c.found);
        EXPECT_EQ(in.dataFolder(), expand(c.dataFolder, program.str()));
        EXPECT_EQ(in.configFolder(), expand(c.configFolder, program.str()));
        EXPECT_EQ(in.teamFolder(), c.teamFolder[0] ? expand(c.teamFolder, program.str()) : std::string());
        if (c.libraryFile) {
            EXPECT_EQ(in.libraryFile(), expand(c.libraryFile, program.str()));
        } else {
            // Read all the same: the setting is refused when the library is asked for.
            try {
                (void)in.libraryFile();
                ADD_FAILURE() << "no error";
            } catch (const platform::Error& e) {
                EXPECT_EQ(e.description(), "The setting LibraryFile=" + in.libraryFileSetting() +
                                               " does not name a file in the data folder (a plain file name is "
                                               "expected)");
            }
        }

        // Each folder as the run's own settings object reads it, made native.
        vantrel::CAppSettings run;
        run.setFileName(program.str() + "\\bin\\Vantrel.ini");
        run.ReadSettings();
        using platform::paths::toNative;
        EXPECT_EQ(in.dataFolder(), toNative(run.DataDirectory()));
        EXPECT_EQ(in.mappingFolder(), toNative(run.MappingDirectory()));
        EXPECT_EQ(in.templatesFolder(), toNative(run.TemplatesDirectory()));
        EXPECT_EQ(in.loggingFolder(), toNative(run.LoggingDirectory()));
        EXPECT_EQ(in.configFolder(), toNative(run.ConfigDirectory()));
        EXPECT_EQ(in.libraryFileSetting(), run.LibraryFile());
        EXPECT_EQ(in.teamFolder(), vantrel::resolveTeamFolder(run.TeamFolder(), program.str()));
    }
}

TEST(InstallationTest, FileNamesComeAsWritten) {
    TempProgramFolder program;
    program.write("bin/Vantrel.ini",
                  "[Vantrel]\r\nDataDirectory=\\Data\\\r\nDataFile=Data.csv\r\nDataFileDelimiter=;\r\n"
                  "RawDataFile=RawData.dat\r\nLogFile=Vantrel.log\r\n");
    const Installation in = Installation::read(program.str());
    EXPECT_EQ(in.dataFile(), "Data.csv");
    EXPECT_EQ(in.dataFileDelimiter(), ";");
    EXPECT_EQ(in.rawDataFile(), "RawData.dat");
    EXPECT_EQ(in.logFile(), "Vantrel.log");
    EXPECT_EQ(in.rawDataPath(), platform::paths::toNative(program.str() + "/Data/RawData.dat"));
}

TEST(InstallationTest, ATeamFolderLongerThanOtherValuesIsKeptWhole) {
    TempProgramFolder program;
    const std::string folder = "/srv/" + std::string(400, 't');
    program.write("bin/Vantrel.ini", "[Vantrel]\r\nTeamFolder=" + folder + "\r\n");
    EXPECT_EQ(Installation::read(program.str()).teamFolder(), platform::paths::toNative(folder));
    vantrel::CAppSettings run;  // as a run reads it
    run.setFileName(program.str() + "\\bin\\Vantrel.ini");
    run.ReadSettings();
    EXPECT_EQ(run.TeamFolder(), folder);
}

}  // namespace
