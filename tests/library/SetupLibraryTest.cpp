// The store: record and read back, order, search with folding, duplicates,
// upgrade of a version-1 library, files that are not ours, a locked library.

#include <algorithm>
#include <gtest/gtest.h>
#include <sqlite3.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "LibraryTestSupport.h"
#include "library/SearchFold.h"
#include "library/SetupLibrary.h"
#include "platform/Error.h"
#include "platform/Paths.h"

using namespace librarytest;
using vantrel::SetupField;
using vantrel::library::SetupLibrary;

namespace {

std::string libraryIn(const testsupport::TempProgramFolder& folder) {
    return (folder.path() / "Library.sqlite").string();
}

void sql(const std::string& path, const std::string& statements) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, statements.c_str(), nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

}  // namespace

TEST(SetupLibrary, RecordsSetupsExactlyAndListsThemNewestFirst) {
    testsupport::TempProgramFolder folder;
    std::mt19937 rng(7);
    std::vector<std::pair<std::int64_t, SetupEntry>> recorded;
    {
        SetupLibrary library(libraryIn(folder));
        for (int i = 0; i < 40; ++i) {
            // Times across offsets, so the order is by instant and not by text.
            char created[32];
            std::snprintf(created, sizeof created, "2026-03-%02dT%02d:15:00%s", 1 + int(rng() % 28), int(rng() % 24),
                          i % 2 ? "+02:00" : "-05:00");
            SetupEntry e = makeEntry(rng, created);
            recorded.emplace_back(library.record(e), e);
        }
    }
    SetupLibrary library(libraryIn(folder));  // what was recorded outlives the connection
    ASSERT_EQ(library.count(), recorded.size());
    for (const auto& [id, e] : recorded) {
        const auto stored = library.setup(id);
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->created, e.created);
        EXPECT_EQ(stored->setupType, e.setupType);
        EXPECT_EQ(stored->sheet, e.sheet);
        EXPECT_EQ(stored->values, e.values);
        EXPECT_EQ(stored->hash, vantrel::library::valueHash(e.values));
    }

    std::sort(recorded.begin(), recorded.end(), [](const auto& a, const auto& b) {
        const auto ta = *vantrel::library::parseTimestamp(a.second.created);
        const auto tb = *vantrel::library::parseTimestamp(b.second.created);
        return ta != tb ? ta > tb : a.first > b.first;
    });
    const auto rows = library.summaries();
    ASSERT_EQ(rows.size(), recorded.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SetupEntry& e = recorded[i].second;
        auto value = [&](SetupField f) { return e.values[std::size_t(f)]; };
        EXPECT_EQ(rows[i].id, recorded[i].first) << i;
        EXPECT_EQ(rows[i].created, e.created);
        EXPECT_EQ(rows[i].sheet, e.sheet);
        EXPECT_EQ(rows[i].driver, value(SetupField::DriverName));
        EXPECT_EQ(rows[i].track, value(SetupField::TrackCity));
        EXPECT_EQ(rows[i].event, value(SetupField::EventName));
        EXPECT_EQ(rows[i].resultsMain, value(SetupField::ResultsMain));
        EXPECT_EQ(rows[i].qualifying, value(SetupField::ResultsQualifyingPos));
        EXPECT_EQ(rows[i].finishing, value(SetupField::ResultsFinishPos));
    }
    EXPECT_EQ(library.summaries({}, 5).size(), 5u);

    const std::int64_t gone = recorded.front().first;
    EXPECT_TRUE(library.remove(gone));
    EXPECT_FALSE(library.remove(gone));
    EXPECT_FALSE(library.setup(gone));
    EXPECT_EQ(library.count(), recorded.size() - 1);
    EXPECT_EQ(library.matchingIds("").size(), recorded.size() - 1);  // its search text went with it
    EXPECT_EQ(library.integrityCheck(), "ok");
}

