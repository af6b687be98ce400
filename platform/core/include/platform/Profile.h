#pragma once
// Profile (INI) files, read and written one entry at a time.
//
// Reading: section and key names match regardless of letter case; blanks
// around names and around "=" are ignored; a missing file, section or key
// gives the default. A value comes back with at most bufferSize - 1 bytes,
// cut back to a whole character.
//
// Writing: creates the file, section or key when missing, overwrites an
// existing value, keeps every other line byte for byte, ends new lines with
// CR LF, and replaces the file atomically (temporary file in the same folder,
// then rename), so a failed write leaves the old file whole.
//
// Paths are system paths; they are made native here.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::profile {

std::string readEntry(const std::string& filePath, std::string_view section, std::string_view key,
                      std::string_view defaultValue = {}, std::size_t bufferSize = 255);

// All entries of one section from one read and one parse of the file, for a
// caller that wants many of them: value() answers exactly what readEntry
// would for the same file, section, key, default and buffer size.
class SectionEntries {
public:
    std::string value(std::string_view key, std::string_view defaultValue = {}) const;
    // Whether the file holds the section (as hasSection).
    bool found() const { return m_found; }

private:
    friend SectionEntries readSection(const std::string&, std::string_view, std::size_t, std::string*);
    friend SectionEntries parseSection(const std::string&, std::string_view, std::size_t);
    std::unordered_map<std::string, std::string> m_values;  // by key name in lower case
    std::size_t m_maxBytes = 0;
    bool m_found = false;
};

// A file that is there but is no file to read (a folder, a pipe, a device, a
// socket, or above platform::files::UserFileLimit) reads as missing, with the
// reason in *refusal; otherwise *refusal is empty.
SectionEntries readSection(const std::string& filePath, std::string_view section, std::size_t bufferSize = 255,
                           std::string* refusal = nullptr);
// The same read of a profile file's bytes already in memory (a file attached
// to a PDF, say).
SectionEntries parseSection(const std::string& bytes, std::string_view section, std::size_t bufferSize = 255);

// False when the file could not be written; the old file is then unchanged.
bool writeEntry(const std::string& filePath, std::string_view section, std::string_view key, std::string_view value);

// Several entries of one section in one replacement of the file: the bytes
// are exactly those that writeEntry of each entry, in order, would leave, but
// the file is read, written and synced once, and a failure changes nothing.
// No entries: the file is left as it is.
struct Entry {
    std::string_view key;
    std::string_view value;
};
bool writeEntries(const std::string& filePath, std::string_view section, const std::vector<Entry>& entries);
// The bytes writeEntries would leave in a file that is not there yet, for a
// caller that wants them in memory (parseSection reads them back).
std::string newFileText(std::string_view section, const std::vector<Entry>& entries);

// True when the file can be read and holds a section of that name (in any
// letter case), even an empty one.
bool hasSection(const std::string& filePath, std::string_view section);

// Removal of one key, or of a whole section with its keys; true when the
// file is as asked afterwards (also when there was nothing to remove).
bool deleteEntry(const std::string& filePath, std::string_view section, std::string_view key);
bool deleteSection(const std::string& filePath, std::string_view section);

}  // namespace platform::profile
