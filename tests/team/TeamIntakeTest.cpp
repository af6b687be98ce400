// The team folder's intake over a stand-in reader (a "sheet" here is a small
// file between "%PDF-" and "%%EOF" holding a driver and a setup value), so the
// cases are about what a sync tool leaves behind, not about PDFs.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <system_error>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <tuple>

#include "TeamFolder.h"
#include "TeamIntake.h"
#include "TempProgramFolder.h"
#include "library/TeamRecords.h"
#include "platform/Error.h"

namespace {

namespace fs = std::filesystem;
using vantrel::library::SetupEntry;
using vantrel::library::SetupLibrary;

// "%PDF-\n<driver>\n<value>\n%%EOF"; "damaged" as the value: a reader's error.
class StandInReader : public vantrel::library::SetupFileReader {
public:
    bool claims(const fs::path&) const override { return true; }
    std::optional<SetupEntry> read(const fs::path& file) const override {
        std::ifstream in(file, std::ios::binary);
        return readBytes(file, std::string(std::istreambuf_iterator<char>(in), {}));
    }
    // As the intake hands them over: the bytes of its one open.
    std::optional<SetupEntry> readBytes(const fs::path& file, std::string bytes) const override {
        std::istringstream in(bytes);
        std::string magic, driver, value;
        std::getline(in, magic), std::getline(in, driver), std::getline(in, value);
        if (magic != "%PDF-") return std::nullopt;
        if (value == "damaged") platform::raise(platform::ErrPathAccess, "test", "Cannot read " + file.string());
        SetupEntry entry;
        entry.setupType = "RDX";
        entry.values[std::size_t(vantrel::SetupField::DriverName)] = driver;
        entry.values[std::size_t(vantrel::SetupField::Notes)] = value;
        return entry;
    }
};

std::string sheet(const std::string& driver, const std::string& value) {
    return "%PDF-\n" + driver + "\n" + value + "\n%%EOF\n";
}

struct Team : testsupport::TempProgramFolder {
    fs::path folder = path() / "Team";
    SetupLibrary library{(path() / "Library.sqlite").string()};
    StandInReader reader;
    Team() { fs::create_directories(folder); }
    void put(const std::string& relative, const std::string& bytes) const {
        fs::create_directories((folder / relative).parent_path());
        std::ofstream(folder / relative, std::ios::binary) << bytes;
    }
    vantrel::team::TeamSyncReport sync() { return vantrel::team::syncTeamFolder(library, folder.string(), reader); }
    // What the library holds: the values' hash, the driver and whether mine.
    std::multiset<std::tuple<std::string, std::string, bool>> contents() {
        std::multiset<std::tuple<std::string, std::string, bool>> out;
        const auto origins = vantrel::library::TeamRecords(library).teamOrigins();
        library.forEachSetup([&](const vantrel::library::StoredSetup& s) {
            const auto o = origins.find(s.id);
            out.insert({s.hash, o == origins.end() ? "" : o->second.driver, o == origins.end()});
        });
        return out;
    }
};

const std::string kName = "Sam_SetupSheet_RDX_2026-12-08_101500.25";

TEST(TeamFolderFiles, WhatASyncToolLeavesBehindIsPassedOverTakenOnceOrNamedOnce) {
    enum Outcome { PassedOver, Taken, NamedOnSecondScan };
    struct Case {
        std::string file;
        std::string bytes;
        Outcome outcome;
    };
    const std::string whole = sheet("Sam", "soft springs");
    const Case cases[] = {
        {"Sam/.syncthing.Sam_SetupSheet.pdf.tmp", whole, PassedOver},
        {"Sam/~syncthing~Sam_SetupSheet.pdf.tmp", whole, PassedOver},
        {"Sam/~$sheet.pdf", whole, PassedOver},
        {"Sam/.~lock.sheet.pdf#", whole, PassedOver},
        {"Sam/sheet.pdf.part", whole, PassedOver},
        {"Sam/sheet.pdf.partial", whole, PassedOver},
        {"Sam/sheet.pdf.crdownload", whole, PassedOver},
        {"Sam/sheet.pdf.!sync", whole, PassedOver},
        {"Sam/.hidden.pdf", whole, PassedOver},
        {".stversions/Sam/" + kName + ".pdf", whole, PassedOver},
        {".stfolder/x.pdf", whole, PassedOver},
        {"Sam/notes.txt", whole, PassedOver},
        {"Sam/" + kName + ".pdf", whole, Taken},
        {"Sam/" + kName + ".PDF", whole, Taken},
        {kName + ".pdf", whole, Taken},
        {"Sam/" + kName + ".sync-conflict-20261208-101733-ABCDEF7.pdf", whole, Taken},
        {"Sam/" + kName + " (conflict).pdf", whole, Taken},
        {"Sam/" + kName + " (Alex's conflicted copy 2026-12-08).pdf", whole, Taken},
        {"Sam/" + kName + " (conflicted copy 2026-12-08 101733).pdf", whole, Taken},
        {"Sam/" + kName + " (1).pdf", whole, Taken},
        {"Sam/" + kName + " - Copy.pdf", whole, Taken},
        {"Sam/cut.pdf", whole.substr(0, whole.size() - 8), NamedOnSecondScan},
        {"Sam/damaged.pdf", sheet("Sam", "damaged"), NamedOnSecondScan},
        {"Sam/empty.pdf", "", NamedOnSecondScan},
        {"Sam/other.pdf", "%PDF-1.7 no setup\n%%EOF", NamedOnSecondScan},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Team team;
        team.put(c.file, c.bytes);
        // The same sheet under its own name is there already: a copy adds nothing.
        team.put("Sam/" + kName + ".pdf", whole);
        const auto first = team.sync();
        EXPECT_EQ(first.added.size(), 1u);
        EXPECT_TRUE(first.newProblems.empty()) << "nothing named on the first sight";
        const auto second = team.sync();
        EXPECT_TRUE(second.added.empty());
        EXPECT_EQ(second.newProblems.size(), c.outcome == NamedOnSecondScan ? 1u : 0u);
        EXPECT_EQ(team.sync().newProblems.size(), 0u) << "named once";
        EXPECT_EQ(team.library.count(), 1u);
        // A name that differs only in case is the same file where the folder
        // folds case (Windows): one sheet there, not two.
        std::error_code error;
        const bool oneFile = fs::equivalent(team.folder / c.file, team.folder / ("Sam/" + kName + ".pdf"), error);
        EXPECT_EQ(second.alreadyThere, c.outcome == Taken && !oneFile ? 2u : 1u);
    }
}

TEST(TeamFolderFiles, NamesFromTheFolderStayInside) {
    for (const auto& [driver, folder] : std::vector<std::pair<std::string, std::string>>{
             {"Sam", "Sam"},
             {"../../etc", "_.._etc"},
             {"/abs/x", "_abs_x"},
             {"..", "Driver"},
             {".hidden", "hidden"},
             {"", "Driver"},
             {"a\nb:c*?", "a_b_c__"},
             {std::string(80, 'x'), std::string(64, 'x')},
             {"CON", "CON_"},
             {"nul.txt", "nul_.txt"},
             {"Com1 ", "Com1_"},
             {"Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m", "Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m"}}) {
        EXPECT_EQ(vantrel::team::folderNameFor(driver), folder) << driver;
    }
}

// A sheet's time comes from its name only where the name gives a time as
// written; 2026-13-08 or 25:61 would roll over into another day, so the
// file's own time stands instead.
TEST(TeamFolderFiles, ASheetsTimeIsTakenFromItsNameOnlyWhenItIsATime) {
    const std::pair<const char*, const char*> kNames[] = {
        {"2026-12-08_101500.25", "2026-12-08T10:15:00"}, {"2026-02-28_235959.99", "2026-02-28T23:59:59"},
        {"2026-13-08_101500.25", "2020-01-02T03:04:05"}, {"2026-02-30_101500.25", "2020-01-02T03:04:05"},
        {"2026-12-00_101500.25", "2020-01-02T03:04:05"}, {"2026-12-08_250000.00", "2020-01-02T03:04:05"},
        {"2026-12-08_106100.00", "2020-01-02T03:04:05"}, {"9999-99-99_999999.99", "2020-01-02T03:04:05"},
    };
    for (const auto& [stamp, created] : kNames) {
        SCOPED_TRACE(stamp);
        Team team;
        const std::string name = std::string("Sam_SetupSheet_RDX_") + stamp + ".pdf";
        team.put("Sam/" + name, sheet("Sam", stamp));
        std::tm when{};
        when.tm_year = 120, when.tm_mon = 0, when.tm_mday = 2, when.tm_hour = 3, when.tm_min = 4, when.tm_sec = 5;
        when.tm_isdst = -1;
        const auto mtime = std::chrono::system_clock::from_time_t(std::mktime(&when));
        fs::last_write_time(team.folder / "Sam" / name,
                            fs::file_time_type::clock::now() + (mtime - std::chrono::system_clock::now()));
        ASSERT_EQ(team.sync().added.size(), 1u);
        std::string stored;
        team.library.forEachSetup([&](const vantrel::library::StoredSetup& s) { stored = s.created; });
        EXPECT_EQ(stored.substr(0, 19), created);
    }
}

// Any order of arrivals, any scans between them, copies and conflict copies
// and sheets that arrive in pieces: the same library in the end.
TEST(TeamFolderProperty, AnyOrderOfArrivalsGivesTheSameLibrary) {
    struct Arrival {
        std::string file, bytes;
    };
    std::vector<Arrival> arrivals;
    for (int s = 0; s < 6; ++s) {
        const std::string driver = s % 2 ? "Alex" : "Sam";
        const std::string name = driver + "_SetupSheet_RDX_2026-12-0" + std::to_string(s + 1) + "_101500.25";
        const std::string bytes = sheet(driver, "setup " + std::to_string(s));
        arrivals.push_back({driver + "/" + name + ".pdf", bytes});
        if (s % 3 == 0) arrivals.push_back({driver + "/" + name + ".sync-conflict-20261208-101733-ABCDEF7.pdf", bytes});
        if (s == 1) arrivals.push_back({driver + "/" + name + " (conflict).pdf", sheet(driver, "their edit")});
        if (s == 2) arrivals.push_back({driver + "/" + name + " (1).pdf", bytes});
    }
    std::multiset<std::tuple<std::string, std::string, bool>> expected;
    for (unsigned seed = 1; seed <= 15; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        std::vector<Arrival> order = arrivals;
        std::shuffle(order.begin(), order.end(), random);
        Team team;
        // The first sheet is the racer's own: a run recorded it before it went out.
        const fs::path own = team.path() / "Sheets" / fs::path(arrivals[0].file).filename();
        fs::create_directories(own.parent_path());
        std::ofstream(own, std::ios::binary) << arrivals[0].bytes;
        SetupEntry mine = *team.reader.read(own);
        mine.sheet = own.string();
        team.library.record(mine);
        for (const Arrival& a : order) {
            // Some arrive in two pieces, a scan seeing the first.
            if (random() % 3 == 0) {
                team.put(a.file, a.bytes.substr(0, a.bytes.size() / 2));
                team.sync();
            }
            team.put(a.file, a.bytes);
            if (random() % 2) team.sync();
        }
        team.sync();
        team.sync();
        const auto contents = team.contents();
        if (expected.empty()) {
            expected = contents;
            EXPECT_EQ(expected.size(), 7u) << "six sheets and one true conflict";
            EXPECT_EQ(expected.count({vantrel::library::valueHash(mine.values), "", true}), 1u) << "the own stays mine";
        }
        EXPECT_EQ(contents, expected);
    }
}

}  // namespace

