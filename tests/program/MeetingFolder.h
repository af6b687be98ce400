#pragma once
// A program folder of its own for a meeting's runs through vantrel-batch:
// Jo's setups at the Summer Cup, how many runs the library holds, and the
// meeting as --runs prints it.

#include <filesystem>
#include <string>
#include <vector>

#include "BatchProgramFolder.h"
#include "SetupFile.h"
#include "library/SetupLibrary.h"
#include "runs/RunLog.h"

namespace batchtest {

class MeetingFolder : public BatchProgramFolder {
public:
    // A raw data file of Jo's setup at the Summer Cup with this front shock oil.
    std::string setup(const std::string& name, const std::string& oil = {},
                      const std::string& track = "Lostock") const {
        vantrel::Setup v;
        v[std::size_t(vantrel::SetupField::DriverName)] = "Jo Smith";
        v[std::size_t(vantrel::SetupField::TrackCity)] = track;
        v[std::size_t(vantrel::SetupField::EventName)] = "Summer Cup";
        v[std::size_t(vantrel::SetupField::EventDate)] = "2026-06-14";
        v[std::size_t(vantrel::SetupField::FrontShockOil)] = oil;
        vantrel::writeSetupFile((path() / name).string(), v);
        return name;
    }
    std::size_t runsRecorded() const {
        vantrel::library::SetupLibrary library((path() / "Data" / "Library.sqlite").string());
        return vantrel::runs::runCount(library);
    }
    // "order name laps-kept best" of each run at Lostock, as --runs prints them.
    std::string runs() const {
        const BatchRun r = run("--runs Lostock");
        std::string out;
        for (std::size_t at = 0; at < r.out.size();) {
            const std::size_t end = r.out.find('\n', at);
            std::vector<std::string> cells;
            for (std::size_t c = at; c <= end;) {
                const std::size_t tab = std::min(r.out.find('\t', c), end);
                cells.push_back(r.out.substr(c, tab - c));
                c = tab + 1;
            }
            out += cells[3] + " " + cells[4] + " " + cells[5] + " " + cells[6] + "; ";
            at = end + 1;
        }
        return out;
    }
};

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        out.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return out;
}

}  // namespace batchtest
