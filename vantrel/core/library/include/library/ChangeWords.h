#pragma once
// A change of a setup field in the words a racer uses at the pit table:
// "Less Front Camber" for −2.0 → −1.5, "Thicker Front Shocks Oil" for 30 → 35.
// A field whose numbers have no sound direction on the car (a hole, a
// piston, a motor) and a change of words get no word, only their values.

#include <string>

#include "library/SetupChange.h"

namespace vantrel::library {

struct ChangeWay {
    int sign = 0;      // +1 more of what the field is ("thicker"), -1 less, 0 no direction
    std::string word;  // "Thicker", "Thinner"; empty when sign is 0
};

// Which way the change went: both values numbers with the same unit after
// them, the field one with a direction, and (for an amount such as camber or
// toe) both on the same side of zero.
ChangeWay changeWay(const SetupChange& change);

// "30 → 35"; an empty value reads "(none)".
std::string changeValues(const SetupChange& change);

}  // namespace vantrel::library
