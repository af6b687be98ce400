// libFuzzer entry point for one harness, chosen by FUZZ_HARNESS at compile time.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "Harness.h"

namespace fuzzharness {

void fail(const std::string& what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::abort();
}

}  // namespace fuzzharness

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::FUZZ_HARNESS(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
