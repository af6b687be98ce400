#pragma once
// A machine of the test's own for the code under test (platform::process::Host):
// while it lives, the program folder, the clock and the date order are the
// ones set here; what is not set is answered as before it came.

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "platform/Process.h"

namespace testsupport {

class StandInHost : public platform::process::Host {
public:
    StandInHost() = default;
    ~StandInHost() override { standDown(); }

    // Each setter's empty value (nullptr for the clock) gives the fact back
    // to the host before.
    void setProgramFolder(std::string folder) {
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        const std::lock_guard lock(m_mutex);
        m_programFolder = std::move(folder);
    }
    void setClock(std::function<platform::process::LocalDateTime()> clock) {
        const std::lock_guard lock(m_mutex);
        m_clock = std::move(clock);
    }
    void setClock(const platform::process::LocalDateTime& fixed) {
        setClock([fixed] { return fixed; });
    }
    void setDayBeforeMonth(std::optional<bool> dayFirst) {
        const std::lock_guard lock(m_mutex);
        m_dayFirst = dayFirst;
    }
    // From now on, waits pass this many times faster (1: as before).
    void setWaitSpeed(int factor) {
        const std::lock_guard lock(m_mutex);
        m_speedFrom = Host::monotonicNow();
        m_speed = factor;
    }

    std::string programFolder() const override {
        {
            const std::lock_guard lock(m_mutex);
            if (!m_programFolder.empty()) return m_programFolder;
        }
        return Host::programFolder();
    }
    platform::process::LocalDateTime now() const override {
        std::function<platform::process::LocalDateTime()> clock;
        {
            const std::lock_guard lock(m_mutex);
            clock = m_clock;
        }
        return clock ? clock() : Host::now();
    }
    std::chrono::steady_clock::time_point monotonicNow() const override {
        const auto before = Host::monotonicNow();
        const std::lock_guard lock(m_mutex);
        return m_speed == 1 ? before : m_speedFrom + (before - m_speedFrom) * m_speed;
    }
    bool dayBeforeMonth() const override {
        {
            const std::lock_guard lock(m_mutex);
            if (m_dayFirst) return *m_dayFirst;
        }
        return Host::dayBeforeMonth();
    }

private:
    mutable std::mutex m_mutex;
    std::string m_programFolder;
    std::function<platform::process::LocalDateTime()> m_clock;
    std::optional<bool> m_dayFirst;
    std::chrono::steady_clock::time_point m_speedFrom;
    int m_speed = 1;
};

}  // namespace testsupport
