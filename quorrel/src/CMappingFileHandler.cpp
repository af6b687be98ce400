#include "CMappingFileHandler.h"

#include <stdexcept>

#include "CAdobeFields.h"
#include "MappingLine.h"
#include "TextFileReader.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quorrel {

namespace {

constexpr const char* Source = "CMappingFileHandler";

}  // namespace

int16_t CMappingFileHandler::parseIndex(std::string_view text) { return mappingfile::parseIndex(text); }

void CMappingFileHandler::ParseMappingLine(const std::string& line, CAdobeFields& FieldCollection) {
    mappingfile::MappingLine entry = mappingfile::parseLine(line);
    FieldCollection.add(entry.index, std::move(entry.formField), std::string());
}

void CMappingFileHandler::LoadMapping(const std::string& MappingFileName, CAdobeFields& FieldCollection) {
    // No bound on the size: the 16-bit field positions and the field
    // collection bound what a mapping can hold.
    try {
        mappingfile::TextFileReader reader;
        if (!reader.open(platform::paths::toNative(MappingFileName), platform::files::NoSizeLimit))
            throw std::runtime_error("open");
        std::string line;
        while (reader.readLine(line)) ParseMappingLine(line, FieldCollection);
    } catch (const std::exception&) {
        platform::raise(platform::ErrFileNotFound, Source, "Cannot open " + platform::paths::toNative(MappingFileName));
    }
}

}  // namespace quorrel
