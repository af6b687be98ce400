#pragma once
// The setup library's schema and its upgrades: the columns of table setup,
// the text a search looks through, and the schema changes, one step per
// version. A new library runs them all; an older one runs those above its
// user_version, each step in a transaction of its own.

#include <span>
#include <string>
#include <string_view>

#include "CAppSettings.h"
#include "Sqlite.h"

namespace vantrel::library::schema {

// Columns of table setup before the 73 values, in this order.
constexpr std::string_view kHeadColumns = "id, created, created_utc, setup_type, sheet, value_hash";
constexpr int kHeadColumnCount = 6;

// The 73 value columns, quoted, in record order.
std::string valueColumns();
std::string allColumns();

// The text a search looks through: setup type and values, folded, one a line,
// so that no word of a query (which never holds a line break) spans two fields.
std::string searchText(std::string_view setupType, const Setup& values);

struct Migration {
    int toVersion;
    void (*apply)(sqlite3* db);
};
// In version order, the first creating the setup table.
std::span<const Migration> migrations();

}  // namespace vantrel::library::schema
