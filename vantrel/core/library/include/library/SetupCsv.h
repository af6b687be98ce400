#pragma once
// The library as a CSV file (RFC 4180, UTF-8, CR LF line ends, every field
// quoted): a header row "Created","SetupType","Sheet" and the 73 raw data
// keys in file order, then one row per setup, oldest first.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/SetupLibrary.h"

namespace vantrel::library {

// Replaces the file at nativePath atomically; throws platform::Error naming
// the file when it cannot be written (an old file then stays as it was).
void exportCsv(SetupLibrary& library, const std::string& nativePath);

// One row of such a file read back: its row number as a spreadsheet counts
// (the header is row 1) and its setup, or why the row cannot be one.
struct CsvSetup {
    std::size_t row = 0;
    SetupEntry entry;
    std::string problem;  // empty when entry holds the row's setup
};

// The setups of a CSV in the form exportCsv writes, also after a
// spreadsheet saved it again: fields quoted or not, ";" between them where
// the header has no ",", CR LF or LF line ends, a byte order mark, text that
// is not UTF-8 read as Windows-1252, columns in any order and others beside
// them. SetupType and the 73 keys must head columns; "Created" and "Sheet"
// may. Values come back as the library held them, line breaks too. Nothing
// when the text is no such CSV; whyNot then says why.
std::optional<std::vector<CsvSetup>> readCsv(std::string_view bytes, std::string& whyNot);

// One field as it stands in the file: in double quotes, with every double
// quote doubled; text that is not UTF-8 is read as Windows-1252.
std::string csvField(std::string_view value);

}  // namespace vantrel::library
