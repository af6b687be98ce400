// vantrel-batch --history TRACK [--driver NAME]: one line per setup at TRACK
// in event order, tab-separated: event date, driver, event, qualifying and
// finishing position, and what changed from that driver's setup before there
// ("Front Shock Oil 35 → 40; ...").
#include <ostream>

#include "BatchCommand.h"
#include "InstallationCheck.h"
#include "library/TrackHistory.h"
#include "platform/Error.h"
#include "platform/Text.h"

namespace vantrel::batch {

namespace {

// A value on one tab-separated line, as a terminal may show it (see --runs).
std::string cell(std::string_view text) { return platform::text::printable(text); }

int history(const Arguments& args, Context& context) {
    const std::string& track = args.operands[0];
    const std::string driver = args.value("--driver");
    return reportingErrors(context.err, [&] {
        checkSettings(context.installation);
        const auto setups = library::openForHistory(context.installation.libraryFile());
        const auto history = library::trackHistory(*setups, track, driver);
        if (history.empty()) {
            context.err << platform::errorLine("The setup library " + setups->path() + " has no setup at " + track +
                                               (driver.empty() ? "" : " of " + driver))
                        << std::endl;
            return ExitSomeFailed;
        }
        std::string lines;
        for (const library::HistoryEntry& entry : history) {
            const auto& v = entry.setup.values;
            std::string changed;
            for (const library::SetupChange& change : entry.changes)
                changed += (changed.empty() ? "" : "; ") + library::changeText(change);
            lines += cell(entry.eventDate) + '\t' + cell(v[std::size_t(SetupField::DriverName)]) + '\t' +
                     cell(v[std::size_t(SetupField::EventName)]) + '\t' +
                     cell(v[std::size_t(SetupField::ResultsQualifyingPos)]) + '\t' +
                     cell(v[std::size_t(SetupField::ResultsFinishPos)]) + '\t' + cell(changed) + '\n';
        }
        context.out << lines << std::flush;
        return ExitSuccess;
    });
}

}  // namespace

const Command& historyCommand() {
    static const Command command{
        .name = "--history",
        .usage = {"--history TRACK [--driver NAME]"},
        .help = {{"--history TRACK [--driver NAME]",
                  "the setups at TRACK in event order and what changed, tab-separated"}},
        .manual = R"roff(
.TP
.BI \-\-history " TRACK"
Print the setups at
.I TRACK
in event order, tab-separated, one line a meeting: event date, driver, event,
qualifying and finishing position, and what changed.
)roff",
        .options = {{"--driver", "NAME"}},
        .minOperands = 1,
        .maxOperands = 1,
        .operandsError = "--history takes one track",
        .usageProblem = {},
        .run = history,
    };
    return command;
}

}  // namespace vantrel::batch
