// Event dates as racers write them, a track's history in event order, and
// the upgrade that dates the setups of an older library.

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <sqlite3.h>

#include "EnvOverride.h"
#include "StandInHost.h"
#include "LibraryTestSupport.h"
#include "library/EventDate.h"
#include "library/TrackHistory.h"
#include "platform/Error.h"
#include "platform/Process.h"

using namespace librarytest;
using namespace vantrel::library;
using vantrel::SetupField;

namespace {

void set(vantrel::Setup& v, SetupField f, std::string text) { v[std::size_t(f)] = std::move(text); }

}  // namespace

TEST(EventDate, ReadsTheSpellingsRacersWrite) {
    constexpr auto D = DateOrder::DayFirst, M = DateOrder::MonthFirst;
    struct Case {
        const char* text;
        DateOrder order;
        const char* date;  // "" for none
    };
    const Case cases[] = {
        {"2026-03-14", D, "2026-03-14"},
        {"2026-03-14", M, "2026-03-14"},
        {"14/03/2026", M, "2026-03-14"},
        {"14.3.2026", D, "2026-03-14"},
        {"14 March 2026", M, "2026-03-14"},
        {"Mar 14 2026", D, "2026-03-14"},
        {"March 14, 2026", D, "2026-03-14"},
        {"Sat 14th March 2026", D, "2026-03-14"},
        {"14. März 2026", D, "2026-03-14"},
        {"14 février 2026", D, "2026-02-14"},
        {"3/14/26", D, "2026-03-14"},
        {"Round 3, 14/03/2026", D, "2026-03-14"},
        {"2026/3/4", M, "2026-03-04"},
        {"14 February", D, "2025-02-14"},
        // Both numbers could be the day: the user's format decides.
        {"04/03/2026", D, "2026-03-04"},
        {"04/03/2026", M, "2026-04-03"},
        {"4.3.26", D, "2026-03-04"},
        {"4-3", M, "2025-04-03"},
        // No date in it, or none that exists.
        {"", D, ""},
        {"Spring Cup", D, ""},
        {"31/02/2026", D, ""},
        {"29/02/2025", D, ""},
        {"juin 2026", D, ""},
        {"13/13/2026", M, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(readEventDate(c.text, c.order, 2025).value_or(""), c.date)
            << '"' << c.text << "\" " << (c.order == D ? "day first" : "month first");
    EXPECT_FALSE(readEventDate("14 February", D).has_value()) << "no year to take";

    vantrel::Setup v;
    EXPECT_EQ(eventDateOf(v, "2026-05-01T10:00:00+02:00", D), "2026-05-01") << "the build's day without a date";
    set(v, SetupField::EventDate, "1 Feb");
    EXPECT_EQ(eventDateOf(v, "2026-05-01T10:00:00+02:00", D), "2026-02-01") << "the build's year";
}

TEST(EventDate, TheUsersFormatSaysTheOrder) {
#ifdef _WIN32
    // Windows answers from the user's locale settings, which LC_TIME does not
    // change (Wine takes them from the environment once, as it starts).
    GTEST_SKIP() << "the date order by LC_TIME runs on Linux";
#endif
    const testsupport::EnvOverride all("LC_ALL", nullptr);
    const std::pair<const char*, DateOrder> cases[] = {
        {"en_US.UTF-8", DateOrder::MonthFirst},
        {"en_GB.UTF-8", DateOrder::DayFirst},
        {"de_DE.UTF-8", DateOrder::DayFirst},
        {"C.UTF-8", DateOrder::DayFirst},
    };
    for (const auto& [locale, order] : cases) {
        const testsupport::EnvOverride time("LC_TIME", locale);
        EXPECT_EQ(userDateOrder(), order) << locale;
    }
}

// Any order of building gives the history in event order: the event date,
// then the time the sheet was built; "last" is the latest event.
TEST(TrackHistory, IsInEventOrderForAnyOrderOfBuilding) {
    testsupport::StandInHost host;
    host.setDayBeforeMonth(true);
    static const char* const kSpellings[] = {"%04d-%02d-%02d", "%3$d/%2$d/%1$d", "%3$d.%2$d.%1$d"};
    for (unsigned seed = 1; seed <= 20; ++seed) {
        testsupport::TempProgramFolder folder;
        SetupLibrary library((folder.path() / "Library.sqlite").string());
        std::mt19937 rng(seed);
        std::vector<std::pair<std::string, std::string>> expected;  // event date, created
        for (int n = 0; n < 12; ++n) {
            SetupEntry e = makeEntry(rng);
            const int y = 2024 + int(rng() % 3), m = 1 + int(rng() % 12), d = 1 + int(rng() % 28);
            char date[32], created[40];
            std::snprintf(date, sizeof date, kSpellings[rng() % 3], y, m, d);
            std::snprintf(created, sizeof created, "2026-%02d-%02dT%02d:00:00+01:00", 1 + int(rng() % 12),
                          1 + int(rng() % 28), int(rng() % 24));
            e.created = created;
            set(e.values, SetupField::EventDate, rng() % 5 ? date : "");
            set(e.values, SetupField::TrackCity, rng() % 4 ? (rng() % 2 ? "Zürich" : " ZURICH ") : "Northtown");
            set(e.values, SetupField::DriverName, "Åsa");
            set(e.values, SetupField::EventName, "Round " + std::to_string(n));
            if (e.values[std::size_t(SetupField::TrackCity)] != "Northtown")
                expected.emplace_back(eventDateOf(e.values, e.created, DateOrder::DayFirst), e.created);
            library.record(e);
        }
        std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
            return a.first != b.first ? a.first < b.first : *parseTimestamp(a.second) < *parseTimestamp(b.second);
        });
        const auto history = trackHistory(library, "zurich");
        ASSERT_EQ(history.size(), expected.size()) << "seed " << seed;
        for (std::size_t i = 0; i < history.size(); ++i) {
            EXPECT_EQ(history[i].eventDate, expected[i].first) << "seed " << seed << " meeting " << i;
            EXPECT_EQ(history[i].setup.created, expected[i].second) << "seed " << seed << " meeting " << i;
            EXPECT_EQ(history[i].first, i == 0);
            if (i > 0) {
                EXPECT_EQ(history[i].changes, changesBetween(history[i - 1].setup.values, history[i].setup.values));
            }
        }
        if (!history.empty()) {
            EXPECT_EQ(lastHere(library, "Zurich ", "asa")->setup.id, history.back().setup.id);
        }
        EXPECT_FALSE(lastHere(library, "Zürich", "Someone Else"));
    }
}

