#pragma once
// Reads a mapping file: one "index=form field name" entry per line, turned
// into members of a field collection in file order.

#include <cstdint>
#include <string>
#include <string_view>

namespace quorrel {

class CAdobeFields;

class CMappingFileHandler {
public:
    // Adds one member per line to FieldCollection (nothing is removed first).
    // Any failure, a malformed line included, raises error 53
    // "Cannot open " + MappingFileName; members added before it stay.
    void LoadMapping(const std::string& MappingFileName, CAdobeFields& FieldCollection);

    // The leading decimal number of text (optional sign, digits, optional
    // fraction), rounded half to even; 0 when text does not begin with one.
    // Error 6 when the value lies outside the 16-bit range.
    static int16_t parseIndex(std::string_view text);

private:
    void ParseMappingLine(const std::string& line, CAdobeFields& FieldCollection);
};

}  // namespace quorrel