TEST(SetupLibrary, SearchIgnoresCaseAndAccentsInEveryField) {
    struct Case {
        const char* stored;
        const char* query;
        bool found;
    };
    const Case cases[] = {
        {"à la carte", "a", true},
        {"Bär", "A", true},
        {"Zürich", "zurich", true},
        {"ZURICH", "zürich", true},
        {"Łódź", "LODZ", true},
        {"Straße", "strasse", true},
        {"Œuvre", "oeuvre", true},
        {"naïve", "naive", true},
        {"Ça", "ca", true},
        {"Northtown", "town north", true},
        {"Club Race 3", "race  club ", true},
        {"Northtown", "south", false},
        {"abc", "abcd", false},
        {"100%", "%", true},
        {"1_0", "1%0", false},
        {"x_y", "_", true},
        {"13.5T", "13.5t", true},
        {"caf\xE9", "cafe", true},
    };
    testsupport::TempProgramFolder folder;
    SetupLibrary library(libraryIn(folder));
    std::size_t field = 0;
    for (const Case& c : cases) {
        // Each text in another field, so every field is searched.
        SetupEntry e;
        e.created = "2026-01-01T00:00:00+00:00";
        e.setupType = "RDX";
        e.values[field] = c.stored;
        field = (field + 7) % SetupFieldCount;
        const std::int64_t id = library.record(e);
        const auto ids = library.matchingIds(c.query);
        EXPECT_EQ(std::find(ids.begin(), ids.end(), id) != ids.end(), c.found) << c.stored << " / " << c.query;
        library.remove(id);
    }

    // Every word in some field, but no word across two of them.
    SetupEntry e;
    e.created = "2026-01-01T00:00:00+00:00";
    e.values[std::size_t(SetupField::DriverName)] = "Jo ab";
    e.values[std::size_t(SetupField::TrackCity)] = "cd Kent";
    const std::int64_t id = library.record(e);
    EXPECT_EQ(library.matchingIds("kent jo"), std::vector<std::int64_t>{id});
    EXPECT_TRUE(library.matchingIds("abcd").empty());
    ASSERT_EQ(library.summaries("KENT").size(), 1u);
    EXPECT_EQ(library.summaries("KENT")[0].driver, "Jo ab");
}

TEST(SetupLibrary, TheSameSetupOfTheSameTypeIsRecognised) {
    testsupport::TempProgramFolder folder;
    SetupLibrary library(libraryIn(folder));
    std::mt19937 rng(3);
    const SetupEntry e = makeEntry(rng);
    const auto first = library.recordIfNew(e);
    ASSERT_TRUE(first);
    EXPECT_FALSE(library.recordIfNew(e));
    EXPECT_EQ(library.findSame(e.setupType, e.values), first);

    SetupEntry otherType = e;
    otherType.setupType = "RDX2";
    EXPECT_TRUE(library.recordIfNew(otherType));
    for (std::size_t i = 0; i < SetupFieldCount; i += 9) {
        SetupEntry changed = e;
        changed.values[i] += "x";
        EXPECT_FALSE(library.findSame(changed.setupType, changed.values)) << SetupFieldKeys[i];
    }
    // The same text split differently between two fields is another setup.
    vantrel::Setup a{}, b{};
    a[0] = "ab";
    b[0] = "a";
    b[1] = "b";
    EXPECT_NE(vantrel::library::valueHash(a), vantrel::library::valueHash(b));
    EXPECT_EQ(library.count(), 2u);
}