// A meeting built twice (a sheet built anew, corrected) is one row, the latest
// build standing for it; another driver's meeting that day is a row of its own.
TEST(TrackHistory, OneRowPerMeetingTheLatestBuildStandingForIt) {
    testsupport::TempProgramFolder folder;
    SetupLibrary library((folder.path() / "Library.sqlite").string());
    std::mt19937 rng(33);
    struct Build {
        const char *driver, *event, *date, *created, *notes;
    };
    const Build builds[] = {
        {"Sam", "Club Championship Rd 1", "2026-05-03", "2026-05-03T09:00:00+02:00", "first"},
        {"Sam", "Club Championship Rd 2", "2026-06-07", "2026-06-07T09:00:00+02:00", "rd 2"},
        {"Sam", "Club Championship Rd 1", "2026-05-03", "2026-05-04T20:00:00+02:00", "built again"},
        {"Kim", "Club Championship Rd 1", "2026-05-03", "2026-05-03T10:00:00+02:00", "kim"},
        {"sam ", "club championship rd 1", "3 May 2026", "2026-05-05T08:00:00+02:00", "corrected"},
    };
    for (const Build& b : builds) {
        SetupEntry e = makeEntry(rng, b.created);
        set(e.values, SetupField::DriverName, b.driver);
        set(e.values, SetupField::EventName, b.event);
        set(e.values, SetupField::EventDate, b.date);
        set(e.values, SetupField::TrackCity, "Northtown");
        set(e.values, SetupField::Notes, b.notes);
        library.record(e);
    }
    std::vector<std::string> rows;
    for (const HistoryEntry& h : trackHistory(library, "Northtown"))
        rows.push_back(h.eventDate + " " + h.setup.values[std::size_t(SetupField::Notes)]);
    EXPECT_EQ(rows, (std::vector<std::string>{"2026-05-03 kim", "2026-05-03 corrected", "2026-06-07 rd 2"}));
    EXPECT_EQ(library.count(), 5u) << "the library keeps every build";
}

TEST(TrackHistory, AVersionTwoLibraryIsUpgradedWithItsEventDates) {
    testsupport::StandInHost host;
    host.setDayBeforeMonth(true);
    testsupport::TempProgramFolder folder;
    const std::string path = (folder.path() / "Library.sqlite").string();
    std::mt19937 rng(3);
    {
        SetupLibrary library(path);
        SetupEntry e = makeEntry(rng, "2026-06-01T10:00:00+02:00");
        set(e.values, SetupField::TrackCity, "Łódź");
        set(e.values, SetupField::EventDate, "7/6/2026");
        library.record(e);
    }
    // Version 2 as it stood: no table of event dates, none of the team folder, no runs.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "DROP TABLE setup_event; DROP TABLE team_sheet; DROP TABLE team_file; DROP TABLE run;"
                           " DROP TABLE team_run_file;"
                           " PRAGMA user_version = 2",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    EXPECT_THROW(SetupLibrary(path, {.readOnly = true}), platform::Error) << "a reader never upgrades";
    SetupLibrary library(path);
    const auto last = lastHere(library, "lodz");
    ASSERT_TRUE(last);
    EXPECT_EQ(last->eventDate, "2026-06-07");
    EXPECT_EQ(knownTracks(library), std::vector<std::string>{"Łódź"});
    EXPECT_EQ(library.integrityCheck(), "ok");
}
