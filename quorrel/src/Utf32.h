#pragma once
// Positions in records count characters, not bytes, so a one-character
// delimiter such as "¦" works on UTF-8 text.

#include <string>
#include <string_view>

namespace quorrel::utf32 {

// Bytes that are not UTF-8 are read as Windows-1252 first.
std::u32string decode(std::string_view text);
std::string encode(std::u32string_view chars);

}  // namespace quorrel::utf32
