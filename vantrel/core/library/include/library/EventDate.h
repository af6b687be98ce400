#pragma once
// The date of a race meeting as racers write it in the event's date field,
// read as a date that sorts: "2026-03-14", "14/03/2026", "14.3.2026",
// "14 March 2026", "Mar 14 2026", "Sat 14th March", "3/14/26". The history
// of a track and "last here" go by it.

#include <optional>
#include <string>
#include <string_view>

#include "library/SetupLibrary.h"

namespace vantrel::library {

enum class DateOrder { DayFirst, MonthFirst };

// The order of the user's short date format (platform::process::dayBeforeMonth).
DateOrder userDateOrder();

// "YYYY-MM-DD" of the first date in text, or nothing. Numbers alone in the
// order of the user's format where both could be the day ("4/3/2026"),
// else as they can only be ("14/3/2026", "3/14/2026"); a year first is
// always year, month, day. A date without a year takes yearIfMissing (none: no date).
std::optional<std::string> readEventDate(std::string_view text, DateOrder order, int yearIfMissing = 0);

// A setup's event date: its EventDate field read as above (the year of the
// build where the field names none), else the day the sheet was built.
std::string eventDateOf(const Setup& values, std::string_view created, DateOrder order);

}  // namespace vantrel::library
