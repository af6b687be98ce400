#include "runs/DriverName.h"

#include <algorithm>
#include <numeric>

#include "library/SearchFold.h"

namespace vantrel::runs {

namespace {

bool separates(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == '.' || c == '-' || c == '_' || c == '\r' || c == '\n';
}

// One word against another: equal, or one an initial of the other.
enum class WordMatch { No, Initial, Whole };

WordMatch matchWord(const std::string& a, const std::string& b) {
    if (a == b) return a.size() == 1 ? WordMatch::Initial : WordMatch::Whole;
    if (a.size() == 1 && b.front() == a.front()) return WordMatch::Initial;
    if (b.size() == 1 && a.front() == b.front()) return WordMatch::Initial;
    return WordMatch::No;
}

bool matchesInOrder(const std::vector<std::string>& a, const std::vector<std::string>& b,
                    const std::vector<std::size_t>& order) {
    bool whole = false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const WordMatch m = matchWord(a[i], b[order[i]]);
        if (m == WordMatch::No) return false;
        whole = whole || m == WordMatch::Whole;
    }
    return whole;
}

}  // namespace

std::vector<std::string> driverNameWords(std::string_view name) {
    const std::string folded = library::foldForSearch(name);
    std::vector<std::string> words;
    std::string word;
    for (const char c : folded) {
        if (separates(c)) {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

bool sameDriver(std::string_view a, std::string_view b) {
    const std::vector<std::string> x = driverNameWords(a), y = driverNameWords(b);
    if (x.empty() || x.size() != y.size()) return false;
    std::vector<std::size_t> order(x.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    // Long names are matched as written or reversed only: a bound on the work.
    if (x.size() > 5) {
        if (matchesInOrder(x, y, order)) return true;
        std::reverse(order.begin(), order.end());
        return matchesInOrder(x, y, order);
    }
    do {
        if (matchesInOrder(x, y, order)) return true;
    } while (std::next_permutation(order.begin(), order.end()));
    return false;
}

}  // namespace vantrel::runs
