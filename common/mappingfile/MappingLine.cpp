#include "MappingLine.h"

#include "platform/Error.h"

namespace mappingfile {

namespace {

constexpr const char* Source = "CMappingFileHandler";

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::int16_t parseIndex(std::string_view text) {
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
    std::int32_t magnitude = 0;
    for (char c : intDigits) magnitude = magnitude * 10 + (c - '0');

    if (!fracDigits.empty()) {
        const char first = fracDigits.front();
        const bool restNonZero = fracDigits.substr(1).find_first_not_of('0') != std::string_view::npos;
        if (first > '5' || (first == '5' && restNonZero) || (first == '5' && magnitude % 2 == 1)) ++magnitude;
    }
    const std::int32_t value = negative ? -magnitude : magnitude;
    if (value < -32768 || value > 32767) platform::raise(platform::ErrOverflow, Source);
    return static_cast<std::int16_t>(value);
}

MappingLine parseLine(std::string_view line) {
    const std::size_t p = line.find('=');
    if (p == std::string_view::npos) platform::raise(platform::ErrInvalidArgument, Source);
    return {parseIndex(trimBlanks(line.substr(0, p))), std::string(trimBlanks(line.substr(p + 1)))};
}

}  // namespace mappingfile
