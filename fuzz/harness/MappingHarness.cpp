#include "CAdobeFields.h"
#include "CMappingFileHandler.h"
#include "Harness.h"
#include "ScratchFolder.h"
#include "platform/Error.h"

// The field collection is a component object; outside a component library
// its live-object count lives here.
COM_DEFINE_MODULE_COUNTS()

namespace fuzzharness {

namespace {

// Lines as the mapping file reader sees them: CR LF or a lone CR ends one,
// a lone LF is text; a last line without an end counts when it holds anything.
std::size_t lineCount(std::string_view bytes) {
    std::size_t lines = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r') continue;
        ++lines;
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    return lines + (start < bytes.size() ? 1 : 0);
}

}  // namespace

void mappingFile(std::string_view input) {
    const std::string file = scratchFile("Mapping_RDX.map", input);
    auto fields = com::server::make<quorrel::CAdobeFields>();
    quorrel::CMappingFileHandler handler;
    try {
        handler.LoadMapping(file, *fields.get());
    } catch (const platform::Error& e) {
        // Every failure is the one documented error, whatever the line held.
        FUZZ_CHECK(e.number() == 53, "error number " + std::to_string(e.number()));
        FUZZ_CHECK(e.source() == "CMappingFileHandler", "source " + e.source());
        FUZZ_CHECK(e.description() == "Cannot open " + file, "description " + e.description());
        FUZZ_CHECK(static_cast<std::size_t>(fields->count()) < lineCount(input), "a failed load added every line");
        return;
    }
    // A load that succeeds made one member per line.
    FUZZ_CHECK(static_cast<std::size_t>(fields->count()) == lineCount(input),
               std::to_string(fields->count()) + " members from " + std::to_string(lineCount(input)) + " lines");
}

}  // namespace fuzzharness
