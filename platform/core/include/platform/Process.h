#pragma once
// Facts about the running process: where the program lives, what time it
// is and how its user writes dates. The functions answer for the machine the
// process runs on, unless a Host stands in for it (below).

#include <chrono>
#include <string>

namespace platform::process {

// The folder of the executable, native, without a trailing separator.
std::string programFolder();

struct LocalDateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
    double fraction = 0.0;  // of the current second, 0 <= fraction < 1
};

LocalDateTime now();
// Seconds since local midnight, with fractions.
double secondsSinceMidnight();
// The clock that waits are measured on (never set back).
std::chrono::steady_clock::time_point monotonicNow();

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

// The machine as the process sees it. A Host object stands in for the
// machine from its making to its end, and the functions above ask it: what
// it does not answer itself it leaves to the host it stands in for, in the
// end the machine. Hosts stand in and leave in nesting order, before the
// process's threads start asking. The code runs as if installed elsewhere,
// on a clock that stands still or runs fast, or in another country: tests do
// so (tests/support/StandInHost.h).
class Host {
public:
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    virtual std::string programFolder() const;
    virtual LocalDateTime now() const;
    virtual std::chrono::steady_clock::time_point monotonicNow() const;
    virtual bool dayBeforeMonth() const;

protected:
    Host();
    virtual ~Host();
    // Gives the machine back to the host before. A host whose answers need
    // its own members calls this first in its destructor, so that nothing
    // asks it while they go; the destructor here does it otherwise.
    void standDown();

private:
    const Host* m_before;
    bool m_standing = true;
};

}  // namespace platform::process
