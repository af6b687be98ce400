#pragma once
// Which form field of a sheet shows which of the 112 sheet fields: the RDX
// sheet's own "fld" names, or a setup type's mapping file read as the form
// filler reads it ("position=form field" lines, blanks around either side
// ignored).

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

struct MappedField {
    std::size_t sheetField;  // 0-based record position
    std::string formField;
};
using SheetLayout = std::vector<MappedField>;

// "fld" + each sheet field's name, in record order.
SheetLayout rdxLayout();

// The mapping file at a native path; nothing when it cannot be read. Lines
// that name no position from 1 to 112 fill nothing and are left out.
std::optional<SheetLayout> readMappingFile(const std::string& nativePath);

// The number of characters of UTF-8 text.
std::size_t characterCount(const std::string& utf8);
// Its first `count` characters.
std::string firstCharacters(const std::string& utf8, std::size_t count);

}  // namespace vantrel
