#include "library/ChangeWords.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>

namespace vantrel::library {

namespace {

// What "up" means on the car for a field's numbers.
enum class Kind {
    None,       // holes, positions, parts: a bigger number is no way of its own
    Amount,     // castor, toe, camber, droop, weight: more or less of it, away from zero
    Height,     // ride height
    Thickness,  // shock oil
    Stiffness,  // springs, anti-roll bars
    Size,       // pinion and spur gears
    Warmth,     // the track's temperature
};

struct Words {
    const char* more;
    const char* less;
};

Words wordsOf(Kind kind) {
    switch (kind) {
    case Kind::Amount: return {"More", "Less"};
    case Kind::Height: return {"Higher", "Lower"};
    case Kind::Thickness: return {"Thicker", "Thinner"};
    case Kind::Stiffness: return {"Stiffer", "Softer"};
    case Kind::Size: return {"Bigger", "Smaller"};
    case Kind::Warmth: return {"Warmer", "Cooler"};
    case Kind::None: break;
    }
    return {"", ""};
}

Kind kindOf(SetupField field) {
    switch (field) {
    case SetupField::FrontCastor:
    case SetupField::FrontToeIn:
    case SetupField::FrontToeOut:
    case SetupField::FrontCamber:
    case SetupField::FrontDroop:
    case SetupField::RearToeIn:
    case SetupField::RearUprightToeIn:
    case SetupField::RearCamber:
    case SetupField::RearDroop:
    case SetupField::LeadWeights: return Kind::Amount;
    case SetupField::FrontRideHeight:
    case SetupField::RearRideHeight: return Kind::Height;
    case SetupField::FrontShockOil:
    case SetupField::RearShockOil: return Kind::Thickness;
    case SetupField::FrontShockSpring:
    case SetupField::RearShockSpring:
    case SetupField::FrontAntiRollBar:
    case SetupField::RearAntiRollBar:
    case SetupField::MotorSpring: return Kind::Stiffness;
    case SetupField::Pinion:
    case SetupField::Spur: return Kind::Size;
    case SetupField::TrackTemperature: return Kind::Warmth;
    default: return Kind::None;
    }
}

// A value as a number and what follows it ("35", "-2.0°", "−1.5", "1,2 mm");
// nothing for words or a number followed by more digits' worth of words.
std::optional<std::pair<double, std::string>> numberOf(std::string value) {
    const std::size_t start = value.find_first_not_of(' ');
    if (start == std::string::npos) return std::nullopt;
    value.erase(0, start);
    // The minus sign a word processor types (U+2212) and a decimal comma.
    if (value.rfind("\xE2\x88\x92", 0) == 0) value.replace(0, 3, "-");
    if (!value.empty() && value[0] == '+') value.erase(0, 1);
    const std::size_t digits = value.find_first_not_of("-0123456789.,");
    for (std::size_t i = 0; i < std::min(digits, value.size()); ++i)
        if (value[i] == ',') value[i] = '.';
    double number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || !std::isfinite(number)) return std::nullopt;
    std::string rest(end, static_cast<const char*>(value.data() + value.size()));
    rest.erase(0, rest.find_first_not_of(' '));
    return std::pair{number, rest};
}

}  // namespace

ChangeWay changeWay(const SetupChange& change) {
    const Kind kind = kindOf(change.field);
    if (kind == Kind::None) return {};
    const auto from = numberOf(change.before), to = numberOf(change.after);
    if (!from || !to || from->second != to->second || from->first == to->first) return {};
    double a = from->first, b = to->first;
    if (kind == Kind::Amount) {
        // Camber of −2.0 to −1.5 is less camber; from toe-in through zero is no amount's way.
        if ((a < 0 && b > 0) || (a > 0 && b < 0)) return {};
        a = std::abs(a);
        b = std::abs(b);
        if (a == b) return {};
    }
    const Words words = wordsOf(kind);
    return b > a ? ChangeWay{+1, words.more} : ChangeWay{-1, words.less};
}

std::string changeValues(const SetupChange& change) {
    auto shown = [](const std::string& v) { return v.empty() ? std::string("(none)") : v; };
    return shown(change.before) + " → " + shown(change.after);
}

}  // namespace vantrel::library
