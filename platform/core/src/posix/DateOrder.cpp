#include <cstdlib>
#include <langinfo.h>
#include <locale.h>
#include <optional>
#include <string>
#include <string_view>

#include "Machine.h"

namespace platform::process {

namespace {

std::string dateLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"})
        if (const char* value = std::getenv(variable); value && *value) return value;
    return {};
}

// The order in a strftime date format: "%d.%m.%Y" day first, "%m/%d/%y" not.
std::optional<bool> orderOfFormat(std::string_view format) {
    std::size_t day = std::string_view::npos, month = std::string_view::npos;
    for (std::size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != '%') continue;
        std::size_t at = i + 1;
        while (at < format.size() && (format[at] == 'E' || format[at] == 'O' || format[at] == '-')) ++at;
        if (at >= format.size()) break;
        const char c = format[at];
        if (c == 'D') return false;  // %m/%d/%y
        if ((c == 'd' || c == 'e') && day == std::string_view::npos) day = i;
        if ((c == 'm' || c == 'b' || c == 'B') && month == std::string_view::npos) month = i;
        i = at;
    }
    if (day == std::string_view::npos || month == std::string_view::npos) return std::nullopt;
    return day < month;
}

// Territories whose short date puts the month first, for a locale named but
// not installed: "en_US.UTF-8" -> "US".
bool monthFirstTerritory(std::string_view name) {
    const std::size_t underscore = name.find('_');
    if (underscore == std::string_view::npos) return false;
    const std::string_view territory = name.substr(underscore + 1, 2);
    for (std::string_view t : {"US", "PH", "FM", "MH", "PW", "GU", "AS", "MP", "PR", "UM", "VI"})
        if (territory == t) return true;
    return false;
}

}  // namespace

bool localeDayBeforeMonth() {
    const std::string name = dateLocaleName();
    if (name.empty() || name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0) return true;
    if (locale_t locale = newlocale(LC_TIME_MASK, name.c_str(), locale_t(0))) {
        const std::optional<bool> order = orderOfFormat(nl_langinfo_l(D_FMT, locale));
        freelocale(locale);
        if (order) return *order;
    }
    return !monthFirstTerritory(name);
}

}  // namespace platform::process
