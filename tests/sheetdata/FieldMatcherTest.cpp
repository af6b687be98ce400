// The word matcher against forms named as clubs and teams name their fields:
// the club sheet of the README and two forms made up for this test, each
// field with the sheet field a racer means by it ("" where its name could
// mean two). Most are found, and none is found wrongly.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "FieldMatcher.h"
#include "SheetSources.h"
#include "pdfauto/Document.h"

namespace {

using vantrel::SheetFieldNames;
namespace matcher = vantrel::matcher;

struct Form {
    std::string title;
    std::vector<matcher::FormField> fields;
    std::map<std::string, std::string> meant;  // form field -> sheet field, "" for none
};

Form clubSheet() {
    Form form{"club sheet", {}, {}};
    const auto pdf = std::filesystem::path(VANTREL_TEST_DATA_DIR) / "setuptype" / "ClubSetupSheet.pdf";
    for (const auto& f : pdfauto::Document(pdf.string()).fields()) form.fields.push_back({f.name, f.kind == "text"});
    form.meant = {{"Driver Name", "DriverName"},
                  {"Track City", "TrackCity"},
                  {"Race Event", "RaceEvent"},
                  {"Race Date", "RaceDate"},
                  {"Front Toe-In", "FrontToeIn"},
                  {"Front Camber", "FrontCamber"},
                  {"Front Ride Height", "FrontRideHeight"},
                  {"front_shock_spring", "FrontShockSpring"},
                  {"Rear Toe-In", "RearToeIn"},
                  {"Rear Camber", "RearCamber"},
                  {"Rear Ride Height", "RearRideHeight"},
                  {"REAR SHOCK SPRING", "RearShockSpring"},
                  {"Front Tyres", "FrontTyres"},
                  {"Rear Tyres", "RearTyres"},
                  {"Setup comments", "Comments"},
                  {"Motor", "Motor"},
                  {"ESC", "ESC"},
                  {"Spur", "Spur"},
                  {"Pinion", "Pinion"},
                  {"Track Surface", "TrackSurface"},
                  {"Track Temperature", "TrackTemperature"},
                  {"Notes", "Notes"},
                  {"Qualifying", "ResultsQualifyingPos"},
                  {"Finish", "ResultsFinishPos"},
                  {"Wet", ""}};
    return form;
}

Form madeUp(std::string title, std::map<std::string, std::string> meant) {
    Form form{std::move(title), {}, std::move(meant)};
    for (const auto& [name, sheetField] : form.meant) form.fields.push_back({name, true});
    return form;
}

TEST(FieldMatcher, FindsMostFieldsOfClubFormsAndNoneWrongly) {
    const std::vector<Form> forms = {
        clubSheet(),
        madeUp("a club's hand-made form", {{"Driver", "DriverName"},
                                           {"Track", "TrackCity"},
                                           {"Event", "RaceEvent"},
                                           {"Date", "RaceDate"},
                                           {"Castor", "FrontCastor"},
                                           {"Front Camber", "FrontCamber"},
                                           {"Rear Camber", "RearCamber"},
                                           {"Front Ride Height", "FrontRideHeight"},
                                           {"Rear Ride Height", "RearRideHeight"},
                                           {"Front Oil", "FrontShockOil"},
                                           {"Rear Oil", "RearShockOil"},
                                           {"Front Spring", "FrontShockSpring"},
                                           {"Rear Spring", "RearShockSpring"},
                                           {"Front Piston", "FrontShockPiston"},
                                           {"Rear Piston", "RearShockPiston"},
                                           {"Front Tires", "FrontTyres"},
                                           {"Rear Tires", "RearTyres"},
                                           {"Front Sway Bar", "FrontAntiRollBar"},
                                           {"Rear Sway Bar", "RearAntiRollBar"},
                                           {"Motor", "Motor"},
                                           {"Pinion", "Pinion"},
                                           {"Spur", "Spur"},
                                           {"Qualifying", "ResultsQualifyingPos"},
                                           {"Finish Pos", "ResultsFinishPos"},
                                           {"Notes", "Notes"},
                                           {"Toe", ""}}),
        madeUp("a team's form with machine names", {{"driver_name", "DriverName"},
                                                    {"venue", "TrackCity"},
                                                    {"race_date", "RaceDate"},
                                                    {"caster", "FrontCastor"},
                                                    {"front_toe_in", "FrontToeIn"},
                                                    {"rear_toe_in", "RearToeIn"},
                                                    {"front_droop", "FrontDroop"},
                                                    {"rear_droop", "RearDroop"},
                                                    {"front_shock_oil", "FrontShockOil"},
                                                    {"rear_shock_oil", "RearShockOil"},
                                                    {"front_arb", "FrontAntiRollBar"},
                                                    {"rear_arb", "RearAntiRollBar"},
                                                    {"front_diff", "FrontDrive"},
                                                    {"additive", "TyreAdditive"},
                                                    {"front_insert", "FrontInsert"},
                                                    {"rear_insert", "RearInsert"},
                                                    {"front_rim", "FrontWheel"},
                                                    {"rear_rim", "RearWheel"},
                                                    {"esc", "ESC"},
                                                    {"servo", "Servo"},
                                                    {"radio", "Radio"},
                                                    {"body", "Body"},
                                                    {"wing", "Wing"},
                                                    {"track_temp", "TrackTemperature"},
                                                    {"surface", "TrackSurface"},
                                                    {"grip", "TrackTraction"},
                                                    {"qual_pos", "ResultsQualifyingPos"},
                                                    {"main", "ResultsMain"},
                                                    {"finish", "ResultsFinishPos"},
                                                    {"comments", "Comments"},
                                                    {"camber", ""},
                                                    {"spring", ""},
                                                    {"oil", ""}}),
    };
    for (const Form& form : forms) {
        SCOPED_TRACE(form.title);
        const auto chosen = matcher::suggest(form.fields);
        std::map<std::string, std::string> found;  // form field -> sheet field
        for (std::size_t k = 0; k < chosen.size(); ++k)
            if (chosen[k] >= 0) found[form.fields[std::size_t(chosen[k])].name] = std::string(SheetFieldNames[k]);
        int meant = 0, right = 0;
        for (const auto& [name, sheetField] : form.meant) {
            const std::string got = found.count(name) ? found.at(name) : "";
            if (!sheetField.empty()) ++meant;
            if (!sheetField.empty() && got == sheetField) ++right;
            EXPECT_TRUE(got.empty() || got == sheetField) << '"' << name << "\" went to " << got;
        }
        EXPECT_GE(right * 10, meant * 8) << right << " of " << meant << " found";
    }
}

TEST(FieldMatcher, EveryRowNamesTheWindowsCaptionUnderItsTabAndFrame) {
    EXPECT_EQ(vantrel::racerWords(vantrel::SheetField::FrontShockOil), "Front \u203a Shocks \u203a Oil");
    EXPECT_EQ(vantrel::racerWords(vantrel::SheetField::RearArmShort2),
              "Rear \u203a Shock Tower, Arms, Geometry \u203a Arm Shock, Short, hole 2");
    EXPECT_EQ(vantrel::racerWords(vantrel::SheetField::FrontArmLong),
              "Front \u203a Shock Tower, Arms, Geometry \u203a Arm Length, Long");
    EXPECT_EQ(vantrel::racerWords(vantrel::SheetField::RaceEvent), "Event Details \u203a Race Meeting \u203a Event");
}

}  // namespace
