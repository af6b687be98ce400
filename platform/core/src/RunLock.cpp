#include "platform/RunLock.h"

#include <map>
#include <mutex>
#include <thread>

#include "LockFile.h"
#include "platform/Error.h"
#include "platform/Process.h"

namespace platform::process {

namespace {

// A waiting run looks again this often: well inside the pause a batch run
// makes between its sheets, so a window's click gets its turn.
constexpr std::chrono::milliseconds kPollInterval{5};

// The locks this process holds: lock file -> handle, holding thread and
// depth of nesting on that thread.
struct Held {
    LockHandle handle = NoLock;
    std::thread::id owner;
    int depth = 0;
};
std::mutex g_heldMutex;
std::map<std::string, Held> g_held;

}  // namespace

RunLock::RunLock(std::string lockFile) : m_file(std::move(lockFile)) {
    {
        const std::lock_guard<std::mutex> guard(g_heldMutex);
        const auto held = g_held.find(m_file);
        if (held != g_held.end() && held->second.owner == std::this_thread::get_id()) {
            ++held->second.depth;
            return;
        }
    }
    const auto deadline = monotonicNow() + waitTime;
    for (;;) {
        const LockHandle handle = tryLock(m_file);
        if (handle != NoLock) {
            const std::lock_guard<std::mutex> guard(g_heldMutex);
            g_held[m_file] = Held{handle, std::this_thread::get_id(), 1};
            return;
        }
        if (monotonicNow() >= deadline)
            raise(ErrPathAccess, "RunLock",
                  "Another setup sheet is being built in the program folder " + programFolder() +
                      "; try again when it is finished");
        std::this_thread::sleep_for(kPollInterval);
    }
}

RunLock::~RunLock() {
    const std::lock_guard<std::mutex> guard(g_heldMutex);
    const auto held = g_held.find(m_file);
    if (held == g_held.end() || --held->second.depth > 0) return;
    unlock(held->second.handle);
    g_held.erase(held);
}

}  // namespace platform::process
