#include "platform/Profile.h"

#include <cerrno>
#include <filesystem>
#include <vector>

#include "FileKinds.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace platform::profile {

namespace {

enum class Kind { Blank, Comment, Section, Key, Other };

// One line as it stands in the file: its bytes and the line end that followed
// them ("\r\n", "\n", "\r", or nothing on a last line without one).
// Keys of one section kept by a read of all of it: a raw data file has 73, a
// settings file a dozen; past this, a file's further keys read as missing
// rather than costing a hundred bytes each.
constexpr std::size_t kMaxSectionKeys = 65536;

struct Line {
    std::string content;
    std::string eol;
};

struct Parsed {
    Kind kind = Kind::Other;
    std::string name;   // section or key name, decoded, blanks removed
    std::string value;  // key value, decoded, blanks and enclosing quotes removed
};

constexpr std::string_view kCrLf = "\r\n";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::vector<Line> splitLines(const std::string& bytes) {
    std::vector<Line> lines;
    std::size_t start = 0;
    const std::size_t n = bytes.size();
    while (start < n) {
        std::size_t end = start;
        while (end < n && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        Line line{bytes.substr(start, end - start), {}};
        if (end < n) {
            const std::size_t eolLength = (bytes[end] == '\r' && end + 1 < n && bytes[end + 1] == '\n') ? 2 : 1;
            line.eol = bytes.substr(end, eolLength);
            end += eolLength;
        }
        lines.push_back(std::move(line));
        start = end;
    }
    return lines;
}

std::string joinLines(const std::vector<Line>& lines) {
    std::string out;
    for (const Line& l : lines) out += l.content + l.eol;
    return out;
}

Parsed parse(std::string_view content, bool firstLine) {
    if (firstLine && content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
    Parsed p;
    const std::string_view t = trim(content);
    if (t.empty()) {
        p.kind = Kind::Blank;
    } else if (t.front() == ';') {
        p.kind = Kind::Comment;
    } else if (t.front() == '[') {
        p.kind = Kind::Section;
        const std::size_t close = t.find(']');
        p.name =
            text::decode8Bit(trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
    } else if (const std::size_t eq = t.find('='); eq != std::string_view::npos) {
        p.kind = Kind::Key;
        p.name = text::decode8Bit(trim(t.substr(0, eq)));
        std::string_view v = trim(t.substr(eq + 1));
        if (v.size() >= 2 && v.front() == v.back() && (v.front() == '"' || v.front() == '\''))
            v = v.substr(1, v.size() - 2);
        p.value = text::decode8Bit(v);
    }
    return p;
}

// What the lookup of one entry found in a file.
struct Location {
    std::ptrdiff_t keyLine = -1;        // first line holding the key in a matching section
    std::ptrdiff_t sectionLine = -1;    // header of the first matching section
    std::ptrdiff_t lastInSection = -1;  // last non-blank line of that section
    std::string value;
};

Location locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Location loc;
    bool inMatch = false;
    bool inFirstMatch = false;
    const std::string_view wantSection = trim(section);
    const std::string_view wantKey = trim(key);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Parsed p = parse(lines[i].content, i == 0);
        if (p.kind == Kind::Section) {
            inMatch = text::equalsIgnoreCase(p.name, wantSection);
            inFirstMatch = inMatch && loc.sectionLine < 0;
            if (inFirstMatch) loc.sectionLine = loc.lastInSection = std::ptrdiff_t(i);
            continue;
        }
        if (inFirstMatch && p.kind != Kind::Blank) loc.lastInSection = std::ptrdiff_t(i);
        if (inMatch && p.kind == Kind::Key && loc.keyLine < 0 && text::equalsIgnoreCase(p.name, wantKey)) {
            loc.keyLine = std::ptrdiff_t(i);
            loc.value = p.value;
        }
    }
    return loc;
}

enum class ReadResult { Ok, Missing, Failed };

// A profile file is one a user may name: only a regular file within the
// bound is read (platform::files); why another is refused goes to reason.
ReadResult readFile(const std::string& nativePath, std::string& out, std::string* reason = nullptr) {
    const files::UserFile file = files::readUserFile(nativePath, out);
    if (reason) *reason = file.status == files::OpenStatus::Refused ? file.reason : std::string();
    switch (file.status) {
    case files::OpenStatus::Opened: return ReadResult::Ok;
    case files::OpenStatus::Missing: return ReadResult::Missing;
    default: return ReadResult::Failed;
    }
}

// The whole file replaced at once (platform::files). An existing file must be
// one we may write: the rename would otherwise replace a read-only file
// behind the user's back.
bool replaceFile(const std::string& nativePath, const std::string& bytes) {
    if (!files::isReplaceable(nativePath)) return false;
    return !files::replaceAtomically(
        nativePath, [&](int fd) { return files::writeAll(fd, bytes) ? std::string() : files::systemMessage(errno); });
}

// What a name or value may hold on its line: a C string ends at NUL, and a
// line break would start a line of its own, so each becomes one blank.
std::string oneLine(std::string_view s) {
    s = s.substr(0, s.find('\0'));
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
        out += (s[i] == '\r' || s[i] == '\n') ? ' ' : s[i];
    }
    return out;
}

std::string rawKeyName(const std::string& content, bool firstLine) {
    std::string_view c = content;
    if (firstLine && c.substr(0, 3) == "\xEF\xBB\xBF") c.remove_prefix(3);
    return std::string(trim(c.substr(0, c.find('='))));
}

}  // namespace

