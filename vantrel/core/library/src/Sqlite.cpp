#include "Sqlite.h"

namespace vantrel::library::sqlite {

void fail(sqlite3* db, int code) {
    Failure f;
    f.code = code;
    f.message = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    throw f;
}

void exec(sqlite3* db, const char* sql) {
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) fail(db, sqlite3_extended_errcode(db));
}

void rollback(sqlite3* db) noexcept {
    if (sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK || sqlite3_get_autocommit(db)) return;
    for (sqlite3_stmt* s = sqlite3_next_stmt(db, nullptr); s; s = sqlite3_next_stmt(db, s)) sqlite3_reset(s);
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
}

Statement::Statement(sqlite3* db, std::string_view sql, bool persistent) : m_db(db) {
    const int rc = sqlite3_prepare_v3(db, sql.data(), int(sql.size()), persistent ? SQLITE_PREPARE_PERSISTENT : 0,
                                      &m_stmt, nullptr);
    if (rc != SQLITE_OK) fail(db, sqlite3_extended_errcode(db));
}

void Statement::bind(int index, std::string_view text) {
    // A null pointer would bind NULL; the empty text stays text.
    const int rc = sqlite3_bind_text(m_stmt, index, text.data() ? text.data() : "", int(text.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) fail(m_db, rc);
}

void Statement::bind(int index, std::int64_t value) {
    const int rc = sqlite3_bind_int64(m_stmt, index, value);
    if (rc != SQLITE_OK) fail(m_db, rc);
}

bool Statement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const int code = sqlite3_extended_errcode(m_db);
    Failure f{code, sqlite3_errmsg(m_db)};
    sqlite3_reset(m_stmt);
    throw f;
}

std::string Statement::text(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return p ? std::string(p, std::size_t(sqlite3_column_bytes(m_stmt, column))) : std::string();
}

std::string_view Statement::view(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return p ? std::string_view(p, std::size_t(sqlite3_column_bytes(m_stmt, column))) : std::string_view();
}

void Statement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

}  // namespace vantrel::library::sqlite
