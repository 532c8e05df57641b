// Weekday, week and year-day navigation and week numbers.
#include "date_test_support.h"

namespace
{
using DT = CLxDateTime;

constexpr char kPrague[] = "Europe/Prague";
using DateTimeNavigation = DateTest;
using DateTimeNavigationPrague = ZonedDateTest<kPrague>;

TEST_F(DateTimeNavigation, WeekDaysAroundADate)
{
    const DT wed = AtUtc(2005, 2, 2, 15); // a Wednesday
    EXPECT_EQ(wed.GetWeekDayInSameWeek(DT::Sun).GetValue(), UtcMs(2005, 1, 30, 15));
    EXPECT_EQ(wed.GetWeekDayInSameWeek(DT::Sat).GetValue(), UtcMs(2005, 2, 5, 15));
    EXPECT_EQ(wed.GetNextWeekDay(DT::Mon).GetValue(), UtcMs(2005, 2, 7, 15));
    EXPECT_EQ(wed.GetNextWeekDay(DT::Wed).GetValue(), wed.GetValue());
    EXPECT_EQ(wed.GetPrevWeekDay(DT::Thu).GetValue(), UtcMs(2005, 1, 27, 15));
    EXPECT_EQ(wed.GetPrevWeekDay(DT::Wed).GetValue(), wed.GetValue());
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(wed.GetNextWeekDay(DT::Inv_WeekDay).GetValue(), wed.GetValue());
    EXPECT_EQ(reports(), std::vector<std::string>{"invalid weekday"});
}

TEST_F(DateTimeNavigation, NthWeekDayOfAMonth)
{
    struct {
        DT::WeekDay wd;
        int n;
        DT::Month month;
        int year;
        int day; // 0: no such day
    } const cases[] = {
        {DT::Sun, 1, DT::Feb, 2007, 4},   {DT::Sun, 4, DT::Feb, 2007, 25},
        {DT::Sun, 5, DT::Feb, 2007, 0},   {DT::Thu, 5, DT::Mar, 2007, 29},
        {DT::Sun, -1, DT::Feb, 2007, 25}, {DT::Wed, -1, DT::Feb, 2007, 28},
        {DT::Wed, -4, DT::Feb, 2007, 7},  {DT::Wed, -5, DT::Feb, 2007, 0},
        {DT::Mon, 1, DT::Jan, 1850, 7},   {DT::Fri, -1, DT::Dec, 2400, 29},
    };
    for (const auto& c : cases) {
        DT dt = AtUtc(2000, 6, 6, 6);
        const bool found = dt.SetToWeekDay(c.wd, c.n, c.month, c.year);
        SCOPED_TRACE(testing::Message()
                     << c.wd << " #" << c.n << " of " << c.month << "/" << c.year);
        EXPECT_EQ(found, c.day != 0);
        EXPECT_EQ(dt.GetValue(), c.day ? UtcMs(c.year, c.month + 1, c.day) : UtcMs(2000, 6, 6, 6));
        EXPECT_EQ(dt.GetWeekDay(c.wd, c.n, c.month, c.year).IsValid(), c.day != 0);
    }
    EXPECT_EQ(DT().GetLastWeekDay(DT::Sun, DT::Mar, 2005).GetValue(), UtcMs(2005, 3, 27));
    EXPECT_EQ(DT().GetLastMonthDay(DT::Feb, 2000).GetValue(), UtcMs(2000, 2, 29));
    EXPECT_TRUE(reports().empty());
}

// Navigation moves the calendar: midnight stays midnight across the switch.
TEST_F(DateTimeNavigationPrague, NavigationKeepsLocalMidnight)
{
    DT dt;
    ASSERT_TRUE(dt.SetToLastWeekDay(DT::Sun, DT::Mar, 2005));
    EXPECT_EQ(dt.GetHour(), 0);
    EXPECT_EQ(dt.GetDay(), 27);
    dt = DT(uint16_t(31), DT::Mar, 2005);
    dt.SetToPrevWeekDay(DT::Sat);
    EXPECT_EQ(dt.GetDay(), 26);
    EXPECT_EQ(dt.GetHour(), 0);
}

// Week n from SetToTheWeek is the week GetWeekOfYear (Monday first) numbers
// n, for every weekday.
TEST_F(DateTimeNavigation, WeeksOfTheYear)
{
    for (int year = 1998; year <= 2012; ++year) {
        const DT any(uint16_t(10), DT::Jun, year);
        for (int week = 1; week <= 53; ++week) {
            for (int wd = DT::Sun; wd <= DT::Sat; ++wd) {
                const DT dt = any.GetWeek(uint16_t(week), DT::WeekDay(wd));
                if (!dt.IsValid())
                    continue; // the day lies in another year
                SCOPED_TRACE(testing::Message() << year << " week " << week << " day " << wd);
                EXPECT_EQ(dt.GetYear(), year);
                EXPECT_EQ(dt.GetWeekDay(), wd);
                EXPECT_EQ(dt.GetWeekOfYear(DT::Monday_First), week);
            }
        }
    }
    // 4 January 2010 was a Monday; in 2009 the week began on 29 December.
    EXPECT_EQ(DT(uint16_t(1), DT::Jul, 2010).GetWeek(1, DT::Mon).GetValue(), UtcMs(2010, 1, 4));
    EXPECT_FALSE(DT(uint16_t(1), DT::Jul, 2009).GetWeek(1, DT::Mon).IsValid());
    EXPECT_EQ(DT(uint16_t(1), DT::Jul, 2009).GetWeek(1, DT::Thu).GetValue(), UtcMs(2009, 1, 1));
    EXPECT_EQ(DT(uint16_t(1), DT::Jul, 2009).GetWeek(10, DT::Sun).GetValue(), UtcMs(2009, 3, 8));
    EXPECT_TRUE(reports().empty());
}

TEST_F(DateTimeNavigation, WeekNumbers)
{
    struct {
        int y, m, d;
        int mondayFirst, sundayFirst;
    } const cases[] = {
        {2004, 1, 1, 1, 1}, // Thursday: the first week counts
        {2005, 1, 1, 0, 0}, // Saturday
        {2005, 1, 2, 0, 1}, // Sunday
        {2005, 1, 3, 1, 1}, // Monday
        {2009, 12, 31, 53, 53}, {2010, 1, 4, 1, 1},
    };
    for (const auto& c : cases) {
        const DT dt(uint16_t(c.d), DT::Month(c.m - 1), c.y);
        EXPECT_EQ(dt.GetWeekOfYear(DT::Monday_First), c.mondayFirst) << c.y << "-" << c.m;
        EXPECT_EQ(dt.GetWeekOfYear(DT::Sunday_First), c.sundayFirst) << c.y << "-" << c.m;
    }
    // UTC counts as the American rules: Sunday first.
    EXPECT_EQ(DT(uint16_t(2), DT::Jan, 2005).GetWeekOfYear(DT::Default_First), 1);
    EXPECT_EQ(DT(uint16_t(1), DT::Feb, 2005).GetWeekOfMonth(), 1);
    EXPECT_EQ(DT(uint16_t(28), DT::Feb, 2005).GetWeekOfMonth(), 5);
    EXPECT_EQ(DT(uint16_t(27), DT::Feb, 2005).GetWeekOfMonth(), 4);
}

TEST_F(DateTimeNavigation, DaysOfTheYear)
{
    DT dt = AtUtc(2004, 7, 7, 13);
    dt.SetToYearDay(60);
    EXPECT_EQ(dt.GetValue(), UtcMs(2004, 2, 29));
    EXPECT_EQ(dt.GetYearDay(366).GetValue(), UtcMs(2004, 12, 31));
    EXPECT_EQ(dt.GetYearDay(1).GetValue(), UtcMs(2004, 1, 1));
    EXPECT_EQ(AtUtc(2005, 1, 1).GetYearDay(60).GetValue(), UtcMs(2005, 3, 1));
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(AtUtc(2005, 1, 1).GetYearDay(366).GetValue(), UtcMs(2005, 1, 1));
    EXPECT_EQ(AtUtc(2005, 1, 1).GetYearDay(0).GetValue(), UtcMs(2005, 1, 1));
    EXPECT_EQ(reports(), (std::vector<std::string>{"invalid year day", "invalid year day"}));
}

} // namespace
