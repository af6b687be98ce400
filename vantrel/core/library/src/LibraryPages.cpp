#include "library/LibraryPages.h"

#include <cctype>

#include "LibraryConnection.h"
#include "SetupControls.h"
#include "library/SearchFold.h"

namespace vantrel::library {

namespace {

using sqlite::Statement;

struct Column {
    std::string SetupSummary::*member;
    SetupField field;
};
constexpr Column kColumns[] = {
    {&SetupSummary::driver, SetupField::DriverName},
    {&SetupSummary::track, SetupField::TrackCity},
    {&SetupSummary::event, SetupField::EventName},
    {&SetupSummary::resultsMain, SetupField::ResultsMain},
    {&SetupSummary::qualifying, SetupField::ResultsQualifyingPos},
    {&SetupSummary::finishing, SetupField::ResultsFinishPos},
};

std::vector<std::string> wordsOf(std::string_view query) {
    std::vector<std::string> words;
    const std::string folded = foldForSearch(query);
    std::size_t i = 0;
    while (i < folded.size()) {
        while (i < folded.size() && std::isspace(static_cast<unsigned char>(folded[i]))) ++i;
        std::size_t end = i;
        while (end < folded.size() && !std::isspace(static_cast<unsigned char>(folded[end]))) ++end;
        if (end > i) words.push_back(folded.substr(i, end - i));
        i = end;
    }
    return words;
}

// The WHERE of a query, its words bound from ?3 on (?1 and ?2 are the page's start).
std::string whereOf(const PageQuery& query, std::size_t words, bool paged) {
    std::string where = " WHERE 1";
    if (paged) where += " AND (s.created_utc < ?1 OR (s.created_utc = ?1 AND s.id < ?2))";
    if (query.origin != PageQuery::Origin::All)
        where += std::string(query.origin == PageQuery::Origin::Team ? " AND" : " AND NOT") +
                 " EXISTS (SELECT 1 FROM team_sheet o WHERE o.setup_id = s.id AND o.mine = 0)";
    for (std::size_t w = 0; w < words; ++w) where += " AND instr(t.text, ?" + std::to_string(w + 3) + ") > 0";
    return where;
}

}  // namespace

LibraryPages::LibraryPages(SetupLibrary& library) : m_library(library) {}

std::vector<SetupSummary> LibraryPages::page(const PageQuery& query, const SetupSummary* after, std::size_t limit) {
    return guarded(m_library, "Cannot read", [&] {
        const std::vector<std::string> words = wordsOf(query.search);
        std::string sql =
            "SELECT s.id, s.created, s.setup_type, s.sheet, s.created_utc, e.event_date,"
            " (SELECT driver FROM team_sheet o WHERE o.setup_id = s.id AND o.mine = 0 LIMIT 1)";
        for (const Column& c : kColumns) sql += ", s.\"" + std::string(SetupFieldKeys[std::size_t(c.field)]) + "\"";
        sql += " FROM setup s LEFT JOIN setup_event e ON e.setup_id = s.id";
        if (!words.empty()) sql += " JOIN setup_search t ON t.setup_id = s.id";
        // The created index walked newest first; the search tested on the rows it passes.
        sql += whereOf(query, words.size(), after != nullptr) + " ORDER BY s.created_utc DESC, s.id DESC LIMIT " +
               std::to_string(limit);
        Statement s(LibraryConnection::of(m_library), sql);
        if (after) {
            s.bind(1, after->createdUtc);
            s.bind(2, after->id);
        }
        for (std::size_t w = 0; w < words.size(); ++w) s.bind(int(w) + 3, words[w]);
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
            int column = 7;
            for (const Column& c : kColumns) row.*c.member = s.text(column++);
            out.push_back(std::move(row));
        }
        return out;
    });
}

std::size_t LibraryPages::count(const PageQuery& query) {
    return guarded(m_library, "Cannot read", [&] {
        const std::vector<std::string> words = wordsOf(query.search);
        std::string sql = "SELECT count(*) FROM setup s";
        if (!words.empty()) sql += " JOIN setup_search t ON t.setup_id = s.id";
        Statement s(LibraryConnection::of(m_library), sql + whereOf(query, words.size(), false));
        for (std::size_t w = 0; w < words.size(); ++w) s.bind(int(w) + 3, words[w]);
        return s.step() ? std::size_t(s.integer(0)) : std::size_t(0);
    });
}

}  // namespace vantrel::library
