// What the library derives from a setup and its settings without SQLite: the
// hash of a setup's values and its timestamps.

#include <cstdio>
#include <ctime>

#include "library/SetupLibrary.h"
#include "platform/CalendarTime.h"
#include "platform/Process.h"

namespace vantrel::library {

std::string valueHash(const Setup& values) {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    auto add = [&](std::string_view bytes) {
        for (const char c : bytes) {
            h ^= static_cast<unsigned char>(c);
            h *= 0x100000001b3ULL;
        }
    };
    for (const std::string& v : values) {
        add(std::to_string(v.size()));
        add(":");
        add(v);
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return hex;
}

std::string localTimestamp(std::time_t when) {
    const platform::process::ZonedTime zoned = platform::process::localTimeAt(std::int64_t(when));
    const platform::process::LocalDateTime& local = zoned.local;
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", local.year, local.month, local.day, local.hour,
                  local.minute, local.second);
    const long offset = zoned.utcOffsetSeconds;
    const long magnitude = offset < 0 ? -offset : offset;
    char zone[24];
    std::snprintf(zone, sizeof zone, "%c%02ld:%02ld", offset < 0 ? '-' : '+', magnitude / 3600, magnitude / 60 % 60);
    return std::string(text) + zone;
}

std::string localTimestampNow() {
    return localTimestamp(std::time_t(platform::process::momentOfLocal(platform::process::now())));
}

std::optional<std::int64_t> parseTimestamp(std::string_view timestamp) {
    // YYYY-MM-DDTHH:MM:SS followed by +HH:MM, -HH:MM or Z.
    auto digits = [&](std::size_t at, std::size_t count) -> int {
        int value = 0;
        for (std::size_t i = at; i < at + count; ++i) {
            if (i >= timestamp.size() || timestamp[i] < '0' || timestamp[i] > '9') return -1;
            value = value * 10 + (timestamp[i] - '0');
        }
        return value;
    };
    auto at = [&](std::size_t i, char c) { return i < timestamp.size() && timestamp[i] == c; };
    if (!(at(4, '-') && at(7, '-') && at(10, 'T') && at(13, ':') && at(16, ':'))) return std::nullopt;
    const int year = digits(0, 4), month = digits(5, 2), day = digits(8, 2);
    const int hour = digits(11, 2), minute = digits(14, 2), second = digits(17, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 60)
        return std::nullopt;
    long offset = 0;
    if (timestamp.size() == 20 && at(19, 'Z')) {
        offset = 0;
    } else if (timestamp.size() == 25 && (at(19, '+') || at(19, '-')) && at(22, ':')) {
        const int oh = digits(20, 2), om = digits(23, 2);
        if (oh < 0 || oh > 23 || om < 0 || om > 59) return std::nullopt;
        offset = (oh * 3600L + om * 60L) * (at(19, '-') ? -1 : 1);
    } else {
        return std::nullopt;
    }
    return platform::process::momentOfUtc({year, month, day, hour, minute, second}) - offset;
}

}  // namespace vantrel::library
