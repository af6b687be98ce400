// The inverse of the rules: a sheet gives back a setup that the rules turn
// into the same sheet.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "CRulesEngine.h"
#include "RecordText.h"
#include "SetupControls.h"
#include "TempProgramFolder.h"

using namespace vantrel;

namespace {

// Values that reach each rule's edges: units present or not in any case,
// "no" bars, option numbers inside, outside and malformed, arm lengths in any
// case and not at all.
std::string textValue(std::mt19937& rng) {
    static const char* const pool[] = {"",      "5",    "5 deg", "5DEG", "-1.5",   "no",   "No",   "1.3mm",
                                       "35 WT", "wt",   "4 lbs", "6 mm", " 3 ",    "Long", "l",    "_",
                                       "24 °C", "deg5", "mm",    "x y",  "Shorty", "2",    "No mm"};
    std::string value = pool[rng() % std::size(pool)];
    if (rng() % 4 == 0) value += std::to_string(rng() % 1000);
    return value;
}

std::string optionValue(std::mt19937& rng) {
    static const char* const pool[] = {"", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "03", " 3", "x"};
    return pool[rng() % std::size(pool)];
}

std::string lengthValue(std::mt19937& rng) {
    static const char* const pool[] = {"", "Long", "Short", "LONG", "short", "lOnG", " Long", "Medium"};
    return pool[rng() % std::size(pool)];
}

bool isLengthField(SetupField field) {
    for (const OptionRun& run : OptionRuns)
        if (run.lengthField == field) return true;
    return false;
}

CAppSettings generatedSetup(std::mt19937& rng) {
    CAppSettings setup;
    for (const SetupControl& row : SetupControls) {
        const bool toe = row.field == SetupField::FrontToeIn || row.field == SetupField::FrontToeOut;
        std::string value = isLengthField(row.field)               ? lengthValue(rng)
                            : isOptionControl(row.control) && !toe ? optionValue(rng)
                                                                   : textValue(rng);
        setup.setField(row.field, std::move(value));
    }
    return setup;
}

CAppSettings setupOf(const vantrel::Setup& values) {
    CAppSettings setup;
    setup.setSetup(values);
    return setup;
}

}  // namespace

TEST(SheetInverse, RebuildingFromTheDerivedSetupGivesTheSameSheet) {
    testsupport::TempProgramFolder folder;
    std::filesystem::create_directories(folder.path() / "Mapping");
    std::mt19937 rng(13);
    for (int n = 0; n < 400; ++n) {
        const CAppSettings setup = generatedSetup(rng);
        const CRulesEngine::SheetValues sheet = CRulesEngine::SheetFrom(setup);

        // SheetFrom is what ProcessData records.
        if (n % 40 == 0) {
            auto config = std::make_shared<CAppSettings>(setup);
            config->setMappingDirectory(folder.str() + "\\Mapping");
            CRulesEngine engine;
            engine.setConfig(config);
            engine.setSetupName("RDX");
            engine.setDataFileDelimiter("|");
            engine.ProcessData();
            const auto row = sheetdatatest::split(engine.SetupDataRow(), "|");
            ASSERT_EQ(row, std::vector<std::string>(sheet.begin(), sheet.end()));
        }

        const CRulesEngine::SheetValues rebuilt = CRulesEngine::SheetFrom(setupOf(CRulesEngine::SetupFromSheet(sheet)));
        for (std::size_t i = 0; i < SheetFieldCount; ++i)
            ASSERT_EQ(rebuilt[i], sheet[i]) << "setup " << n << ", sheet field " << SheetFieldNames[i];
    }
}

TEST(SheetInverse, ReadsEachKindOfSheetField) {
    using Sheet = std::vector<std::pair<SheetField, std::string>>;
    using Wanted = std::vector<std::pair<SetupField, std::string>>;
    using F = SheetField;
    using S = SetupField;
    struct Case {
        const char* what;
        Sheet sheet;
        Wanted setup;  // every other field empty
    };
    const Case cases[] = {
        {"copied, renamed",
         {{F::RaceEvent, "Club Race"}, {F::RaceDate, "14 Feb"}},
         {{S::EventName, "Club Race"}, {S::EventDate, "14 Feb"}}},
        {"the unit the rules append goes, any other text stays",
         {{F::FrontCastor, "5 deg"}, {F::RearShockOil, "30WT"}, {F::FrontShockSpring, "5.2 lbs lbs"}},
         {{S::FrontCastor, "5"}, {S::RearShockOil, "30WT"}, {S::FrontShockSpring, "5.2 lbs lbs"}}},
        {"anti-roll bars",
         {{F::FrontAntiRollBar, "No"}, {F::RearAntiRollBar, "1.3 mm"}},
         {{S::FrontAntiRollBar, "No"}, {S::RearAntiRollBar, "1.3"}}},
        {"toe out", {{F::FrontToeOut, "1 deg"}}, {{S::FrontToeOut, "1"}}},
        {"the marked member", {{F::FrontShockCamber3, "l"}}, {{S::FrontShockTowerCamber, "3"}}},
        {"the first of several marks, any mark",
         {{F::RearHubCamber2, "X"}, {F::RearHubCamber4, "l"}},
         {{S::RearHubCamber, "2"}}},
        {"blanks are no mark", {{F::AckermanHub1, " "}, {F::AckermanBellcrank2, "l"}}, {{S::AckermanBellcrank, "2"}}},
        {"length marker and position",
         {{F::FrontArmShort, "_"}, {F::FrontArmShort3, "l"}},
         {{S::FrontArmLength, "Short"}, {S::FrontArmShock, "3"}}},
        {"a position without marker gives the length",
         {{F::RearArmLong1, "l"}},
         {{S::RearArmLength, "Long"}, {S::RearArmShock, "1"}}},
        {"a marker without position", {{F::RearArmShort, "_"}}, {{S::RearArmLength, "Short"}}},
        {"the marker decides, a position of the other length is not read",
         {{F::FrontArmLong, "_"}, {F::FrontArmShort2, "l"}},
         {{S::FrontArmLength, "Long"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CRulesEngine::SheetValues sheet;
        for (const auto& [field, value] : c.sheet) sheet[std::size_t(field)] = value;
        vantrel::Setup expected;
        for (const auto& [field, value] : c.setup) expected[std::size_t(field)] = value;
        const vantrel::Setup setup = CRulesEngine::SetupFromSheet(sheet);
        for (std::size_t i = 0; i < SetupFieldCount; ++i) EXPECT_EQ(setup[i], expected[i]) << SetupFieldKeys[i];
    }
}

// A setup typed without units (numbers, words) comes back from its sheet
// exactly: the units the rules append are never doubled.
TEST(SheetInverse, ASetupWithoutUnitsComesBackFromItsSheetWithoutThem) {
    std::mt19937 rng(29);
    static const char* const pool[] = {"42.5", "5", "-1.5", "0", "3/4", "Medium", "Soft", "12 / 14", "x", "1.3"};
    for (int n = 0; n < 200; ++n) {
        CAppSettings setup;
        std::vector<SetupField> texts;
        for (const SetupControl& row : SetupControls) {
            if (isLengthField(row.field) || isOptionControl(row.control)) continue;
            setup.setField(row.field, pool[rng() % std::size(pool)]);
            texts.push_back(row.field);
        }
        const vantrel::Setup back = CRulesEngine::SetupFromSheet(CRulesEngine::SheetFrom(setup));
        for (SetupField field : texts)
            ASSERT_EQ(back[std::size_t(field)], setup.field(field))
                << "setup " << n << ", " << SetupFieldKeys[std::size_t(field)];
    }
}
