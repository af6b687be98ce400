#pragma once
// The desktop's way of showing a file, stood in for while the stand-in
// lives: each file the program asks it to show is noted as a line of the log,
// or, once it finds none, no application is found for a PDF, as on a desktop
// without a viewer. On Linux an xdg-open first on the PATH; on Windows the
// association of PDF files (under Wine, in the test's own prefix).

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

class StandInViewer {
public:
    // Its own files go into folder.
    StandInViewer(const std::filesystem::path& folder, const std::filesystem::path& log);
    ~StandInViewer();
    StandInViewer(const StandInViewer&) = delete;
    StandInViewer& operator=(const StandInViewer&) = delete;

    // The files it was asked to show, in order.
    std::vector<std::string> calls() const;

    // From now on no application opens a PDF; records() brings the stand-in back.
    void findsNone();
    void records();

    // What the program says, in the system's words, when the desktop found no
    // application: after a run, and when Open Sheet tries again.
    static std::string runWords();
    static std::string openWords();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace testsupport
