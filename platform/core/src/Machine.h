#pragma once
// What the machine answers of the process (Process.h), one half for each
// system: where the program is, the local time, how the user writes dates.

#include <cstdint>
#include <ctime>
#include <string>

#include "platform/Process.h"

namespace platform::process {

// The folder of the running executable, native, without a trailing separator.
std::string executableFolder();
// The local time of the machine's clock.
LocalDateTime systemNow();
// Whether the day comes before the month in the user's short date format.
bool localeDayBeforeMonth();

// The C library's calendar, which each system names its own way: the local
// civil time of a moment, and the moment of a local or a UTC civil time
// (mktime and timegm, which normalise the fields they are given).
std::tm localCalendar(std::int64_t unixSeconds);
std::int64_t localMoment(std::tm& local);
std::int64_t utcMoment(std::tm& utc);

}  // namespace platform::process
