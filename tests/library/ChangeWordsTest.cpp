// A change of a field in a racer's words: which way it went where the field
// has a way, the values alone where it has none.

#include <gtest/gtest.h>
#include <random>

#include "library/ChangeWords.h"
#include "library/TrackHistory.h"

namespace {

using vantrel::SetupField;
using vantrel::library::changeText;
using vantrel::library::changeWay;
using vantrel::library::fieldCaption;

struct Case {
    SetupField field;
    const char* before;
    const char* after;
    const char* word;  // "" where no way is sound
};

const Case kCases[] = {
    // Camber is negative: towards zero is less of it.
    {SetupField::FrontCamber, "-2.0", "-1.5", "Less"},
    {SetupField::FrontCamber,
     "\xE2\x88\x92"
     "1.5",
     "\xE2\x88\x92"
     "2.0",
     "More"},
    {SetupField::RearCamber, "-1", "-3", "More"},
    {SetupField::RearCamber, "-0.5", "0.5", ""},
    {SetupField::FrontCamber, "-1.5°", "-2.0°", "More"},
    {SetupField::FrontToeIn, "1", "2", "More"},
    {SetupField::FrontToeOut, "2", "0.5", "Less"},
    {SetupField::RearToeIn, "3 deg", "2.5 deg", "Less"},
    {SetupField::FrontCastor, "10", "12", "More"},
    {SetupField::FrontDroop, "5,5", "6", "More"},
    {SetupField::FrontShockOil, "30", "35", "Thicker"},
    {SetupField::RearShockOil, "450 cSt", "350 cSt", "Thinner"},
    {SetupField::FrontShockSpring, "4", "5", "Stiffer"},
    {SetupField::RearShockSpring, "5", "4", "Softer"},
    {SetupField::FrontAntiRollBar, "1.2", "1.1", "Softer"},
    {SetupField::FrontRideHeight, "5", "6", "Higher"},
    {SetupField::RearRideHeight, "+6", "5.5", "Lower"},
    {SetupField::Pinion, "47", "48", "Bigger"},
    {SetupField::Spur, "87", "84", "Smaller"},
    {SetupField::LeadWeights, "10 g", "20 g", "More"},
    // Units that differ, words, and fields whose numbers are positions or parts.
    {SetupField::FrontShockOil, "30 wt", "350 cSt", ""},
    {SetupField::FrontShockOil, "Losi 30", "Losi 35", ""},
    {SetupField::FrontShockOil, "", "35", ""},
    {SetupField::FrontTyreCompound, "Blue", "Pink", ""},
    {SetupField::FrontTyreCompound, "32", "36", ""},
    {SetupField::FrontShockPiston, "1.3", "1.4", ""},
    {SetupField::FrontShockTower, "2", "3", ""},
    {SetupField::Motor, "17.5", "13.5", ""},
    {SetupField::FrontWheelBase, "1", "2", ""},
};

TEST(ChangeWords, EachFieldGoesTheWayARacerSaysIt) {
    for (const Case& c : kCases) {
        const vantrel::library::SetupChange change{c.field, c.before, c.after};
        const std::string caption = fieldCaption(c.field);
        const std::string values = std::string(c.before[0] ? c.before : "(none)") + " → " + c.after;
        const std::string expected =
            *c.word ? std::string(c.word) + " " + caption + ", " + values : caption + " " + values;
        EXPECT_EQ(changeText(change), expected) << c.before << " → " << c.after;
        EXPECT_EQ(changeWay(change).word, c.word) << caption;
    }
}

// Over every field and generated numbers: a change back goes the other way,
// and no change of a field without a way has a word.
TEST(ChangeWords, AChangeBackGoesTheOtherWay) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> tenths(-60, 60);
    for (std::size_t f = 0; f < vantrel::SetupFieldCount; ++f)
        for (int n = 0; n < 50; ++n) {
            const std::string a = std::to_string(tenths(rng) / 10.0), b = std::to_string(tenths(rng) / 10.0);
            const auto there = changeWay({SetupField(f), a, b}), back = changeWay({SetupField(f), b, a});
            EXPECT_EQ(there.sign, -back.sign) << fieldCaption(SetupField(f)) << " " << a << " → " << b;
            EXPECT_EQ(there.word.empty(), there.sign == 0);
            if (a == b) {
                EXPECT_EQ(there.sign, 0);
            }
        }
}

}  // namespace
