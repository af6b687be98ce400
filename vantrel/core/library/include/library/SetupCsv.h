#pragma once
// The library as a CSV file (RFC 4180, UTF-8, CR LF line ends, every field
// quoted): a header row "Created","SetupType","Sheet" and the 73 raw data
// keys in file order, then one row per setup, oldest first.

#include <string>
#include <string_view>

#include "library/SetupLibrary.h"

namespace vantrel::library {

// Replaces the file at nativePath atomically; throws platform::Error naming
// the file when it cannot be written (an old file then stays as it was).
void exportCsv(SetupLibrary& library, const std::string& nativePath);

// One field as it stands in the file: in double quotes, with every double
// quote doubled; text that is not UTF-8 is read as Windows-1252.
std::string csvField(std::string_view value);

}  // namespace vantrel::library
