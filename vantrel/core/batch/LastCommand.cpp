// vantrel-batch --last TRACK OUT.dat [--driver NAME]: the setup of the latest
// event at TRACK as a raw data file, replacing OUT.dat atomically; "Error: "
// and status 1 when the library has none there (OUT.dat then as it was).
#include <ostream>

#include "BatchCommand.h"
#include "InstallationCheck.h"
#include "SetupFile.h"
#include "library/TrackHistory.h"
#include "platform/Error.h"
#include "platform/Paths.h"

namespace vantrel::batch {

namespace {

int last(const Arguments& args, Context& context) {
    const std::string& track = args.operands[0];
    const std::string driver = args.value("--driver");
    return reportingErrors(context.err, [&] {
        checkSettings(context.installation);
        const auto setups = library::openForHistory(context.installation.libraryFile());
        const auto last = library::lastHere(*setups, track, driver);
        if (!last) {
            context.err << platform::errorLine("The setup library " + setups->path() + " has no setup at " + track +
                                               (driver.empty() ? "" : " of " + driver))
                        << std::endl;
            return ExitSomeFailed;
        }
        writeSetupFile(platform::paths::toNative(args.operands[1]), last->setup.values);
        return ExitSuccess;
    });
}

}  // namespace

const Command& lastCommand() {
    static const Command command{
        .name = "--last",
        .usage = {"--last TRACK OUT.dat [--driver NAME]"},
        .help = {{"--last TRACK OUT.dat [--driver NAME]",
                  "write the setup of the latest event at TRACK as a raw data file"}},
        .manual = R"roff(
.TP
.BI \-\-last " TRACK OUT.dat"
Write the setup of the latest meeting at
.I TRACK
as a raw data file, replacing
.I OUT.dat
as a whole.
)roff",
        .options = {{"--driver", "NAME"}},
        .minOperands = 2,
        .maxOperands = 2,
        .operandsError = "--last takes a track and an output file",
        .usageProblem = {},
        .run = last,
    };
    return command;
}

}  // namespace vantrel::batch
