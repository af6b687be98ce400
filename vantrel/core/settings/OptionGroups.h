#pragma once
// The option button groups of the main window and what their buttons stand
// for: the one table from which the capture reads a choice into the setup
// record, the load of a setup selects the button again, the chassis pictures
// check their holes and the rules engine finds the sheet fields it marks.

#include <iterator>
#include <optional>
#include <string_view>

#include "CAppSettings.h"

namespace vantrel {

// A run of consecutive buttons first..last of one group. Choosing button i
// stores in `field` the number firstValue + (i - first), or, when the run has
// a textBox, the text of that box. The run of an arm also stores `length`
// ("Long" or "Short") in lengthField. On the sheet, value v marks the field
// markPrefix + v, and an arm's length marks the field markPrefix itself; a run
// without markPrefix has its value written on the sheet as it stands.
// Inverse: value v (with its length, for an arm) is button first + (v - firstValue).
struct OptionRun {
    std::string_view group;
    int first;
    int last;
    SetupField field;
    int firstValue;
    std::string_view textBox = {};
    std::optional<SetupField> lengthField = {};
    std::string_view length = {};
    std::string_view markPrefix = {};

    constexpr int count() const { return last - first + 1; }
    constexpr bool holds(int index) const { return index >= first && index <= last; }
    constexpr int value(int index) const { return firstValue + (index - first); }
};

// In the order of the setup fields they fill; the runs of one group follow
// each other in button order.
// clang-format off
inline constexpr OptionRun OptionRuns[] = {
    // group, first, last, field, firstValue, textBox, lengthField, length, markPrefix
    // Index 0 "Toe-in", 1 "Toe-out": the front toe text goes to the chosen one.
    {"OptionFrontToe",              0, 0, SetupField::FrontToeIn,            0, "txtFrontToe", {},                         {},      {}},
    {"OptionFrontToe",              1, 1, SetupField::FrontToeOut,           1, "txtFrontToe", {},                         {},      {}},
    {"OptionFrontKickupF",          0, 4, SetupField::FrontKickupF,          0, {},            {},                         {},      {}},
    {"OptionFrontKickupR",          0, 2, SetupField::FrontKickupR,          0, {},            {},                         {},      {}},
    {"OptionAckermanHub",           1, 2, SetupField::AckermanHub,           1, {},            {},                         {},      "AckermanHub"},
    {"OptionAckermanBellcrank",     1, 2, SetupField::AckermanBellcrank,     1, {},            {},                         {},      "AckermanBellcrank"},
    {"OptionFrontShockTower",       1, 4, SetupField::FrontShockTower,       1, {},            {},                         {},      "FrontShockTowerShock"},
    {"OptionFrontShockTowerCamber", 1, 8, SetupField::FrontShockTowerCamber, 1, {},            {},                         {},      "FrontShockCamber"},
    // Long arm holes 2-4 are indices 2-4, short arm holes 2-4 are indices 5-7.
    {"OptionFrontShockArm",         2, 4, SetupField::FrontArmShock,         2, {},            SetupField::FrontArmLength, "Long",  "FrontArmLong"},
    {"OptionFrontShockArm",         5, 7, SetupField::FrontArmShock,         2, {},            SetupField::FrontArmLength, "Short", "FrontArmShort"},
    {"OptionRearAntisquatF",        0, 4, SetupField::RearAntisquatF,        0, {},            {},                         {},      {}},
    {"OptionRearAntisquatR",        0, 4, SetupField::RearAntisquatR,        0, {},            {},                         {},      {}},
    {"OptionRearShockTower",        1, 4, SetupField::RearShockTower,        1, {},            {},                         {},      "RearShockTowerShock"},
    {"OptionRearShockTowerCamber",  1, 8, SetupField::RearShockTowerCamber,  1, {},            {},                         {},      "RearShockCamber"},
    {"OptionRearHubCamber",         1, 4, SetupField::RearHubCamber,         1, {},            {},                         {},      "RearHubCamber"},
    // Long arm holes 1-4 are indices 1-4, short arm holes 1-4 are indices 5-8.
    {"OptionRearShockArm",          1, 4, SetupField::RearArmShock,          1, {},            SetupField::RearArmLength,  "Long",  "RearArmLong"},
    {"OptionRearShockArm",          5, 8, SetupField::RearArmShock,          1, {},            SetupField::RearArmLength,  "Short", "RearArmShort"},
};
// clang-format on

// The run of `group` that holds button `index`; nullptr when there is none.
// The position in OptionRuns of the run holding button `index` of `group`, or -1.
// Compile-time checks use this rather than a null pointer, which GCC cannot
// compare at compile time once UndefinedBehaviorSanitizer instruments it.
constexpr int optionRunIndex(std::string_view group, int index) {
    for (std::size_t k = 0; k < std::size(OptionRuns); ++k)
        if (OptionRuns[k].group == group && OptionRuns[k].holds(index)) return int(k);
    return -1;
}
constexpr const OptionRun* optionRun(std::string_view group, int index) {
    const int k = optionRunIndex(group, index);
    return k < 0 ? nullptr : &OptionRuns[k];
}

// A member of a group counts as marked when it holds anything but blanks: a
// sheet filled by hand may carry "x" or "X" where the rules write "l".
inline bool marked(std::string_view value) { return value.find_first_not_of(" \t") != std::string_view::npos; }

namespace detail {
constexpr bool optionRunsSound() {
    for (std::size_t k = 0; k < std::size(OptionRuns); ++k) {
        const OptionRun& run = OptionRuns[k];
        if (run.group.empty() || run.first > run.last) return false;
        // Only an arm has a length, and then both a length field and a marker.
        if (run.lengthField.has_value() != !run.length.empty()) return false;
        if (!run.length.empty() && run.markPrefix.empty()) return false;
        // A button belongs to one run only.
        for (int i = run.first; i <= run.last; ++i)
            if (optionRunIndex(run.group, i) != int(k)) return false;
    }
    return true;
}
}  // namespace detail
static_assert(detail::optionRunsSound());

}  // namespace vantrel
