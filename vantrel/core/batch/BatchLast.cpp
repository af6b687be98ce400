// vantrel-batch --last TRACK OUT.dat [--driver NAME]; the shared parts of the
// track commands live here too.
#include <algorithm>
#include <ostream>

#include "BatchRunner.h"
#include "BatchTrack.h"
#include "InstallationCheck.h"
#include "SetupFile.h"
#include "library/TrackHistory.h"
#include "platform/Error.h"
#include "platform/Paths.h"

namespace vantrel {

namespace batchtrack {

bool parseTrackArgs(const std::vector<std::string>& args, const std::string& command, TrackArgs& parsed,
                    std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == command) continue;
        if (arg == "--driver" || arg.rfind("--driver=", 0) == 0) {
            if (arg == "--driver" && i + 1 >= args.size()) {
                error = "--driver needs a value";
                return false;
            }
            parsed.driver = arg == "--driver" ? args[++i] : arg.substr(9);
            continue;
        }
        if (arg.rfind(command + "=", 0) == 0) {
            parsed.operands.push_back(arg.substr(command.size() + 1));
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg + " with " + command;
            return false;
        }
        parsed.operands.push_back(arg);
    }
    return true;
}

int reportingErrors(std::ostream& err, const std::function<int()>& body) {
    try {
        return body();
    } catch (const std::exception& e) {
        err << platform::errorLine(e) << std::endl;
    }
    return BatchRunner::ExitSomeFailed;
}

}  // namespace batchtrack

std::string trackUsage() {
    return "       vantrel-batch --last TRACK OUT.dat [--driver NAME]\n"
           "       vantrel-batch --history TRACK [--driver NAME]\n";
}

std::optional<int> batchLast(const std::vector<std::string>& args, const Installation& installation,
                             std::ostream& /*out*/, std::ostream& err) {
    const auto at = std::find_if(args.begin(), args.end(),
                                 [](const std::string& a) { return a == "--last" || a.rfind("--last=", 0) == 0; });
    if (at == args.end()) return std::nullopt;
    batchtrack::TrackArgs parsed;
    std::string error;
    if (!batchtrack::parseTrackArgs(args, "--last", parsed, error) || parsed.operands.size() != 2) {
        err << "vantrel-batch: " << (error.empty() ? "--last takes a track and an output file" : error) << "\n"
            << BatchRunner::usage();
        return BatchRunner::ExitUsage;
    }
    const std::string& track = parsed.operands[0];
    return batchtrack::reportingErrors(err, [&] {
        checkSettings(installation);
        const auto setups = library::openForHistory(installation.libraryFile());
        const auto last = library::lastHere(*setups, track, parsed.driver);
        if (!last) {
            err << platform::errorLine("The setup library " + setups->path() + " has no setup at " + track +
                                       (parsed.driver.empty() ? "" : " of " + parsed.driver))
                << std::endl;
            return BatchRunner::ExitSomeFailed;
        }
        writeSetupFile(platform::paths::toNative(parsed.operands[1]), last->setup.values);
        return BatchRunner::ExitSuccess;
    });
}

}  // namespace vantrel
