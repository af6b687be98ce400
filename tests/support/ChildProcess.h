#pragma once
// Starts a program as a racer's shell would, with an argument vector rather
// than a command line to quote: in a folder of the test's choosing, its
// standard output and error kept in files, and waits for its end. Built for
// both systems (process/), so end-to-end cases run the shipped executables
// wherever they are built.

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

struct ChildResult {
    int status;  // the exit status; -1 when it could not start or was killed
    std::string out, err;
};

// Runs `program` (a path) with `arguments` in `folder`; what it writes to
// standard output and error goes to `outFile` and `errFile` and comes back,
// as text (the line ends of a Windows program's text mode read as "\n").
// The child sees the test's environment as it is at the call.
ChildResult runChild(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                     const std::filesystem::path& folder, const std::filesystem::path& outFile,
                     const std::filesystem::path& errFile);

// The name of an executable as the system writes it ("vantrel-batch" gives
// "vantrel-batch.exe" where programs end so).
std::string executableName(const std::string& name);

}  // namespace testsupport
