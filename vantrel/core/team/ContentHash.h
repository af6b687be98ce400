#pragma once
// A file's content as a name: SHA-256 in hexadecimal, so that a team mate
// cannot make a file of theirs pass for one the library read before.

#include <string>
#include <string_view>

namespace vantrel::team {

std::string contentHash(std::string_view bytes);

}  // namespace vantrel::team
