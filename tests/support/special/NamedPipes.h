#pragma once
// Named pipes among a folder's files, made by a test where the system has
// them. Windows has none (its pipes live apart from the files): a case whose
// rows need one says so by the reason below, and those rows run on Linux.

#include <filesystem>

namespace testsupport {

inline constexpr const char* kNoNamedPipes =
    "named pipes cannot be made among files here (Windows has none): the rows with pipes run on Linux";

// True when a named pipe stands at `at`.
bool madeNamedPipe(const std::filesystem::path& at);

}  // namespace testsupport
