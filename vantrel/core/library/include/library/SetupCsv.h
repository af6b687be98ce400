#pragma once
// The library as a CSV file (RFC 4180, UTF-8, CR LF line ends, every field
// quoted): a header row "Created","SetupType","Sheet", the 73 raw data keys
// in file order and "TextMark", then one row per setup, oldest first.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "library/SetupLibrary.h"

namespace vantrel::library {

// Replaces the file at nativePath atomically; throws platform::Error naming
// the file when it cannot be written (an old file then stays as it was).
// Temporaries that an export killed earlier left beside it go first.
// beforeRename, when given, runs once the new content is complete and before
// it takes the file's name; what it throws ends the export with the old file
// in place.
void exportCsv(SetupLibrary& library, const std::string& nativePath, const std::function<void()>& beforeRename = {});

// The heading that says a file's text is marked as csvField marks it; an
// export made before the mark has none, and its text is read as it stands.
inline constexpr std::string_view CsvTextMarkHeading = "TextMark";

// What readCsv refuses: a file's rows are for setups, and a setup is 76
// short fields, so wider rows and longer fields are no such file.
inline constexpr std::size_t CsvMaxColumns = 1000;
inline constexpr std::size_t CsvMaxFieldBytes = 64 * 1024;

// One row of such a file read back: its row number as a spreadsheet counts
// (the header is row 1) and its setup.
struct CsvSetup {
    std::size_t row = 0;
    SetupEntry entry;
};

struct CsvRead {
    std::size_t setups = 0;             // rows handed on
    std::size_t withoutSetup = 0;       // rows that name no SetupType
    std::size_t firstWithoutSetup = 0;  // the row number of the first of them
};

// The setups of a CSV in the form exportCsv writes, also after a
// spreadsheet saved it again: fields quoted or not, ";" between them where
// the header has no ",", CR LF or LF line ends, a byte order mark, text that
// is not UTF-8 read as Windows-1252, columns in any order and others beside
// them. SetupType and the 73 keys must head columns; "Created" and "Sheet"
// may. Values come back as the library held them, line breaks too. Each row
// goes to take as it is read, so only one row is held at a time; take
// answers false to stop. The whole text is checked first: nothing, and no
// row taken, when it is no such CSV; whyNot then says why.
std::optional<CsvRead> readCsv(std::string_view bytes, const std::function<bool(CsvSetup&)>& take, std::string& whyNot);

// One field as it stands in the file: in double quotes, with every double
// quote doubled; text that is not UTF-8 is read as Windows-1252. Text that a
// spreadsheet would take as a formula (it begins with "=", "+", "-", "@", a
// tab or a line break, and is no plain number) gets a "'" before it, and so
// does text that begins with "'", so that a spreadsheet shows it as text and
// readCsv gives it back exactly.
std::string csvField(std::string_view value);

}  // namespace vantrel::library
