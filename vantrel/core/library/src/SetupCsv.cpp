#include "library/SetupCsv.h"

#include <array>
#include <cerrno>
#include <ctime>
#include <exception>
#include <map>
#include <utility>
#include <vector>

#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace vantrel::library {

namespace {

constexpr char kMark = '\'';

struct Walked {
    enum { Done, Stopped, OpenQuote, LongField } outcome = Done;
    std::size_t row = 0;  // where the open quote or the long field is
    bool quoted = false;  // the long field is in quotes
};

// Walks the rows of text a field at a time, holding no more than the field
// in hand: keep(column) says whether a field's text is wanted, field(column,
// text) takes it, rowEnd(row, columns) ends each row and answers false to
// stop. Lines with nothing on them are left out but counted, so rows are
// numbered as a spreadsheet numbers them.
template <class Keep, class Field, class RowEnd>
Walked walkRows(std::string_view text, char separator, Keep&& keep, Field&& field, RowEnd&& rowEnd) {
    std::string value;
    std::size_t line = 1, rowStart = 1, column = 0, length = 0;
    bool quoted = false, any = false, keeping = keep(std::size_t(0));
    auto endField = [&] {
        if (keeping) field(column, std::move(value));
        value.clear();
        length = 0;
        keeping = keep(++column);
    };
    auto endRow = [&] {
        bool go = true;
        if (any) {
            endField();
            go = rowEnd(rowStart, column);
        }
        value.clear();
        column = length = 0;
        keeping = keep(std::size_t(0));
        any = false;
        rowStart = line;
        return go;
    };
    auto add = [&](char c) {
        if (keeping) value += c;
        return ++length <= CsvMaxFieldBytes;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        bool within = true;
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                within = add('"');
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n') ++line;
                within = add(c);
            }
        } else if (c == '"') {
            quoted = any = true;
        } else if (c == separator) {
            endField();
            any = true;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++line;
            if (!endRow()) return {Walked::Stopped, rowStart};
        } else {
            within = add(c);
            any = true;
        }
        if (!within) return {Walked::LongField, rowStart, quoted};
    }
    if (quoted) return {Walked::OpenQuote, rowStart};
    if (!endRow()) return {Walked::Stopped, rowStart};
    return {};
}

std::string countText(std::size_t n) {
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

// A field's text: UTF-8, or Windows-1252 read as such; the mark taken off
// where the file says its text is marked.
std::string asValue(std::string_view field, bool marked) {
    std::string text = platform::text::decode8Bit(field);
    if (marked && !text.empty() && text.front() == kMark) text.erase(0, 1);
    return text;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "-2.0", "+1", "1e-3": a number a spreadsheet reads as one, never as a formula.
bool isPlainNumber(std::string_view text) {
    std::size_t i = 0, digits = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    for (; i < text.size() && isDigit(text[i]); ++i) ++digits;
    if (i < text.size() && text[i] == '.')
        for (++i; i < text.size() && isDigit(text[i]); ++i) ++digits;
    if (!digits) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponent = 0;
        for (; i < text.size() && isDigit(text[i]); ++i) ++exponent;
        if (!exponent) return false;
    }
    return i == text.size();
}

bool needsMark(std::string_view text) {
    if (text.empty()) return false;
    switch (text.front()) {
    case '=':
    case '@':
    case '\t':
    case '\r':
    case '\n':
    case kMark: return true;
    case '+':
    case '-': return !isPlainNumber(text);
    default: return false;
    }
}

}  // namespace

