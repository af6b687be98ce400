#pragma once
// Symbolic links made by a test where the system lets it make them. Wine
// makes none (and shows a Unix link as a plain file): a case whose rows need
// one says so by the reason below, and those rows run on Linux.

#include <filesystem>
#include <system_error>

namespace testsupport {

inline constexpr const char* kNoLinks =
    "symbolic links cannot be made here (Wine makes none): the rows with links run on Linux";

// True when the link stands at `link`, pointing to `target`.
inline bool madeLink(const std::filesystem::path& target, const std::filesystem::path& link) {
    std::error_code error;
    std::filesystem::create_symlink(target, link, error);
    return !error;
}

}  // namespace testsupport
