// A sheet's name and a setup type's file name are written and read in one
// place: what is written reads back, and nothing else reads as one.

#include <gtest/gtest.h>
#include <random>

#include "FileNames.h"

using vantrel::parseSheetName;
using vantrel::SheetName;

TEST(FileNames, EverySheetNameReadsBackAsWritten) {
    std::mt19937 rng(32);
    // A driver may hold "_SetupSheet_" (the last one splits the name); a setup type holds none.
    const std::string pieces[] = {"Alex", "Zoë", "_._.._Escape", "Driver A", "RDX", "RDX Club", "x_SetupSheet_y", ""};
    for (int i = 0; i < 500; ++i) {
        SheetName name{pieces[rng() % 8], pieces[rng() % 6], "2026-12-0" + std::to_string(1 + rng() % 9),
                       std::to_string(100000 + rng() % 135959) + "." + std::to_string(10 + rng() % 90),
                       int(rng() % 3 == 0 ? 2 + rng() % 999 : 1)};
        const std::optional<SheetName> read = parseSheetName("/sheets/" + name.fileName());
        ASSERT_TRUE(read) << name.fileName();
        EXPECT_EQ(
            read->driver + "|" + read->setupType + "|" + read->date + "|" + read->time + "|" +
                std::to_string(read->number),
            name.driver + "|" + name.setupType + "|" + name.date + "|" + name.time + "|" + std::to_string(name.number))
            << name.fileName();
    }
}

TEST(FileNames, OtherNamesAreNoSheetsOrSetupTypes) {
    for (const char* other : {"Alex_SetupSheet_RDX_2026-12-08_143052.47.dat", "Alex_SetupSheet_RDX_2026-12-08.pdf",
                              "Alex_SetupSheet_RDX_2026-12-08_1430.47.pdf", "SetupSheet_RDX.pdf", "notes.pdf",
                              "Alex_SetupSheet_RDX_2026-12-08_143052.47-.pdf"})
        EXPECT_FALSE(parseSheetName(other)) << other;
    EXPECT_EQ(parseSheetName("C:\\Sheets\\Alex_SetupSheet_RDX_2026-12-08_143052.47.PDF")->driver, "Alex");
    EXPECT_EQ(vantrel::setupFileName("RDX"), "Setup_RDX.ini");
    EXPECT_EQ(vantrel::setupTypeOfFileName("Setup_RDX Club.ini"), "RDX Club");
    for (const char* other : {"Setup_.ini", "Setup_RDX.ini.bak", "setup_RDX.ini", "Mapping_RDX.map"})
        EXPECT_FALSE(vantrel::setupTypeOfFileName(other)) << other;
}
