#include "FormFieldMap.h"

#include <exception>

#include "CDataBuilder.h"
#include "MappingLine.h"
#include "TextFileReader.h"
#include "platform/Files.h"

namespace vantrel {

SheetLayout rdxLayout() {
    SheetLayout layout;
    layout.reserve(SheetFieldCount);
    for (std::size_t i = 0; i < SheetFieldCount; ++i) layout.push_back({i, "fld" + std::string(SheetFieldNames[i])});
    return layout;
}

std::optional<SheetLayout> readMappingFile(const std::string& nativePath) {
    // Line by line as the form filler reads it: a line it would refuse makes
    // no layout, as it makes no sheet; positions beyond the record and empty
    // names fill nothing and are left out.
    try {
        mappingfile::TextFileReader reader;
        if (!reader.open(nativePath, platform::files::UserFileLimit)) return std::nullopt;
        SheetLayout layout;
        std::string line;
        while (reader.readLine(line)) {
            mappingfile::MappingLine entry = mappingfile::parseLine(line);
            if (entry.index < 1 || entry.index > int(SheetFieldCount) || entry.formField.empty()) continue;
            layout.push_back({std::size_t(entry.index - 1), std::move(entry.formField)});
        }
        return layout;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::size_t characterCount(const std::string& utf8) {
    std::size_t n = 0;
    for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

std::string firstCharacters(const std::string& utf8, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t k = 0; k < utf8.size(); ++k)
        if ((static_cast<unsigned char>(utf8[k]) & 0xC0) != 0x80 && seen++ == count) return utf8.substr(0, k);
    return utf8;
}

}  // namespace vantrel
