#pragma once
// The control of the main window behind each setup field (SetupControls.def),
// and the option button groups behind the option fields (OptionGroups.h).

#include <array>
#include <iterator>
#include <string_view>

#include "CAppSettings.h"
#include "OptionGroups.h"

namespace vantrel {

struct SetupControl {
    SetupField field;
    std::string_view control;  // text box, combo box or option button group
    std::string_view tab;      // the tab's caption: "Front"
    std::string_view frame;    // the frame's title, "" on the tab itself: "Shocks"
    std::string_view caption;  // the control's label without its colon: "Oil"
};

// In record order: SetupControls[i].field is SetupField(i).
inline constexpr std::array<SetupControl, SetupFieldCount> SetupControls = {{
#define VANTREL_SETUP_CONTROL(field, control, tab, frame, caption) {SetupField::field, control, tab, frame, caption},
#include "SetupControls.def"
#undef VANTREL_SETUP_CONTROL
}};

// The frames of the main window, tab by tab, in the order a racer meets
// them there ("" the controls on the tab itself).
struct WindowFrame {
    std::string_view tab;
    std::string_view frame;
};
// clang-format off
inline constexpr WindowFrame WindowFrames[] = {
    {"Event Details", "Race Meeting"}, {"Event Details", "Track Conditions"}, {"Event Details", "Results"},
    {"Front", ""}, {"Front", "Shocks"}, {"Front", "Shock Tower, Arms, Geometry"}, {"Front", "Ackerman"},
    {"Front", "Kick-up"},
    {"Rear", ""}, {"Rear", "Shocks"}, {"Rear", "Shock Tower, Arms, Geometry"}, {"Rear", "Kick-up"},
    {"Tyres", "Tyres"}, {"Tyres", ""},
    {"Other", "Motor"}, {"Other", "Electronics"}, {"Other", ""},
};
// clang-format on

// Where a control's frame stands in WindowFrames, -1 when it is not there.
constexpr int windowFrameIndex(const SetupControl& c) {
    for (std::size_t i = 0; i < std::size(WindowFrames); ++i)
        if (WindowFrames[i].tab == c.tab && WindowFrames[i].frame == c.frame) return int(i);
    return -1;
}

// The row of the control table for a text or combo box's name; nullptr for
// an option group's name and any other name.
constexpr const SetupControl* setupControlNamed(std::string_view control) {
    for (const SetupControl& c : SetupControls)
        if (c.control == control && !control.starts_with("Option")) return &c;
    return nullptr;
}

// True when the field is read from an option button group.
constexpr bool isOptionControl(std::string_view control) { return control.starts_with("Option"); }

namespace detail {
constexpr bool controlsInRecordOrder() {
    for (std::size_t i = 0; i < SetupFieldCount; ++i)
        if (SetupControls[i].field != SetupField(i) || SetupControls[i].control.empty() ||
            SetupControls[i].caption.empty() || windowFrameIndex(SetupControls[i]) < 0)
            return false;
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

static_assert(
    detail::controlsInRecordOrder(),
    "SetupControls.def lists the setup fields in record order, each with a caption in a frame of WindowFrames");
static_assert(detail::optionFieldsAgree(), "an option field's group is the group OptionGroups.h fills it from");

}  // namespace vantrel
