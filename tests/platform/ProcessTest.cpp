#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "StandInHost.h"
#include "platform/CalendarTime.h"
#include "platform/Process.h"

using namespace platform::process;

namespace {

TEST(ProcessTest, TimeOfDayFormats) {
    const struct {
        double t;
        bool colons;
        int decimals;
        const char* expected;
    } cases[] = {
        {52246.47, false, 2, "143046.47"},
        {52246.47, true, 2, "14:30:46.47"},
        {52246.47, false, 0, "143046"},
        {52246.47, true, 0, "14:30:46"},
        {0.0, false, 0, "000000"},
        {0.0, true, 3, "00:00:00.000"},
        {3661.04, true, 2, "01:01:01.04"},
        {3661.26, true, 1, "01:01:01.3"},
        {86399.123456789, false, 9, "235959.123456789"},
        // A fraction that rounds up to a whole second is written as 1 and zeros.
        {52246.999, false, 2, "1430461.00"},
        {59.9996, true, 3, "00:00:591.000"},
        {-5.0, true, 0, "00:00:00"},
        {12.5, false, -3, "000012"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.t);
        EXPECT_EQ(formatTimeOfDay(c.t, c.colons, c.decimals), c.expected);
    }
}

TEST(ProcessTest, MoreThanNineDecimalsCountAsNine) {
    for (double t : {0.5, 52246.123456789, 86399.987654321})
        EXPECT_EQ(formatTimeOfDay(t, true, 12), formatTimeOfDay(t, true, 9));
    EXPECT_EQ(formatTimeOfDay(52246.47, false, 12).size(), std::string("143046.").size() + 9);
}

TEST(ProcessTest, AHostsClockDrivesNowAndSecondsSinceMidnight) {
    {
        testsupport::StandInHost host;
        host.setClock(LocalDateTime{2026, 12, 6, 14, 30, 46, 0.25});
        const LocalDateTime dt = now();
        EXPECT_EQ(dt.year, 2026);
        EXPECT_EQ(dt.day, 6);
        EXPECT_DOUBLE_EQ(secondsSinceMidnight(), 14 * 3600 + 30 * 60 + 46.25);
    }
    const LocalDateTime real = now();
    EXPECT_GE(real.year, 2024);
    EXPECT_GE(real.fraction, 0.0);
    EXPECT_LT(real.fraction, 1.0);
    const double s = secondsSinceMidnight();
    EXPECT_GE(s, 0.0);
    EXPECT_LT(s, 86400.0);
}

TEST(ProcessTest, ProgramFolderIsTheExecutablesFolderUnlessAHostStandsIn) {
    const std::string real = programFolder();
    const std::filesystem::path folder(real);
    EXPECT_TRUE(std::filesystem::exists(folder / "platform_tests") ||
                std::filesystem::exists(folder / "platform_tests.exe"))
        << real;
    {
        testsupport::StandInHost host;
        host.setProgramFolder("/opt/elsewhere/");
        EXPECT_EQ(programFolder(), "/opt/elsewhere");
    }
    EXPECT_EQ(programFolder(), real);
}

// Hosts nest: each answers what it was given and leaves the rest to the one
// it stands in for; when one ends, the one before answers again.
TEST(ProcessTest, HostsNestAndLeaveTheRestToTheHostBefore) {
    const std::string real = programFolder();
    const bool localeOrder = dayBeforeMonth();
    testsupport::StandInHost outer;
    outer.setProgramFolder("/opt/outer");
    outer.setDayBeforeMonth(!localeOrder);
    {
        testsupport::StandInHost inner;
        inner.setClock(LocalDateTime{2030, 1, 2, 3, 4, 5, 0.5});
        EXPECT_EQ(programFolder(), "/opt/outer");
        EXPECT_EQ(dayBeforeMonth(), !localeOrder);
        EXPECT_EQ(now().year, 2030);
        inner.setProgramFolder("/opt/inner");
        EXPECT_EQ(programFolder(), "/opt/inner");
        inner.setProgramFolder({});
        EXPECT_EQ(programFolder(), "/opt/outer");
    }
    EXPECT_NE(now().year, 2030);
    EXPECT_EQ(programFolder(), "/opt/outer");
    outer.setProgramFolder({});
    outer.setDayBeforeMonth(std::nullopt);
    EXPECT_EQ(programFolder(), real);
    EXPECT_EQ(dayBeforeMonth(), localeOrder);
}

// A host's waits may pass faster than the machine's: from the moment it is
// asked, its clock runs that many times faster, never back.
TEST(ProcessTest, AHostsWaitsPassAtItsSpeed) {
    testsupport::StandInHost host;
    host.setWaitSpeed(100);
    const auto hostStart = monotonicNow();
    const auto machineStart = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto hostElapsed = monotonicNow() - hostStart;
    const auto machineElapsed = std::chrono::steady_clock::now() - machineStart;
    EXPECT_GE(hostElapsed, machineElapsed * 50);
    EXPECT_GE(hostElapsed, std::chrono::seconds(2));
}

// Civil times in UTC name the moments the calendar gives them, leap days and
// moments past 2038 included, on both systems' C libraries.
TEST(CalendarTest, UtcCivilTimesNameTheirMoments) {
    const struct {
        LocalDateTime utc;
        std::int64_t moment;
    } cases[] = {
        {{1970, 1, 1, 0, 0, 0}, 0},
        {{2000, 2, 29, 12, 0, 0}, 951825600},
        {{2026, 12, 31, 23, 59, 59}, 1798761599},
        {{2038, 1, 19, 3, 14, 8}, 2147483648},
        {{2100, 3, 1, 0, 0, 0}, 4107542400},
    };
    for (const auto& c : cases) EXPECT_EQ(momentOfUtc(c.utc), c.moment) << c.utc.year << "-" << c.utc.month;
}

// Any moment read as local civil time, with its offset, gives the moment back.
TEST(CalendarTest, ALocalTimeAndItsOffsetGiveTheMomentBack) {
    std::mt19937_64 rng(44);
    std::uniform_int_distribution<std::int64_t> moments(0, 4102444800);  // 1970 to 2100
    for (int i = 0; i < 500; ++i) {
        const std::int64_t t = moments(rng);
        const ZonedTime zoned = localTimeAt(t);
        EXPECT_EQ(momentOfUtc(zoned.local) - zoned.utcOffsetSeconds, t) << t;
        EXPECT_LE(std::abs(zoned.utcOffsetSeconds), 14 * 3600) << t;
        // Outside an hour that summer time repeats, the local time names the moment alone.
        const ZonedTime hourLater = localTimeAt(t + 3600), hourBefore = localTimeAt(t - 3600);
        if (hourLater.utcOffsetSeconds == zoned.utcOffsetSeconds &&
            hourBefore.utcOffsetSeconds == zoned.utcOffsetSeconds) {
            EXPECT_EQ(momentOfLocal(zoned.local), t) << t;
        }
    }
}

}  // namespace
