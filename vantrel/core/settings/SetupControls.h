#pragma once
// The control of the main window behind each setup field (SetupControls.def),
// and the option button groups behind the option fields (OptionGroups.h).

#include <algorithm>
#include <array>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

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

// How the window shows a field (WindowControls.def).
enum class ControlKind { Text, DropDown, Notes, Options };
struct WindowControl {
    SetupField field;
    ControlKind kind;
    std::string_view named;    // the field named alone: "Front Tyre Compound"
    std::string_view unit;     // after a text box: "WT"
    std::string_view choices;  // a drop-down's, "|" between them: "Short|Middle|Long"
    std::string_view start;    // the choice a drop-down starts at
};

// In record order: WindowControls[i].field is SetupField(i).
inline constexpr std::array<WindowControl, SetupFieldCount> WindowControls = {{
#define VANTREL_WINDOW_CONTROL(field, kind, named, unit, choices, start) \
    {SetupField::field, ControlKind::kind, named, unit, choices, start},
#include "WindowControls.def"
#undef VANTREL_WINDOW_CONTROL
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

// The caption of a control: its field's, or for a control that fills several
// fields the words at the start of each of theirs ("Toe-in" and "Toe-out":
// "Toe"; "Arm Shock" and "Arm Length": "Arm").
inline std::string controlCaption(std::string_view control) {
    auto words = [](std::string_view caption) {
        std::vector<std::string_view> out;
        for (std::size_t at = 0; at <= caption.size();) {
            const std::size_t end = std::min(caption.find_first_of(" -", at), caption.size());
            out.push_back(caption.substr(at, end - at));
            at = end + 1;
        }
        return out;
    };
    std::vector<std::string_view> shared;
    std::string_view first;
    bool any = false;
    for (const SetupControl& c : SetupControls) {
        if (c.control != control) continue;
        const auto w = words(c.caption);
        if (!any) {
            first = c.caption;
            shared = w;
            any = true;
            continue;
        }
        std::size_t n = 0;
        while (n < shared.size() && n < w.size() && shared[n] == w[n]) ++n;
        shared.resize(n);
    }
    if (shared.empty() || shared.size() == words(first).size()) return std::string(first);
    std::string out;
    for (std::string_view word : shared) out += (out.empty() ? "" : " ") + std::string(word);
    return out;
}

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

namespace detail {
constexpr bool isChoice(std::string_view choices, std::string_view start) {
    for (std::size_t at = 0; at <= choices.size();) {
        const std::size_t end = std::min(choices.find('|', at), choices.size());
        if (choices.substr(at, end - at) == start) return true;
        at = end + 1;
    }
    return false;
}
// A name reads each of its words once ("Tyres Tyres Front Compound" does not).
constexpr bool wordsOnce(std::string_view name) {
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t end = std::min(name.find(' ', at), name.size());
        const std::string_view word = name.substr(at, end - at);
        for (std::size_t next = end + 1; next < name.size();) {
            const std::size_t stop = std::min(name.find(' ', next), name.size());
            if (name.substr(next, stop - next) == word) return false;
            next = stop + 1;
        }
        at = end + 1;
    }
    return true;
}
constexpr bool windowControlsSound() {
    for (std::size_t i = 0; i < SetupFieldCount; ++i) {
        const WindowControl& w = WindowControls[i];
        if (w.field != SetupField(i) || w.named.empty() || !wordsOnce(w.named)) return false;
        for (std::size_t j = 0; j < i; ++j)
            if (WindowControls[j].named == w.named) return false;
        if ((w.kind == ControlKind::Options) != isOptionControl(SetupControls[i].control)) return false;
        if ((w.kind == ControlKind::DropDown) != !w.choices.empty()) return false;
        if (w.kind == ControlKind::DropDown && !isChoice(w.choices, w.start)) return false;
        if (w.kind != ControlKind::DropDown && !w.start.empty()) return false;
        if (w.kind != ControlKind::Text && !w.unit.empty()) return false;
    }
    return true;
}
}  // namespace detail

static_assert(detail::windowControlsSound(),
              "WindowControls.def lists the setup fields in record order, each named once with its words once, an "
              "option group's kind where SetupControls.def names a group, and a drop-down starting at a choice");

}  // namespace vantrel