TEST(SetupLibrary, UpgradesALibraryOfVersionOne) {
    testsupport::TempProgramFolder folder;
    const std::string path = libraryIn(folder);
    // Version 1 as the first program wrote it: the table of setups, no search text.
    std::string columns, values;
    for (std::size_t i = 0; i < SetupFieldCount; ++i) {
        columns += ", \"" + std::string(SetupFieldKeys[i]) + "\" TEXT NOT NULL";
        values += i == 0 ? ", 'Jürgen'" : ", ''";
    }
    sql(path, "PRAGMA application_id = " + std::to_string(SetupLibrary::ApplicationId) +
                  "; PRAGMA journal_mode = WAL; PRAGMA user_version = 1;"
                  "CREATE TABLE setup (id INTEGER PRIMARY KEY, created TEXT NOT NULL, created_utc INTEGER NOT NULL,"
                  " setup_type TEXT NOT NULL, sheet TEXT NOT NULL, value_hash TEXT NOT NULL" +
                  columns +
                  ");"
                  "CREATE INDEX setup_by_created ON setup (created_utc DESC, id DESC);"
                  "CREATE INDEX setup_by_hash ON setup (value_hash, setup_type);"
                  "INSERT INTO setup VALUES (1, '2025-06-01T09:30:00+02:00', 1748763000, 'RDX', '/s/a.pdf', 'h'" +
                  values + ");");
    {
        SetupLibrary library(path);
        const auto rows = library.summaries("jurgen");
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].driver, "Jürgen");
        EXPECT_EQ(rows[0].created, "2025-06-01T09:30:00+02:00");
        SetupEntry e;
        e.created = "2026-01-01T00:00:00+00:00";
        e.values[0] = "Other";
        library.record(e);
        EXPECT_EQ(library.summaries()[0].driver, "Other");
        EXPECT_EQ(library.integrityCheck(), "ok");
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &s, nullptr);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(s, 0), SetupLibrary::SchemaVersion);
    sqlite3_finalize(s);
    sqlite3_close(db);
    SetupLibrary again(path, {.readOnly = true});
    EXPECT_EQ(again.count(), 2u);
}

TEST(SetupLibrary, RefusesAFileThatIsNotOneOfOursAndLeavesItAsItWas) {
    testsupport::TempProgramFolder folder;
    std::mt19937 rng(11);
    std::string noise(8192, '\0');
    for (char& c : noise) c = char(rng());

    // Damaged pages and a newer schema start from a real library.
    const std::string real = (folder.path() / "real.sqlite").string();
    {
        SetupLibrary library(real);
        for (int i = 0; i < 200; ++i) library.record(makeEntry(rng));
    }
    const std::string realBytes = testsupport::TempProgramFolder::readFile(real);
    std::string damaged = realBytes;
    for (std::size_t i = 4096; i < damaged.size(); ++i) damaged[i] = char(0x5A ^ (i & 0xFF));
    const std::string newer = (folder.path() / "newer.sqlite").string();
    std::filesystem::copy_file(real, newer);
    sql(newer, "PRAGMA user_version = 99");
    const std::string foreign = (folder.path() / "foreign.sqlite").string();
    sql(foreign, "PRAGMA journal_mode = WAL; CREATE TABLE notes (t TEXT); INSERT INTO notes VALUES ('mine')");

    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", "", "empty"},
        {"noise", noise, "not an SQLite database"},
        {"truncated", realBytes.substr(0, 60), "not an SQLite database"},
        {"foreign", testsupport::TempProgramFolder::readFile(foreign), "another application"},
        {"newer", testsupport::TempProgramFolder::readFile(newer), "newer version"},
        {"damaged", damaged, "damaged"},
    };
    for (const Case& c : cases) {
        const auto path = folder.write(std::string(c.name) + ".sqlite", c.bytes);
        std::string error;
        try {
            SetupLibrary library(path.string());
            library.summaries();
            library.record(makeEntry(rng));
            library.matchingIds("zurich");
        } catch (const platform::Error& e) {
            error = e.description();
        }
        EXPECT_NE(error.find(path.string()), std::string::npos) << c.name << ": " << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
        // What a run does: the reason comes back, the file stays as it was.
        const auto failed = vantrel::library::recordSetup(path.string(), makeEntry(rng));
        ASSERT_TRUE(failed) << c.name;
        EXPECT_NE(platform::errorText(*failed).find(path.string()), std::string::npos) << c.name;
        EXPECT_NE(failed->description().find(c.reason), std::string::npos) << c.name << ": " << failed->description();
        EXPECT_EQ(testsupport::TempProgramFolder::readFile(path), c.bytes) << c.name;
    }
    const std::string fresh = (folder.path() / "fresh.sqlite").string();
    EXPECT_FALSE(vantrel::library::recordSetup(fresh, makeEntry(rng)));
    EXPECT_EQ(SetupLibrary(fresh).count(), 1u);
}

