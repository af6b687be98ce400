#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "CDataBuilder.h"
#include "CRulesEngine.h"
#include "RecordText.h"
#include "platform/Error.h"
#include "TempProgramFolder.h"

using namespace vantrel;
using sheetdatatest::split;

namespace {

using Inputs = std::vector<std::pair<SetupField, std::string>>;
using Expected = std::vector<std::pair<SheetField, std::string>>;

struct RuleCase {
    Inputs inputs;
    Expected written;  // every other sheet field must stay empty
};

class RulesEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder.path() / "Mapping");
        config->setMappingDirectory(folder.str() + "\\Mapping");
        engine.setConfig(config);
        engine.setSetupName("RDX");
        engine.setDataFileDelimiter("|");
    }

    // Runs the engine on a record holding only the inputs and compares the
    // whole sheet, so a value landing in the wrong field shows as well.
    void check(const RuleCase& c) {
        auto record = std::make_shared<CAppSettings>();
        record->setMappingDirectory(config->MappingDirectory());
        std::string trace;
        for (const auto& [field, value] : c.inputs) {
            record->setField(field, value);
            trace += std::string(SetupFieldKeys[std::size_t(field)]) + "='" + value + "' ";
        }
        SCOPED_TRACE(trace);
        engine.setConfig(record);
        engine.ProcessData();

        std::vector<std::string> expected(SheetFieldCount);
        for (const auto& [field, value] : c.written) expected[std::size_t(field)] = value;
        const auto fields = split(engine.SetupDataRow(), "|");
        ASSERT_EQ(fields.size(), SheetFieldCount);
        for (std::size_t i = 0; i < SheetFieldCount; ++i)
            EXPECT_EQ(fields[i], expected[i]) << "field " << (i + 1) << " " << SheetFieldNames[i];
    }

    testsupport::TempProgramFolder folder;
    std::shared_ptr<CAppSettings> config = std::make_shared<CAppSettings>();
    CRulesEngine engine;
};

TEST_F(RulesEngineTest, ValuesAreCopiedOrGivenTheirUnit) {
    using U = SetupField;
    using S = SheetField;
    // Plain copies and the common unit cases are in the golden file below.
    const RuleCase cases[] = {
        {{{U::FrontCastor, "5"}}, {{S::FrontCastor, "5 deg"}}},
        {{{U::FrontCastor, "5deg"}}, {{S::FrontCastor, "5deg"}}},
        {{{U::FrontCastor, "5 DEG"}}, {{S::FrontCastor, "5 DEG"}}},
        {{{U::FrontCastor, "Degressive 5"}}, {{S::FrontCastor, "Degressive 5"}}},
        {{{U::FrontCastor, ""}}, {}},
        {{{U::FrontRideHeight, "6mm front"}}, {{S::FrontRideHeight, "6mm front"}}},
        {{{U::RearShockSpring, "Red"}}, {{S::RearShockSpring, "Red lbs"}}},
        {{{U::FrontAntiRollBar, "no"}, {U::RearAntiRollBar, "NO"}},
         {{S::FrontAntiRollBar, "no"}, {S::RearAntiRollBar, "NO"}}},
        {{{U::RearAntiRollBar, "None"}}, {{S::RearAntiRollBar, "None mm"}}},
    };
    for (const RuleCase& c : cases) check(c);
}

TEST_F(RulesEngineTest, OptionNumbersMarkOneFieldOnExactMatchOnly) {
    using U = SetupField;
    using S = SheetField;
    const RuleCase cases[] = {
        {{{U::FrontShockTowerCamber, "3"}}, {{S::FrontShockCamber3, "l"}}},
        {{{U::FrontShockTowerCamber, "0"}}, {}},
        {{{U::FrontShockTowerCamber, "9"}}, {}},
        {{{U::FrontShockTowerCamber, " 3"}}, {}},
        {{{U::FrontShockTowerCamber, "03"}}, {}},
        {{{U::AckermanBellcrank, "2"}}, {{S::AckermanBellcrank2, "l"}}},
        {{{U::AckermanBellcrank, "3"}}, {}},
        {{{U::AckermanHub, "1"}}, {{S::AckermanHub1, "l"}}},
        {{{U::FrontShockTower, "4"}}, {{S::FrontShockTowerShock4, "l"}}},
        {{{U::RearHubCamber, "4"}}, {{S::RearHubCamber4, "l"}}},
        {{{U::RearHubCamber, "5"}}, {}},
    };
    for (const RuleCase& c : cases) check(c);
}

