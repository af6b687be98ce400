#include "library/SetupLibrary.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "EventTable.h"
#include "LibraryConnection.h"
#include "LibraryFile.h"
#include "SetupCodec.h"
#include "SetupSchema.h"
#include "SetupSearch.h"
#include "Sqlite.h"
#include "library/SearchFold.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/NewFile.h"
#include "platform/PathText.h"
#include "platform/Paths.h"
#include "platform/Process.h"

namespace vantrel::library {

namespace {

using sqlite::Statement;
using sqlite::WriteTransaction;

constexpr const char* kSource = "SetupLibrary";

using namespace schema;

std::int64_t pragmaInteger(sqlite3* db, const char* pragma) {
    Statement s(db, std::string("PRAGMA ") + pragma);
    return s.step() ? s.integer(0) : 0;
}

std::string durationText(int ms) {
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

std::string reasonFor(const sqlite::Failure& f, int busyTimeoutMs) {
    switch (f.code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return "it is locked by another program (waited " + durationText(busyTimeoutMs) + ")";
    case SQLITE_READONLY: return "it cannot be written (" + f.message + ")";
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return "it is damaged (" + f.message + ")";
    case SQLITE_FULL: return "the disk is full";
    case SQLITE_CANTOPEN: return "it cannot be opened (" + f.message + ")";
    case SQLITE_IOERR: return "it could not be read or written (" + f.message + ")";
    default: return f.message;
    }
}

}  // namespace

struct SetupLibrary::Impl {
    std::string path;
    LibraryOptions options;
    sqlite3* db = nullptr;
    std::unique_ptr<Statement> insertSetup, insertSearch, findByHash;

    ~Impl() {
        insertSetup.reset();
        insertSearch.reset();
        findByHash.reset();
        if (db) sqlite3_close_v2(db);
    }

    [[noreturn]] void fail(std::string_view action, const std::string& reason) const {
        platform::raiseAboutFile(platform::ErrPathAccess, kSource, std::string(action) + " the setup library", path,
                                 reason);
    }
    [[noreturn]] void fail(std::string_view action, const sqlite::Failure& f) const {
        fail(action, reasonFor(f, options.busyTimeoutMs));
    }
    [[noreturn]] void refuse(const std::string& reason) const {
        fail("Cannot open", reason + "; the file was left as it was");
    }

    void open() {
        const platform::files::FileFacts facts = platform::files::factsOf(path);
        if (facts.kind == platform::files::FileKind::Missing) {
            if (facts.error != ENOENT) fail("Cannot open", platform::files::systemMessage(facts.error));
            if (options.readOnly) fail("Cannot open", "there is no such file");
            create();
        } else if (facts.kind == platform::files::FileKind::Folder) {
            fail("Cannot open", "it is a folder");
        }
        if (const std::string problem = headerProblem(path); !problem.empty()) refuse(problem);
        connect();
    }

    // The new library is built complete in a file beside the path and then
    // linked in under its name, which fails when a file got there meanwhile
    // (another program creating it at the same moment): that one is opened.
    // Where the file system refuses the link, the file is copied to its name,
    // created only if it is not there (a program opening it in that moment
    // finds it incomplete and says so).
    void create() {
        const std::filesystem::path target = platform::paths::pathOf(path);
        const std::string folder = target.has_parent_path() ? platform::paths::textOf(target.parent_path()) : ".";
        std::string temp = platform::paths::appended(folder, "." + platform::paths::fileNameOf(path) + ".new-XXXXXX");
        if (const int error = platform::files::createUniqueFile(temp); error != 0)
            fail("Cannot create",
                 error == ENOENT ? "its folder " + folder + " does not exist"
                 : error == EACCES || error == EROFS
                     ? "its folder " + folder + " cannot be written (" + platform::files::systemMessage(error) + ")"
                     : platform::files::systemMessage(error));
        auto removeTemp = [&] {
            platform::files::removeFile(temp);
            platform::files::removeFile(temp + "-journal");
            platform::files::removeFile(temp + "-wal");
            platform::files::removeFile(temp + "-shm");
        };
        sqlite3* fresh = nullptr;
        try {
            if (const int rc = sqlite3_open_v2(temp.c_str(), &fresh, SQLITE_OPEN_READWRITE, nullptr); rc != SQLITE_OK)
                sqlite::fail(fresh, rc);
            sqlite::exec(fresh, ("PRAGMA application_id = " + std::to_string(ApplicationId)).c_str());
            sqlite::exec(fresh, "BEGIN");
            for (const Migration& m : migrations()) m.apply(fresh);
            sqlite::exec(fresh, ("PRAGMA user_version = " + std::to_string(SchemaVersion)).c_str());
            sqlite::exec(fresh, "COMMIT");
            sqlite::exec(fresh, "PRAGMA journal_mode = WAL");
        } catch (const sqlite::Failure& f) {
            sqlite3_close_v2(fresh);
            removeTemp();
            fail("Cannot create", f);
        }
        if (sqlite3_close(fresh) != SQLITE_OK) {
            sqlite3_close_v2(fresh);
            removeTemp();
            fail("Cannot create", "the new file could not be closed");
        }
        const int error = publishNewFile(temp, path, options.hardLink);
        removeTemp();
        if (error && error != EEXIST) fail("Cannot create", platform::files::systemMessage(error));
        platform::files::syncFolder(folder);
    }

