#include "library/SetupChange.h"

#include "SetupControls.h"
#include "library/ChangeWords.h"

namespace vantrel::library {

std::vector<SetupChange> changesBetween(const Setup& before, const Setup& after) {
    std::vector<SetupChange> out;
    for (std::size_t i = 0; i < SetupFieldCount; ++i)
        // A field left empty on either side is not known, so it is no change.
        if (isCarField(SetupField(i)) && before[i] != after[i] && !before[i].empty() && !after[i].empty())
            out.push_back({SetupField(i), before[i], after[i]});
    return out;
}

std::string changeText(const SetupChange& change) {
    const ChangeWay way = changeWay(change);
    if (way.sign == 0) return fieldCaption(change.field) + " " + changeValues(change);
    return way.word + " " + fieldCaption(change.field) + ", " + changeValues(change);
}

std::string fieldCaption(SetupField field) { return std::string(WindowControls[std::size_t(field)].named); }

}  // namespace vantrel::library
