#pragma once
// What changed on the car from one setup to the next, field by field, and
// how a racer reads it: the track history, a meeting's runs and the window
// all say a change in these words.

#include <string>
#include <vector>

#include "CAppSettings.h"

namespace vantrel::library {

struct SetupChange {
    SetupField field;
    std::string before, after;
    bool operator==(const SetupChange&) const = default;
};

// The fields a racer changes on the car (not the meeting, results and notes) that differ, in record order;
// a field empty on either side is not known then, and no change.
std::vector<SetupChange> changesBetween(const Setup& before, const Setup& after);
// "Thicker Front Shocks Oil, 35 → 40" where the change has a way
// (ChangeWords.h), "Front Tyres Front Compound Blue → Pink" where it has
// none; an empty value reads "(none)".
std::string changeText(const SetupChange& change);
// The words a racer knows a field by, out of the window's tab and frame: "Front Tyre Compound".
std::string fieldCaption(SetupField field);

}  // namespace vantrel::library
