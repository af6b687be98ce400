// The one-read load of a section answers, for every key, what the entry read
// answers: over every file the tests and fuzzers hold, the shipped files, and
// generated files that mix the profile rules (letter case, blanks, quotes,
// duplicated keys and sections, long values, Windows-1252 bytes, line ends).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "CAppSettings.h"
#include "TempProgramFolder.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace {

namespace fs = std::filesystem;
namespace profile = platform::profile;

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return s;
}

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return std::string(s);
}

// Section and key names as they stand in the bytes, however broken the file:
// the first ones of each, so that a large binary file (a PDF seed) costs no
// more than a profile file does.
void namesIn(const std::string& bytes, std::set<std::string>& sections, std::set<std::string>& keys) {
    constexpr std::size_t kMoreSections = 16, kMoreKeys = 48;
    const std::size_t sectionLimit = sections.size() + kMoreSections, keyLimit = keys.size() + kMoreKeys;
    std::size_t start = 0;
    while (start <= bytes.size()) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
        const std::string line = trimmed(std::string_view(bytes).substr(start, end - start));
        if (!line.empty() && line.front() == '[' && sections.size() < sectionLimit)
            sections.insert(trimmed(line.substr(1, line.find(']') - 1)));
        if (const auto eq = line.find('='); eq != std::string::npos && keys.size() < keyLimit)
            keys.insert(trimmed(line.substr(0, eq)));
        start = end + 1;
    }
}

std::string generatedFile(std::mt19937& random) {
    const char* sections[] = {"SetupData", "setupdata", " SETUPDATA ", "Setup", "Vantrel", "Other", "SetupData2"};
    const char* keys[] = {"DriverName", "drivername",  " DRIVERNAME ", "Notes",   "FrontCastor", "RearArmLength",
                          "SetupName",  "MappingFile", "DataFile",     "Caf\xE9", "Caf\xC3\xA9", "CAF\xC3\x89"};
    const char* values[] = {"",   "Driver A",  "  blanks  ",        "\"quoted\"", "' single '",      "a=b",
                            "\"", "\xE9t\xE9", "\xC3\xA9t\xC3\xA9", "\x80\x9F",   "; not a comment", "[not a section]"};
    const char* ends[] = {"\r\n", "\n", "\r", "\r\n"};
    std::string out = random() % 8 == 0 ? "\xEF\xBB\xBF" : "";
    const int lines = int(random() % 40);
    for (int i = 0; i < lines; ++i) {
        switch (random() % 10) {
        case 0:
        case 1: out += std::string(random() % 2 ? "  [" : "[") + sections[random() % std::size(sections)] + "]"; break;
        case 2: out += "; comment=x"; break;
        case 3: out += ""; break;
        case 4:
            // Long values, cut at 254 bytes or at the buffer, in the middle
            // of a two-byte character or not.
            out += std::string(keys[random() % std::size(keys)]) + "=" + std::string(random() % 300, 'x');
            for (int n = int(random() % 150); n > 0; --n) out += "\xC3\xA9";
            break;
        default:
            out += std::string(keys[random() % std::size(keys)]) + (random() % 2 ? " = " : "=") +
                   values[random() % std::size(values)];
        }
        out += ends[random() % std::size(ends)];
    }
    return out;
}

constexpr std::size_t kBuffers[] = {0, 1, 4, 255};
const std::string kDefault = "d\xC3\xA9";
const std::string kAbsentKey = "No Such Key In Any File";

TEST(SectionReadTest, EveryKeyReadsAsTheEntryReadGivesIt) {
    testsupport::TempProgramFolder folder;
    std::vector<fs::path> files;
    for (const fs::path& root :
         {fs::path(VANTREL_FUZZ_SEEDS_DIR), fs::path(VANTREL_TEST_DATA_DIR), fs::path(VANTREL_SOURCE_DIR) / "stage"}) {
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (!entry.is_regular_file()) continue;
            files.push_back(entry.path());
            // The same bytes once more as the body of a raw data file.
            files.push_back(folder.write("as-section/" + std::to_string(files.size()) + ".dat",
                                         "[SetupData]\r\n" + testsupport::TempProgramFolder::readFile(entry.path())));
        }
    }
    std::mt19937 random(17);
    for (int i = 0; i < 120; ++i)
        files.push_back(folder.write("generated/" + std::to_string(i) + ".ini", generatedFile(random)));

    std::size_t compared = 0;
    for (const fs::path& path : files) {
        const std::string file = path.string();
        SCOPED_TRACE(file);
        std::set<std::string> sections = {"SetupData", "Setup", "Vantrel", "Missing", ""};
        std::set<std::string> keys = {"", " DriverName ", "Missing"};
        for (std::string_view key : vantrel::SetupFieldKeys) keys.insert(std::string(key));
        namesIn(testsupport::TempProgramFolder::readFile(path), sections, keys);
        for (const std::string& key : std::set<std::string>(keys)) keys.insert(upper(key));

        // Each key is compared at every buffer size. The entry read is asked
        // where it may find the key: where the file's bytes hold its name
        // (ASCII letter case aside), and for every name with other bytes. A
        // key it does not hold it answers with the default, cut as a key no
        // file holds is cut.
        const std::string folded = upper(testsupport::TempProgramFolder::readFile(path));
        for (const std::string& section : sections) {
            const bool found = profile::hasSection(file, section);
            std::vector<profile::SectionEntries> entries;
            std::vector<std::string> absent;
            for (const std::size_t buffer : kBuffers) {
                entries.push_back(profile::readSection(file, section, buffer));
                ASSERT_EQ(entries.back().found(), found) << "[" << section << "] buffer " << buffer;
                absent.push_back(profile::readEntry(file, section, kAbsentKey, kDefault, buffer));
            }
            ASSERT_EQ(absent.back(), kDefault) << "[" << section << "]";
            for (const std::string& key : keys) {
                const bool named = !isAscii(key) || folded.find(upper(trimmed(key))) != std::string::npos;
                const std::string whole = named ? profile::readEntry(file, section, key, kDefault) : kDefault;
                for (std::size_t b = 0; b < std::size(kBuffers); ++b) {
                    const std::string expected = whole == kDefault ? absent[b]
                                                 : kBuffers[b] == 255
                                                     ? whole
                                                     : profile::readEntry(file, section, key, kDefault, kBuffers[b]);
                    ASSERT_EQ(entries[b].value(key, kDefault), expected)
                        << "[" << section << "] " << key << " buffer " << kBuffers[b];
                    ++compared;
                }
            }
        }

        // The loads of the record and of the per-setup file take their values
        // from the one read.
        vantrel::CAppSettings settings;
        settings.setFileName(file);
        settings.LoadRawData();
        settings.LoadProperties();
        for (std::size_t i = 0; i < vantrel::SetupFieldCount; ++i)
            ASSERT_EQ(settings.field(vantrel::SetupField(i)),
                      profile::readEntry(file, "SetupData", vantrel::SetupFieldKeys[i]))
                << vantrel::SetupFieldKeys[i];
        ASSERT_EQ(settings.SetupName(), profile::readEntry(file, "Setup", "SetupName"));
        ASSERT_EQ(settings.MappingFile(), profile::readEntry(file, "Setup", "MappingFile"));
        ASSERT_EQ(settings.PDFTemplateSetupSheet(), profile::readEntry(file, "Setup", "PDFTemplateSetupSheet"));
    }
    EXPECT_GT(compared, 50000u);
}

}  // namespace
