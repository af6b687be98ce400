#include <chrono>
#include <ctime>
#include <filesystem>

#include "Machine.h"
#include "platform/CalendarTime.h"

namespace platform::process {

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

}  // namespace platform::process

namespace platform::process {

std::tm localCalendar(std::int64_t unixSeconds) {
    const std::time_t when = std::time_t(unixSeconds);
    std::tm local{};
    localtime_r(&when, &local);
    return local;
}

std::int64_t localMoment(std::tm& local) { return std::int64_t(std::mktime(&local)); }

std::int64_t utcMoment(std::tm& utc) { return std::int64_t(timegm(&utc)); }

}  // namespace platform::process