    void connect() {
        const int flags = options.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
        try {
            if (const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr); rc != SQLITE_OK)
                sqlite::fail(db, rc);
            sqlite3_extended_result_codes(db, 1);
            if (!options.readOnly && sqlite3_db_readonly(db, "main") == 1)
                fail("Cannot open", "it cannot be written (read-only)");
            if (const int rc = sqlite3_busy_timeout(db, options.busyTimeoutMs); rc != SQLITE_OK) sqlite::fail(db, rc);
            sqlite::exec(db, "PRAGMA foreign_keys = ON");
            // WAL with NORMAL: a killed process loses no committed setup, and
            // a commit costs no disk flush (a power cut may lose the last ones).
            sqlite::exec(db, "PRAGMA synchronous = NORMAL");
            // A search reads every setup's search text: keep a library of some
            // ten thousand setups in memory (an upper bound, taken as needed).
            sqlite::exec(db, ("PRAGMA cache_size = -" + std::to_string(std::max(options.cacheKiB, 64))).c_str());
            if (pragmaInteger(db, "application_id") != ApplicationId)
                refuse("it is an SQLite database of another application, not a setup library");
            const auto version = pragmaInteger(db, "user_version");
            if (version > SchemaVersion)
                refuse("it was written by a newer version of Vantrel (library version " + std::to_string(version) +
                       ", this program knows up to " + std::to_string(SchemaVersion) + ")");
            Statement table(db, "SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name = 'setup'");
            if (version < 1 || !table.step() || table.integer(0) != 1)
                refuse("it is damaged (the table of setups is missing)");
            if (version < SchemaVersion) {
                if (options.readOnly)
                    refuse("it is of an older version (" + std::to_string(version) +
                           "); open it once for writing to upgrade it");
                migrate();
            }
            prepare();
        } catch (const sqlite::Failure& f) {
            fail("Cannot open", f);
        }
    }

    void migrate() {
        for (const Migration& m : migrations()) {
            WriteTransaction t(db);
            // Another program may have upgraded the file since we looked.
            if (pragmaInteger(db, "user_version") < m.toVersion) {
                m.apply(db);
                sqlite::exec(db, ("PRAGMA user_version = " + std::to_string(m.toVersion)).c_str());
            }
            t.commit();
        }
    }

    void prepare() {
        std::string insert = "INSERT INTO setup (" + allColumns().substr(4) + ") VALUES (?1, ?2, ?3, ?4, ?5";
        for (std::size_t i = 0; i < SetupFieldCount; ++i) insert += ", ?" + std::to_string(i + kHeadColumnCount);
        insert += ")";
        insertSetup = std::make_unique<Statement>(db, insert, true);
        insertSearch =
            std::make_unique<Statement>(db, "INSERT INTO setup_search (setup_id, text) VALUES (?1, ?2)", true);
        findByHash = std::make_unique<Statement>(
            db, "SELECT id, " + valueColumns() + " FROM setup WHERE value_hash = ?1 AND setup_type = ?2", true);
    }

