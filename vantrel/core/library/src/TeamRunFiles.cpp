#include "library/TeamRunFiles.h"

#include "LibraryConnection.h"
#include "RunSchema.h"
#include "Sqlite.h"
#include "TeamSchema.h"
#include "platform/Error.h"
#include "platform/PathParts.h"

namespace vantrel::library {

namespace {

using sqlite::Statement;
using sqlite::WriteTransaction;

}  // namespace

// Version 7: the team folder's run files read, so a rescan reads only what
// changed, and a copy (the same content) or a link (the same inode) is not
// read again; and the racer's own runs found without reading the team's.
void addTeamRunFileTable(sqlite3* db) {
    sqlite::exec(db,
                 "CREATE TABLE team_run_file ("
                 " path TEXT PRIMARY KEY,"
                 " size INTEGER NOT NULL,"
                 " mtime_ns INTEGER NOT NULL,"
                 " inode INTEGER NOT NULL,"
                 " hash TEXT NOT NULL,"
                 " reason TEXT NOT NULL);"  // '' its runs were taken; else why it was refused
                 "CREATE INDEX team_run_file_by_hash ON team_run_file (hash)");
    addOwnRunIndex(db);
}

TeamRunFiles::TeamRunFiles(SetupLibrary& library) : m_library(library) {}

std::unordered_map<std::string, TeamRunFile> TeamRunFiles::files(const std::string& folder) {
    return guarded(m_library, "Cannot read", [&] {
        std::unordered_map<std::string, TeamRunFile> out;
        Statement s(LibraryConnection::of(m_library),
                    "SELECT path, size, mtime_ns, inode, hash, reason FROM team_run_file"
                    " WHERE substr(path, 1, length(?1)) = ?1");
        s.bind(1, platform::paths::joined(folder, ""));
        while (s.step()) out[s.text(0)] = {s.integer(1), s.integer(2), s.integer(3), s.text(4), s.text(5)};
        return out;
    });
}

bool TeamRunFiles::hashKnown(const std::string& hash) {
    return guarded(m_library, "Cannot read", [&] {
        Statement s(LibraryConnection::of(m_library), "SELECT 1 FROM team_run_file WHERE hash = ?1 AND reason = ''");
        s.bind(1, hash);
        return s.step();
    });
}

void TeamRunFiles::put(const std::string& path, const TeamRunFile& file) {
    guarded(m_library, "Cannot write", [&] {
        Statement s(LibraryConnection::of(m_library),
                    "INSERT OR REPLACE INTO team_run_file (path, size, mtime_ns, inode, hash, reason)"
                    " VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
        s.bind(1, path);
        s.bind(2, file.size);
        s.bind(3, file.mtimeNs);
        s.bind(4, file.inode);
        s.bind(5, file.hash);
        s.bind(6, file.reason);
        s.step();
    });
}

void TeamRunFiles::drop(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    guarded(m_library, "Cannot write", [&] {
        sqlite3* db = LibraryConnection::of(m_library);
        WriteTransaction t(db);
        Statement s(db, "DELETE FROM team_run_file WHERE path = ?1");
        for (const std::string& path : paths) {
            s.bind(1, path);
            s.step();
            s.reset();
        }
        t.commit();
    });
}

}  // namespace vantrel::library