std::string readEntry(const std::string& filePath, std::string_view section, std::string_view key,
                      std::string_view defaultValue, std::size_t bufferSize) {
    const std::size_t maxBytes = bufferSize == 0 ? 0 : bufferSize - 1;
    std::string bytes;
    if (readFile(paths::toNative(filePath), bytes) != ReadResult::Ok) return text::cutToBytes(defaultValue, maxBytes);
    const Location loc = locate(splitLines(bytes), section, key);
    if (loc.keyLine < 0) return text::cutToBytes(defaultValue, maxBytes);
    return text::cutToBytes(loc.value, maxBytes);
}

SectionEntries readSection(const std::string& filePath, std::string_view section, std::size_t bufferSize,
                           std::string* refusal) {
    std::string bytes;
    if (readFile(paths::toNative(filePath), bytes, refusal) != ReadResult::Ok) {
        SectionEntries entries;
        entries.m_maxBytes = bufferSize == 0 ? 0 : bufferSize - 1;
        return entries;
    }
    return parseSection(bytes, section, bufferSize);
}

SectionEntries parseSection(const std::string& bytes, std::string_view section, std::size_t bufferSize) {
    SectionEntries entries;
    entries.m_maxBytes = bufferSize == 0 ? 0 : bufferSize - 1;
    // The rules of locate(), for every key at once: any section of the name
    // counts, and the first line of a key wins.
    const std::string_view wantSection = trim(section);
    bool inMatch = false;
    // Line by line in place: a file of millions of short lines (one from
    // outside) costs its own size, not a string and a record a line.
    const std::string_view all(bytes);
    for (std::size_t start = 0, index = 0; start < all.size(); ++index) {
        std::size_t end = all.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = all.size();
        const Parsed p = parse(all.substr(start, end - start), index == 0);
        start = end + (end < all.size() && all[end] == '\r' && end + 1 < all.size() && all[end + 1] == '\n' ? 2 : 1);
        if (p.kind == Kind::Section) {
            inMatch = text::equalsIgnoreCase(p.name, wantSection);
            entries.m_found = entries.m_found || inMatch;
        } else if (inMatch && p.kind == Kind::Key && entries.m_values.size() < kMaxSectionKeys) {
            entries.m_values.try_emplace(text::toLower(p.name), text::cutToBytes(p.value, entries.m_maxBytes));
        }
    }
    return entries;
}

std::string SectionEntries::value(std::string_view key, std::string_view defaultValue) const {
    const auto found = m_values.find(text::toLower(trim(key)));
    return found == m_values.end() ? text::cutToBytes(defaultValue, m_maxBytes) : found->second;
}

