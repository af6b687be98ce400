#pragma once
// The number the system knows this process by, for names that must differ
// between processes writing into one folder.

#include <cstdint>

namespace platform::process {

std::uint64_t processId();

}  // namespace platform::process
