#pragma once
// Moments (seconds since 1970-01-01 UTC) and the civil times that name them,
// in the machine's time zone or in UTC, as the system's zone rules say.

#include <cstdint>

#include "platform/Process.h"

namespace platform::process {

// The local civil time of a moment, and the zone's offset from UTC then
// (east positive: +3600 in Central Europe in winter).
struct ZonedTime {
    LocalDateTime local;
    long utcOffsetSeconds = 0;
};
ZonedTime localTimeAt(std::int64_t unixSeconds);

// The moment a local civil time names; summer time as the zone's rules
// decide for that day.
std::int64_t momentOfLocal(const LocalDateTime& local);

// The moment a civil time in UTC names.
std::int64_t momentOfUtc(const LocalDateTime& utc);

}  // namespace platform::process
