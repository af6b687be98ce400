// The two text readers: mapping lines and delimited records, as Quorrel
// reads them (line ends, index numbers, field cutting, 16-bit limits).

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <optional>
#include <thread>

#include "CAdobeFields.h"
#include "CDelimitedFileHandler.h"
#include "CMappingFileHandler.h"
#include "TempProgramFolder.h"
#include "platform/Error.h"
#include "platform/Paths.h"

// The readers' objects live in this executable too; they count here.
COM_DEFINE_MODULE_COUNTS()

namespace {

using quorrel::CAdobeFields;
using quorrel::CDelimitedFileHandler;
using quorrel::CMappingFileHandler;

std::optional<int32_t> errorNumberOf(const std::function<void()>& body) {
    try {
        body();
    } catch (const platform::Error& e) {
        return e.number();
    }
    return std::nullopt;
}

TEST(MappingIndex, LeadingDecimalNumberRoundedHalfToEvenWithin16Bits) {
    struct Case {
        const char* text;
        int expected;  // -99999: overflow
    };
    const Case cases[] = {
        {"12", 12},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"1.51", 2},
        {"0.5", 0},
        {".5", 0},
        {"+7", 7},
        {"7abc", 7},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"1.2.3", 1},
        {"007", 7},
        {"32767", 32767},
        {"-32768", -32768},
        {"-32768.5", -32768},
        {"32767.5", -99999},
        {"32768", -99999},
        {"-32769", -99999},
        {"99999999999", -99999},
        {"2.50000001", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.expected == -99999) {
            EXPECT_EQ(errorNumberOf([&] { CMappingFileHandler::parseIndex(c.text); }), 6);
        } else {
            EXPECT_EQ(CMappingFileHandler::parseIndex(c.text), c.expected);
        }
    }
}

struct Entry {
    int index;
    std::string name;
    bool operator==(const Entry&) const = default;
};

std::vector<Entry> entriesOf(const CAdobeFields& fields) {
    std::vector<Entry> out;
    for (int32_t i = 1; i <= fields.count(); ++i) {
        auto f = fields.item(com::Variant(i));
        out.push_back({f->DataFileFieldIndex(), f->FieldName()});
        EXPECT_EQ(f->FieldValue(), "");
    }
    return out;
}

TEST(MappingFile, LinesBecomeMembersInFileOrder) {
    testsupport::TempProgramFolder folder;
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<Entry> entries;
        bool fails;
    };
    const std::vector<Case> cases{
        {"blanks trimmed", "  12 = fldX \r\n", {{12, "fldX"}}, false},
        {"first = splits", "3=a=b\r\n", {{3, "a=b"}}, false},
        {"no number", "abc=fldX\r\n", {{0, "fldX"}}, false},
        {"halves to even", "2.5=fldA\r\n3.5=fldB\r\n", {{2, "fldA"}, {4, "fldB"}}, false},
        {"lone CR ends a line", "1=fldA\r2=fldB", {{1, "fldA"}, {2, "fldB"}}, false},
        {"lone LF does not", "1=fldA\n2=fldB\r\n", {{1, "fldA\n2=fldB"}}, false},
        {"duplicates kept", "1=fldA\r\n2=fldA\r\n", {{1, "fldA"}, {2, "fldA"}}, false},
        {"empty file", "", {}, false},
        {"empty line fails, earlier entries stay", "1=fldA\r\n\r\n2=fldB\r\n", {{1, "fldA"}}, true},
        {"empty last line", "1=fldA\r\n\r\n", {{1, "fldA"}}, true},
        {"line without =", "1=fldA\r\nfldB\r\n", {{1, "fldA"}}, true},
        {"index overflow", "1=fldA\r\n40000=fldB\r\n", {{1, "fldA"}}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder.write("Mapping/m.map", c.bytes).string();
        auto fields = com::server::make<CAdobeFields>();
        CMappingFileHandler handler;
        try {
            handler.LoadMapping(path, *fields.get());
            EXPECT_FALSE(c.fails);
        } catch (const platform::Error& e) {
            EXPECT_TRUE(c.fails);
            EXPECT_EQ(e.number(), 53);
            EXPECT_EQ(e.source(), "CMappingFileHandler");
            EXPECT_EQ(e.description(), "Cannot open " + platform::paths::toNative(path));
        }
        EXPECT_EQ(entriesOf(*fields.get()), c.entries);
    }
}

TEST(MappingFile, EntriesAddToWhatTheCollectionHolds) {
    testsupport::TempProgramFolder folder;
    const std::string path = folder.write("m.map", "2=fldB\r\n").string();
    auto fields = com::server::make<CAdobeFields>();
    fields->add(1, "fldA", "kept");
    CMappingFileHandler().LoadMapping(path, *fields.get());
    ASSERT_EQ(fields->count(), 2);
    EXPECT_EQ(fields->item(com::Variant(int32_t{1}))->FieldValue(), "kept");
    EXPECT_EQ(fields->item(com::Variant(int32_t{2}))->FieldName(), "fldB");
}

