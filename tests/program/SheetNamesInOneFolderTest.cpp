// Sheets given their names in one folder: names that differ only in letter
// case are one file on Windows, so no sheet takes such a name here either,
// and none is ever put over another.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>

#include "FileNames.h"
#include "TempProgramFolder.h"
#include "UnfinishedSheet.h"

namespace fs = std::filesystem;
using testsupport::TempProgramFolder;
using testsupport::utf8Path;
using testsupport::utf8Text;

TEST(SheetNamesInOneFolder, NoTwoSheetsShareANameIgnoringCase) {
    TempProgramFolder folder;
    const fs::path sheets = folder.path() / "Sheets";
    fs::create_directories(sheets);
    fs::create_directories(folder.path() / "Data");
    // A file of another program, spelled in capitals, is there first.
    const fs::path theirs = folder.write("Sheets/ALEX_SETUPSHEET_RDX_2026-12-08_143052.47.PDF", "theirs");
    std::mt19937 rng(4404);
    const std::string drivers[] = {"alex",       "Alex", "ALEX", "aLeX", "Zo\xC3\xAB", "ZO\xC3\x8B",
                                   "zo\xC3\xAB", "con",  "CON",  "Con.", "CON."};
    std::map<std::string, std::string> contentOf;  // sheet name -> what was put there
    for (int i = 0; i < 60; ++i) {
        const std::string driver = drivers[rng() % std::size(drivers)];
        // One moment for every sheet: only the driver tells the names apart.
        const std::string name = vantrel::SheetName{driver, "RDX", "2026-12-08", "143052.47", 1}.fileName();
        const std::string content = "sheet " + std::to_string(i);
        std::string given;
        {
            vantrel::UnfinishedSheet unfinished((folder.path() / "Data" / ".unfinished").string(), name);
            std::ofstream(unfinished.path(), std::ios::binary) << content;
            given = unfinished.publish(utf8Text(sheets / utf8Path(name)));
        }
        contentOf[utf8Text(utf8Path(given).filename())] = content;
    }
    std::set<std::string> folds;
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(sheets)) {
        const std::string name = utf8Text(entry.path().filename());
        ++count;
        EXPECT_TRUE(folds.insert(vantrel::foldedFileName(name)).second) << "a second " << name;
        if (entry.path() == theirs) continue;
        ASSERT_TRUE(contentOf.count(name)) << name;
        EXPECT_EQ(TempProgramFolder::readFile(entry.path()), contentOf[name]) << name;
    }
    EXPECT_EQ(count, 61u) << "every sheet has a file of its own";
    EXPECT_EQ(TempProgramFolder::readFile(theirs), "theirs");
}
