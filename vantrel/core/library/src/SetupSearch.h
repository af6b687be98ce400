#pragma once
// The search of the library's setups as every query of them asks it: the
// words of what the racer typed (folded), each found in a setup's search
// text (table setup_search, joined as t), and the columns a row of the
// library's list shows (table setup as s).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Sqlite.h"
#include "library/SetupLibrary.h"

namespace vantrel::library::search {

// The folded words of a query, blank-separated; none for a blank query.
std::vector<std::string> wordsOf(std::string_view query);
// Of the words of three characters or more (the least a trigram index
// finds), the one that the fewest setups hold, when few do; nothing when
// every word is common: then the newest setups scanned fill a page sooner.
std::optional<std::size_t> rareWord(sqlite3* db, const std::vector<std::string>& words);
// " AND instr(t.text, ?n) > 0" for each word, bound from ?firstIndex on;
// the rare word looked up in the trigram index first (the scan alone finds
// the same setups, only slower).
std::string condition(const std::vector<std::string>& words, int firstIndex,
                      std::optional<std::size_t> rare = std::nullopt);
void bindWords(sqlite::Statement& s, int firstIndex, const std::vector<std::string>& words);

// ", s.<DriverName>, ..." of the columns a summary shows beyond its head.
std::string summaryColumns();
// Those columns read into row from firstColumn on.
void readSummaryColumns(const sqlite::Statement& s, int firstColumn, SetupSummary& row);

}  // namespace vantrel::library::search