TEST(DelimitedRecord, FieldsCutAtEveryDelimiter) {
    struct Case {
        std::string delimiter;
        std::string record;
        int16_t field;
        std::string expected;
    };
    const std::vector<Case> cases{
        {"|", "a|b||d|", 1, "a"},
        {"|", "a|b||d|", 2, "b"},
        {"|", "a|b||d|", 3, ""},
        {"|", "a|b||d|", 4, "d"},
        {"|", "a|b||d|", 5, ""},
        {"|", "a|b||d|", 6, ""},
        {"|", "a|b||d|", 0, "a|b||d|"},
        {"|", "a|b||d|", -32768, "a|b||d|"},
        {"|", "abc", 1, "abc"},
        {"|", "abc", 2, ""},
        {"|", "", 1, ""},
        {"|", " x |\"q\"", 1, " x "},
        {"|", " x |\"q\"", 2, "\"q\""},
        {"", "abc", 1, ""},
        {"", "abc", 2, ""},
        {"||", "a||b", 1, "a"},
        {"||", "a||b", 2, ""},
        {"¦", "é¦ü¦x", 1, "é"},
        {"¦", "é¦ü¦x", 2, "ü"},
        {"¦", "é¦ü¦x", 3, "x"},
        {",", "ab,cd", 2, "cd"},
        {"|", "ab,cd", 2, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("delimiter '" + c.delimiter + "' record '" + c.record + "' field " + std::to_string(c.field));
        CDelimitedFileHandler handler;
        handler.setDelimiter(c.delimiter);
        EXPECT_EQ(handler.GetField(c.record, c.field), c.expected);
    }
}

TEST(DelimitedRecord, CountsAndPositionsInCharacters) {
    CDelimitedFileHandler handler;
    handler.setDelimiter("|");
    EXPECT_EQ(handler.CountFields("a|b||d|"), 5);
    EXPECT_EQ(handler.CountFields(""), 1);
    const int16_t expected[] = {0, 2, 4, 5, 7, 0};
    for (int16_t n = 0; n <= 5; ++n) EXPECT_EQ(handler.Pos("a|b||d|", n), expected[n]) << n;
    handler.setDelimiter("¦");
    EXPECT_EQ(handler.Pos("é¦ü¦x", 2), 4);
    EXPECT_EQ(handler.CountFields("é¦ü¦x"), 3);
}

TEST(DelimitedRecord, SixteenBitLimitsRaiseOverflow) {
    CDelimitedFileHandler handler;
    handler.setDelimiter("|");
    const std::string longest(32767, 'a');
    const std::string tooLong = longest + "|";
    const std::string allDelimiters(32767, '|');
    const std::string mostDelimiters = "a" + std::string(32766, '|');

    EXPECT_EQ(errorNumberOf([&] { handler.CountFields(longest); }), std::nullopt);
    EXPECT_EQ(errorNumberOf([&] { handler.CountFields(tooLong); }), 6);
    EXPECT_EQ(errorNumberOf([&] { handler.Pos(tooLong, 1); }), 6);
    EXPECT_EQ(errorNumberOf([&] { handler.GetField(tooLong, 2); }), 6);
    // The first field overflows only when its delimiter lies beyond 32,767.
    EXPECT_EQ(errorNumberOf([&] { handler.GetField(tooLong, 1); }), 6);
    EXPECT_EQ(handler.GetField(longest + "b", 1), longest + "b");
    EXPECT_EQ(handler.GetField("x|" + longest, 1), "x");
    EXPECT_EQ(errorNumberOf([&] { handler.CountFields(allDelimiters); }), 6);
    EXPECT_EQ(handler.CountFields(mostDelimiters), 32767);
    EXPECT_EQ(handler.GetField(mostDelimiters, 32767), "");
}

TEST(DelimitedFile, RecordsAreLinesEndingInCrLfOrCr) {
    testsupport::TempProgramFolder folder;
    struct Case {
        const char* what;
        std::string bytes;
        int16_t record;
        std::string expected;
    };
    const std::vector<Case> cases{
        {"first of two", "one|1\r\ntwo|2\r\n", 1, "one|1"},
        {"second of two", "one|1\r\ntwo|2\r\n", 2, "two|2"},
        {"past the end", "one|1\r\ntwo|2\r\n", 3, ""},
        {"record 0", "one\r\n", 0, ""},
        {"negative record", "one\r\n", -1, ""},
        {"LF only is one record", "a|b\nc|d\n", 1, "a|b\nc|d\n"},
        {"lone CR", "a\rb", 2, "b"},
        {"no final line end", "a|b", 1, "a|b"},
        {"empty file", "", 1, ""},
        {"empty first line", "\r\nsecond", 1, ""},
        {"Windows-1252 text", "caf\xE9|x\r\n", 1, "caf\xC3\xA9|x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder.write("Data/d.txt", c.bytes).string();
        EXPECT_EQ(CDelimitedFileHandler().GetRecordFromFile(path, c.record), c.expected);
    }
}

TEST(DelimitedFile, UnreadableFileRaisesCannotOpen) {
    testsupport::TempProgramFolder folder;
    for (const std::string& path : {(folder.path() / "none.txt").string(), folder.str(), std::string()}) {
        SCOPED_TRACE(path);
        try {
            CDelimitedFileHandler().GetRecordFromFile(path, 1);
            ADD_FAILURE() << "no error";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), 53);
            EXPECT_EQ(e.source(), "CDelimitedFileHandler");
            EXPECT_EQ(e.description(), "Cannot open " + platform::paths::toNative(path));
        }
    }
}

TEST(DelimitedFile, BackslashPathsAreMadeNative) {
    testsupport::TempProgramFolder folder;
    folder.write("Data/d.txt", "x|y\r\n");
    const std::string systemPath = folder.str() + "\\Data\\d.txt";
    EXPECT_EQ(CDelimitedFileHandler().GetRecordFromFile(systemPath, 1), "x|y");
}

}  // namespace
