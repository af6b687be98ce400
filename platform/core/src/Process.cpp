#include "platform/Process.h"

#include <cmath>
#include <ctime>
#include <filesystem>
#include <mutex>

namespace platform::process {

namespace {

std::mutex g_mutex;
std::string g_programFolderOverride;
std::function<LocalDateTime()> g_clock;

std::string executableFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec).string();
    std::string folder = exe.parent_path().string();
    // The system appends "\bin\..." to this, so "/" becomes the empty text.
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    return folder;
}

LocalDateTime systemNow() {
    const auto tp = std::chrono::system_clock::now();
    const std::time_t secs = std::chrono::system_clock::to_time_t(tp);
    std::tm local{};
    localtime_r(&secs, &local);
    const auto sinceEpoch = tp.time_since_epoch();
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
        sinceEpoch - std::chrono::floor<std::chrono::seconds>(sinceEpoch));
    LocalDateTime dt;
    dt.year = local.tm_year + 1900;
    dt.month = local.tm_mon + 1;
    dt.day = local.tm_mday;
    dt.hour = local.tm_hour;
    dt.minute = local.tm_min;
    dt.second = local.tm_sec;
    dt.fraction = double(micros.count()) / 1e6;
    return dt;
}

std::string twoDigits(long long v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

}  // namespace

std::string programFolder() {
    {
        std::lock_guard lock(g_mutex);
        if (!g_programFolderOverride.empty()) return g_programFolderOverride;
    }
    static const std::string folder = executableFolder();
    return folder;
}

void setProgramFolderForTesting(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    std::lock_guard lock(g_mutex);
    g_programFolderOverride = std::move(folder);
}

LocalDateTime now() {
    std::function<LocalDateTime()> clock;
    {
        std::lock_guard lock(g_mutex);
        clock = g_clock;
    }
    return clock ? clock() : systemNow();
}

double secondsSinceMidnight() {
    const LocalDateTime dt = now();
    return dt.hour * 3600.0 + dt.minute * 60.0 + dt.second + dt.fraction;
}

void setClockForTesting(std::function<LocalDateTime()> clock) {
    std::lock_guard lock(g_mutex);
    g_clock = std::move(clock);
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
