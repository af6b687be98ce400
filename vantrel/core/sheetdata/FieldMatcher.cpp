#include "FieldMatcher.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <set>
#include <tuple>
#include <utility>

#include "SetupControls.h"
#include "SheetSources.h"

namespace vantrel::matcher {

namespace {

using Words = std::set<std::string>;

// Spellings and synonyms a racer may use, each to the word the window or
// the sheet uses.
const std::map<std::string, std::string, std::less<>>& synonyms() {
    static const std::map<std::string, std::string, std::less<>> table = {
        {"tire", "tyre"},          {"tires", "tyre"},         {"caster", "castor"},      {"temp", "temperature"},
        {"temps", "temperature"},  {"pos", "position"},       {"posn", "position"},      {"place", "position"},
        {"qual", "qualify"},       {"quali", "qualify"},      {"qualifier", "qualify"},  {"qualification", "qualify"},
        {"rim", "wheel"},          {"swaybar", "arb"},        {"antirollbar", "arb"},    {"stabiliser", "arb"},
        {"stabilizer", "arb"},     {"ackermann", "ackerman"}, {"receiver", "radio"},     {"transmitter", "radio"},
        {"controller", "control"}, {"diff", "drive"},         {"differential", "drive"}, {"foam", "insert"},
        {"ballast", "lead"},       {"racer", "driver"},       {"venue", "track"},        {"remark", "comment"},
    };
    return table;
}

// Runs of words that are one thing to a racer.
struct Phrase {
    std::vector<std::string_view> words;
    std::string_view one;
};
const Phrase kPhrases[] = {
    {{"anti", "roll", "bar"}, "arb"}, {{"antiroll", "bar"}, "arb"}, {{"sway", "bar"}, "arb"},
    {{"roll", "bar"}, "arb"},         {{"kick", "up"}, "kickup"},   {{"anti", "squat"}, "antisquat"},
    {{"wheel", "base"}, "wheelbase"}, {{"shock", "oil"}, "oil"},    {{"speed", "control"}, "esc"},
    {{"bell", "crank"}, "bellcrank"},
};

// Words that say nothing of which value a field shows.
bool isNoise(std::string_view word) {
    static const std::set<std::string, std::less<>> noise = {"fld", "txt",   "the",   "of",    "a",    "s",
                                                             "and", "setup", "sheet", "field", "gear", "wt",
                                                             "mm",  "deg",   "lbs",   "lb",    "value"};
    return noise.count(word) != 0;
}

std::string stem(std::string word) {
    if (word.size() > 4 && word.ends_with("ies")) return word.substr(0, word.size() - 3) + "y";
    if (word.size() >= 7 && word.ends_with("ing")) return word.substr(0, word.size() - 3);
    if (word.size() > 3 && word.back() == 's' && !word.ends_with("ss")) word.pop_back();
    return word;
}

std::string canonical(std::string word) {
    const auto& table = synonyms();
    if (auto it = table.find(word); it != table.end()) return it->second;
    word = stem(std::move(word));
    if (auto it = table.find(word); it != table.end()) return it->second;
    return word;
}

// Blanks, punctuation, case changes and digits split a name; "[0]" indices go.
std::vector<std::string> rawWords(std::string_view name) {
    std::vector<std::string> out;
    std::string word;
    auto flush = [&] {
        if (!word.empty()) out.push_back(std::exchange(word, {}));
    };
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = name[i];
        if (c == '[') {
            const std::size_t close = name.find(']', i);
            if (close != std::string_view::npos) {
                flush();
                i = close;
                continue;
            }
        }
        if (c >= 0x80) {  // letters of other scripts stay, as they are
            word += char(c);
            continue;
        }
        if (!std::isalnum(c)) {
            flush();
            continue;
        }
        if (!word.empty()) {
            const unsigned char prev = word.back();
            const bool lowerToUpper = std::islower(prev) && std::isupper(c);
            const bool acronymEnd = std::isupper(prev) && std::isupper(c) && i + 1 < name.size() &&
                                    std::islower(static_cast<unsigned char>(name[i + 1]));
            const bool digitEdge = bool(std::isdigit(prev)) != bool(std::isdigit(c));
            if (lowerToUpper || acronymEnd || digitEdge) flush();
        }
        word += char(std::tolower(c));
    }
    flush();
    return out;
}

std::string joined(std::string_view name) {
    std::string out;
    for (const std::string& w : rawWords(name)) out += w;
    if (out.starts_with("fld") && out.size() > 3) out.erase(0, 3);
    return out;
}

Words wordSet(std::string_view name) {
    const std::vector<std::string> words = wordsOf(name);
    return Words(words.begin(), words.end());
}

// One way of naming a sheet field: its own words, and the words around it
// (tab and frame) that a form's name may add without being wrong.
struct Naming {
    Words own;
    Words around;
};

struct Candidate {
    std::vector<Naming> namings;
    bool mark = false;
};

std::vector<Candidate> candidates() {
    std::vector<Candidate> out(SheetFieldCount);
    for (std::size_t k = 0; k < SheetFieldCount; ++k) {
        const SheetSource& source = sheetSources()[k];
        const SetupControl& control = SetupControls[std::size_t(source.field)];
        const Words around = wordSet(std::string(control.tab) + " " + std::string(control.frame));
        out[k].mark = source.mark;
        out[k].namings.push_back({wordSet(SheetFieldNames[k]), around});
        out[k].namings.push_back({wordSet(std::string(control.caption) + " " + source.choice), around});
    }
    return out;
}

// How well a naming explains a form field's words, lower is better; none
// when a word of the form field is left unexplained or only the words
// around explain it.
using Score = std::tuple<int, int>;  // own words the form does not name, words taken from around
constexpr Score kNoScore{1 << 20, 1 << 20};
std::optional<Score> score(const Words& form, const Naming& naming) {
    int fromOwn = 0, fromAround = 0;
    for (const std::string& w : form) {
        if (naming.own.count(w)) ++fromOwn;
        else if (naming.around.count(w)) ++fromAround;
        else return std::nullopt;
    }
    if (fromOwn == 0) return std::nullopt;
    return Score{int(naming.own.size()) - fromOwn, fromAround};
}

}  // namespace