bool hasSection(const std::string& filePath, std::string_view section) {
    std::string bytes;
    if (readFile(paths::toNative(filePath), bytes) != ReadResult::Ok) return false;
    return locate(splitLines(bytes), section, {}).sectionLine >= 0;
}

namespace {

// One entry set in the lines of a file, as writeEntry does it on disk.
void setEntry(std::vector<Line>& lines, std::string_view section, std::string_view key, std::string_view value) {
    const Location loc = locate(lines, section, key);
    const std::string cleanValue = oneLine(value);

    if (loc.keyLine >= 0) {
        Line& line = lines[std::size_t(loc.keyLine)];
        line.content = rawKeyName(line.content, loc.keyLine == 0) + "=" + cleanValue;
        line.eol = kCrLf;
    } else {
        Line entry{oneLine(key) + "=" + cleanValue, std::string(kCrLf)};
        if (loc.sectionLine >= 0) {
            const auto at = std::size_t(loc.lastInSection);
            if (lines[at].eol.empty()) lines[at].eol = kCrLf;
            lines.insert(lines.begin() + std::ptrdiff_t(at + 1), std::move(entry));
        } else {
            if (!lines.empty() && lines.back().eol.empty()) lines.back().eol = kCrLf;
            lines.push_back({"[" + oneLine(section) + "]", std::string(kCrLf)});
            lines.push_back(std::move(entry));
        }
    }
}

}  // namespace

bool writeEntry(const std::string& filePath, std::string_view section, std::string_view key, std::string_view value) {
    const std::string native = paths::toNative(filePath);
    std::string bytes;
    if (readFile(native, bytes) == ReadResult::Failed) return false;
    std::vector<Line> lines = splitLines(bytes);
    setEntry(lines, section, key, value);
    return replaceFile(native, joinLines(lines));
}

bool writeEntries(const std::string& filePath, std::string_view section, const std::vector<Entry>& entries) {
    if (entries.empty()) return true;
    const std::string native = paths::toNative(filePath);
    std::string bytes;
    if (readFile(native, bytes) == ReadResult::Failed) return false;
    std::vector<Line> lines = splitLines(bytes);
    for (const Entry& entry : entries) setEntry(lines, section, entry.key, entry.value);
    return replaceFile(native, joinLines(lines));
}

std::string newFileText(std::string_view section, const std::vector<Entry>& entries) {
    std::vector<Line> lines;
    for (const Entry& entry : entries) setEntry(lines, section, entry.key, entry.value);
    return joinLines(lines);
}

namespace {

// Rewrites the file without the lines of the named section for which drop()
// answers true; a file with nothing to drop is left untouched.
template <class Drop>
bool removeFromSection(const std::string& filePath, std::string_view section, Drop drop) {
    const std::string native = paths::toNative(filePath);
    std::string bytes;
    const ReadResult read = readFile(native, bytes);
    if (read == ReadResult::Missing) return true;
    if (read == ReadResult::Failed) return false;
    std::vector<Line> lines = splitLines(bytes);
    std::vector<Line> kept;
    bool inMatch = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Parsed p = parse(lines[i].content, i == 0);
        if (p.kind == Kind::Section) inMatch = text::equalsIgnoreCase(p.name, trim(section));
        if (inMatch && drop(p)) continue;
        kept.push_back(std::move(lines[i]));
    }
    if (kept.size() == lines.size()) return true;
    return replaceFile(native, joinLines(kept));
}

}  // namespace

bool deleteEntry(const std::string& filePath, std::string_view section, std::string_view key) {
    return removeFromSection(filePath, section, [&](const Parsed& p) {
        return p.kind == Kind::Key && text::equalsIgnoreCase(p.name, trim(key));
    });
}

bool deleteSection(const std::string& filePath, std::string_view section) {
    return removeFromSection(filePath, section, [](const Parsed&) { return true; });
}

}  // namespace platform::profile
