#include "SuggestMapping.h"

#include <ostream>

#include "FieldMatcher.h"
#include "platform/Text.h"

namespace vantrel {

bool fitsMappingLine(std::string_view name) {
    // A control character would break the line, or reach the terminal that
    // --suggest-mapping prints to as an escape code.
    return !name.empty() && name.front() != ' ' && name.back() != ' ' && platform::text::printable(name) == name;
}

std::vector<std::pair<int, std::string>> suggestedMapping(const std::vector<pdfauto::FieldInfo>& fields) {
    std::vector<matcher::FormField> named;
    for (const pdfauto::FieldInfo& field : fields)
        if (fitsMappingLine(field.name)) named.push_back({field.name, field.kind == "text"});
    const auto chosen = matcher::suggest(named);
    std::vector<std::pair<int, std::string>> lines;
    for (std::size_t k = 0; k < chosen.size(); ++k)
        if (chosen[k] >= 0) lines.emplace_back(int(k) + 1, named[std::size_t(chosen[k])].name);
    return lines;
}

int printSuggestedMapping(const std::string& pdf, std::ostream& out) {
    std::string text;
    for (const auto& [position, name] : suggestedMapping(pdfauto::Document(pdf).fields()))
        text += std::to_string(position) + "=" + name + "\r\n";
    out << text << std::flush;
    return 0;
}

}  // namespace vantrel
