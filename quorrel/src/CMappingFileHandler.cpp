#include "CMappingFileHandler.h"

#include <stdexcept>

#include "CAdobeFields.h"
#include "TextFileReader.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quorrel {

namespace {

constexpr const char* Source = "CMappingFileHandler";

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int16_t CMappingFileHandler::parseIndex(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t intStart = i;
    while (i < text.size() && isDigit(text[i])) ++i;
    std::string_view intDigits = text.substr(intStart, i - intStart);
    std::string_view fracDigits;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fracStart = ++i;
        while (i < text.size() && isDigit(text[i])) ++i;
        fracDigits = text.substr(fracStart, i - fracStart);
    }
    if (intDigits.empty() && fracDigits.empty()) return 0;

    // Exact decimal arithmetic: no binary fraction can turn 2.5 into 2.4999.
    while (!intDigits.empty() && intDigits.front() == '0') intDigits.remove_prefix(1);
    if (intDigits.size() > 6) platform::raise(platform::ErrOverflow, Source);
    int32_t magnitude = 0;
    for (char c : intDigits) magnitude = magnitude * 10 + (c - '0');

    if (!fracDigits.empty()) {
        const char first = fracDigits.front();
        const bool restNonZero = fracDigits.substr(1).find_first_not_of('0') != std::string_view::npos;
        if (first > '5' || (first == '5' && restNonZero) || (first == '5' && magnitude % 2 == 1)) ++magnitude;
    }
    const int32_t value = negative ? -magnitude : magnitude;
    if (value < -32768 || value > 32767) platform::raise(platform::ErrOverflow, Source);
    return static_cast<int16_t>(value);
}

void CMappingFileHandler::ParseMappingLine(const std::string& line, CAdobeFields& FieldCollection) {
    const std::size_t p = line.find('=');
    if (p == std::string::npos) platform::raise(platform::ErrInvalidArgument, Source);
    const std::string_view whole(line);
    const std::string_view left = trimBlanks(whole.substr(0, p));
    const std::string_view right = trimBlanks(whole.substr(p + 1));
    const int16_t index = parseIndex(left);
    FieldCollection.add(index, std::string(right), std::string());
}

void CMappingFileHandler::LoadMapping(const std::string& MappingFileName, CAdobeFields& FieldCollection) {
    // No bound on the size: the 16-bit field positions and the field
    // collection bound what a mapping can hold.
    try {
        TextFileReader reader;
        if (!reader.open(platform::paths::toNative(MappingFileName), platform::files::NoSizeLimit))
            throw std::runtime_error("open");
        std::string line;
        while (reader.readLine(line)) ParseMappingLine(line, FieldCollection);
    } catch (const std::exception&) {
        platform::raise(platform::ErrFileNotFound, Source, "Cannot open " + platform::paths::toNative(MappingFileName));
    }
}

}  // namespace quorrel
