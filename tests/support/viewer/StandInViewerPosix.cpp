#include "StandInViewer.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "EnvOverride.h"
#include "RecordingViewer.h"

// xdg-open first on the PATH: a script that notes its argument, or one that
// ends with xdg-open's status for "no method available" (3).
namespace testsupport {

struct StandInViewer::State {
    std::filesystem::path script;
    std::filesystem::path log;
    EnvOverride path;
};

namespace {

std::string pathWithFirst(const std::filesystem::path& folder) {
    const char* old = std::getenv("PATH");
    return folder.string() + ":" + (old ? old : "/usr/bin:/bin");
}

}  // namespace

StandInViewer::StandInViewer(const std::filesystem::path& folder, const std::filesystem::path& log)
    : m_state(new State{folder / "xdg-open", log, EnvOverride("PATH", pathWithFirst(folder))}) {
    records();
}

StandInViewer::~StandInViewer() = default;

std::vector<std::string> StandInViewer::calls() const {
    std::ifstream log(m_state->log, std::ios::binary);
    std::vector<std::string> calls;
    for (std::string line; std::getline(log, line);)
        if (!line.empty()) calls.push_back(line);
    return calls;
}

void StandInViewer::records() { writeRecordingViewer(m_state->script, m_state->log); }

void StandInViewer::findsNone() {
    std::ofstream(m_state->script, std::ios::binary | std::ios::trunc) << "#!/bin/sh\nexit 3\n";
}

std::string StandInViewer::runWords() { return "xdg-open found none for it"; }

std::string StandInViewer::openWords() { return "no application to open it was found (xdg-open: no method available)"; }

}  // namespace testsupport
