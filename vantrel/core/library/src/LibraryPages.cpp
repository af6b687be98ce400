#include "library/LibraryPages.h"

#include "LibraryConnection.h"
#include "SetupSearch.h"

namespace vantrel::library {

namespace {

using sqlite::Statement;

// The WHERE of a query, its words bound from ?3 on (?1 and ?2 are the page's start).
std::string whereOf(sqlite3* db, const PageQuery& query, const std::vector<std::string>& words, bool paged) {
    std::string where = " WHERE 1";
    if (paged) where += " AND (s.created_utc < ?1 OR (s.created_utc = ?1 AND s.id < ?2))";
    if (query.origin != PageQuery::Origin::All)
        where += std::string(query.origin == PageQuery::Origin::Team ? " AND" : " AND NOT") +
                 " EXISTS (SELECT 1 FROM team_sheet o WHERE o.setup_id = s.id AND o.mine = 0)";
    where += search::condition(words, 3, search::rareWord(db, words));
    return where;
}

}  // namespace

LibraryPages::LibraryPages(SetupLibrary& library) : m_library(library) {}

std::vector<SetupSummary> LibraryPages::page(const PageQuery& query, const SetupSummary* after, std::size_t limit) {
    return guarded(m_library, "Cannot read", [&] {
        const std::vector<std::string> words = search::wordsOf(query.search);
        std::string sql =
            "SELECT s.id, s.created, s.setup_type, s.sheet, s.created_utc, e.event_date,"
            " (SELECT driver FROM team_sheet o WHERE o.setup_id = s.id AND o.mine = 0 LIMIT 1)";
        sql += search::summaryColumns() + " FROM setup s LEFT JOIN setup_event e ON e.setup_id = s.id";
        if (!words.empty()) sql += " JOIN setup_search t ON t.setup_id = s.id";
        // The created index walked newest first; the search tested on the rows it passes.
        sql += whereOf(LibraryConnection::of(m_library), query, words, after != nullptr) +
               " ORDER BY s.created_utc DESC, s.id DESC LIMIT " + std::to_string(limit);
        Statement s(LibraryConnection::of(m_library), sql);
        if (after) {
            s.bind(1, after->createdUtc);
            s.bind(2, after->id);
        }
        search::bindWords(s, 3, words);
        std::vector<SetupSummary> out;
        while (s.step()) {
            SetupSummary row;
            row.id = s.integer(0);
            row.created = s.text(1);
            row.setupType = s.text(2);
            row.sheet = s.text(3);
            row.createdUtc = s.integer(4);
            row.eventDate = s.text(5);
            if (!s.isNull(6)) row.teamDriver = s.text(6);
            search::readSummaryColumns(s, 7, row);
            out.push_back(std::move(row));
        }
        return out;
    });
}

std::size_t LibraryPages::count(const PageQuery& query) {
    return guarded(m_library, "Cannot read", [&] {
        const std::vector<std::string> words = search::wordsOf(query.search);
        std::string sql = "SELECT count(*) FROM setup s";
        if (!words.empty()) sql += " JOIN setup_search t ON t.setup_id = s.id";
        Statement s(LibraryConnection::of(m_library),
                    sql + whereOf(LibraryConnection::of(m_library), query, words, false));
        search::bindWords(s, 3, words);
        return s.step() ? std::size_t(s.integer(0)) : std::size_t(0);
    });
}

}  // namespace vantrel::library
