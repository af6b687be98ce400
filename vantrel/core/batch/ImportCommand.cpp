// vantrel-batch [--setup NAME] --import PATH...: the setups of sheets and raw
// data files (folders searched through) into the setup library, the runs the
// sheets carry with them; what was added on standard output, each file it
// could not take on standard error: 0 when every file was added or there.
#include <ostream>

#include "BatchCommand.h"
#include "ImportReaders.h"
#include "InstallationCheck.h"
#include "SetupReaders.h"
#include "SheetRuns.h"
#include "TeamSync.h"
#include "library/SetupImport.h"
#include "library/SetupLibrary.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace vantrel::batch {

namespace {

int importSetups(const Arguments& args, Context& context) {
    const Installation& installation = context.installation;
    const std::string setupName = args.value("--setup", "RDX");
    if (const int refused = reportingErrors(context.err, [&] {
            checkSetupName(setupName);
            checkSettings(installation);
            return ExitSuccess;
        }))
        return refused;
    std::ostream& out = context.out;
    std::ostream& err = context.err;
    return reportingErrors(err, [&] {
        library::SetupLibrary setups(installation.libraryFile());
        const auto readers = importReaders(setupTypeFolders(installation), setupName);
        std::vector<const library::SetupFileReader*> use;
        for (const auto& reader : readers) use.push_back(reader.get());
        std::vector<std::string> paths;
        for (const std::string& path : args.operands) paths.push_back(platform::paths::toNative(path));
        // A sheet or a row of another driver's comes in as theirs, its runs too.
        const std::string racer = installationDriver(installation, setups);
        const library::ImportReport report = library::importSetups(setups, paths, use, {}, [&](const Setup& values) {
            return teamMateOf(values[std::size_t(SetupField::DriverName)], {}, racer);
        });

        out << "Added: " << report.added.size() << "\n"
            << "Already there: " << report.alreadyThere.size() << "\n";
        if (!report.updated.empty()) out << "Updated: " << report.updated.size() << "\n";
        // The runs the sheets carry come with them.
        std::size_t runs = 0;
        for (const auto* files : {&report.added, &report.alreadyThere, &report.updated})
            for (const std::string& file : *files) {
                std::size_t added = 0;
                if (const std::string warning = takeSheetRuns(setups.path(), file, added, racer); !warning.empty())
                    err << "Warning: " << platform::text::printable(warning) << std::endl;
                runs += added;
            }
        if (runs > 0) out << "Runs added: " << runs << "\n";
        out << std::flush;
        for (const auto& problem : report.notSetups)
            err << "Not a setup: " << platform::text::printable(problem.file) << std::endl;
        for (const auto& problem : report.unreadable)
            err << platform::text::printable(platform::fileFailure("Cannot read", problem.file, problem.reason))
                << std::endl;
        if (!report.libraryError.empty()) err << platform::errorLine(report.libraryError) << std::endl;
        const bool allTaken = report.notSetups.empty() && report.unreadable.empty() && report.libraryError.empty();
        return allTaken ? ExitSuccess : ExitSomeFailed;
    });
}

}  // namespace

const Command& importCommand() {
    static const Command command{
        .name = "--import",
        .usage = {"[--setup NAME] --import PATH..."},
        .help = {{"--import PATH...",
                  "add the setups of sheets and raw data files (folders too)\n"
                  "to the setup library"}},
        .manual = R"roff(
.TP
.BI \-\-import " PATH..."
Add the setups of sheets and raw data files to the setup library; folders are
searched through.
A setup that is there already is not added again; the runs a sheet carries
come with it (\(lqRuns added: N\(rq).
)roff",
        .options = {{"--setup", "NAME", false}},
        .minOperands = 1,
        .maxOperands = SIZE_MAX,
        .operandsError = "--import takes at least one file or folder",
        .usageProblem = {},
        .run = importSetups,
    };
    return command;
}

}  // namespace vantrel::batch
