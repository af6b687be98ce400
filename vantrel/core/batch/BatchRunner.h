#pragma once
// The command-line companion of the window: builds one sheet per raw data
// file, as the window does with an external data file, where there is no
// screen or where many sheets are wanted at once; and reads sheets, the
// library and a meeting's runs back. Each command is a file of its own
// (BatchCommand.h lists them; `vantrel-batch --help` and the manual page
// describe them).
//
// Each sheet's path goes to standard output on a line of its own; a failed
// build prints "Error: " + the error's source to standard error and the next
// file is built. Exit status: 0 all built, 1 some failed, 2 wrong usage.
//
// A built sheet's setup goes into the setup library; when it cannot, a line
// "Warning: " + why goes to standard error and the exit status stays as it is.
//
// Every command but --help, --version, --fields and --suggest-mapping first
// checks bin/Vantrel.ini (checkSettings): one that is missing, cannot be read
// or has no [Vantrel] section gives one "Error: " line naming it and what is
// wrong, exit 1, and nothing read or written. Every text that came from a
// library, a team folder, a sheet or a file is printed through
// platform::text::printable: control and bidi characters escaped.

#include <iosfwd>
#include <string>
#include <vector>

#include "BatchCommand.h"
#include "Installation.h"

namespace vantrel {

class BatchRunner {
public:
    static constexpr int ExitSuccess = batch::ExitSuccess;
    static constexpr int ExitSomeFailed = batch::ExitSomeFailed;
    static constexpr int ExitUsage = batch::ExitUsage;

    // installation: read where the program starts (Installation::read).
    BatchRunner(std::ostream& out, std::ostream& err, Installation installation)
        : m_out(out), m_err(err), m_installation(std::move(installation)) {}

    // args: the command line without the program name.
    int run(const std::vector<std::string>& args);
    // Returns once the time of day has left the stamp that ends the name of
    // lastSheet (a sheet's path), so that the next sheet's name differs;
    // after at most a hundredth of a second and a bit in any case.
    static void waitForAnotherStamp(const std::string& lastSheet);

    static std::string usage();

private:
    std::ostream& m_out;
    std::ostream& m_err;
    const Installation m_installation;
};

}  // namespace vantrel