TEST_F(RulesEngineTest, ArmsMarkLengthThenPosition) {
    using U = SetupField;
    using S = SheetField;
    const RuleCase cases[] = {
        {{{U::FrontArmLength, "LONG"}, {U::FrontArmShock, "3"}}, {{S::FrontArmLong, "_"}, {S::FrontArmLong3, "l"}}},
        {{{U::FrontArmLength, "Short"}, {U::FrontArmShock, "1"}}, {{S::FrontArmShort, "_"}}},
        {{{U::FrontArmLength, "Long"}, {U::FrontArmShock, ""}}, {{S::FrontArmLong, "_"}}},
        {{{U::FrontArmLength, ""}, {U::FrontArmShock, "3"}}, {}},
        {{{U::FrontArmLength, " Long"}, {U::FrontArmShock, "2"}}, {}},
        {{{U::RearArmLength, "short"}, {U::RearArmShock, "1"}}, {{S::RearArmShort, "_"}, {S::RearArmShort1, "l"}}},
        {{{U::RearArmLength, "Long"}, {U::RearArmShock, "4"}}, {{S::RearArmLong, "_"}, {S::RearArmLong4, "l"}}},
        {{{U::RearArmLength, "Long"}, {U::RearArmShock, "5"}}, {{S::RearArmLong, "_"}}},
        {{{U::RearArmLength, "Medium"}, {U::RearArmShock, "2"}}, {}},
    };
    for (const RuleCase& c : cases) check(c);
}

TEST_F(RulesEngineTest, RunningTwiceGivesTheSameRow) {
    config->setDriverName("Sam");
    config->setFrontCastor("4");
    config->setRearArmLength("Long");
    config->setRearArmShock("2");
    engine.ProcessData();
    const std::string first = engine.SetupDataRow();
    engine.ProcessData();
    EXPECT_EQ(engine.SetupDataRow(), first);
    EXPECT_EQ(config->FrontCastor(), "4") << "the setup record is only read";
}

TEST_F(RulesEngineTest, WithoutConfigFailsAndKeepsTheRow) {
    config->setDriverName("Sam");
    engine.ProcessData();
    const std::string row = engine.SetupDataRow();
    ASSERT_EQ(row.rfind("Sam|", 0), 0u);

    engine.setConfig(nullptr);
    try {
        engine.ProcessData();
        FAIL() << "ProcessData ran without a setup record";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 91);
        EXPECT_EQ(e.source(), "CRulesEngine");
        EXPECT_FALSE(e.description().empty());
    }
    EXPECT_EQ(engine.SetupDataRow(), row);
}

// A complete raw data file through LoadRawData and the engine, against a
// record and mapping file worked out by hand.
TEST_F(RulesEngineTest, GoldenRawDataFileGivesTheExpectedRecordAndMapping) {
    const std::filesystem::path golden = std::filesystem::path(VANTREL_TEST_DATA_DIR) / "sheetdata" / "golden";
    const auto raw = folder.write("Data/RawData.dat", testsupport::TempProgramFolder::readFile(golden / "RawData.dat"));

    config->setFileName(raw.string());
    config->LoadRawData();
    engine.ProcessData();

    EXPECT_EQ(engine.SetupDataRow(), testsupport::TempProgramFolder::readFile(golden / "expected_record.txt"));
    EXPECT_EQ(folder.read("Mapping/Mapping_RDX.map"),
              testsupport::TempProgramFolder::readFile(golden / "Mapping_RDX.map"));
}

}  // namespace
