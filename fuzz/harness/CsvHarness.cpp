#include <string>

#include "Harness.h"
#include "library/SetupCsv.h"

namespace fuzzharness {

using vantrel::library::csvField;
using vantrel::library::CsvSetup;
using vantrel::library::readCsv;

void csvFile(std::string_view input) {
    std::string header = csvField("SetupType") + "," + csvField("Sheet");
    for (const std::string_view key : vantrel::SetupFieldKeys) header += "," + csvField(key);
    header += "," + csvField(vantrel::library::CsvTextMarkHeading) + "\r\n";

    std::string whyNot;
    std::size_t taken = 0, lastRow = 1;
    const auto read = readCsv(
        input,
        [&](CsvSetup& setup) {
            FUZZ_CHECK(setup.row > lastRow, "rows out of order");
            FUZZ_CHECK(!setup.entry.setupType.empty(), "a row without SetupType taken");
            lastRow = setup.row;
            // What is read is written again as the export writes it, and reads back the same.
            std::string row = csvField(setup.entry.setupType) + "," + csvField(setup.entry.sheet);
            for (const std::string& v : setup.entry.values) row += "," + csvField(v);
            std::string again;
            std::size_t count = 0;
            const auto back = readCsv(
                header + row + ",\"\"\r\n",
                [&](CsvSetup& copy) {
                    ++count;
                    FUZZ_CHECK(copy.entry.setupType == setup.entry.setupType, "SetupType read back otherwise");
                    FUZZ_CHECK(copy.entry.sheet == setup.entry.sheet, "a sheet read back otherwise");
                    FUZZ_CHECK(copy.entry.values == setup.entry.values, "values read back otherwise");
                    return true;
                },
                again);
            FUZZ_CHECK(back && count == 1, "a row written again is no row: " + again);
            return ++taken < 50;
        },
        whyNot);
    if (!read) {
        FUZZ_CHECK(!whyNot.empty() && taken == 0, "a refusal without a reason, or after rows were taken");
        return;
    }
    FUZZ_CHECK(read->setups == taken || taken == 50, "rows counted otherwise than taken");
}

}  // namespace fuzzharness