TEST(SetupLibrary, ALibraryLockedTooLongGivesAClearErrorAndNothingIsLost) {
    testsupport::TempProgramFolder folder;
    const std::string path = libraryIn(folder);
    SetupLibrary library(path, {.busyTimeoutMs = 200});
    std::mt19937 rng(5);
    library.record(makeEntry(rng));

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    try {
        library.record(makeEntry(rng));
        ADD_FAILURE() << "recorded into a locked library";
    } catch (const platform::Error& e) {
        EXPECT_NE(std::string(e.description()).find(path), std::string::npos) << e.description();
        EXPECT_NE(std::string(e.description()).find("locked"), std::string::npos) << e.description();
    }
    EXPECT_EQ(library.count(), 1u);  // reading goes on beside a writer
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    library.record(makeEntry(rng));
    EXPECT_EQ(library.count(), 2u);
}

// Left out on Windows: it drops to an ordinary user's rights in a forked
// child and makes files read-only by POSIX modes; it runs on Linux.
#ifndef _WIN32
TEST(SetupLibrary, AReadOnlyLibraryOrFolderGivesAClearError) {
    testsupport::TempProgramFolder folder;
    const std::string path = libraryIn(folder);
    { SetupLibrary create(path); }
    ::chmod(path.c_str(), 0444);
    const std::string fresh = (folder.path() / "locked-folder" / "Library.sqlite").string();
    std::filesystem::create_directories(folder.path() / "locked-folder");
    ::chmod((folder.path() / "locked-folder").c_str(), 0555);
    // As root every file is writable: the child takes an ordinary user's rights.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
        int failures = 0;
        for (const auto& [file, reason] : {std::pair{path, "read-only"}, std::pair{fresh, "cannot be written"}}) {
            try {
                SetupLibrary library(file);
                ++failures;
            } catch (const platform::Error& e) {
                const std::string text = e.description();
                failures += text.find(file) == std::string::npos || text.find(reason) == std::string::npos;
            }
        }
        ::_exit(failures);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    ::chmod((folder.path() / "locked-folder").c_str(), 0755);
}
#endif

TEST(SetupLibrary, LibraryFileIsAPlainNameInTheDataFolder) {
    using vantrel::library::libraryFilePath;
    EXPECT_EQ(libraryFilePath("/v/Data\\", ""), platform::paths::toNative("/v/Data/Library.sqlite"));
    EXPECT_EQ(libraryFilePath("/v/Data", "Club.sqlite"), platform::paths::toNative("/v/Data/Club.sqlite"));
    for (const char* bad : {"../Library.sqlite", "sub/x.sqlite", "sub\\x.sqlite", "..", "."})
        EXPECT_THROW(libraryFilePath("/v/Data/", bad), platform::Error) << bad;
}

TEST(SetupLibrary, TimestampsAreLocalTimeWithOffset) {
    const std::time_t t = 1780000000;
    const std::string text = vantrel::library::localTimestamp(t);
    EXPECT_EQ(vantrel::library::parseTimestamp(text), t) << text;
    EXPECT_EQ(vantrel::library::parseTimestamp("2026-01-01T01:00:00+01:00"), 1767225600);
    EXPECT_EQ(vantrel::library::parseTimestamp("2026-01-01T00:00:00Z"), 1767225600);
    for (const char* bad :
         {"", "2026-01-01", "2026-01-01 00:00:00+01:00", "2026-13-01T00:00:00Z", "2026-01-01T00:00:00+1"})
        EXPECT_FALSE(vantrel::library::parseTimestamp(bad)) << bad;
}
