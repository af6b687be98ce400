#include "library/TeamRecords.h"

#include <filesystem>

#include "LibraryConnection.h"
#include "Sqlite.h"
#include "TeamSchema.h"
#include "platform/Error.h"
#include "platform/PathParts.h"
#include "platform/PathText.h"

namespace vantrel::library {

namespace {

using sqlite::Statement;
using sqlite::WriteTransaction;

constexpr std::string_view kStates[] = {"taken", "pending", "unreadable", "not a setup"};

std::string_view stateName(TeamFileState state) { return kStates[int(state)]; }

TeamFileState stateOf(const std::string& name) {
    for (int i = 0; i < int(std::size(kStates)); ++i)
        if (kStates[i] == name) return TeamFileState(i);
    return TeamFileState::Pending;
}

// Whether path lies inside folder (both native, absolute).
bool inside(const std::string& path, const std::string& folder) {
    std::string prefix = folder;
    if (prefix.empty()) return false;
    if (prefix.back() != '/' && prefix.back() != '\\') prefix = platform::paths::joined(prefix, "");
    return path.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

// Version 4: the team folder's files and the sheets taken from it. A setup
// deleted from the library takes its team record along; its file is not
// taken again until it changes.
void addTeamTables(sqlite3* db) {
    sqlite::exec(db,
                 "CREATE TABLE team_file ("
                 " path TEXT PRIMARY KEY,"
                 " size INTEGER NOT NULL,"
                 " mtime_ns INTEGER NOT NULL,"
                 " state TEXT NOT NULL,"
                 " reason TEXT NOT NULL);"
                 "CREATE TABLE team_sheet ("
                 " setup_id INTEGER NOT NULL REFERENCES setup (id) ON DELETE CASCADE,"
                 " value_hash TEXT NOT NULL,"
                 " setup_type TEXT NOT NULL,"
                 " sheet_name TEXT NOT NULL,"
                 " driver TEXT NOT NULL,"
                 " mine INTEGER NOT NULL,"
                 " PRIMARY KEY (value_hash, setup_type, sheet_name));"
                 "CREATE INDEX team_sheet_by_setup ON team_sheet (setup_id);");
}

TeamRecords::TeamRecords(SetupLibrary& library) : m_library(library) {}

std::unordered_map<std::string, TeamFile> TeamRecords::files() {
    return guarded(m_library, "Cannot read", [&] {
        std::unordered_map<std::string, TeamFile> out;
        Statement s(LibraryConnection::of(m_library), "SELECT path, size, mtime_ns, state, reason FROM team_file");
        while (s.step()) out[s.text(0)] = {s.integer(1), s.integer(2), stateOf(s.text(3)), s.text(4)};
        return out;
    });
}

void TeamRecords::setFiles(const std::unordered_map<std::string, std::optional<TeamFile>>& changes) {
    if (changes.empty()) return;
    guarded(m_library, "Cannot write", [&] {
        sqlite3* db = LibraryConnection::of(m_library);
        WriteTransaction t(db);
        Statement put(
            db, "INSERT OR REPLACE INTO team_file (path, size, mtime_ns, state, reason) VALUES (?1, ?2, ?3, ?4, ?5)");
        Statement drop(db, "DELETE FROM team_file WHERE path = ?1");
        for (const auto& [path, file] : changes) {
            Statement& s = file ? put : drop;
            s.bind(1, path);
            if (file) {
                s.bind(2, file->size);
                s.bind(3, file->mtimeNs);
                s.bind(4, stateName(file->state));
                s.bind(5, file->reason);
            }
            s.step();
            s.reset();
        }
        t.commit();
    });
}

bool TeamRecords::take(const SetupEntry& entry, const std::string& sheetName, const std::string& driver,
                       const std::string& teamFolder) {
    const std::string hash = valueHash(entry.values);
    return guarded(m_library, "Cannot record a setup in", [&] {
        sqlite3* db = LibraryConnection::of(m_library);
        // Look and record in one transaction: two scans at once (the window
        // and vantrel-batch --sync) take a sheet once.
        WriteTransaction t(db);
        {
            Statement known(db,
                            "SELECT 1 FROM team_sheet WHERE value_hash = ?1 AND setup_type = ?2 AND sheet_name = ?3");
            known.bind(1, hash);
            known.bind(2, entry.setupType);
            known.bind(3, sheetName);
            if (known.step()) return false;
        }
        // The racer's own sheet, come back through the team folder: the same
        // values, recorded by a run or an import from a sheet of that name
        // outside the team folder.
        std::optional<std::int64_t> own;
        {
            Statement same(db, "SELECT id, sheet FROM setup WHERE value_hash = ?1 AND setup_type = ?2");
            same.bind(1, hash);
            same.bind(2, entry.setupType);
            while (!own && same.step()) {
                const std::string sheet = same.text(1);
                if (sheet.empty() || inside(sheet, teamFolder)) continue;
                if (platform::paths::fileNameOf(sheet) != sheetName) continue;
                const auto stored = m_library.setup(same.integer(0));
                if (stored && stored->values == entry.values) own = stored->id;
            }
        }
        const std::int64_t id = own ? *own : m_library.recordWithin(entry);
        Statement link(db,
                       "INSERT INTO team_sheet (setup_id, value_hash, setup_type, sheet_name, driver, mine)"
                       " VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
        link.bind(1, id);
        link.bind(2, hash);
        link.bind(3, entry.setupType);
        link.bind(4, sheetName);
        link.bind(5, driver);
        link.bind(6, std::int64_t(own ? 1 : 0));
        link.step();
        t.commit();
        return !own;
    });
}

std::unordered_map<std::int64_t, SetupOrigin> TeamRecords::teamOrigins() {
    return guarded(m_library, "Cannot read", [&] {
        std::unordered_map<std::int64_t, SetupOrigin> out;
        Statement s(LibraryConnection::of(m_library), "SELECT setup_id, driver FROM team_sheet WHERE mine = 0");
        while (s.step()) out[s.integer(0)] = {false, s.text(1)};
        return out;
    });
}

}  // namespace vantrel::library
