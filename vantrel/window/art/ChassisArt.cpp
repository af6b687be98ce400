#include "ChassisArt.h"

#include <QtCore/qglobal.h>

#include <array>

#include "OptionGroups.h"

// Resources of a static library are only linked in when someone asks for them.
static void initArtResources() { Q_INIT_RESOURCE(art); }

namespace vantrel::art {
namespace {

// clang-format off
// Hole centres in SVG user units; each matches the circle with the id
// "<group>-<index>" in the picture's SVG file.
constexpr Hole kFrontShockTower[] = {
    {"OptionFrontShockTower", 1, 292, 24},
    {"OptionFrontShockTower", 2, 266, 24},
    {"OptionFrontShockTower", 3, 240, 24},
    {"OptionFrontShockTower", 4, 214, 24},
    {"OptionFrontShockTowerCamber", 1, 40, 80},
    {"OptionFrontShockTowerCamber", 2, 70, 80},
    {"OptionFrontShockTowerCamber", 3, 100, 80},
    {"OptionFrontShockTowerCamber", 4, 130, 80},
    {"OptionFrontShockTowerCamber", 5, 40, 112},
    {"OptionFrontShockTowerCamber", 6, 70, 112},
    {"OptionFrontShockTowerCamber", 7, 100, 112},
    {"OptionFrontShockTowerCamber", 8, 130, 112},
};

// Long arm holes 2-4 are indices 2-4, short arm holes 2-4 are indices 5-7.
constexpr Hole kFrontArm[] = {
    {"OptionFrontShockArm", 2, 134, 48},
    {"OptionFrontShockArm", 3, 108, 48},
    {"OptionFrontShockArm", 4, 82, 48},
    {"OptionFrontShockArm", 5, 308, 48},
    {"OptionFrontShockArm", 6, 284, 48},
    {"OptionFrontShockArm", 7, 260, 48},
};

constexpr Hole kAckermanBellcrank[] = {
    {"OptionAckermanBellcrank", 1, 74, 24},
    {"OptionAckermanBellcrank", 2, 106, 24},
};

constexpr Hole kAckermanHub[] = {
    {"OptionAckermanHub", 1, 82, 38},
    {"OptionAckermanHub", 2, 112, 24},
};

// Positions in the columns beside the block: front insert left, rear right.
constexpr Hole kFrontKickup[] = {
    {"OptionFrontKickupF", 0, 20, 20},
    {"OptionFrontKickupF", 1, 20, 40},
    {"OptionFrontKickupF", 2, 20, 60},
    {"OptionFrontKickupF", 3, 20, 80},
    {"OptionFrontKickupF", 4, 20, 100},
    {"OptionFrontKickupR", 0, 190, 20},
    {"OptionFrontKickupR", 1, 190, 40},
    {"OptionFrontKickupR", 2, 190, 60},
};

constexpr Hole kRearShockTower[] = {
    {"OptionRearShockTower", 1, 292, 24},
    {"OptionRearShockTower", 2, 266, 24},
    {"OptionRearShockTower", 3, 240, 24},
    {"OptionRearShockTower", 4, 214, 24},
    {"OptionRearShockTowerCamber", 1, 40, 80},
    {"OptionRearShockTowerCamber", 2, 70, 80},
    {"OptionRearShockTowerCamber", 3, 100, 80},
    {"OptionRearShockTowerCamber", 4, 130, 80},
    {"OptionRearShockTowerCamber", 5, 40, 112},
    {"OptionRearShockTowerCamber", 6, 70, 112},
    {"OptionRearShockTowerCamber", 7, 100, 112},
    {"OptionRearShockTowerCamber", 8, 130, 112},
};

// Long arm holes 1-4 are indices 1-4, short arm holes 1-4 are indices 5-8.
constexpr Hole kRearArm[] = {
    {"OptionRearShockArm", 1, 160, 48},
    {"OptionRearShockArm", 2, 134, 48},
    {"OptionRearShockArm", 3, 108, 48},
    {"OptionRearShockArm", 4, 82, 48},
    {"OptionRearShockArm", 5, 332, 48},
    {"OptionRearShockArm", 6, 308, 48},
    {"OptionRearShockArm", 7, 284, 48},
    {"OptionRearShockArm", 8, 260, 48},
};

constexpr Hole kRearHub[] = {
    {"OptionRearHubCamber", 1, 70, 24},
    {"OptionRearHubCamber", 2, 70, 50},
    {"OptionRearHubCamber", 3, 70, 76},
    {"OptionRearHubCamber", 4, 70, 102},
};

constexpr Hole kRearAntisquat[] = {
    {"OptionRearAntisquatF", 0, 20, 20},
    {"OptionRearAntisquatF", 1, 20, 40},
    {"OptionRearAntisquatF", 2, 20, 60},
    {"OptionRearAntisquatF", 3, 20, 80},
    {"OptionRearAntisquatF", 4, 20, 100},
    {"OptionRearAntisquatR", 0, 190, 20},
    {"OptionRearAntisquatR", 1, 190, 40},
    {"OptionRearAntisquatR", 2, 190, 60},
    {"OptionRearAntisquatR", 3, 190, 80},
    {"OptionRearAntisquatR", 4, 190, 100},
};
// clang-format on

constexpr std::array kPictures{
    Picture{"FrontShockTower", ":/art/FrontShockTower.svg", 340, 150, kFrontShockTower},
    Picture{"FrontArm", ":/art/FrontArm.svg", 380, 96, kFrontArm},
    Picture{"AckermanBellcrank", ":/art/AckermanBellcrank.svg", 130, 80, kAckermanBellcrank},
    Picture{"AckermanHub", ":/art/AckermanHub.svg", 130, 80, kAckermanHub},
    Picture{"FrontKickup", ":/art/FrontKickup.svg", 210, 120, kFrontKickup},
    Picture{"RearShockTower", ":/art/RearShockTower.svg", 340, 150, kRearShockTower},
    Picture{"RearArm", ":/art/RearArm.svg", 380, 96, kRearArm},
    Picture{"RearHub", ":/art/RearHub.svg", 130, 190, kRearHub},
    Picture{"RearAntisquat", ":/art/RearAntisquat.svg", 210, 120, kRearAntisquat},
};

// Every hole is a button of an option group, and every button of a group
// that is a choice among holes has its hole on exactly one picture.
constexpr int holesOf(std::string_view group, int index) {
    int n = 0;
    for (const Picture& p : kPictures)
        for (const Hole& h : p.holes) n += h.group == group && h.index == index;
    return n;
}

constexpr bool holesMatchOptionGroups() {
    for (const Picture& p : kPictures)
        for (const Hole& h : p.holes)
            if (optionRunIndex(h.group, h.index) < 0) return false;
    for (const OptionRun& run : OptionRuns)
        for (int i = run.first; i <= run.last; ++i)
            if (holesOf(run.group, i) != (run.textBox.empty() ? 1 : 0)) return false;
    return true;
}
static_assert(holesMatchOptionGroups(), "the holes of the pictures are the buttons of OptionGroups.h");

}  // namespace

std::span<const Picture> pictures() {
    static const bool resourcesReady = (initArtResources(), true);
    (void)resourcesReady;
    return kPictures;
}

const Picture* picture(std::string_view name) {
    for (const Picture& p : pictures()) {
        if (p.name == name) return &p;
    }
    return nullptr;
}

std::string markField(const Hole& hole) {
    const OptionRun* run = optionRun(hole.group, hole.index);
    if (!run || run->markPrefix.empty()) return {};
    return std::string(run->markPrefix) + std::to_string(run->value(hole.index));
}

}  // namespace vantrel::art
