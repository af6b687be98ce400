#include <algorithm>
#include <iterator>

#include "FuzzInput.h"
#include "Harness.h"
#include "ScratchFolder.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace fuzzharness {

namespace {

namespace profile = platform::profile;
namespace text = platform::text;

struct Entry {
    const char* section;
    const char* key;
};

// Entries the program reads from its settings, per-setup and raw data files.
constexpr Entry kKnown[] = {
    {"Vantrel", "DataDirectory"},     {"Vantrel", "MappingDirectory"}, {"Vantrel", "TemplatesDirectory"},
    {"Vantrel", "LoggingDirectory"},  {"Vantrel", "ConfigDirectory"},  {"Vantrel", "DataFile"},
    {"Vantrel", "DataFileDelimiter"}, {"Vantrel", "RawDataFile"},      {"Vantrel", "LogFile"},
    {"Setup", "SetupName"},           {"Setup", "MappingFile"},        {"Setup", "PDFTemplateSetupSheet"},
    {"SetupData", "DriverName"},      {"SetupData", "Notes"},
};

constexpr std::size_t kLargeBuffer = 4096;
constexpr const char* kMissing = "\x01missing";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// A section or key name as the program writes them: one line, no brackets,
// equals sign or comment mark, no blanks at the ends.
bool plainName(const std::string& name) {
    if (name.empty() || !text::isValidUtf8(name) || isBlank(name.front()) || isBlank(name.back())) return false;
    return name.find_first_of(std::string("[]=;\r\n\0", 7)) == std::string::npos;
}

// What a value reads as after a write: cut at a NUL, line breaks as blanks,
// blanks at the ends and one pair of enclosing quotes dropped, 8-bit bytes
// read as Windows-1252.
std::string readBack(std::string value) {
    value = value.substr(0, value.find('\0'));
    std::string line;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
        line += (value[i] == '\r' || value[i] == '\n') ? ' ' : value[i];
    }
    std::string_view v = line;
    while (!v.empty() && isBlank(v.front())) v.remove_prefix(1);
    while (!v.empty() && isBlank(v.back())) v.remove_suffix(1);
    if (v.size() >= 2 && v.front() == v.back() && (v.front() == '"' || v.front() == '\''))
        v = v.substr(1, v.size() - 2);
    return text::cutToBytes(text::decode8Bit(v), kLargeBuffer - 1);
}

}  // namespace

void profileFile(std::string_view input) {
    FuzzInput in(input);
    const std::string section = in.text(24);
    const std::string key = in.text(24);
    const std::string value = in.text(80);
    const std::size_t bufferSize = in.byte() * 2;
    const std::string file = scratchFile("Vantrel.ini", in.rest());

    // A read never fails, never exceeds its buffer and never cuts a character.
    const std::string got = profile::readEntry(file, section, key, "default", bufferSize);
    FUZZ_CHECK(got.size() < std::max<std::size_t>(bufferSize, 1), "read longer than its buffer");
    FUZZ_CHECK(text::isValidUtf8(got), "read a cut character");
    // The whole-section read answers what the entry read answers.
    const profile::SectionEntries entries = profile::readSection(file, section, bufferSize);
    FUZZ_CHECK(entries.value(key, "default") == got, "the section read differs from the entry read");
    FUZZ_CHECK(entries.found() == profile::hasSection(file, section), "the section read misses the section");

    std::string before[std::size(kKnown)];
    for (std::size_t i = 0; i < std::size(kKnown); ++i)
        before[i] = profile::readEntry(file, kKnown[i].section, kKnown[i].key, kMissing, kLargeBuffer);
    const std::string bytesBefore = readBytes(file);

    if (!profile::writeEntry(file, section, key, value)) {
        FUZZ_CHECK(readBytes(file) == bytesBefore, "a failed write changed the file");
        return;
    }
    if (!plainName(section) || !plainName(key)) return;

    // The entry written reads back; every other entry reads as before.
    FUZZ_CHECK(profile::readEntry(file, section, key, kMissing, kLargeBuffer) == readBack(value),
               "the value written does not read back");
    for (std::size_t i = 0; i < std::size(kKnown); ++i) {
        if (text::equalsIgnoreCase(section, kKnown[i].section) && text::equalsIgnoreCase(key, kKnown[i].key)) continue;
        FUZZ_CHECK(profile::readEntry(file, kKnown[i].section, kKnown[i].key, kMissing, kLargeBuffer) == before[i],
                   std::string("writing one entry changed ") + kKnown[i].section + "/" + kKnown[i].key);
    }
}

}  // namespace fuzzharness
