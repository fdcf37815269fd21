// Time in a call state and its text.
#include <app/CallTime.h>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono;

SYSTEMTIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

class CallTimeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetWallClockSource([this] { return now; });
    }
    void TearDown() override { SetWallClockSource({}); }

    // 2024-03-31 12:00:00 UTC, the day daylight saving time starts in Europe.
    system_clock::time_point now = sys_days(year(2024) / March / 31) + hours(12);
};

TEST_F(CallTimeTest, ElapsedTimeIsHoursWithinTheDayMinutesAndSeconds)
{
    EXPECT_EQ(FormatElapsedTime(0), "00:00:00");
    EXPECT_EQ(FormatElapsedTime(59), "00:00:59");
    EXPECT_EQ(FormatElapsedTime(3661), "01:01:01");
    EXPECT_EQ(FormatElapsedTime(25 * 3600), "01:00:00");
    EXPECT_EQ(FormatElapsedTime(-5), "00:00:00");
}

TEST_F(CallTimeTest, SecondsSinceAStateEntryInUtc)
{
    EXPECT_EQ(SecondsSince(Utc(2024, 3, 31, 11, 59, 30)), 30);
    // Across the change to summer time: still the real elapsed time.
    EXPECT_EQ(SecondsSince(Utc(2024, 3, 31, 0, 0, 0)), 12 * 3600);
    EXPECT_EQ(SecondsSince(Utc(2024, 3, 30, 11, 0, 0)), 25 * 3600);
}

TEST_F(CallTimeTest, FutureAndInvalidStampsCountAsNow)
{
    EXPECT_EQ(SecondsSince(Utc(2024, 3, 31, 12, 0, 5)), 0);
    EXPECT_EQ(SecondsSince(SYSTEMTIME{}), 0);
    EXPECT_EQ(SecondsSince(Utc(2024, 2, 30, 0, 0, 0)), 0);
    EXPECT_EQ(SecondsSince(Utc(2024, 3, 31, 24, 0, 0)), 0);
}

TEST_F(CallTimeTest, StampsCenturiesAwayNeitherOverflowNorCountAsNow)
{
    EXPECT_EQ(SecondsSince(Utc(7680, 6, 1, 15, 11, 0)), 0) << "far future";
    const auto expected = sys_days(year(2024) / March / 31) + hours(12) - sys_days(year(1001) / January / 1);
    EXPECT_EQ(SecondsSince(Utc(1001, 1, 1, 0, 0, 0)), duration_cast<seconds>(expected).count()) << "far past";
}

} // namespace
