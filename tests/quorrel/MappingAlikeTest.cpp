// The form filler and the readers of sheets read one mapping file alike: for
// any mapping the filler takes, the readers' layout is the filler's fields
// that a sheet shows (positions 1 to 112, a name), in file order; one the
// filler refuses, the readers refuse too.

#include <gtest/gtest.h>
#include <random>

#include "CAdobeField.h"
#include "CAdobeFields.h"
#include "CMappingFileHandler.h"
#include "FormFieldMap.h"
#include "TempProgramFolder.h"
#include "platform/Error.h"
#include "platform/com/Variant.h"

namespace {

// A mapping text of the spellings files carry: signs, fractions, blanks, line
// ends of each kind, Windows-1252 names, a line without "=" now and then.
std::string mappingText(std::mt19937& rng) {
    static const char* const kIndexes[] = {"1", "+2", "3.4", "4.5", "5.5", " 7 ", "-1", "0", "112", "113", "0012", "x"};
    static const char* const kNames[] = {"fldDriverName", " fldNotes ", "Caf\xe9", "Zo\xc3\xab", "", "a=b", "fld 3"};
    static const char* const kEnds[] = {"\r\n", "\r", "\n", "\r\n\r\n"};
    std::string text;
    const int lines = int(rng() % 8);
    for (int i = 0; i < lines; ++i) {
        if (rng() % 25 == 0) text += "no equals sign";
        else text += std::string(kIndexes[rng() % 12]) + "=" + kNames[rng() % 7] + std::to_string(i);
        text += kEnds[rng() % 4];
    }
    return text;
}

}  // namespace

TEST(MappingFile, TheFillerAndTheReadersReadItAlike) {
    testsupport::TempProgramFolder folder;
    std::mt19937 rng(32);
    int taken = 0;
    for (int round = 0; round < 400; ++round) {
        const std::string text = mappingText(rng);
        const std::string path = folder.write("Mapping/M.map", text).string();
        quorrel::CAdobeFields fields;
        bool filled = true;
        try {
            quorrel::CMappingFileHandler().LoadMapping(path, fields);
        } catch (const platform::Error&) {
            filled = false;
        }
        const auto layout = vantrel::readMappingFile(path);
        SCOPED_TRACE(::testing::PrintToString(text));
        if (!filled) {
            EXPECT_FALSE(layout);
            continue;
        }
        ++taken;
        ASSERT_TRUE(layout);
        std::vector<std::pair<std::size_t, std::string>> expected, read;
        for (int32_t i = 1; i <= fields.count(); ++i) {
            const auto field = fields.item(com::Variant(i));
            if (field->DataFileFieldIndex() >= 1 && field->DataFileFieldIndex() <= 112 && !field->FieldName().empty())
                expected.emplace_back(std::size_t(field->DataFileFieldIndex() - 1), field->FieldName());
        }
        for (const auto& mapped : *layout) read.emplace_back(mapped.sheetField, mapped.formField);
        EXPECT_EQ(read, expected);
    }
    EXPECT_GT(taken, 100) << "too few mappings the filler takes to compare";
}