std::vector<std::string> wordsOf(std::string_view name) {
    std::vector<std::string> words;
    for (std::string& w : rawWords(name)) words.push_back(canonical(std::move(w)));
    std::vector<std::string> out;
    for (std::size_t i = 0; i < words.size();) {
        bool joinedPhrase = false;
        for (const Phrase& phrase : kPhrases) {
            const std::size_t n = phrase.words.size();
            if (i + n > words.size() || !std::equal(phrase.words.begin(), phrase.words.end(), words.begin() + i))
                continue;
            out.emplace_back(phrase.one);
            i += n;
            joinedPhrase = true;
            break;
        }
        if (joinedPhrase) continue;
        if (!isNoise(words[i])) out.push_back(words[i]);
        ++i;
    }
    return out;
}

std::array<int, SheetFieldCount> suggest(const std::vector<FormField>& formFields) {
    std::array<int, SheetFieldCount> chosen;
    chosen.fill(-1);
    std::vector<bool> taken(formFields.size(), false);
    const std::vector<Candidate> sheet = candidates();
    auto fits = [&](std::size_t k, std::size_t f) { return !sheet[k].mark || formFields[f].text; };

    // Names as the sheet names them, whole or after the last "." of a form's hierarchy.
    for (std::size_t pass = 0; pass < 2; ++pass)
        for (std::size_t k = 0; k < SheetFieldCount; ++k) {
            if (chosen[k] >= 0) continue;
            const std::string wanted = joined(SheetFieldNames[k]);
            for (std::size_t f = 0; f < formFields.size(); ++f) {
                if (taken[f] || !fits(k, f)) continue;
                std::string_view name = formFields[f].name;
                if (pass == 1 && name.rfind('.') != std::string_view::npos) name.remove_prefix(name.rfind('.') + 1);
                if (joined(name) != wanted) continue;
                chosen[k] = int(f);
                taken[f] = true;
                break;
            }
        }

    // Every other form field: the sheet field that explains its words best,
    // when one does so better than all others.
    struct Best {
        Score score;
        int form = -1;
        bool tied = false;
    };
    std::map<std::size_t, Best> bestFor;  // by sheet field
    for (std::size_t f = 0; f < formFields.size(); ++f) {
        if (taken[f]) continue;
        const Words form = wordSet(formFields[f].name);
        if (form.empty()) continue;
        Score best = kNoScore, second = kNoScore;
        std::size_t bestSheet = 0;
        for (std::size_t k = 0; k < SheetFieldCount; ++k) {
            if (chosen[k] >= 0 || !fits(k, f)) continue;
            Score s = kNoScore;
            for (const Naming& naming : sheet[k].namings)
                if (const auto t = score(form, naming); t && *t < s) s = *t;
            if (s < best) {
                second = best;
                best = s;
                bestSheet = k;
            } else if (s < second) {
                second = s;
            }
        }
        if (best == kNoScore || second == best) continue;
        Best& b = bestFor[bestSheet];
        if (b.form < 0 || best < b.score) b = {best, int(f), false};
        else if (best == b.score) b.tied = true;
    }
    for (const auto& [k, b] : bestFor)
        if (!b.tied) chosen[k] = b.form;
    return chosen;
}

}  // namespace vantrel::matcher
