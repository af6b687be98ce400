#pragma once
// Reading records and mapping files back the way their readers do.

#include <string>
#include <vector>

namespace sheetdatatest {

// Left to right, non-overlapping: the fields a reader cutting at each
// delimiter would see.
inline std::vector<std::string> split(const std::string& record, const std::string& delimiter) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t at; (at = record.find(delimiter, start)) != std::string::npos; start = at + delimiter.size())
        fields.push_back(record.substr(start, at - start));
    fields.push_back(record.substr(start));
    return fields;
}

// Lines of a text in which every line ends in CR LF. A text that does not
// end in CR LF gives a last line "<no CR LF at end>", and a bare LF stays
// inside its line, so either shows up in a comparison.
inline std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> lines = split(text, "\r\n");
    if (lines.back().empty()) lines.pop_back();
    else lines.push_back("<no CR LF at end>");
    return lines;
}

}  // namespace sheetdatatest
