#include "CDelimitedFileHandler.h"

#include <stdexcept>

#include "TextFileReader.h"
#include "platform/Text.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quorrel {

namespace {

constexpr const char* Source = "CDelimitedFileHandler";
constexpr int32_t MaxInt16 = 32767;

[[noreturn]] void raiseOverflow() { platform::raise(platform::ErrOverflow, Source); }

}  // namespace

void CDelimitedFileHandler::setDelimiter(const std::string& value) {
    m_Delimiter = value;
    m_delimiterChars = platform::text::toUtf32(value);
    m_recordValid = false;
}

std::string CDelimitedFileHandler::GetRecordFromFile(const std::string& FileName, int16_t RecordNumber) const {
    mappingfile::TextFileReader reader;
    std::string line;
    try {
        if (!reader.open(platform::paths::toNative(FileName), platform::files::UserFileLimit))
            throw std::runtime_error("open");
        int32_t i = 0;
        while (reader.readLine(line)) {
            ++i;
            if (i == RecordNumber) return line;
        }
    } catch (const std::exception&) {
        platform::raise(platform::ErrFileNotFound, Source, "Cannot open " + platform::paths::toNative(FileName));
    }
    return {};
}

const CDelimitedFileHandler::Record& CDelimitedFileHandler::record(const std::string& Data) {
    if (m_recordValid && m_record.text == Data) return m_record;
    m_recordValid = false;
    m_record.text = Data;
    m_record.chars = platform::text::toUtf32(Data);
    m_record.delimiterPositions.clear();
    // Only a one-character delimiter can equal a single character.
    if (m_delimiterChars.size() == 1) {
        const char32_t d = m_delimiterChars[0];
        for (std::size_t i = 0; i < m_record.chars.size(); ++i)
            if (m_record.chars[i] == d) m_record.delimiterPositions.push_back(static_cast<int32_t>(i + 1));
    }
    m_recordValid = true;
    return m_record;
}

int16_t CDelimitedFileHandler::countFields(const Record& r) {
    if (r.chars.size() > static_cast<std::size_t>(MaxInt16)) raiseOverflow();
    const std::size_t fields = r.delimiterPositions.size() + 1;
    if (fields > static_cast<std::size_t>(MaxInt16)) raiseOverflow();
    return static_cast<int16_t>(fields);
}

int16_t CDelimitedFileHandler::pos(const Record& r, int16_t Count) {
    if (r.chars.size() > static_cast<std::size_t>(MaxInt16)) raiseOverflow();
    if (Count <= 0 || static_cast<std::size_t>(Count) > r.delimiterPositions.size()) return 0;
    return static_cast<int16_t>(r.delimiterPositions[static_cast<std::size_t>(Count) - 1]);
}

int16_t CDelimitedFileHandler::CountFields(const std::string& Data) { return countFields(record(Data)); }

int16_t CDelimitedFileHandler::Pos(const std::string& Data, int16_t Count) { return pos(record(Data), Count); }

std::string CDelimitedFileHandler::GetField(const std::string& Data, int16_t fieldNumber) {
    const Record& r = record(Data);
    if (fieldNumber == 1) {
        // A search for empty text finds it at the first character.
        const std::size_t found = m_delimiterChars.empty() ? 0 : r.chars.find(m_delimiterChars);
        if (found == std::u32string::npos) return Data;
        if (found + 1 > static_cast<std::size_t>(MaxInt16)) raiseOverflow();
        return platform::text::fromUtf32(std::u32string_view(r.chars).substr(0, found));
    }
    if (countFields(r) < fieldNumber) return {};
    const int32_t start = pos(r, static_cast<int16_t>(fieldNumber > 0 ? fieldNumber - 1 : 0));
    const int32_t end = pos(r, fieldNumber);
    const std::u32string_view chars(r.chars);
    if (end != 0)
        return platform::text::fromUtf32(
            chars.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start - 1)));
    return platform::text::fromUtf32(chars.substr(static_cast<std::size_t>(start)));
}

}  // namespace quorrel