    std::optional<std::int64_t> find(std::string_view setupType, const Setup& values, const std::string& hash) {
        findByHash->bind(1, hash);
        findByHash->bind(2, setupType);
        std::optional<std::int64_t> found;
        while (!found && findByHash->step()) {
            if (codec::readValues(*findByHash, 1) == values) found = findByHash->integer(0);
        }
        findByHash->reset();
        return found;
    }

    std::int64_t insert(const SetupEntry& entry, const std::string& hash) {
        const std::string created = entry.created.empty() ? localTimestampNow() : entry.created;
        const auto utc = parseTimestamp(created);
        if (!utc)
            platform::raise(platform::ErrInvalidArgument, kSource,
                            "The created time \"" + created + "\" is not a local time with offset (ISO 8601)");
        Statement& s = *insertSetup;
        s.bind(1, created);
        s.bind(2, *utc);
        s.bind(3, entry.setupType);
        s.bind(4, entry.sheet);
        s.bind(5, hash);
        codec::bindValues(s, kHeadColumnCount, entry.values);
        s.step();
        s.reset();
        const std::int64_t id = sqlite3_last_insert_rowid(db);
        insertSearch->bind(1, id);
        insertSearch->bind(2, searchText(entry.setupType, entry.values));
        insertSearch->step();
        insertSearch->reset();
        recordEvent(db, id, entry.values, created);
        return id;
    }

    // The values of setup id replaced by entry's (its type, sheet and values;
    // its created time stays), with its search text and meeting.
    void update(std::int64_t id, const SetupEntry& entry, const std::string& hash) {
        std::string sql = "UPDATE setup SET setup_type = ?1, sheet = ?2, value_hash = ?3";
        for (std::size_t i = 0; i < SetupFieldCount; ++i)
            sql += ", \"" + std::string(SetupFieldKeys[i]) + "\" = ?" + std::to_string(i + 4);
        sql += " WHERE id = ?" + std::to_string(SetupFieldCount + 4);
        Statement s(db, sql);
        s.bind(1, entry.setupType);
        s.bind(2, entry.sheet);
        s.bind(3, hash);
        codec::bindValues(s, 4, entry.values);
        s.bind(int(SetupFieldCount) + 4, id);
        s.step();
        Statement search(db, "UPDATE setup_search SET text = ?1 WHERE setup_id = ?2");
        search.bind(1, searchText(entry.setupType, entry.values));
        search.bind(2, id);
        search.step();
        Statement created(db, "SELECT created FROM setup WHERE id = ?1");
        created.bind(1, id);
        const std::string when = created.step() ? created.text(0) : localTimestampNow();
        Statement forget(db, "DELETE FROM setup_event WHERE setup_id = ?1");
        forget.bind(1, id);
        forget.step();
        recordEvent(db, id, entry.values, when);
    }

    // The newest setup recorded from this sheet: the same path, else a sheet
    // of the same file name elsewhere (moved, or copied to another machine).
    std::optional<std::int64_t> findSheet(const std::string& sheet) {
        if (sheet.empty()) return std::nullopt;
        const std::string name = platform::paths::fileNameOf(sheet);
        Statement s(db,
                    "SELECT id FROM setup WHERE sheet = ?1 OR (?2 <> '' AND substr(sheet, -length(?2)) = ?2 AND"
                    " substr(sheet, -length(?2) - 1, 1) IN ('/', '\\'))"
                    " ORDER BY sheet = ?1 DESC, created_utc DESC, id DESC LIMIT 1");
        s.bind(1, sheet);
        s.bind(2, name);
        if (!s.step()) return std::nullopt;
        return s.integer(0);
    }

