// Files put under a name that must not be taken yet: whole or not at all, and
// never over a file that is there.

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TempProgramFolder.h"
#include "platform/NewFile.h"

namespace fs = std::filesystem;
using testsupport::TempProgramFolder;

TEST(NewFile, NeverReplacesAndLeavesNothingBeside) {
    TempProgramFolder folder;
    const fs::path taken = folder.write("taken.pdf", "someone else's");
    const fs::path link = folder.path() / "link.pdf";
    fs::create_symlink("taken.pdf", link);
    struct Case {
        const char* what;
        fs::path to;
        int expected;
    };
    const Case cases[] = {
        {"a free name", folder.path() / "new.pdf", 0},
        {"a taken name", taken, EEXIST},
        {"a link at the name", link, EEXIST},
        {"a folder that is not there", folder.path() / "gone" / "new.pdf", ENOENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(platform::files::writeNewFile(c.to.string(), "whole"), c.expected);
        if (c.expected == 0) {
            EXPECT_EQ(TempProgramFolder::readFile(c.to), "whole");
            fs::remove(c.to);
        }
        const fs::path work = folder.write("work.pdf", "moved");
        EXPECT_EQ(platform::files::moveToNewName(work.string(), c.to.string()), c.expected);
        EXPECT_EQ(fs::exists(work), c.expected != 0) << "the file stays where the name was taken";
        fs::remove(work);
        EXPECT_EQ(TempProgramFolder::readFile(taken), "someone else's");
        for (const auto& entry : fs::directory_iterator(folder.path()))
            EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    }
    EXPECT_EQ(TempProgramFolder::readFile(folder.path() / "new.pdf"), "moved");
}

TEST(NewFile, ANumberGoesBeforeTheExtension) {
    using platform::files::numberedName;
    EXPECT_EQ(numberedName("/s/A_SetupSheet_RDX_2026-12-08_101500.25.pdf", 1),
              "/s/A_SetupSheet_RDX_2026-12-08_101500.25.pdf");
    EXPECT_EQ(numberedName("/s/A_SetupSheet_RDX_2026-12-08_101500.25.pdf", 2),
              "/s/A_SetupSheet_RDX_2026-12-08_101500.25-2.pdf");
    EXPECT_EQ(numberedName("C:\\s.d\\sheet", 3), "C:\\s.d\\sheet-3");
    EXPECT_EQ(numberedName("/s.d/.pdf", 2), "/s.d/.pdf-2");
}
