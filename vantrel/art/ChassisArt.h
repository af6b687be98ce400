#pragma once
// The chassis pictures (vector art, SVG) and, for each, the one table of its
// hole positions. The main window puts its option buttons on these holes and
// the sheet template puts its mark fields on the same holes: one source for
// both, so window and sheet always agree.

#include <span>
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

}  // namespace vantrel::art
