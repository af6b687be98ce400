#include "SetupSearch.h"

#include <cctype>

#include "library/SearchFold.h"

namespace vantrel::library::search {

namespace {

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

// UTF-8 characters: the bytes that start one.
std::size_t characters(std::string_view text) {
    std::size_t n = 0;
    for (const char c : text) n += ((unsigned char)c & 0xC0) != 0x80;
    return n;
}

}  // namespace

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

std::optional<std::size_t> rareWord(sqlite3* db, const std::vector<std::string>& words) {
    // Counted no further than this: a word of more setups is common.
    constexpr std::int64_t kFew = 2000;
    std::optional<std::size_t> rarest;
    std::int64_t fewest = kFew;
    sqlite::Statement count(db,
                            "SELECT count(*) FROM (SELECT 1 FROM setup_trigram WHERE setup_trigram MATCH"
                            " '\"' || replace(?1, '\"', '\"\"') || '\"' LIMIT " +
                                std::to_string(kFew) + ")");
    for (std::size_t w = 0; w < words.size(); ++w) {
        if (characters(words[w]) < 3) continue;
        count.bind(1, words[w]);
        const std::int64_t n = count.step() ? count.integer(0) : kFew;
        count.reset();
        if (n < fewest) {
            fewest = n;
            rarest = w;
        }
    }
    return rarest;
}

std::string condition(const std::vector<std::string>& words, int firstIndex, std::optional<std::size_t> rare) {
    std::string where;
    for (std::size_t w = 0; w < words.size(); ++w) {
        const std::string at = "?" + std::to_string(firstIndex + int(w));
        if (rare == w)
            where +=
                " AND t.setup_id IN (SELECT rowid FROM setup_trigram WHERE setup_trigram MATCH"
                " '\"' || replace(" +
                at + ", '\"', '\"\"') || '\"')";
        where += " AND instr(t.text, " + at + ") > 0";
    }
    return where;
}

void bindWords(sqlite::Statement& s, int firstIndex, const std::vector<std::string>& words) {
    for (std::size_t w = 0; w < words.size(); ++w) s.bind(firstIndex + int(w), words[w]);
}

std::string summaryColumns() {
    std::string out;
    for (const Column& c : kColumns) out += ", s.\"" + std::string(SetupFieldKeys[std::size_t(c.field)]) + "\"";
    return out;
}

void readSummaryColumns(const sqlite::Statement& s, int firstColumn, SetupSummary& row) {
    for (const Column& c : kColumns) row.*c.member = s.text(firstColumn++);
}

}  // namespace vantrel::library::search
