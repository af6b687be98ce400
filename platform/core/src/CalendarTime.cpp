#include "platform/CalendarTime.h"

#include "Machine.h"

namespace platform::process {

namespace {

std::tm civil(const LocalDateTime& dt) {
    std::tm t{};
    t.tm_year = dt.year - 1900;
    t.tm_mon = dt.month - 1;
    t.tm_mday = dt.day;
    t.tm_hour = dt.hour;
    t.tm_min = dt.minute;
    t.tm_sec = dt.second;
    t.tm_isdst = -1;
    return t;
}

}  // namespace

ZonedTime localTimeAt(std::int64_t unixSeconds) {
    const std::tm local = localCalendar(unixSeconds);
    ZonedTime zoned;
    zoned.local = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
    // The local civil time read as UTC is ahead of the moment by the offset.
    std::tm asUtc = local;
    zoned.utcOffsetSeconds = long(utcMoment(asUtc) - unixSeconds);
    return zoned;
}

std::int64_t momentOfLocal(const LocalDateTime& local) {
    std::tm t = civil(local);
    return localMoment(t);
}

std::int64_t momentOfUtc(const LocalDateTime& utc) {
    std::tm t = civil(utc);
    t.tm_isdst = 0;
    return utcMoment(t);
}

}  // namespace platform::process
