// vantrel-batch --extract SHEET.pdf OUTFILE.dat: the setup of a sheet (the
// one attached to it, else the one its fields give) as a raw data file,
// replacing OUTFILE atomically once the sheet is read whole; the meeting's
// runs the sheet carries go into the library.
#include <ostream>

#include "BatchCommand.h"
#include "InstallationCheck.h"
#include "SetupFile.h"
#include "SetupReaders.h"
#include "SheetRuns.h"
#include "TeamSync.h"
#include "library/SetupLibrary.h"
#include "platform/Error.h"
#include "platform/Text.h"

namespace vantrel::batch {

namespace {

int extract(const Arguments& args, Context& context) {
    const Installation& installation = context.installation;
    if (const int refused = reportingErrors(context.err, [&] {
            checkSettings(installation);
            return ExitSuccess;
        }))
        return refused;
    const std::string& sheet = args.operands[0];
    const std::string& outFile = args.operands[1];
    return reportingErrors(
        context.err,
        [&] {
            // Read whole before the output is touched: a failure leaves it as it was.
            const SetupRead read = readSetup(sheet, setupTypeFolders(installation));
            writeSetupFile(outFile, read.values);
            if (!read.fromEdits.empty())
                context.out << platform::text::printable(sheet) << ": " << editsNote(read) << std::endl;
            // The meeting's runs the sheet carries go back into the library,
            // a team mate's as theirs.
            std::size_t runs = 0;
            std::string racer;
            try {
                library::SetupLibrary setups(installation.libraryFile());
                racer = installationDriver(installation, setups);
            } catch (const platform::Error&) {
                // The library cannot be opened: taking the runs says so below.
            }
            if (const std::string warning = takeSheetRuns(installation.libraryFile(), sheet, runs, racer);
                !warning.empty())
                context.err << "Warning: " << platform::text::printable(warning) << std::endl;
            if (runs > 0) context.out << "Runs added: " << runs << std::endl;
            return ExitSuccess;
        },
        sheet);
}

}  // namespace

const Command& extractCommand() {
    static const Command command{
        .name = "--extract",
        .usage = {"--extract SHEET.pdf OUTFILE.dat"},
        .help = {{"--extract SHEET OUTFILE",
                  "write the setup of a sheet (attached, or read from its\n"
                  "fields) as a raw data file"}},
        .manual = R"roff(
.TP
.BI \-\-extract " SHEET OUTFILE"
Write the setup a sheet was built from as a raw data file: the setup attached
to the sheet or, for a sheet without one, the setup its form fields give.
.I OUTFILE
is replaced as a whole, and only once the sheet has been read. The runs of
its meeting that a sheet carries go into the setup library, each once
(\(lqRuns added: N\(rq).
)roff",
        .options = {},
        .minOperands = 2,
        .maxOperands = 2,
        .operandsError = "--extract takes a sheet and an output file",
        .usageProblem = {},
        .run = extract,
    };
    return command;
}

}  // namespace vantrel::batch
