#pragma once
// The command-line companion of the window: builds one sheet per raw data
// file, as the window does with an external data file, where there is no
// screen or where many sheets are wanted at once.
//
//   vantrel-batch [--setup NAME] [--target DIR] [--open] RAWDATAFILE...
//   vantrel-batch --fields PDF
//   vantrel-batch --suggest-mapping PDF   (SuggestMapping.h)
//   vantrel-batch --extract SHEET.pdf OUTFILE.dat
//   vantrel-batch --export-csv FILE
//   vantrel-batch [--setup NAME] --import PATH...
//   vantrel-batch --sync                  (the team folder into the library; TeamSync.h)
//   vantrel-batch --last TRACK OUT.dat [--driver NAME]    (BatchTrack.h)
//   vantrel-batch --history TRACK [--driver NAME]
//
// Each sheet's path goes to standard output on a line of its own; a failed
// build prints "Error: " + the error's source to standard error and the next
// file is built. Exit status: 0 all built, 1 some failed, 2 wrong usage.
//
// --fields lists the form fields of a PDF, one line each, tab-separated: the
// full name, the kind, the 1-based page, and for check boxes and radio
// buttons their "on" states joined by "|". A PDF that cannot be read or has
// no form prints one line "Error: " + what is wrong and with which file, and
// exits with 1.
//
// --extract writes the setup of a sheet (the one attached to it, else the one
// its fields give) as a raw data file, replacing OUTFILE atomically; a sheet
// that cannot be read or is no setup sheet prints one line "Error: " + what
// is wrong and with which file, exits with 1 and leaves OUTFILE untouched.
//
// A built sheet's setup goes into the setup library; when it cannot, a line
// "Warning: " + why goes to standard error and the exit status stays as it is.
// --export-csv writes the library as CSV, replacing FILE; --import adds the
// setups of sheets and raw data files (folders searched recursively), reports
// what it added on standard output and names each file it could not take on
// standard error: exit 0 when every file was added or already there, else 1.
//
// Every command but --help, --version, --fields and --suggest-mapping first
// checks bin/Vantrel.ini (checkSettings): one that is missing, cannot be read
// or has no [Vantrel] section gives one "Error: " line naming it and what is
// wrong, exit 1, and nothing read or written. Every text that came from a
// library, a team folder, a sheet or a file is printed through
// platform::text::printable: control and bidi characters escaped.

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "Installation.h"

namespace vantrel {

namespace library {
class SetupLibrary;
}

class BatchRunner {
public:
    static constexpr int ExitSuccess = 0;
    static constexpr int ExitSomeFailed = 1;
    static constexpr int ExitUsage = 2;

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
    enum class Command { Build, Fields, SuggestMapping, Extract, ExportCsv, Import, Sync };
    struct Options {
        Command command = Command::Build;
        std::string setupName = "RDX";
        std::string targetFolder;  // empty: the current folder
        bool open = false;
        bool help = false;
        bool version = false;
        // The raw data files to build, or the command's files.
        std::vector<std::string> operands;
    };
    // False (with the reason in error) for a command line that cannot be run.
    static bool parse(const std::vector<std::string>& args, Options& options, std::string& error);
    // Builds one sheet; sheet is its path once built, else empty.
    bool buildOne(const Options& options, const std::string& rawDataFile,
                  const std::shared_ptr<library::SetupLibrary>& setups, std::string& sheet);
    int listFields(const std::string& pdf);
    int extract(const std::string& sheet, const std::string& outFile);
    int exportCsv(const std::string& file);
    int importSetups(const Options& options);
    // Runs one of the commands above: a failure becomes one line "Error: " +
    // what is wrong, naming the file, and exit status 1.
    int command(const std::function<int()>& body, const std::string& file = {});

    std::ostream& m_out;
    std::ostream& m_err;
    const Installation m_installation;
};

}  // namespace vantrel
