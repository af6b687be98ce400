#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CDataBuilder.h"
#include "RecordText.h"
#include "TempProgramFolder.h"

using namespace vantrel;
using sheetdatatest::crlfLines;
using sheetdatatest::split;

namespace {

std::string repeat(const std::string& text, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) out += text;
    return out;
}

class DataBuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder.path() / "Mapping");
        // The program composes folders with backslashes; the builder gets one such.
        builder.setMappingDirectory(folder.str() + "\\Mapping\\");
        builder.setSetupName("RDX");
    }
    std::string mappingFile(const std::string& name = "Mapping_RDX.map") const {
        return folder.read("Mapping/" + name);
    }

    testsupport::TempProgramFolder folder;
    CDataBuilder builder;
};

TEST_F(DataBuilderTest, AllEmptyFieldsGiveOnlyDelimiters) {
    for (const std::string delimiter : {"|", ",", "\t", "<>", ""}) {
        SCOPED_TRACE("delimiter '" + delimiter + "'");
        builder.setDataFileDelimiter(delimiter);
        EXPECT_EQ(builder.toString(), repeat(delimiter, SheetFieldCount - 1));
    }
}

TEST_F(DataBuilderTest, FieldsStandAtTheirRecordPositions) {
    for (std::size_t i = 0; i < SheetFieldCount; ++i) builder.setField(SheetField(i), "v" + std::to_string(i + 1));
    builder.setRearUprightToeIn("2.5 deg");  // the named accessor is position 55

    builder.setDataFileDelimiter("<>");
    const auto fields = split(builder.toString(), "<>");
    ASSERT_EQ(fields.size(), SheetFieldCount);
    EXPECT_EQ(fields[0], "v1");
    EXPECT_EQ(fields[53], "v54");
    EXPECT_EQ(fields[54], "2.5 deg");
    EXPECT_EQ(fields[111], "v112");

    builder.setDataFileDelimiter("");
    std::string together;
    for (std::size_t i = 1; i <= SheetFieldCount; ++i) together += i == 55 ? "2.5 deg" : "v" + std::to_string(i);
    EXPECT_EQ(builder.toString(), together);
    EXPECT_EQ(builder.OutputString(), together);
}

// A value holding the delimiter must not shift the fields after it.
TEST_F(DataBuilderTest, DelimiterInsideAValueKeepsEveryFieldInPlace) {
    struct Case {
        std::string delimiter;
        std::size_t position;  // 0-based
        std::string value;
        std::string inRecord;
    };
    const Case cases[] = {
        {"|", 0, "Sam|Keller", "Sam Keller"},
        {"|", 54, "|2.5|", " 2.5 "},
        {"|", 111, "2||", "2  "},
        {",", 92, "Pushed mid-corner, loose", "Pushed mid-corner  loose"},
        {"<>", 40, "a<>b<>", "a b "},
        {"<>", 111, "a<", "a<"},
        // A delimiter that overlaps itself: the tail of a value must not pair
        // up with the delimiter that follows it.
        {"||", 10, "a|||b", "a |b"},
        {"||", 10, "a|", "a "},
        {"aba", 0, "xab", "x "},
        // A blank cannot replace a blank.
        {" ", 3, "Club Race 3", "ClubRace3"},
        {"  ", 5, "a   b ", "a b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("delimiter '" + c.delimiter + "', value '" + c.value + "'");
        CDataBuilder b;
        b.setMappingDirectory(folder.str() + "\\Mapping\\");
        for (std::size_t i = 0; i < SheetFieldCount; ++i) b.setField(SheetField(i), "f");
        b.setField(SheetField(c.position), c.value);
        b.setDataFileDelimiter(c.delimiter);

        const auto fields = split(b.toString(), c.delimiter);
        ASSERT_EQ(fields.size(), SheetFieldCount);
        for (std::size_t i = 0; i < SheetFieldCount; ++i) EXPECT_EQ(fields[i], i == c.position ? c.inRecord : "f");
        EXPECT_EQ(b.field(SheetField(c.position)), c.value) << "the field itself keeps what it was given";
    }
}

TEST_F(DataBuilderTest, MappingFileNumbersEveryFieldAndIsReplacedOnEachBuild) {
    folder.write("Mapping/Mapping_RDX.map", repeat("999=fldStale\r\n", 300));
    builder.setDataFileDelimiter("|");
    builder.setRearUprightToeIn("some value");
    builder.toString();
    builder.toString();

    const std::string text = mappingFile();
    const auto lines = crlfLines(text);
    ASSERT_EQ(lines.size(), 112u);
    EXPECT_EQ(lines[0], "1=fldDriverName");
    EXPECT_EQ(lines[18], "19=fldAckermanBellcrank1");
    EXPECT_EQ(lines[54], "55=fldRearUprightToeIn");
    EXPECT_EQ(lines[111], "112=fldResultsFinishPos");
    EXPECT_EQ(text.find("Stale"), std::string::npos);
}

TEST_F(DataBuilderTest, EmptySetupNameGivesMappingUnderscoreMap) {
    builder.setSetupName("");
    builder.BuildData();
    EXPECT_EQ(crlfLines(mappingFile("Mapping_.map")).size(), 112u);
}

TEST_F(DataBuilderTest, UnwritableMappingFolderStillBuildsTheRecord) {
    builder.setMappingDirectory(folder.str() + "\\NoSuchFolder\\");
    builder.setDataFileDelimiter("|");
    builder.setDriverName("Sam");
    EXPECT_EQ(builder.toString(), "Sam" + repeat("|", 111));
}

}  // namespace
