#pragma once
// Text as the system sees it: UTF-8 is the 8-bit code page on Linux. Bytes
// that are not valid UTF-8 (a file written on a Western Windows system) are
// read as Windows-1252.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::text {

bool isValidUtf8(std::string_view bytes);
std::string fromWindows1252(std::string_view bytes);
// Valid UTF-8 unchanged, anything else decoded as Windows-1252.
std::string decode8Bit(std::string_view bytes);

// Text as characters (code points) and back, for work that counts
// characters: bytes that are not UTF-8 are read as Windows-1252 first.
std::u32string toUtf32(std::string_view text);
std::string fromUtf32(std::u32string_view chars);

// Counting and cutting by character (code point), never inside one.
std::size_t charCount(std::string_view utf8);
std::string leftChars(std::string_view utf8, std::size_t count);
// At most maxBytes bytes, cut back to the last whole character.
std::string cutToBytes(std::string_view utf8, std::size_t maxBytes);

// Letter case folding as the profile files and file names need it
// (ASCII and Latin-1 letters).
std::string toLower(std::string_view utf8);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// A name or text from outside (a file name, a value read from a file) as it
// may be printed or shown: control characters (line breaks, terminal escape
// codes, the Unicode line separators and direction overrides) are written as
// "\n", "\x1b", "\u202e", bytes that are not UTF-8 as "\xff"; everything
// else stands as it is. The result is valid UTF-8 of one line.
std::string printable(std::string_view text);

}  // namespace platform::text