// Names differing only in letter case are one file on Windows: a team mate's
// sheet of such a name is never put over, and the same sheet is put once.
TEST(TeamFolderFiles, ASheetNeverTakesANameThatDiffersOnlyInCase) {
    testsupport::TempProgramFolder folder;
    const fs::path team = folder.path() / "Team";
    fs::create_directories(team);
    const fs::path first = folder.write("out/alex_SetupSheet_RDX_2026-12-08_143052.47.pdf", "first %%EOF");
    const fs::path second = folder.write("elsewhere/ALEX_SetupSheet_RDX_2026-12-08_143052.47.pdf", "second %%EOF");
    const fs::path again = folder.write("x/Alex_SetupSheet_RDX_2026-12-08_143052.47.pdf", "first %%EOF");
    const std::string one = vantrel::team::publishSheet(first.string(), team.string(), "CON");
    const std::string two = vantrel::team::publishSheet(second.string(), team.string(), "CON");
    const std::string three = vantrel::team::publishSheet(again.string(), team.string(), "CON");
    EXPECT_EQ(one, (team / "CON_" / first.filename()).string());
    EXPECT_EQ(two, (team / "CON_" / "ALEX_SetupSheet_RDX_2026-12-08_143052.47-2.pdf").string());
    EXPECT_EQ(three, one) << "the same sheet, under another case, is there already";
    EXPECT_EQ(testsupport::TempProgramFolder::readFile(one), "first %%EOF");
    EXPECT_EQ(testsupport::TempProgramFolder::readFile(two), "second %%EOF");
    EXPECT_EQ(std::distance(fs::directory_iterator(team / "CON_"), fs::directory_iterator()), 2);
}
