// vantrel-batch --paid-off TRACK [--driver NAME] [--origin O]   (--all: every track)
// which change paid off (PaidOff.h): a line naming the tab-separated columns,
// then one line a change: origin (own, team; all when pooled with --origin
// all; --origin own or team: that one alone), change, values, pairs,
// meetings, then the best lap's raw difference, baseline, gain and its 90 %
// interval in seconds (empty where none), the verdict, the baseline's kind,
// how many pairs were alone, what else changed, the row's warnings, the
// 5-best raw difference and gain.
#include <ostream>

#include "BatchCommand.h"
#include "InstallationCheck.h"
#include "RunCommands.h"
#include "library/TrackHistory.h"
#include "platform/Error.h"
#include "runs/PaidOff.h"

namespace vantrel::batch {

namespace {

int paidOff(const Arguments& args, Context& context) {
    const Installation& installation = context.installation;
    std::ostream& out = context.out;
    std::ostream& err = context.err;
    const auto pooling = runs::poolingOf(args.value("--origin"));
    const std::string track = args.has("--all") ? std::string() : args.operands[0];
    return reportingErrors(err, [&] {
        checkSettings(installation);
        const auto setups = library::openForHistory(installation.libraryFile());
        const auto rows = runs::paidOff(*setups, track, args.value("--driver"), *pooling);
        if (rows.empty()) {
            err << platform::errorLine("The setup library " + setups->path() + " has no change between two runs" +
                                       (args.has("--all") ? std::string() : " at " + track))
                << std::endl;
            return ExitSomeFailed;
        }
        // Seconds of the best lap (negative: faster), empty where there is none.
        auto seconds = [](std::optional<std::int64_t> ms) { return ms ? runs::differenceText(*ms) : std::string(); };
        const std::string heading[] = {"origin",   "change", "values", "pairs", "meetings", "raw",
                                       "baseline", "gain",   "low",    "high",  "verdict",  "baseline_kind",
                                       "alone",    "with",   "flags",  "raw5",  "gain5"};
        std::string lines = tabLine(heading);
        for (const runs::PaidOffRow& row : rows) {
            const std::string cells[] = {std::string(runs::originText(row.origin)),
                                         row.change,
                                         row.values,
                                         std::to_string(row.pairs),
                                         std::to_string(row.meetings),
                                         runs::differenceText(row.raw),
                                         seconds(row.baseline),
                                         runs::differenceText(row.gain),
                                         seconds(row.low),
                                         seconds(row.high),
                                         std::string(runs::verdictText(row.verdict)),
                                         row.baselineText(),
                                         std::to_string(row.alone),
                                         row.with,
                                         row.flagsText(),
                                         runs::differenceText(row.raw5),
                                         runs::differenceText(row.gain5)};
            lines += tabLine(cells);
        }
        out << lines << std::flush;
        return ExitSuccess;
    });
}

}  // namespace

const Command& paidOffCommand() {
    static const Command command{
        .name = "--paid-off",
        .usage = {"--paid-off TRACK|--all [--driver NAME] [--origin both|own|team|all]"},
        .help = {{"--paid-off TRACK", "which change paid off at TRACK (--all: every track), tab-separated"},
                 {"--driver NAME", "with --last, --history, --runs and --paid-off: only that driver's"},
                 {"--origin both|own|team|all",
                  "with --paid-off: own and team rows apart (both), one of them, or pooled"}},
        .manual = R"roff(
.TP
.BI \-\-paid-off " TRACK"
Print which change paid off at
.I TRACK
(with
.BR \-\-all ,
at every track), tab-separated, after a first line that names the columns:
origin, change, values, pairs, meetings, raw, baseline, gain, low, high,
verdict, then the baseline's kind, how many pairs were the change alone,
what changed with it, the flags and the 5-best figures. A pair is two runs
of a meeting one after the other; its gain is the run after less the run
before less what the track did meanwhile (the field's median change, else
the change between runs with nothing changed); the row's gain is the median
of its pairs, with a 90\(pc interval (low, high) from five pairs on, and the
verdict faster, slower or unclear. Seconds of the best lap, negative faster.
.TP
.BI \-\-origin " both|own|team|all"
With
.BR \-\-paid-off :
the racer's own rows and the team's apart (both, the default), one of them,
or all pooled.
)roff",
        .options = {{"--driver", "NAME"}, {"--origin", "O"}, {"--all", {}}},
        .minOperands = 0,
        .maxOperands = 1,
        .operandsError = "--paid-off takes one track, or --all for every track",
        // --all stands for the track; --origin's value is one of four.
        .usageProblem =
            [](const Arguments& args) {
                if (args.operands.size() != (args.has("--all") ? 0u : 1u))
                    return std::string("--paid-off takes one track, or --all for every track");
                if (!runs::poolingOf(args.value("--origin")))
                    return std::string("--origin takes both, own, team or all");
                return std::string();
            },
        .run = paidOff,
    };
    return command;
}

}  // namespace vantrel::batch
