// vantrel-batch --history TRACK [--driver NAME]
#include <algorithm>
#include <ostream>

#include "BatchRunner.h"
#include "platform/Error.h"
#include "platform/Text.h"
#include "BatchTrack.h"
#include "InstallationCheck.h"
#include "library/TrackHistory.h"

namespace vantrel {

namespace {

// A value on one tab-separated line, as a terminal may show it (see --runs).
std::string cell(std::string_view text) { return platform::text::printable(text); }

}  // namespace

std::optional<int> batchHistory(const std::vector<std::string>& args, const Installation& installation,
                                std::ostream& out, std::ostream& err) {
    const auto at = std::find_if(args.begin(), args.end(), [](const std::string& a) {
        return a == "--history" || a.rfind("--history=", 0) == 0;
    });
    if (at == args.end()) return std::nullopt;
    batchtrack::TrackArgs parsed;
    std::string error;
    if (!batchtrack::parseTrackArgs(args, "--history", parsed, error) || parsed.operands.size() != 1) {
        err << "vantrel-batch: " << (error.empty() ? "--history takes one track" : error) << "\n"
            << BatchRunner::usage();
        return BatchRunner::ExitUsage;
    }
    return batchtrack::reportingErrors(err, [&] {
        checkSettings(installation);
        const auto setups = library::openForHistory(installation.libraryFile());
        const auto history = library::trackHistory(*setups, parsed.operands[0], parsed.driver);
        if (history.empty()) {
            err << platform::errorLine("The setup library " + setups->path() + " has no setup at " +
                                       parsed.operands[0] + (parsed.driver.empty() ? "" : " of " + parsed.driver))
                << std::endl;
            return BatchRunner::ExitSomeFailed;
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
        out << lines << std::flush;
        return BatchRunner::ExitSuccess;
    });
}

}  // namespace vantrel
