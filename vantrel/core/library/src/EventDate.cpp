#include "library/EventDate.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <vector>

#include "library/SearchFold.h"
#include "platform/Process.h"

namespace vantrel::library {

namespace {

struct Token {
    enum Kind { Number, Month } kind;
    int value = 0;     // the number, or the month 1 to 12
    int digits = 0;    // of a number
    char after = ' ';  // the separator that follows ("/", ".", "-", blank)
};

// Month names as racers write them, in the languages of the clubs we meet;
// compared folded, whole or cut to at least three letters.
struct MonthName {
    std::string_view name;
    int month;
};
constexpr MonthName kMonths[] = {
    {"january", 1},   {"januar", 1},     {"janvier", 1},    {"gennaio", 1},    {"enero", 1},     {"januari", 1},
    {"february", 2},  {"februar", 2},    {"fevrier", 2},    {"febbraio", 2},   {"febrero", 2},   {"februari", 2},
    {"march", 3},     {"marz", 3},       {"mars", 3},       {"marzo", 3},      {"maart", 3},     {"april", 4},
    {"avril", 4},     {"aprile", 4},     {"abril", 4},      {"may", 5},        {"mai", 5},       {"maggio", 5},
    {"mayo", 5},      {"mei", 5},        {"june", 6},       {"juni", 6},       {"juin", 6},      {"giugno", 6},
    {"junio", 6},     {"july", 7},       {"juli", 7},       {"juillet", 7},    {"luglio", 7},    {"julio", 7},
    {"august", 8},    {"aout", 8},       {"agosto", 8},     {"augustus", 8},   {"september", 9}, {"septembre", 9},
    {"settembre", 9}, {"septiembre", 9}, {"october", 10},   {"oktober", 10},   {"octobre", 10},  {"ottobre", 10},
    {"octubre", 10},  {"november", 11},  {"novembre", 11},  {"noviembre", 11}, {"december", 12}, {"dezember", 12},
    {"decembre", 12}, {"dicembre", 12},  {"diciembre", 12},
};

// The month a word names, 0 for none; a cut word must lead to one month only
// ("jun" June, "jui" nothing: juin or juillet).
int monthOf(const std::string& word) {
    if (word.size() < 3) return 0;
    const std::string w = word == "sept" ? "sep" : word;
    int found = 0;
    for (const MonthName& m : kMonths) {
        if (m.name == w) return m.month;
        if (m.name.starts_with(w)) {
            if (found && found != m.month) return 0;
            found = m.month;
        }
    }
    return found;
}

std::vector<Token> tokensOf(std::string_view text) {
    const std::string folded = foldForSearch(text);
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < folded.size()) {
        const unsigned char c = static_cast<unsigned char>(folded[i]);
        if (std::isdigit(c)) {
            Token t{Token::Number};
            while (i < folded.size() && std::isdigit(static_cast<unsigned char>(folded[i])) && t.digits < 9) {
                t.value = t.value * 10 + (folded[i++] - '0');
                ++t.digits;
            }
            // "14th", "1st", "2nd", "3rd", "14." stay a day.
            for (std::string_view suffix : {"st", "nd", "rd", "th", "er", "e"})
                if (folded.compare(i, suffix.size(), suffix) == 0 &&
                    (i + suffix.size() == folded.size() ||
                     !std::isalpha(static_cast<unsigned char>(folded[i + suffix.size()])))) {
                    i += suffix.size();
                    break;
                }
            tokens.push_back(t);
        } else if (std::isalpha(c)) {
            std::string word;
            while (i < folded.size() && std::isalpha(static_cast<unsigned char>(folded[i]))) word += folded[i++];
            // Weekdays and words like "of" or "round" are passed over.
            if (const int month = monthOf(word)) tokens.push_back(Token{Token::Month, month});
        } else {
            if (!tokens.empty() && !std::isspace(c) && tokens.back().after == ' ') tokens.back().after = char(c);
            ++i;
        }
    }
    return tokens;
}

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysIn(int y, int m) {
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : kDays[std::size_t(m - 1)];
}

int fullYear(const Token& t) {
    if (t.digits == 4) return t.value;
    if (t.digits == 2) return 2000 + t.value;  // "14/03/26": club racing began after 1999 for our files
    return 0;
}

std::optional<std::string> dateText(int y, int m, int d) {
    if (y < 1900 || y > 2999 || m < 1 || m > 12 || d < 1 || d > daysIn(y, m)) return std::nullopt;
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
    return std::string(text);
}

// Day and month from two numbers in the written order: a number over 12 can
// only be the day; else the user's order decides.
std::optional<std::string> numericDate(int y, int first, int second, DateOrder order) {
    const bool dayFirst = first > 12 ? true : second > 12 ? false : order == DateOrder::DayFirst;
    return dayFirst ? dateText(y, second, first) : dateText(y, first, second);
}

bool isNumber(const Token& t, int maxDigits) { return t.kind == Token::Number && t.digits <= maxDigits; }

bool joins(char separator) { return separator == '/' || separator == '.' || separator == '-'; }

// A whole date (with its year) starting at token i.
std::optional<std::string> fullDateAt(const std::vector<Token>& t, std::size_t i, DateOrder order) {
    if (t.size() - i < 3) return std::nullopt;
    const Token &a = t[i], &b = t[i + 1], &c = t[i + 2];
    if (a.kind == Token::Number && a.digits == 4) {  // 2026-03-14, 2026 March 14
        if (isNumber(b, 2) && isNumber(c, 2)) return dateText(a.value, b.value, c.value);
        if (b.kind == Token::Month && isNumber(c, 2)) return dateText(a.value, b.value, c.value);
        return std::nullopt;
    }
    const bool yearLast = c.kind == Token::Number && (c.digits == 4 || c.digits == 2);
    // Two-digit years only where the separators join the three: "14/03/26".
    if (!yearLast || !(c.digits == 4 || (joins(a.after) && a.after == b.after))) return std::nullopt;
    if (isNumber(a, 2) && isNumber(b, 2)) return numericDate(fullYear(c), a.value, b.value, order);
    if (isNumber(a, 2) && b.kind == Token::Month) return dateText(fullYear(c), b.value, a.value);
    if (a.kind == Token::Month && isNumber(b, 2)) return dateText(fullYear(c), a.value, b.value);
    return std::nullopt;
}

// A day and month without a year ("14 February", "14.2.") starting at token i.
std::optional<std::string> dayAndMonthAt(const std::vector<Token>& t, std::size_t i, DateOrder order, int year) {
    if (t.size() - i < 2) return std::nullopt;
    const Token &a = t[i], &b = t[i + 1];
    if (isNumber(a, 2) && b.kind == Token::Month) return dateText(year, b.value, a.value);
    if (a.kind == Token::Month && isNumber(b, 2)) return dateText(year, a.value, b.value);
    if (isNumber(a, 2) && isNumber(b, 2) && joins(a.after)) return numericDate(year, a.value, b.value, order);
    return std::nullopt;
}

}  // namespace

DateOrder userDateOrder() { return platform::process::dayBeforeMonth() ? DateOrder::DayFirst : DateOrder::MonthFirst; }

std::optional<std::string> readEventDate(std::string_view text, DateOrder order, int yearIfMissing) {
    const std::vector<Token> tokens = tokensOf(text);
    for (std::size_t i = 0; i < tokens.size(); ++i)
        if (auto date = fullDateAt(tokens, i, order)) return date;
    if (yearIfMissing)
        for (std::size_t i = 0; i < tokens.size(); ++i)
            if (auto date = dayAndMonthAt(tokens, i, order, yearIfMissing)) return date;
    return std::nullopt;
}

std::string eventDateOf(const Setup& values, std::string_view created, DateOrder order) {
    int builtYear = 0;
    for (std::size_t i = 0; i < 4 && i < created.size() && std::isdigit(static_cast<unsigned char>(created[i])); ++i)
        builtYear = builtYear * 10 + (created[i] - '0');
    if (auto date = readEventDate(values[std::size_t(SetupField::EventDate)], order, builtYear)) return *date;
    return std::string(created.substr(0, 10));
}

}  // namespace vantrel::library
