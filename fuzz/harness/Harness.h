#pragma once
// The fuzz harnesses: each feeds one input to a reader of files a user hands
// us and checks what must hold whatever the bytes. The fuzz targets run them
// under libFuzzer; the hardening tests replay kept inputs through them.

#include <string>
#include <string_view>

namespace fuzzharness {

// Profile files: read entries of a file made from the input, write one, and
// check the entry reads back and no other entry changed.
void profileFile(std::string_view input);
// Quorrel's mapping file reader on a file made from the input.
void mappingFile(std::string_view input);
// Quorrel's record reader: a record of a file made from the input, cut into
// fields that join back to the record.
void recordFile(std::string_view input);
// The PDF engine: open a file made from the input, read and write its
// fields, add one, save.
void pdfDocument(std::string_view input);

// The registry of setup readers on a file made from the input (its first
// byte picks the file's name): an error names the file, and a raw data file's
// setup written again reads back the same.
void setupFile(std::string_view input);

// The team folder's intake over a folder of entries made from the input
// (sheets, broken files, links out of the folder, pipes, names with control
// characters), scanned twice: nothing from outside the folder comes in,
// nothing is taken twice, every name it reports prints on one line.
void teamFolder(std::string_view input);

// The library's CSV reader: every setup it reads is written again as an
// export writes it and reads back the same; a file refused says why and
// hands on no row first.
void csvFile(std::string_view input);

// The reader of a team mate's run file on the input: a refusal prints on one
// line and brings nothing; every lap, position and temperature taken lies in
// its range, and the runs taken, written again, read back the same.
void runFile(std::string_view input);

// Called when a check fails; never returns. The fuzz targets abort, so
// libFuzzer keeps the input; the tests throw.
[[noreturn]] void fail(const std::string& what);

}  // namespace fuzzharness

#define FUZZ_CHECK(condition, what)                                                    \
    do {                                                                               \
        if (!(condition)) ::fuzzharness::fail(std::string(#condition " - ") + (what)); \
    } while (0)
