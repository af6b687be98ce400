#pragma once
// The chassis pictures (vector art, SVG) and, for each, the one table of its
// hole positions. The main window puts its option buttons on these holes and
// the sheet template puts its mark fields on the same holes: one source for
// both, so window and sheet always agree.

#include <span>
#include <string>
#include <string_view>

namespace vantrel::art {

struct Hole {
    std::string_view group;  // option button array of the main window, e.g. "OptionFrontShockTower"
    int index;               // index of the button in that array
    double x;                // centre of the hole in the picture's SVG user units (viewBox),
    double y;                // origin top left, y downwards
};

struct Picture {
    std::string_view name;      // e.g. "FrontShockTower"
    std::string_view resource;  // Qt resource path of the SVG, e.g. ":/art/FrontShockTower.svg"
    double width;               // viewBox size in SVG user units
    double height;
    std::span<const Hole> holes;
};

std::span<const Picture> pictures();
const Picture* picture(std::string_view name);  // nullptr when unknown

// Every hole is drawn with this radius, in SVG user units.
inline constexpr double kHoleRadius = 6.0;

// The sheet field that marks the hole with "l" (e.g. "FrontShockCamber3" for
// OptionFrontShockTowerCamber 3, "FrontArmShort2" for OptionFrontShockArm 5);
// empty for the kick-up and anti-squat positions, which the sheet writes as a
// number, and for a group or index that is not on any picture.
std::string markField(const Hole& hole);

}  // namespace vantrel::art
