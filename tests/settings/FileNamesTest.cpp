// A sheet's name and a setup type's file name are written and read in one
// place: what is written reads back, and nothing else reads as one.

#include <gtest/gtest.h>

#include <cctype>
#include <iterator>
#include <random>
#include <set>

#include "FileNames.h"
#include "SetupTypeFiles.h"
#include "platform/Text.h"

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

namespace {

// Whether Windows takes a name for a file of its own, stated apart from the
// rule that makes names: none of its refused characters, no dot or blank at
// the end, valid text, and no device name before the first dot.
bool windowsTakes(std::string_view name) {
    if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
    for (const unsigned char c : name)
        if (c < 0x20 || std::string_view("<>:\"/\\|?*").find(char(c)) != std::string_view::npos) return false;
    if (!platform::text::isValidUtf8(name)) return false;
    std::string stem(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) c = char(std::toupper(static_cast<unsigned char>(c)));
    std::set<std::string> devices = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* port : {"COM", "LPT"}) {
        for (char digit = '0'; digit <= '9'; ++digit) devices.insert(port + std::string(1, digit));
        for (const char* super : {"\xC2\xB9", "\xC2\xB2", "\xC2\xB3"}) devices.insert(port + std::string(super));
    }
    return !devices.count(stem);
}

}  // namespace

TEST(PortableNames, HostileNamesBecomeNamesWindowsTakes) {
    const std::pair<std::string, std::string> cases[] = {
        {"CON", "CON_"},
        {"con", "con_"},
        {"Nul.pdf", "Nul_.pdf"},
        {"aux.tar.gz", "aux_.tar.gz"},
        {"PRN .txt", "PRN_ .txt"},
        {"COM1", "COM1_"},
        {"com0.map", "com0_.map"},
        {"LPT9.txt", "LPT9_.txt"},
        {"COM\xC2\xB9", "COM\xC2\xB9_"},
        {"CONOUT$", "CONOUT$_"},
        {"COM10", "COM10"},
        {"CONSOLE.pdf", "CONSOLE.pdf"},
        {"NULL", "NULL"},
        {"Alex.", "Alex_"},
        {"Alex ", "Alex_"},
        {"a. .", "a___"},
        {"a<b>c:d\"e/f\\g|h?i*j", "a_b_c_d_e_f_g_h_i_j"},
        {"tab\there\nand\x1b", "tab_here_and_"},
        {"Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m", "Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m"},
        {"\xE9t\xE9", "\xC3\xA9t\xC3\xA9"},  // Windows-1252 bytes, read as such
        {"", "_"},
        {"...", "___"},
    };
    for (const auto& [name, made] : cases) {
        EXPECT_EQ(vantrel::portableFileName(name), made) << name;
        EXPECT_TRUE(windowsTakes(made)) << made;
    }
    // In a sheet's name the driver comes first: only a driver with a dot
    // puts a device name before the name's first dot.
    const std::pair<std::string, std::string> sheets[] = {
        {"CON", "CON_SetupSheet_RDX_2026-12-08_143052.47.pdf"},
        {"CON.x", "CON_.x_SetupSheet_RDX_2026-12-08_143052.47.pdf"},
        {"lpt1 .Team", "lpt1_ .Team_SetupSheet_RDX_2026-12-08_143052.47.pdf"},
        {"J.R. Smith", "J.R. Smith_SetupSheet_RDX_2026-12-08_143052.47.pdf"},
        {"Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m",
         "Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m_SetupSheet_RDX_2026-12-08_143052.47.pdf"},
    };
    for (const auto& [driver, made] : sheets) {
        const SheetName name{driver, "RDX", "2026-12-08", "143052.47", 1};
        EXPECT_EQ(name.fileName(), made) << driver;
        ASSERT_TRUE(parseSheetName(made)) << made;
    }
}

TEST(PortableNames, NamesDifferingOnlyInCaseFoldAlike) {
    using vantrel::foldedFileName;
    const std::pair<std::string, std::string> alike[] = {
        {"Alex.PDF", "alex.pdf"},
        {"ZO\xC3\x8B \xC3\x85NGSTR\xC3\x96M", "zo\xC3\xAB \xC3\xA5ngstr\xC3\xB6m"},
        {"\xC5\x81\xC3\x93\x44\xC5\xB9", "\xC5\x82\xC3\xB3\x64\xC5\xBA"},                          // ŁÓDŹ, łódź
        {"\xCE\xA9\xCE\x9C\xCE\x95\xCE\x93\xCE\x91", "\xCF\x89\xCE\xBC\xCE\xB5\xCE\xB3\xCE\xB1"},  // ΩΜΕΓΑ, ωμεγα
        {"\xD0\x81\xD0\x96", "\xD1\x91\xD0\xB6"},                                                  // ЁЖ, ёж
        {"\xC5\xB8", "\xC3\xBF"},                                                                  // Ÿ, ÿ
    };
    for (const auto& [a, b] : alike) EXPECT_EQ(foldedFileName(a), foldedFileName(b)) << a << " / " << b;
    const std::pair<std::string, std::string> apart[] = {
        {"Alex", "Alexa"}, {"\xC3\x9F", "ss"}, {"\xC3\x97", "\xC3\xB7"}, {"e", "\xC3\xA9"}};
    for (const auto& [a, b] : apart) EXPECT_NE(foldedFileName(a), foldedFileName(b)) << a << " / " << b;
}

TEST(PortableNames, EveryNameMadeIsOneWindowsTakesAndHarmlessOnesStand) {
    std::mt19937 rng(44);
    const std::string pieces[] = {"CON", "nul",      "Com",      "LPT",  "1", "9",    "\xC2\xB2", ".", " ",  "..", "a",
                                  "Z",   "\xC3\xAB", "\xC3\x85", "<",    ">", ":",    "\"",       "/", "\\", "|",  "?",
                                  "*",   "\t",       "\x7f",     "\xE9", "$", "Alex", "_",        "-", "pdf"};
    int harmless = 0;
    for (int i = 0; i < 5000; ++i) {
        std::string name;
        for (int n = int(rng() % 6); n >= 0; --n) name += pieces[rng() % std::size(pieces)];
        const std::string made = vantrel::portableFileName(name);
        ASSERT_TRUE(windowsTakes(made)) << name << " -> " << made;
        EXPECT_EQ(vantrel::portableFileName(made), made) << "made once for good: " << name;
        if (windowsTakes(name) && name.find('\x7f') == std::string::npos) {
            ++harmless;
            EXPECT_EQ(made, name) << "a harmless name stands as it is";
        }
        const SheetName sheet{vantrel::portableNamePart(name), "RDX", "2026-12-08", "143052.47", int(1 + rng() % 3)};
        EXPECT_TRUE(windowsTakes(sheet.fileName())) << sheet.fileName();
        EXPECT_TRUE(parseSheetName(sheet.fileName())) << sheet.fileName();
    }
    EXPECT_GT(harmless, 500) << "the generator makes harmless names too";
}

TEST(PortableNames, ASetupTypeNamedLikeADeviceIsRefused) {
    for (const char* device : {"CON", "nul", "Com1", "LPT9", "aux.club"})
        EXPECT_NE(vantrel::setuptype::nameRefusal(device), "") << device;
    for (const char* name : {"RDX", "RDX Club", "CONSOLE", "Com10", "Zo\xC3\xAB"})
        EXPECT_EQ(vantrel::setuptype::nameRefusal(name), "") << name;
}