std::optional<CsvRead> readCsv(std::string_view bytes, const std::function<bool(CsvSetup&)>& take,
                               std::string& whyNot) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    // Spreadsheets set to a decimal comma write ";" between fields.
    const std::string_view firstLine = bytes.substr(0, bytes.find_first_of("\r\n"));
    const char separator =
        firstLine.find(',') == std::string_view::npos && firstLine.find(';') != std::string_view::npos ? ';' : ',';

    // First the whole text, holding nothing but the header: a file refused is refused before any row is taken.
    std::vector<std::string> header;
    std::size_t rows = 0, wideRow = 0;
    const Walked checked = walkRows(
        bytes, separator, [&](std::size_t column) { return rows == 0 && column < CsvMaxColumns; },
        [&](std::size_t, std::string&& text) { header.push_back(std::move(text)); },
        [&](std::size_t row, std::size_t columns) {
            ++rows;
            if (columns > CsvMaxColumns) wideRow = row;
            return !wideRow;
        });
    switch (checked.outcome) {
    case Walked::OpenQuote:
        whyNot = "a quoted field that begins in row " + std::to_string(checked.row) + " is never closed";
        return std::nullopt;
    case Walked::LongField:
        whyNot = "row " + std::to_string(checked.row) + " holds a " + (checked.quoted ? "quoted " : "") +
                 "field longer than " + countText(CsvMaxFieldBytes / 1024) + " KiB" +
                 (checked.quoted ? " (is its closing quote missing?)" : "");
        return std::nullopt;
    case Walked::Stopped:
        whyNot = "row " + std::to_string(wideRow) + " has more than " + countText(CsvMaxColumns) + " columns";
        return std::nullopt;
    case Walked::Done: break;
    }
    if (!rows) {
        whyNot = "it is empty";
        return std::nullopt;
    }

    // Where each column of ours stands; -1 for one not there.
    constexpr std::size_t kCreated = SetupFieldCount, kSetupType = SetupFieldCount + 1, kSheet = SetupFieldCount + 2,
                          kColumns = SetupFieldCount + 3;
    std::array<long, kColumns> column;
    column.fill(-1);
    std::map<std::string, std::size_t, std::less<>> ours{
        {"Created", kCreated}, {"SetupType", kSetupType}, {"Sheet", kSheet}};
    for (std::size_t i = 0; i < SetupFieldCount; ++i) ours.emplace(std::string(SetupFieldKeys[i]), i);
    bool marked = false;
    for (std::size_t c = 0; c < header.size(); ++c) {
        std::string_view name = header[c];
        while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
        while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
        if (auto it = ours.find(name); it != ours.end() && column[it->second] < 0) column[it->second] = long(c);
        if (name == CsvTextMarkHeading) marked = true;
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
    // Which of ours each column of the file is, for the columns that are.
    std::vector<long> wanted(header.size(), -1);
    for (std::size_t ourColumn = 0; ourColumn < kColumns; ++ourColumn)
        if (column[ourColumn] >= 0) wanted[std::size_t(column[ourColumn])] = long(ourColumn);

    CsvRead read;
    std::array<std::string, kColumns> fields;
    bool first = true;
    walkRows(
        bytes, separator, [&](std::size_t c) { return !first && c < wanted.size() && wanted[c] >= 0; },
        [&](std::size_t c, std::string&& text) { fields[std::size_t(wanted[c])] = std::move(text); },
        [&](std::size_t row, std::size_t) {
            if (std::exchange(first, false)) return true;
            // A row without a setup type is counted before anything is made of it.
            const std::string& type = fields[kSetupType];
            if (type.empty() || (marked && type == std::string_view(&kMark, 1))) {
                if (!read.withoutSetup++) read.firstWithoutSetup = row;
                for (std::string& f : fields) f.clear();
                return true;
            }
            CsvSetup setup;
            setup.row = row;
            for (std::size_t i = 0; i < SetupFieldCount; ++i) setup.entry.values[i] = asValue(fields[i], marked);
            setup.entry.setupType = asValue(fields[kSetupType], marked);
            setup.entry.sheet = asValue(fields[kSheet], marked);
            // A time the library cannot read is left to the importer (the file's own).
            const std::string created = asValue(fields[kCreated], marked);
            if (parseTimestamp(created)) setup.entry.created = created;
            for (std::string& f : fields) f.clear();
            if (setup.entry.setupType.empty()) {
                if (!read.withoutSetup++) read.firstWithoutSetup = row;
                return true;
            }
            ++read.setups;
            return take(setup);
        });
    return read;
}

std::string csvField(std::string_view value) {
    const std::string text = platform::text::decode8Bit(value);
    std::string out;
    out.reserve(text.size() + 3);
    out += '"';
    if (needsMark(text)) out += kMark;
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

void exportCsv(SetupLibrary& library, const std::string& nativePath, const std::function<void()>& beforeRename) {
    // What a killed export of this file left; a writer at work now is passed over.
    platform::files::removeLeftTemporaries(nativePath, std::int64_t(std::time(nullptr)));
    std::exception_ptr besideFailed;
    const auto error = platform::files::replaceAtomically(nativePath, [&](int fd) -> std::string {
        std::string chunk = csvField("Created") + "," + csvField("SetupType") + "," + csvField("Sheet");
        for (const std::string_view key : SetupFieldKeys) chunk += "," + csvField(key);
        chunk += "," + csvField(CsvTextMarkHeading) + "\r\n";
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
            chunk += ",\"\"\r\n";  // under TextMark: every row as wide as the header
            if (chunk.size() >= (1 << 16)) write();
        });
        write();
        if (writeError) return platform::files::systemMessage(writeError);
        if (beforeRename) try {
                beforeRename();
            } catch (...) {
                besideFailed = std::current_exception();
                return "the file beside it could not be written";
            }
        return {};
    });
    if (besideFailed) std::rethrow_exception(besideFailed);
    if (error)
        platform::raiseAboutFile(platform::ErrPathAccess, "exportCsv", "Cannot write the CSV file", nativePath,
                                 error->reason());
}

}  // namespace vantrel::library
