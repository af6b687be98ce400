#pragma once
// Paths are UTF-8 text everywhere in the program. The standard library reads
// a narrow string by the system's code page (on Windows one byte a
// character, so "Zoë" names another file) and writes it back as UTF-8: every
// std::filesystem::path made from text, and every text taken from one, goes
// through these.

#include <filesystem>
#include <string>
#include <string_view>

namespace platform::paths {

// The path that UTF-8 text names. Bytes that are not UTF-8 (a name written
// on another system) are taken as the standard library takes them.
std::filesystem::path pathOf(std::string_view text);

// A path as UTF-8 text.
std::string textOf(const std::filesystem::path& path);

// The parts of a native path, as text: the last name ("a.pdf"), the folder
// that holds it, the last name without its extension, and the extension with
// its dot (".pdf"), by the system's separators.
std::string fileNameOf(std::string_view nativePath);
std::string folderOf(std::string_view nativePath);
std::string stemOf(std::string_view nativePath);
std::string extensionOf(std::string_view nativePath);

// A name below a native folder as std::filesystem::path's "/" puts it: one
// separator where the folder ends in one already.
std::string appended(std::string_view nativeFolder, std::string_view name);

}  // namespace platform::paths
