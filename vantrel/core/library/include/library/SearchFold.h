#pragma once
// Text as the library's search compares it: letters without case and
// accents, so that "a" finds "à" and "ä" and "zurich" finds "Zürich".

#include <string>
#include <string_view>

namespace vantrel::library {

// ASCII letters to lower case; the letters of Latin-1 and Latin Extended-A
// (U+00C0 to U+017F) to their base letter(s) in lower case ("Æ" gives "ae",
// "ß" gives "ss", "Ł" gives "l"); every other character as it is. Bytes that
// are not UTF-8 are read as Windows-1252 first. Answers UTF-8.
std::string foldForSearch(std::string_view text);

}  // namespace vantrel::library
