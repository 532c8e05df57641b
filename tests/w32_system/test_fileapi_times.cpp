// File times: local broken-down times in both directions.
#include <sys/stat.h>

#include "test_fileapi_support.h"
#include "w32_system/LxFileInternal.h"

namespace {

struct tm LocalTime(int year, int month0, int day, int hour, int minute, int second)
{
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month0;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

time_t Utc(int year, int month0, int day, int hour, int minute, int second)
{
    struct tm t = LocalTime(year, month0, day, hour, minute, second);
    return timegm(&t);
}

class FileTimes : public FileApiTest
{
  protected:
    void SetUp() override { ASSERT_EQ(m_file.open(p16("f"), 3 | 4), 0); }

    struct stat status()
    {
        struct stat st = {};
        EXPECT_EQ(stat(p8("f").c_str(), &st), 0);
        return st;
    }

    ScopedFile m_file;
};

TEST_F(FileTimes, LocalTimesRoundTripThroughTheZone)
{
    struct Case {
        const char* zone;
        struct tm local;
        time_t utc;
    };
    const Case cases[] = {
        {"XST-2", LocalTime(2021, 6, 15, 12, 34, 56), Utc(2021, 6, 15, 10, 34, 56)},
        {"CET-1CEST,M3.5.0,M10.5.0/3", LocalTime(2021, 6, 15, 12, 0, 0),
         Utc(2021, 6, 15, 10, 0, 0)},
        {"CET-1CEST,M3.5.0,M10.5.0/3", LocalTime(2021, 0, 15, 12, 0, 0),
         Utc(2021, 0, 15, 11, 0, 0)},
        {"EST5", LocalTime(1999, 11, 31, 23, 59, 59), Utc(2000, 0, 1, 4, 59, 59)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zone);
        ScopedEnv zone("TZ", c.zone);
        ASSERT_EQ(LX_TouchFile(m_file.get(), nullptr, &c.local, &c.local), 0);
        struct stat st = status();
        EXPECT_EQ(st.st_atime, c.utc);
        EXPECT_EQ(st.st_mtime, c.utc);

        struct tm got = {};
        ASSERT_EQ(LX_GetFileTimes(m_file.get(), nullptr, nullptr, &got), 0);
        EXPECT_EQ(got.tm_year, c.local.tm_year);
        EXPECT_EQ(got.tm_mon, c.local.tm_mon);
        EXPECT_EQ(got.tm_mday, c.local.tm_mday);
        EXPECT_EQ(got.tm_hour, c.local.tm_hour);
        EXPECT_EQ(got.tm_min, c.local.tm_min);
        EXPECT_EQ(got.tm_sec, c.local.tm_sec);
        EXPECT_EQ(got.tm_isdst, -1);
    }
}

TEST_F(FileTimes, WeekdayAndDayOfYearAreFilled)
{
    ScopedEnv zone("TZ", "UTC0");
    struct tm march = LocalTime(2024, 2, 1, 8, 0, 0); // a Friday after 29 February
    ASSERT_EQ(LX_TouchFile(m_file.get(), nullptr, nullptr, &march), 0);
    struct tm got = {};
    ASSERT_EQ(LX_GetFileTimes(m_file.get(), nullptr, nullptr, &got), 0);
    EXPECT_EQ(got.tm_wday, 5);
    EXPECT_EQ(got.tm_yday, 60);
    EXPECT_EQ(got.tm_isdst, -1);
}

TEST_F(FileTimes, OnlyTheGivenTimesChange)
{
    ScopedEnv zone("TZ", "UTC0");
    struct tm first = LocalTime(2010, 4, 1, 0, 0, 0), second = LocalTime(2012, 4, 1, 0, 0, 0);
    ASSERT_EQ(LX_TouchFile(m_file.get(), nullptr, &first, &first), 0);
    ASSERT_EQ(LX_TouchFile(m_file.get(), nullptr, nullptr, &second), 0);
    EXPECT_EQ(status().st_atime, Utc(2010, 4, 1, 0, 0, 0));
    EXPECT_EQ(status().st_mtime, Utc(2012, 4, 1, 0, 0, 0));
    // The creation time cannot be set: it is accepted and changes nothing.
    ASSERT_EQ(LX_TouchFile(m_file.get(), &first, nullptr, nullptr), 0);
    EXPECT_EQ(status().st_mtime, Utc(2012, 4, 1, 0, 0, 0));
}

TEST_F(FileTimes, CreationTimeIsReported)
{
    struct tm creation = {};
    ASSERT_EQ(LX_GetFileTimes(m_file.get(), &creation, nullptr, nullptr), 0);
    time_t now = time(nullptr);
    struct tm today;
    localtime_r(&now, &today);
    EXPECT_EQ(creation.tm_year, today.tm_year);
    EXPECT_EQ(creation.tm_isdst, -1);
}

TEST_F(FileTimes, InvalidTimesAreRefusedAndChangeNothing)
{
    ScopedEnv zone("TZ", "UTC0");
    struct tm good = LocalTime(2015, 0, 1, 0, 0, 0);
    ASSERT_EQ(LX_TouchFile(m_file.get(), nullptr, &good, &good), 0);
    const struct tm bad[] = {
        LocalTime(2015, 12, 1, 0, 0, 0), LocalTime(2015, -1, 1, 0, 0, 0),
        LocalTime(2015, 3, 31, 0, 0, 0), LocalTime(2015, 1, 29, 0, 0, 0),
        LocalTime(2015, 0, 0, 0, 0, 0),  LocalTime(2015, 0, 1, 24, 0, 0),
        LocalTime(2015, 0, 1, 0, 60, 0), LocalTime(2015, 0, 1, 0, 0, 60),
        LocalTime(1600, 0, 1, 0, 0, 0),  LocalTime(30828, 0, 1, 0, 0, 0),
    };
    for (const struct tm& t : bad) {
        SCOPED_TRACE(testing::Message() << t.tm_year + 1900 << "-" << t.tm_mon << "-" << t.tm_mday
                                        << " " << t.tm_hour << ":" << t.tm_min << ":" << t.tm_sec);
        EXPECT_EQ(LX_TouchFile(m_file.get(), &t, nullptr, nullptr), -4);
        EXPECT_EQ(LX_TouchFile(m_file.get(), nullptr, &t, nullptr), -4);
        EXPECT_EQ(LX_TouchFile(m_file.get(), nullptr, &good, &t), -4);
    }
    EXPECT_EQ(status().st_mtime, Utc(2015, 0, 1, 0, 0, 0));
    struct tm leapDay = LocalTime(2016, 1, 29, 0, 0, 0);
    EXPECT_EQ(LX_TouchFile(m_file.get(), nullptr, nullptr, &leapDay), 0);
}

TEST_F(FileTimes, BadHandles)
{
    struct tm t = LocalTime(2015, 0, 1, 0, 0, 0);
    EXPECT_EQ(LX_TouchFile(LX_INVALID_HFILE, nullptr, &t, nullptr), -1010);
    EXPECT_EQ(LX_GetFileTimes(LX_INVALID_HFILE, &t, nullptr, nullptr), -1011);
}

TEST(FileDayOfYear, CountsTheLeapDayAfterFebruary)
{
    struct Case {
        int year, month0, day, expected;
    };
    const Case cases[] = {
        {2023, 0, 1, 0},  {2024, 1, 29, 59}, {2024, 2, 1, 60},    {2023, 2, 1, 59},
        {2000, 2, 1, 60}, {1900, 2, 1, 59},  {2024, 11, 31, 365}, {2023, 11, 31, 364},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month0 + 1 << "-" << c.day);
        EXPECT_EQ(LX_DayOfYear(c.year, c.month0, c.day), c.expected);
    }
}

} // namespace
