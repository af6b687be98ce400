#include "CDelimitedFileHandler.h"
#include "FuzzInput.h"
#include "Harness.h"
#include "ScratchFolder.h"
#include "platform/Text.h"
#include "platform/Error.h"

namespace fuzzharness {

namespace {

constexpr int16_t kMaxJoinedFields = 2000;  // keeps one input quick

}  // namespace

void recordFile(std::string_view input) {
    FuzzInput in(input);
    const std::string delimiter = in.text(4);
    const int16_t recordNumber = in.number();
    const int16_t probe = in.number();
    const std::string file = scratchFile("SheetData.txt", in.rest());

    quorrel::CDelimitedFileHandler handler;
    handler.setDelimiter(delimiter);
    std::string record;
    try {
        record = handler.GetRecordFromFile(file, recordNumber);
    } catch (const platform::Error& e) {
        FUZZ_CHECK(false, "reading a plain file failed: " + e.description());
    }
    if (recordNumber <= 0) FUZZ_CHECK(record.empty(), "record number 0 or less found a record");

    try {
        const int16_t count = handler.CountFields(record);
        FUZZ_CHECK(count >= 1, "fewer than one field");
        FUZZ_CHECK(handler.GetField(record, 0) == record, "field 0 is not the whole record");
        if (count < 32767)
            FUZZ_CHECK(handler.GetField(record, static_cast<int16_t>(count + 1)).empty(), "a field past the last");
        (void)handler.GetField(record, probe);
        (void)handler.Pos(record, probe);

        // With a one-character delimiter the fields join back into the record.
        const std::u32string delimiterChars = platform::text::toUtf32(delimiter);
        if (delimiterChars.size() == 1 && count <= kMaxJoinedFields) {
            const std::string separator = platform::text::fromUtf32(delimiterChars);
            std::string joined;
            for (int16_t k = 1; k <= count; ++k) {
                if (k > 1) joined += separator;
                joined += handler.GetField(record, k);
            }
            FUZZ_CHECK(joined == record, "the fields do not join back into the record");
            int16_t previous = 0;
            for (int16_t k = 1; k < count; ++k) {
                const int16_t at = handler.Pos(record, k);
                FUZZ_CHECK(at > previous, "delimiter positions do not increase");
                previous = at;
            }
            FUZZ_CHECK(handler.Pos(record, count) == 0, "a delimiter past the last");
        }
    } catch (const platform::Error& e) {
        // Only a record beyond the 16-bit limits may overflow.
        FUZZ_CHECK(e.number() == platform::ErrOverflow, "error " + std::to_string(e.number()) + " " + e.description());
        FUZZ_CHECK(platform::text::toUtf32(record).size() >= 32767, "overflow on a record inside the limits");
    }
}

}  // namespace fuzzharness
