#pragma once
// A race meeting: a driver's event at a track on a date. Two setups or runs
// are of one meeting when these match as the track history matches them
// (regardless of case, accents and blanks around).

#include <compare>
#include <string>
#include <string_view>

#include "library/EventDate.h"
#include "library/SetupLibrary.h"

namespace vantrel::library {

struct Meeting {
    std::string track, driver, event;  // matchKey of TrackCity, DriverName, EventName
    std::string date;                  // "YYYY-MM-DD"
    auto operator<=>(const Meeting&) const = default;
};

// The meeting a setup names: its event date read as eventDateOf reads it.
Meeting meetingOf(const Setup& values, std::string_view created, DateOrder order);

}  // namespace vantrel::library
