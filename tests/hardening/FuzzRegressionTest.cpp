// Every input kept from a fuzz finding, and every seed the fuzzers start
// from, goes through its harness again: the fault must stay fixed, and the
// sanitizer build checks each of them too.

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "Harness.h"
#include "ScratchFolder.h"

namespace fuzzharness {

struct HarnessFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void fail(const std::string& what) { throw HarnessFailure(what); }

}  // namespace fuzzharness

namespace {

namespace fs = std::filesystem;

struct Target {
    const char* name;
    void (*harness)(std::string_view);
};

void PrintTo(const Target& t, std::ostream* out) { *out << t.name; }

class FuzzRegressionTest : public ::testing::TestWithParam<Target> {};

std::vector<fs::path> inputsOf(const std::string& target) {
    std::vector<fs::path> files;
    for (const fs::path& folder :
         {fs::path(VANTREL_TEST_DATA_DIR) / "fuzz-regressions" / target, fs::path(VANTREL_FUZZ_SEEDS_DIR) / target}) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec))
            if (entry.is_regular_file()) files.push_back(entry.path());
    }
    return files;
}

TEST_P(FuzzRegressionTest, KeptInputsPassTheirHarness) {
    const Target target = GetParam();
    const auto inputs = inputsOf(target.name);
    // A target with nothing to replay would pass without checking anything.
    ASSERT_FALSE(inputs.empty()) << "no kept inputs and no seeds for " << target.name;
    for (const auto& file : inputs) {
        SCOPED_TRACE(file.string());
        const std::string bytes = fuzzharness::readBytes(file.string());
        try {
            target.harness(bytes);
        } catch (const fuzzharness::HarnessFailure& e) {
            ADD_FAILURE() << "check failed: " << e.what();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "escaped: " << e.what();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Readers, FuzzRegressionTest,
    ::testing::Values(Target{"fuzz_profile", fuzzharness::profileFile},
                      Target{"fuzz_mapping", fuzzharness::mappingFile}, Target{"fuzz_record", fuzzharness::recordFile},
                      Target{"fuzz_pdf", fuzzharness::pdfDocument}, Target{"fuzz_setup", fuzzharness::setupFile},
                      Target{"fuzz_team", fuzzharness::teamFolder}, Target{"fuzz_csv", fuzzharness::csvFile},
                      Target{"fuzz_run", fuzzharness::runFile}),
    [](const auto& info) { return std::string(info.param.name).substr(5); });

}  // namespace
