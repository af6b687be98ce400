#pragma once
// One temporary folder per process for the files the harnesses make,
// removed when the process ends.

#include <string>
#include <string_view>

namespace fuzzharness {

// Writes bytes to a file of that name in the scratch folder; its path.
std::string scratchFile(const std::string& name, std::string_view bytes);
// The path of a file in the scratch folder, without creating it.
std::string scratchPath(const std::string& name);
// The file's bytes; empty when it cannot be read.
std::string readBytes(const std::string& path);

}  // namespace fuzzharness
