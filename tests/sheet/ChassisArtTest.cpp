// The hole tables against their drawings and against the option groups of
// the main window and the mark fields of the sheet.

#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>

#include <cctype>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "ChassisArt.h"

using vantrel::art::Hole;
using vantrel::art::Picture;

namespace {

struct Circle {
    double x, y, r;
};

// The circles of an SVG whose id names an option button ("<group>-<index>").
std::map<std::string, Circle> buttonCircles(const Picture& p, double& width, double& height) {
    QFile file(QString::fromUtf8(p.resource.data(), static_cast<qsizetype>(p.resource.size())));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << p.resource;
    std::map<std::string, Circle> out;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const auto a = xml.attributes();
        if (xml.name() == QLatin1String("svg")) {
            const QStringList box = a.value(QLatin1String("viewBox")).toString().split(' ');
            if (box.size() == 4) width = box[2].toDouble(), height = box[3].toDouble();
        }
        if (xml.name() == QLatin1String("circle") && a.value(QLatin1String("id")).startsWith(QLatin1String("Option"))) {
            out[a.value(QLatin1String("id")).toString().toStdString()] = {a.value(QLatin1String("cx")).toDouble(),
                                                                          a.value(QLatin1String("cy")).toDouble(),
                                                                          a.value(QLatin1String("r")).toDouble()};
        }
    }
    EXPECT_FALSE(xml.hasError()) << p.resource << ": " << xml.errorString().toStdString();
    return out;
}

std::string id(const Hole& h) { return std::string(h.group) + "-" + std::to_string(h.index); }

}  // namespace

TEST(ChassisArt, EveryHoleTableMatchesItsDrawing) {
    ASSERT_EQ(vantrel::art::pictures().size(), 9u);
    for (const Picture& p : vantrel::art::pictures()) {
        SCOPED_TRACE(std::string(p.name));
        double width = 0, height = 0;
        std::map<std::string, Circle> drawn = buttonCircles(p, width, height);
        EXPECT_EQ(width, p.width);
        EXPECT_EQ(height, p.height);
        for (const Hole& h : p.holes) {
            auto c = drawn.find(id(h));
            ASSERT_NE(c, drawn.end()) << id(h) << " is not drawn";
            EXPECT_EQ(c->second.x, h.x) << id(h);
            EXPECT_EQ(c->second.y, h.y) << id(h);
            EXPECT_EQ(c->second.r, vantrel::art::kHoleRadius) << id(h);
            drawn.erase(c);
        }
        for (const auto& [name, circle] : drawn) ADD_FAILURE() << name << " is drawn but not in the table";
        EXPECT_EQ(vantrel::art::picture(p.name), &p);
    }
    EXPECT_EQ(vantrel::art::picture("FrontWing"), nullptr);
}

TEST(ChassisArt, EachOptionGroupHasEveryIndexOnceOnOnePicture) {
    // The index ranges of the main window's option button arrays.
    const std::map<std::string, std::pair<int, int>> groups = {
        {"OptionFrontShockTower", {1, 4}},      {"OptionFrontShockTowerCamber", {1, 8}},
        {"OptionFrontShockArm", {2, 7}},        {"OptionAckermanBellcrank", {1, 2}},
        {"OptionAckermanHub", {1, 2}},          {"OptionFrontKickupF", {0, 4}},
        {"OptionFrontKickupR", {0, 2}},         {"OptionRearShockTower", {1, 4}},
        {"OptionRearShockTowerCamber", {1, 8}}, {"OptionRearShockArm", {1, 8}},
        {"OptionRearHubCamber", {1, 4}},        {"OptionRearAntisquatF", {0, 4}},
        {"OptionRearAntisquatR", {0, 4}},
    };
    std::map<std::string, std::multiset<int>> indices;
    std::map<std::string, std::set<std::string>> picturesOf;
    for (const Picture& p : vantrel::art::pictures()) {
        for (const Hole& h : p.holes) {
            indices[std::string(h.group)].insert(h.index);
            picturesOf[std::string(h.group)].insert(std::string(p.name));
        }
    }
    for (const auto& [group, range] : groups) {
        std::multiset<int> expected;
        for (int i = range.first; i <= range.second; ++i) expected.insert(i);
        EXPECT_EQ(indices[group], expected) << group;
        EXPECT_EQ(picturesOf[group].size(), 1u) << group;
        indices.erase(group);
    }
    for (const auto& [group, found] : indices) ADD_FAILURE() << "unexpected group " << group;
}

TEST(ChassisArt, HolesLeaveRoomForOneButtonEach) {
    for (const Picture& p : vantrel::art::pictures()) {
        for (const Hole& a : p.holes) {
            EXPECT_GE(a.x - vantrel::art::kHoleRadius, 0) << id(a);
            EXPECT_GE(a.y - vantrel::art::kHoleRadius, 0) << id(a);
            EXPECT_LE(a.x + vantrel::art::kHoleRadius, p.width) << id(a);
            EXPECT_LE(a.y + vantrel::art::kHoleRadius, p.height) << id(a);
            for (const Hole& b : p.holes) {
                if (&a == &b) continue;
                EXPECT_GE(std::hypot(a.x - b.x, a.y - b.y), 3 * vantrel::art::kHoleRadius) << id(a) << " " << id(b);
            }
        }
    }
}

TEST(ChassisArt, EveryMarkFieldOfTheSheetHasExactlyOneHole) {
    // The sheet fields that hold a mark are exactly those named with a hole number.
    std::set<std::string> markFields;
#define VANTREL_SHEET_FIELD(name) \
    if (std::isdigit(static_cast<unsigned char>(std::string(#name).back()))) markFields.insert(#name);
#include "SheetFields.def"
#undef VANTREL_SHEET_FIELD
    ASSERT_EQ(markFields.size(), 46u);

    std::set<std::string> marked;
    for (const Picture& p : vantrel::art::pictures()) {
        for (const Hole& h : p.holes) {
            const std::string field = vantrel::art::markField(h);
            if (field.empty()) continue;
            EXPECT_TRUE(markFields.count(field)) << id(h) << " marks " << field;
            EXPECT_TRUE(marked.insert(field).second) << field << " marked by two holes";
        }
    }
    EXPECT_EQ(marked, markFields);
}

TEST(ChassisArt, MarkFieldFollowsTheArmAndLengthOfTheButton) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {"OptionFrontShockArm", 2, "FrontArmLong2"},
        {"OptionFrontShockArm", 4, "FrontArmLong4"},
        {"OptionFrontShockArm", 5, "FrontArmShort2"},
        {"OptionFrontShockArm", 7, "FrontArmShort4"},
        {"OptionRearShockArm", 4, "RearArmLong4"},
        {"OptionRearShockArm", 5, "RearArmShort1"},
        {"OptionRearShockArm", 8, "RearArmShort4"},
        {"OptionFrontShockTowerCamber", 8, "FrontShockCamber8"},
        {"OptionRearShockTower", 1, "RearShockTowerShock1"},
        // not on any picture, or shown as a number on the sheet
        {"OptionFrontShockArm", 1, ""},
        {"OptionFrontShockArm", 8, ""},
        {"OptionRearShockArm", 9, ""},
        {"OptionFrontKickupF", 2, ""},
        {"OptionRearAntisquatR", 4, ""},
        {"OptionFrontToe", 1, ""},
    };
    for (const auto& [group, index, field] : cases) {
        EXPECT_EQ(vantrel::art::markField(Hole{group, index, 0, 0}), field) << group << " " << index;
    }
}
