#include "library/Meeting.h"

#include "library/TrackHistory.h"

namespace vantrel::library {

Meeting meetingOf(const Setup& values, std::string_view created, DateOrder order) {
    auto key = [&](SetupField f) { return matchKey(values[std::size_t(f)]); };
    return {key(SetupField::TrackCity), key(SetupField::DriverName), key(SetupField::EventName),
            eventDateOf(values, created, order)};
}

}  // namespace vantrel::library
