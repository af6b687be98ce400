// A setup type as its settings file gives it, read once, for the readers of
// sheets and New Setup Type alike; the folders as an installation and a
// run's settings object compose them.

#include <gtest/gtest.h>

#include "CAppSettings.h"
#include "Installation.h"
#include "SetupType.h"
#include "TempProgramFolder.h"
#include "platform/Paths.h"

namespace {

using testsupport::TempProgramFolder;
using vantrel::SetupType;

TEST(SetupType, ReadsItsSettingsFileOnce) {
    const struct {
        const char* name;
        const char* file;  // nullptr: none there
        bool found;
        const char* setupName;
        const char* mapping;
        const char* templateFile;
        bool rewrittenByRuns;
    } cases[] = {
        {"its own mapping",
         "[Setup]\r\nSetupName=Club\r\nMappingFile=Club.map\r\nPDFTemplateSetupSheet=SetupSheet_Club.pdf\r\n", true,
         "Club", "Club.map", "SetupSheet_Club.pdf", false},
        {"the mapping every run writes", "[setup]\r\nsetupname = RDX\r\nmappingfile=Mapping_RDX.map\r\n", true, "RDX",
         "Mapping_RDX.map", "", true},
        {"no mapping named", "[Setup]\r\nSetupName=Bare\r\n", true, "Bare", "", "", false},
        {"another section only", "[Vantrel]\r\nMappingFile=Club.map\r\n", false, "", "", "", false},
        {"no file", nullptr, false, "", "", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempProgramFolder program;
        if (c.file) program.write("Config/Setup_Club.ini", c.file);
        const vantrel::SetupTypeFolders folders{program.str() + "/Config/", program.str() + "/Mapping/",
                                                program.str() + "/Templates/"};
        const std::optional<SetupType> type = SetupType::read(folders, "Club");
        ASSERT_EQ(type.has_value(), c.found);
        if (!type) continue;
        EXPECT_EQ(type->name(), "Club");
        EXPECT_EQ(type->settingsPath(), program.str() + "/Config/Setup_Club.ini");
        EXPECT_EQ(type->setupName(), c.setupName);
        EXPECT_EQ(type->mappingFile(), c.mapping);
        EXPECT_EQ(type->templateFile(), c.templateFile);
        EXPECT_EQ(type->mappingPath(), *c.mapping ? program.str() + "/Mapping/" + c.mapping : std::string());
        EXPECT_EQ(type->mappingRewrittenByRuns(), c.rewrittenByRuns);
    }
}

// The installation read where a program starts and the run's own settings
// object give the same folders, each ending in the system's separator.
TEST(SetupType, FoldersOfTheInstallationAreThoseOfTheRun) {
    for (const char* settings : {"", "[Vantrel]\r\nConfigDirectory=\\Config\\\r\nMappingDirectory=Mapping\r\n",
                                 "[Vantrel]\r\nConfigDirectory=/srv/rc/config\r\nTemplatesDirectory=/srv/rc/t/\r\n"}) {
        SCOPED_TRACE(settings);
        TempProgramFolder program;
        program.write("bin/Vantrel.ini", settings);
        const vantrel::SetupTypeFolders installed =
            vantrel::setupTypeFolders(vantrel::Installation::read(program.str()));
        vantrel::CAppSettings run;
        run.setFileName(program.str() + "\\bin\\Vantrel.ini");
        run.ReadSettings();
        const vantrel::SetupTypeFolders ran = vantrel::setupTypeFolders(run);
        EXPECT_EQ(installed.config, ran.config);
        EXPECT_EQ(installed.mapping, ran.mapping);
        EXPECT_EQ(installed.templates, ran.templates);
        for (const std::string* folder : {&installed.config, &installed.mapping, &installed.templates})
            EXPECT_EQ(folder->back(), platform::paths::toNative("\\").back()) << *folder;
    }
}

}  // namespace
