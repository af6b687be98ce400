#pragma once
// How the user writes dates, as the locale of dates says (Process.h).

namespace platform::process {

// Whether the day comes before the month in the user's short date format.
bool localeDayBeforeMonth();

}  // namespace platform::process
