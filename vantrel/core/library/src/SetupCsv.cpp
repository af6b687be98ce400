#include "library/SetupCsv.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <map>

#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace vantrel::library {

namespace {

// Splits the text into rows of fields; false (why in whyNot) for a quote
// left open at the end of the text. Lines with nothing on them are left out
// but counted.
bool splitRows(std::string_view text, char separator,
               std::vector<std::pair<std::size_t, std::vector<std::string>>>& rows, std::string& whyNot) {
    std::vector<std::string> fields(1);
    std::size_t line = 1, rowStart = 1;
    bool quoted = false, any = false;
    auto endRow = [&] {
        if (any) rows.emplace_back(rowStart, std::move(fields));
        fields.assign(1, std::string());
        any = false;
        rowStart = line;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n') ++line;
                fields.back() += c;
            }
            continue;
        }
        if (c == '"') {
            quoted = any = true;
        } else if (c == separator) {
            fields.emplace_back();
            any = true;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++line;
            endRow();
        } else {
            fields.back() += c;
            any = true;
        }
    }
    if (quoted) {
        whyNot = "a quoted field that begins in row " + std::to_string(rowStart) + " is never closed";
        return false;
    }
    endRow();
    return true;
}

// A field's text: UTF-8, or Windows-1252 read as such.
std::string asValue(std::string_view field) { return platform::text::decode8Bit(field); }

}  // namespace

std::optional<std::vector<CsvSetup>> readCsv(std::string_view bytes, std::string& whyNot) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    // Spreadsheets set to a decimal comma write ";" between fields.
    const std::string_view firstLine = bytes.substr(0, bytes.find_first_of("\r\n"));
    const char separator =
        firstLine.find(',') == std::string_view::npos && firstLine.find(';') != std::string_view::npos ? ';' : ',';
    std::vector<std::pair<std::size_t, std::vector<std::string>>> rows;
    if (!splitRows(bytes, separator, rows, whyNot)) return std::nullopt;
    if (rows.empty()) {
        whyNot = "it is empty";
        return std::nullopt;
    }

    // Where each column of ours stands; -1 for one not there.
    constexpr std::size_t kCreated = SetupFieldCount, kSetupType = SetupFieldCount + 1, kSheet = SetupFieldCount + 2;
    std::array<long, SetupFieldCount + 3> column;
    column.fill(-1);
    std::map<std::string, std::size_t, std::less<>> ours{
        {"Created", kCreated}, {"SetupType", kSetupType}, {"Sheet", kSheet}};
    for (std::size_t i = 0; i < SetupFieldCount; ++i) ours.emplace(std::string(SetupFieldKeys[i]), i);
    const std::vector<std::string>& header = rows.front().second;
    for (std::size_t c = 0; c < header.size(); ++c) {
        std::string_view name = header[c];
        while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        if (auto it = ours.find(name); it != ours.end() && column[it->second] < 0) column[it->second] = long(c);
    }
    std::vector<std::string> missing;
    if (column[kSetupType] < 0) missing.emplace_back("SetupType");
    for (std::size_t i = 0; i < SetupFieldCount; ++i)
        if (column[i] < 0) missing.emplace_back(SetupFieldKeys[i]);
    if (!missing.empty()) {
        whyNot = "it is no setup library CSV: its first row names no column " + missing.front();
        if (missing.size() > 1) whyNot += " (nor " + std::to_string(missing.size() - 1) + " more)";
        return std::nullopt;
    }

    std::vector<CsvSetup> setups;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const auto& [row, fields] = rows[r];
        auto field = [&](std::size_t ourColumn) -> std::string {
            const long c = column[ourColumn];
            return c >= 0 && std::size_t(c) < fields.size() ? fields[std::size_t(c)] : std::string();
        };
        CsvSetup setup;
        setup.row = row;
        for (std::size_t i = 0; i < SetupFieldCount; ++i) setup.entry.values[i] = asValue(field(i));
        setup.entry.setupType = asValue(field(kSetupType));
        setup.entry.sheet = platform::text::decode8Bit(field(kSheet));
        // A time the library cannot read is left to the importer (the file's own).
        const std::string created = asValue(field(kCreated));
        if (parseTimestamp(created)) setup.entry.created = created;
        if (setup.entry.setupType.empty()) setup.problem = "row " + std::to_string(row) + " names no SetupType";
        setups.push_back(std::move(setup));
    }
    return setups;
}

std::string csvField(std::string_view value) {
    const std::string text = platform::text::decode8Bit(value);
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

void exportCsv(SetupLibrary& library, const std::string& nativePath) {
    const std::string error = platform::files::replaceAtomically(nativePath, [&](int fd) -> std::string {
        std::string chunk = csvField("Created") + "," + csvField("SetupType") + "," + csvField("Sheet");
        for (const std::string_view key : SetupFieldKeys) chunk += "," + csvField(key);
        chunk += "\r\n";
        // The errno of the first failed write, taken at once: the reads of the
        // library between two writes may set errno again.
        int writeError = 0;
        auto write = [&] {
            if (!writeError && !platform::files::writeAll(fd, chunk)) writeError = errno ? errno : EIO;
            chunk.clear();
        };
        // Rows go out in chunks, so a library of any size needs little memory.
        library.forEachSetup([&](const StoredSetup& s) {
            chunk += csvField(s.created) + "," + csvField(s.setupType) + "," + csvField(s.sheet);
            for (const std::string& v : s.values) chunk += "," + csvField(v);
            chunk += "\r\n";
            if (chunk.size() >= (1 << 16)) write();
        });
        write();
        return writeError ? platform::files::systemMessage(writeError) : std::string();
    });
    if (!error.empty())
        platform::raiseAboutFile(platform::ErrPathAccess, "exportCsv", "Cannot write the CSV file", nativePath, error);
}

}  // namespace vantrel::library
