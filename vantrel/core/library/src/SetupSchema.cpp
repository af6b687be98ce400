#include "SetupSchema.h"

#include "EventTable.h"
#include "RunSchema.h"
#include "SetupCodec.h"
#include "TeamSchema.h"
#include "library/SearchFold.h"
#include "library/SetupLibrary.h"

namespace vantrel::library::schema {

using sqlite::Statement;

std::string valueColumns() {
    std::string out;
    for (const std::string_view key : SetupFieldKeys) {
        if (!out.empty()) out += ", ";
        out += '"';
        out += key;
        out += '"';
    }
    return out;
}

std::string allColumns() { return std::string(kHeadColumns) + ", " + valueColumns(); }

std::string searchText(std::string_view setupType, const Setup& values) {
    std::string joined(setupType);
    for (const std::string& v : values) {
        joined += '\n';
        joined += v;
    }
    return foldForSearch(joined);
}

namespace {

void createSetupTable(sqlite3* db) {
    std::string sql =
        "CREATE TABLE setup ("
        " id INTEGER PRIMARY KEY,"
        " created TEXT NOT NULL,"         // local time with offset, ISO 8601
        " created_utc INTEGER NOT NULL,"  // the same instant in seconds since 1970, for ordering
        " setup_type TEXT NOT NULL,"
        " sheet TEXT NOT NULL,"
        " value_hash TEXT NOT NULL";
    for (const std::string_view key : SetupFieldKeys) sql += ", \"" + std::string(key) + "\" TEXT NOT NULL";
    sql +=
        ");"
        "CREATE INDEX setup_by_created ON setup (created_utc DESC, id DESC);"
        "CREATE INDEX setup_by_hash ON setup (value_hash, setup_type);";
    sqlite::exec(db, sql.c_str());
}

// Version 2: the folded search text of each setup in a table of its own, so a
// keystroke scans a few hundred bytes a setup instead of whole rows.
void addSearchText(sqlite3* db) {
    sqlite::exec(db,
                 "CREATE TABLE setup_search ("
                 " setup_id INTEGER PRIMARY KEY REFERENCES setup (id) ON DELETE CASCADE,"
                 " text TEXT NOT NULL)");
    Statement rows(db, "SELECT id, setup_type, " + valueColumns() + " FROM setup");
    Statement insert(db, "INSERT INTO setup_search (setup_id, text) VALUES (?1, ?2)");
    while (rows.step()) {
        const Setup values = codec::readValues(rows, 2);
        insert.bind(1, rows.integer(0));
        insert.bind(2, searchText(rows.text(1), values));
        insert.step();
        insert.reset();
    }
}

// Version 9: a trigram index over the search text, so a word of three
// characters or more finds its few setups without reading every one. It
// reads the rows of setup_search and the triggers keep it in step with
// every write of them (the cascade of a setup's delete as well). Built
// again from the rows when a file has it already: what it holds is theirs.
void addSearchIndex(sqlite3* db) {
    sqlite::exec(db,
                 "CREATE VIRTUAL TABLE IF NOT EXISTS setup_trigram USING fts5(text, content='setup_search',"
                 " content_rowid='setup_id', tokenize='trigram case_sensitive 1');"
                 "INSERT INTO setup_trigram (setup_trigram) VALUES ('rebuild');"
                 "CREATE TRIGGER IF NOT EXISTS setup_search_added AFTER INSERT ON setup_search BEGIN"
                 " INSERT INTO setup_trigram (rowid, text) VALUES (new.setup_id, new.text); END;"
                 "CREATE TRIGGER IF NOT EXISTS setup_search_removed AFTER DELETE ON setup_search BEGIN"
                 " INSERT INTO setup_trigram (setup_trigram, rowid, text) VALUES ('delete', old.setup_id, old.text);"
                 " END;"
                 "CREATE TRIGGER IF NOT EXISTS setup_search_changed AFTER UPDATE ON setup_search BEGIN"
                 " INSERT INTO setup_trigram (setup_trigram, rowid, text) VALUES ('delete', old.setup_id, old.text);"
                 " INSERT INTO setup_trigram (rowid, text) VALUES (new.setup_id, new.text); END");
}

constexpr Migration kMigrations[] = {
    {1, createSetupTable}, {2, addSearchText},       {3, addEventTable},  {4, addTeamTables},  {5, addRunTable},
    {6, addRunField},      {7, addTeamRunFileTable}, {8, addRunRevision}, {9, addSearchIndex},
};
static_assert(std::size(kMigrations) == SetupLibrary::SchemaVersion);

}  // namespace

std::span<const Migration> migrations() { return kMigrations; }

}  // namespace vantrel::library::schema
