#include "platform/Process.h"

#include "Machine.h"

#include <atomic>
#include <cmath>

namespace platform::process {

namespace {

// The host standing in for the machine; none: the machine answers.
std::atomic<const Host*> g_host{nullptr};

std::string twoDigits(long long v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

std::string machineProgramFolder() {
    static const std::string folder = executableFolder();
    return folder;
}

}  // namespace

Host::Host() : m_before(g_host.exchange(this)) {}
Host::~Host() { standDown(); }

void Host::standDown() {
    if (!m_standing) return;
    m_standing = false;
    g_host.store(m_before);
}

std::string Host::programFolder() const { return m_before ? m_before->programFolder() : machineProgramFolder(); }
LocalDateTime Host::now() const { return m_before ? m_before->now() : systemNow(); }
std::chrono::steady_clock::time_point Host::monotonicNow() const {
    return m_before ? m_before->monotonicNow() : std::chrono::steady_clock::now();
}
bool Host::dayBeforeMonth() const { return m_before ? m_before->dayBeforeMonth() : localeDayBeforeMonth(); }

std::string programFolder() {
    const Host* host = g_host.load();
    return host ? host->programFolder() : machineProgramFolder();
}

LocalDateTime now() {
    const Host* host = g_host.load();
    return host ? host->now() : systemNow();
}

std::chrono::steady_clock::time_point monotonicNow() {
    const Host* host = g_host.load();
    return host ? host->monotonicNow() : std::chrono::steady_clock::now();
}

bool dayBeforeMonth() {
    const Host* host = g_host.load();
    return host ? host->dayBeforeMonth() : localeDayBeforeMonth();
}

double secondsSinceMidnight() {
    const LocalDateTime dt = now();
    return dt.hour * 3600.0 + dt.minute * 60.0 + dt.second + dt.fraction;
}

std::string formatTimeOfDay(double t, bool colonSeparator, int decimals) {
    if (!std::isfinite(t) || t < 0) t = 0;
    if (decimals > 9) decimals = 9;
    if (decimals < 0) decimals = 0;
    const std::string sep = colonSeparator ? ":" : "";

    const double whole = std::floor(t);
    const auto total = static_cast<long long>(whole);
    std::string result = twoDigits(total / 3600) + sep + twoDigits(total % 3600 / 60) + sep + twoDigits(total % 60);
    if (decimals == 0) return result;

    long long scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const long long digits = std::llround((t - whole) * double(scale));
    if (digits >= scale) return result + "1." + std::string(std::size_t(decimals), '0');
    std::string fraction = std::to_string(digits);
    return result + "." + std::string(std::size_t(decimals) - fraction.size(), '0') + fraction;
}

}  // namespace platform::process
