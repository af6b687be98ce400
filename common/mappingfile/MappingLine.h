#pragma once
// One line of a mapping file, "index=form field name", as the form filler
// reads it: blanks around both sides go, the index is the leading decimal
// number of its side (optional sign, digits, optional fraction, rounded half
// to even; 0 when the side does not begin with one). The form filler and the
// readers of sheets read mapping files through this one place, so a sheet
// reads back the fields it was filled through.

#include <cstdint>
#include <string>
#include <string_view>

namespace mappingfile {

struct MappingLine {
    std::int16_t index = 0;
    std::string formField;
};

// Raises platform::Error 5 (invalid argument) for a line without "=", and 6
// (overflow) for an index outside the 16-bit range.
MappingLine parseLine(std::string_view line);

std::int16_t parseIndex(std::string_view text);

}  // namespace mappingfile
