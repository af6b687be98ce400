#pragma once
// Facts about the running process: where the program lives and what time it is.

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace platform::process {

// The folder of the executable, native, without a trailing separator.
std::string programFolder();
// Tests run the code as if installed elsewhere; empty restores the real one.
void setProgramFolderForTesting(std::string folder);

struct LocalDateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
    double fraction = 0.0;  // of the current second, 0 <= fraction < 1
};

LocalDateTime now();
// Seconds since local midnight, with fractions.
double secondsSinceMidnight();

// Tests fix the clock (midnight, noon, New Year); an empty function
// restores the system clock.
void setClockForTesting(std::function<LocalDateTime()> clock);

// The time of day t (seconds since midnight) as hh mm ss with an optional ":"
// between them and, when decimals > 0, "." and exactly that many digits of the
// fraction, rounded (decimals above 9 count as 9). A fraction that rounds up
// to a whole second is written "1." followed by zeros.
std::string formatTimeOfDay(double t, bool colonSeparator, int decimals);

// Whether the user's short date format puts the day before the month, as the
// locale of dates says (LC_ALL, else LC_TIME, else LANG): its date format
// when the locale is installed, else its territory (the few that write the
// month first); without a locale (C, POSIX) the day comes first.
bool dayBeforeMonth();
// Tests fix the order; nothing restores the locale's.
void setDayBeforeMonthForTesting(std::optional<bool> dayFirst);

}  // namespace platform::process
