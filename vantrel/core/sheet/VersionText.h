#pragma once
// What `vantrel-batch --version` prints and the window's About shows: the
// program's version, then the versions of the libraries it runs with, as
// loaded in this process (a release carries its own, a build uses Debian's).

#include <string>
#include <string_view>

namespace vantrel {

// One line each: "<program> <version>", "Qt <version>" (or that the program
// runs without Qt, when qtVersion is empty), "qpdf <version>", "SQLite <version>".
std::string versionText(std::string_view program, std::string_view qtVersion);

}  // namespace vantrel
