#pragma once
// One sheet build at a time per program folder. Runs share the raw data
// file, the sheet data file and the mapping file between writing them and
// filling the sheet, so a run holds this lock over all of that: an
// exclusive advisory lock (flock) on a lock file the caller names (the
// installation's "Vantrel.lock" in its data folder: every run writes there
// anyway, so a program folder the user may not write to still runs, and
// the window and the batch tool of one installation still take turns).
//
// Only the open descriptor holds the lock, and it is closed on exec, so a
// viewer started meanwhile does not keep it; when a process ends, however
// it ends, the system drops its lock and no lock file is ever left stale.
// Locks taken again on a thread that holds one count as one (the window's
// run takes it for the capture, the pipeline once more for the build).

#include <chrono>
#include <string>

namespace platform::process {

class RunLock {
public:
    // Waits up to waitTime while another run holds the lock. Raises
    // ErrPathAccess when that run goes on longer ("Another setup sheet is
    // being built in the program folder ..."), or when the lock file cannot
    // be opened.
    explicit RunLock(std::string lockFile);
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    // How long a run waits for another: 30 s on the process's clock
    // (Process.h: monotonicNow).
    static constexpr std::chrono::milliseconds waitTime{30000};

private:
    std::string m_file;
};

}  // namespace platform::process
