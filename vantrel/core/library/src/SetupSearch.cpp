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

std::string condition(std::size_t words, int firstIndex) {
    std::string where;
    for (std::size_t w = 0; w < words; ++w)
        where += " AND instr(t.text, ?" + std::to_string(firstIndex + int(w)) + ") > 0";
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
