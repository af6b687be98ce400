#pragma once
// Reads one record (line) of a delimited data file and cuts numbered fields
// out of it. Positions and counts are 16-bit, as the data file's limits say:
// a record of at most 32,767 characters and 32,766 delimiters.

#include <cstdint>
#include <string>
#include <vector>

namespace quorrel {

class CDelimitedFileHandler {
public:
    const std::string& Delimiter() const { return m_Delimiter; }
    void setDelimiter(const std::string& value);

    // The RecordNumber-th line (1-based), "" when the file has fewer lines.
    // Error 53 "Cannot open " + FileName when the file cannot be read.
    std::string GetRecordFromFile(const std::string& FileName, int16_t RecordNumber) const;

    // Field fieldNumber (1-based) of Data; "" past the last field, the whole
    // record for a number of 0 or less.
    std::string GetField(const std::string& Data, int16_t fieldNumber);
    // Number of delimiter characters in Data plus 1.
    int16_t CountFields(const std::string& Data);
    // 1-based character position of the Count-th delimiter, 0 when fewer.
    int16_t Pos(const std::string& Data, int16_t Count);

private:
    // Data split into characters, with the positions of the delimiter in it;
    // kept for the last record, since a fill asks for every field of one record.
    struct Record {
        std::string text;
        std::u32string chars;
        std::vector<int32_t> delimiterPositions;  // 1-based
    };
    const Record& record(const std::string& Data);
    static int16_t countFields(const Record& r);
    static int16_t pos(const Record& r, int16_t Count);

    std::string m_Delimiter;
    std::u32string m_delimiterChars;
    Record m_record;
    bool m_recordValid = false;
};

}  // namespace quorrel
