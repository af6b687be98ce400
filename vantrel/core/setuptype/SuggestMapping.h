#pragma once
// `vantrel-batch --suggest-mapping PDF`: the mapping file New Setup Type
// would pre-choose for a form, one line "position=form field name" per
// sheet field the matcher (FieldMatcher.h) finds a form field for, in
// record order, CR LF as in every mapping file, so that the output can be
// saved as a setup type's mapping file as it stands.

#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pdfauto/Document.h"

namespace vantrel {

// A name a mapping line can hold: a line is trimmed of blanks and ends at a
// line end, so a name may have neither at its ends, nor a control or bidi
// character (platform::text::printable) anywhere.
bool fitsMappingLine(std::string_view name);

// Record position (1 to 112) and form field, for the fields a mapping line can name.
std::vector<std::pair<int, std::string>> suggestedMapping(const std::vector<pdfauto::FieldInfo>& fields);

// Prints the suggested mapping of the PDF's form. Raises platform::Error
// naming the file when it cannot be read or has no form.
int printSuggestedMapping(const std::string& pdf, std::ostream& out);

}  // namespace vantrel