    static StoredSetup storedFrom(const Statement& s) {
        StoredSetup out;
        out.id = s.integer(0);
        out.created = s.text(1);
        out.setupType = s.text(3);
        out.sheet = s.text(4);
        out.hash = s.text(5);
        out.values = codec::readValues(s, kHeadColumnCount);
        return out;
    }
};

SetupLibrary::SetupLibrary(const std::string& nativePath, LibraryOptions options) : m_impl(std::make_unique<Impl>()) {
    m_impl->path = nativePath;
    m_impl->options = options;
    m_impl->open();
}

SetupLibrary::~SetupLibrary() = default;

const std::string& SetupLibrary::path() const { return m_impl->path; }

std::string SetupLibrary::sqliteVersion() { return sqlite3_libversion(); }

sqlite3* LibraryConnection::of(SetupLibrary& library) { return library.m_impl->db; }

std::int64_t SetupLibrary::record(const SetupEntry& entry) {
    try {
        WriteTransaction t(m_impl->db);
        const std::int64_t id = m_impl->insert(entry, valueHash(entry.values));
        t.commit();
        return id;
    } catch (const sqlite::Failure& f) {
        m_impl->fail("Cannot record a setup in", f);
    }
}

std::int64_t SetupLibrary::recordWithin(const SetupEntry& entry) {
    try {
        return m_impl->insert(entry, valueHash(entry.values));
    } catch (const sqlite::Failure& f) {
        m_impl->fail("Cannot record a setup in", f);
    }
}

std::optional<std::int64_t> SetupLibrary::recordIfNew(const SetupEntry& entry) {
    try {
        const std::string hash = valueHash(entry.values);
        WriteTransaction t(m_impl->db);
        if (m_impl->find(entry.setupType, entry.values, hash)) return std::nullopt;
        const std::int64_t id = m_impl->insert(entry, hash);
        t.commit();
        return id;
    } catch (const sqlite::Failure& f) {
        m_impl->fail("Cannot record a setup in", f);
    }
}

SetupLibrary::Recorded SetupLibrary::recordImported(const SetupEntry& entry, std::string_view teamMate) {
    try {
        const std::string hash = valueHash(entry.values);
        WriteTransaction t(m_impl->db);
        if (const auto same = m_impl->find(entry.setupType, entry.values, hash)) return {*same, Outcome::AlreadyThere};
        // Whose the setup is goes in with it, in the same transaction: a
        // killed import never leaves a team mate's setup as the racer's own.
        auto theirs = [&](std::int64_t id) {
            if (teamMate.empty()) return;
            Statement link(m_impl->db,
                           "INSERT OR REPLACE INTO team_sheet (setup_id, value_hash, setup_type, sheet_name, driver,"
                           " mine) VALUES (?1, ?2, ?3, ?4, ?5, 0)");
            link.bind(1, id);
            link.bind(2, hash);
            link.bind(3, entry.setupType);
            link.bind(4, platform::paths::fileNameOf(entry.sheet));
            link.bind(5, teamMate);
            link.step();
        };
        if (const auto sheet = m_impl->findSheet(entry.sheet)) {
            m_impl->update(*sheet, entry, hash);
            theirs(*sheet);
            t.commit();
            return {*sheet, Outcome::Updated};
        }
        const std::int64_t id = m_impl->insert(entry, hash);
        theirs(id);
        t.commit();
        return {id, Outcome::Added};
    } catch (const sqlite::Failure& f) {
        m_impl->fail("Cannot record a setup in", f);
    }
}

bool SetupLibrary::setSheet(std::int64_t id, const std::string& sheet) {
    try {
        Statement s(m_impl->db, "UPDATE setup SET sheet = ?1 WHERE id = ?2");
        s.bind(1, sheet);
        s.bind(2, id);
        s.step();
        return sqlite3_changes(m_impl->db) > 0;
    } catch (const sqlite::Failure& f) {
        m_impl->fail("Cannot record a setup in", f);
    }
}

std::optional<std::int64_t> SetupLibrary::findSame(std::string_view setupType, const Setup& values) {
    try {
        return m_impl->find(setupType, values, valueHash(values));
    } catch (const sqlite::Failure& f) {
        m_impl->fail("Cannot read", f);
    }
}

std::vector<SetupSummary> SetupLibrary::summaries(std::string_view query, std::size_t limit) {
    try {
        const std::vector<std::string> words = search::wordsOf(query);
        std::string sql = "SELECT s.id, s.created, s.setup_type, s.sheet" + search::summaryColumns() + " FROM setup s";
        if (!words.empty()) sql += " JOIN setup_search t ON t.setup_id = s.id";
        sql += " WHERE 1" + search::condition(words, 1, search::rareWord(m_impl->db, words)) +
               " ORDER BY s.created_utc DESC, s.id DESC";
        if (limit) sql += " LIMIT " + std::to_string(limit);
        Statement s(m_impl->db, sql);
        search::bindWords(s, 1, words);
        std::vector<SetupSummary> out;
        while (s.step()) {
            SetupSummary row;
            row.id = s.integer(0);
            row.created = s.text(1);
            row.setupType = s.text(2);
            row.sheet = s.text(3);
            search::readSummaryColumns(s, 4, row);
            out.push_back(std::move(row));
        }
        return out;
    } catch (const sqlite::Failure& f) {
        m_impl->fail("Cannot read", f);
    }
}

std::vector<std::int64_t> SetupLibrary::matchingIds(std::string_view query) {
    try {
        const std::vector<std::string> words = search::wordsOf(query);
        Statement s(m_impl->db, "SELECT s.id FROM setup s JOIN setup_search t ON t.setup_id = s.id WHERE 1" +
                                    search::condition(words, 1, search::rareWord(m_impl->db, words)) +
                                    " ORDER BY s.created_utc DESC, s.id DESC");
        search::bindWords(s, 1, words);
        std::vector<std::int64_t> out;
        while (s.step()) out.push_back(s.integer(0));
        return out;
    } catch (const sqlite::Failure& f) {
        m_impl->fail("Cannot read", f);
    }
}

std::optional<StoredSetup> SetupLibrary::setup(std::int64_t id) {
    try {
        Statement s(m_impl->db, "SELECT " + allColumns() + " FROM setup WHERE id = ?1");
        s.bind(1, id);
        if (!s.step()) return std::nullopt;
        return Impl::storedFrom(s);
    } catch (const sqlite::Failure& f) {
        m_impl->fail("Cannot read", f);
    }
}

void SetupLibrary::forEachSetup(const std::function<void(const StoredSetup&)>& visit) {
    try {
        Statement s(m_impl->db, "SELECT " + allColumns() + " FROM setup ORDER BY created_utc, id");
        while (s.step()) visit(Impl::storedFrom(s));
    } catch (const sqlite::Failure& f) {
        m_impl->fail("Cannot read", f);
    }
}

std::size_t SetupLibrary::count() {
    try {
        Statement s(m_impl->db, "SELECT count(*) FROM setup");
        return s.step() ? std::size_t(s.integer(0)) : 0;
    } catch (const sqlite::Failure& f) {
        m_impl->fail("Cannot read", f);
    }
}

bool SetupLibrary::remove(std::int64_t id) { return remove(std::vector<std::int64_t>{id}) > 0; }

std::size_t SetupLibrary::remove(const std::vector<std::int64_t>& ids) {
    try {
        WriteTransaction t(m_impl->db);
        Statement s(m_impl->db, "DELETE FROM setup WHERE id = ?1");
        std::size_t removed = 0;
        for (const std::int64_t id : ids) {
            s.bind(1, id);
            s.step();
            removed += std::size_t(sqlite3_changes(m_impl->db));
            s.reset();
        }
        t.commit();
        return removed;
    } catch (const sqlite::Failure& f) {
        m_impl->fail(ids.size() == 1 ? "Cannot delete a setup from" : "Cannot delete the setups from", f);
    }
}

std::int64_t SetupLibrary::dataVersion() {
    try {
        return pragmaInteger(m_impl->db, "data_version");
    } catch (const sqlite::Failure& f) {
        m_impl->fail("Cannot read", f);
    }
}

std::string SetupLibrary::integrityCheck() {
    try {
        Statement s(m_impl->db, "PRAGMA integrity_check");
        std::string out;
        while (s.step()) out += (out.empty() ? "" : "\n") + s.text(0);
        return out;
    } catch (const sqlite::Failure& f) {
        m_impl->fail("Cannot check", f);
    }
}

std::optional<platform::Error> recordSetup(const std::string& nativePath, const SetupEntry& entry) noexcept {
    // Never raises: every failure is handed to the caller, who logs and shows it.
    static constexpr const char* doing = "Cannot record a setup in the setup library";
    try {
        SetupLibrary library(nativePath);
        library.record(entry);
        return std::nullopt;
    } catch (const platform::Error& e) {
        return e;
    } catch (const std::exception& e) {
        return platform::Error::aboutFile(platform::ErrPathAccess, "recordSetup", doing, nativePath, e.what());
    } catch (...) {
        return platform::Error(platform::ErrPathAccess, "recordSetup", doing + (" " + nativePath));
    }
}

}  // namespace vantrel::library
