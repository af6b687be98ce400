#include <string>
#include <windows.h>

#include <ctime>

#include "Machine.h"
#include "platform/CalendarTime.h"
#include "platform/windows/Wide.h"

namespace platform::process {

std::string executableFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    std::string folder = windows::utf8(path.substr(0, path.find_last_of(L"\\/")));
    // The system appends "\bin\..." to this, so "C:\" becomes "C:".
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

LocalDateTime systemNow() {
    FILETIME utc{}, local{};
    ::GetSystemTimePreciseAsFileTime(&utc);
    ::FileTimeToLocalFileTime(&utc, &local);
    SYSTEMTIME st{};
    ::FileTimeToSystemTime(&local, &st);
    const ULONGLONG ticks = (ULONGLONG(local.dwHighDateTime) << 32) | local.dwLowDateTime;
    LocalDateTime dt;
    dt.year = st.wYear;
    dt.month = st.wMonth;
    dt.day = st.wDay;
    dt.hour = st.wHour;
    dt.minute = st.wMinute;
    dt.second = st.wSecond;
    // FILETIME counts 100 ns; the fraction is what lies past the whole second.
    dt.fraction = double(ticks % 10000000ULL) / 1e7;
    return dt;
}

bool localeDayBeforeMonth() {
    wchar_t format[100] = {};
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SSHORTDATE, format, int(std::size(format))) <= 0)
        return true;
    // "dd.MM.yyyy" puts the day first, "M/d/yyyy" the month; text in quotes is no field.
    bool quoted = false;
    for (const wchar_t* c = format; *c; ++c) {
        if (*c == L'\'') quoted = !quoted;
        else if (!quoted && *c == L'd') return true;
        else if (!quoted && *c == L'M') return false;
    }
    return true;
}

}  // namespace platform::process

namespace platform::process {

std::tm localCalendar(std::int64_t unixSeconds) {
    const __time64_t when = unixSeconds;
    std::tm local{};
    _localtime64_s(&local, &when);
    return local;
}

std::int64_t localMoment(std::tm& local) { return std::int64_t(_mktime64(&local)); }

std::int64_t utcMoment(std::tm& utc) { return std::int64_t(_mkgmtime64(&utc)); }

}  // namespace platform::process
