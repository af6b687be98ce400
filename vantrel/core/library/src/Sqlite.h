#pragma once
// A thin layer over SQLite's C API for the library: statements that finalize
// themselves, a write transaction that rolls back unless committed, and one
// exception carrying SQLite's result code, which the library turns into an
// error naming its file.

#include <cstdint>
#include <sqlite3.h>
#include <string>
#include <string_view>

namespace vantrel::library::sqlite {

struct Failure {
    int code = SQLITE_ERROR;  // extended result code
    std::string message;
};

[[noreturn]] void fail(sqlite3* db, int code);

// Runs statements that answer nothing.
void exec(sqlite3* db, const char* sql);

class Statement {
public:
    Statement(sqlite3* db, std::string_view sql, bool persistent = false);
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, std::string_view text);
    void bind(int index, std::int64_t value);
    // True while there is a row; false when done.
    bool step();
    std::string text(int column) const;
    // The same without a copy: valid until the next step or reset.
    std::string_view view(int column) const;
    std::int64_t integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
    bool isNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }
    sqlite3* database() const { return m_db; }
    // Ready for the next use, bindings cleared.
    void reset();

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// Ends the open transaction without its changes. A statement still running
// can make ROLLBACK fail (and the connection stay inside the transaction, so
// that every later BEGIN fails): then the statements are reset and it is
// tried again. Never raises.
void rollback(sqlite3* db) noexcept;

// BEGIN IMMEDIATE takes the write lock at once, so the busy timeout covers
// the wait for another writer (a deferred transaction could fail later with
// SQLITE_BUSY without waiting).
class WriteTransaction {
public:
    explicit WriteTransaction(sqlite3* db) : m_db(db) { exec(db, "BEGIN IMMEDIATE"); }
    ~WriteTransaction() {
        if (!m_done) rollback(m_db);
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;
    void commit() {
        exec(m_db, "COMMIT");
        m_done = true;
    }

private:
    sqlite3* m_db;
    bool m_done = false;
};

}  // namespace vantrel::library::sqlite
