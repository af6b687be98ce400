#pragma once
// The library's file before SQLite opens it: whether the bytes there are a
// setup library, and putting a newly built one in place under its name.

#include <functional>
#include <string>

namespace vantrel::library {

// What the first bytes say about a file that is there; the empty text for a
// library (SQLite's header and the application id ApplicationId).
std::string headerProblem(const std::string& path);

// Puts the finished file `from` under the name `to` unless a file is there
// already: through a hard link, else (FAT, exFAT, some network shares) as a
// copy under an exclusive create. Answers 0, EEXIST when a file got there
// first, or the errno of the failure; `from` stays. hardLink is link() as
// the library's options give it.
using HardLink = std::function<int(const std::string& from, const std::string& to)>;
int publishNewFile(const std::string& from, const std::string& to, const HardLink& hardLink);

}  // namespace vantrel::library
