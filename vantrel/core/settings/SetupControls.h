#pragma once
// The control of the main window behind each setup field (SetupControls.def),
// and the option button groups behind the option fields (OptionGroups.h).

#include <array>
#include <string_view>

#include "CAppSettings.h"
#include "OptionGroups.h"

namespace vantrel {

struct SetupControl {
    SetupField field;
    std::string_view control;  // text box, combo box or option button group
};

// In record order: SetupControls[i].field is SetupField(i).
inline constexpr std::array<SetupControl, SetupFieldCount> SetupControls = {{
#define VANTREL_SETUP_CONTROL(field, control) {SetupField::field, control},
#include "SetupControls.def"
#undef VANTREL_SETUP_CONTROL
}};

// True when the field is read from an option button group.
constexpr bool isOptionControl(std::string_view control) { return control.starts_with("Option"); }

namespace detail {
constexpr bool controlsInRecordOrder() {
    for (std::size_t i = 0; i < SetupFieldCount; ++i)
        if (SetupControls[i].field != SetupField(i) || SetupControls[i].control.empty()) return false;
    return true;
}
// A field names an option group exactly when the option table fills it from
// that group.
constexpr bool optionFieldsAgree() {
    for (const SetupControl& row : SetupControls) {
        int runs = 0;
        for (const OptionRun& run : OptionRuns)
            if (run.field == row.field || (run.lengthField && *run.lengthField == row.field))
                runs += run.group == row.control ? 1 : 1000;
        if (isOptionControl(row.control) ? runs == 0 || runs >= 1000 : runs != 0) return false;
    }
    return true;
}
}  // namespace detail

static_assert(detail::controlsInRecordOrder(), "SetupControls.def lists the setup fields in record order");
static_assert(detail::optionFieldsAgree(), "an option field's group is the group OptionGroups.h fills it from");

}  // namespace vantrel
