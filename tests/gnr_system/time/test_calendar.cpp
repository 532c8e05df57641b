// Calendar arithmetic against Python's datetime and calendar
// (data/calendar_1600_2400.txt, made by make_calendar_table.py), and the
// calendar helpers' own rules.
#include <sstream>

#include "date_test_support.h"

namespace
{
using DT = CLxDateTime;

struct SDayRow {
    int year, month, day;
    int64_t jdn;
    int weekDay, yearDay;
};

struct SYearRow {
    int year;
    bool leap;
    int lengths[12];
};

struct SCalendarTable {
    std::vector<SDayRow> days;
    std::vector<SYearRow> years;
};

const SCalendarTable& Table()
{
    static const SCalendarTable table = [] {
        SCalendarTable t;
        for (const std::string& line : DataLines("calendar_1600_2400.txt")) {
            std::istringstream in(line);
            char kind = 0;
            in >> kind;
            if (kind == 'D') {
                SDayRow r{};
                in >> r.year >> r.month >> r.day >> r.jdn >> r.weekDay >> r.yearDay;
                t.days.push_back(r);
            } else if (kind == 'Y') {
                SYearRow r{};
                int leap = 0;
                in >> r.year >> leap;
                r.leap = leap != 0;
                for (int& n : r.lengths)
                    in >> n;
                t.years.push_back(r);
            }
        }
        return t;
    }();
    return table;
}

using DateTimeCalendar = DateTest;

TEST_F(DateTimeCalendar, TableIsComplete)
{
    EXPECT_EQ(Table().years.size(), 801u);
    EXPECT_GT(Table().days.size(), 5000u);
}

TEST_F(DateTimeCalendar, DayNumbersAgreeWithPythonBothWays)
{
    for (const SDayRow& r : Table().days) {
        SCOPED_TRACE(testing::Message() << r.year << "-" << r.month << "-" << r.day);
        EXPECT_EQ(DT::DateToJDN(r.day, DT::Month(r.month - 1), r.year), r.jdn);
        uint16_t day = 0;
        DT::Month month = DT::Inv_Month;
        int year = 0;
        ASSERT_TRUE(DT::JDNToDate(r.jdn, day, month, year));
        EXPECT_EQ(year, r.year);
        EXPECT_EQ(month, r.month - 1);
        EXPECT_EQ(day, r.day);
    }
}

// The same through a date value: in UTC the instant's Julian day is the
// day number + 0.5 at midnight, the MJD 2400000.5 less, the Rata Die
// Python's ordinal less one (0.0 at 0001-01-01 00:00).
TEST_F(DateTimeCalendar, DatesAgreeWithPythonThroughValues)
{
    for (const SDayRow& r : Table().days) {
        SCOPED_TRACE(testing::Message() << r.year << "-" << r.month << "-" << r.day);
        const DT noon(uint16_t(r.day), DT::Month(r.month - 1), r.year, 12);
        ASSERT_TRUE(noon.IsValid());
        EXPECT_EQ(noon.GetJDN(), double(r.jdn) + 1.0);
        EXPECT_EQ(noon.GetMJD(), double(r.jdn) + 1.0 - 2400000.5);
        EXPECT_EQ(noon.GetRataDie(), double(r.jdn - 1721425) + 0.5);
        EXPECT_EQ(noon.GetWeekDay(), r.weekDay);
        EXPECT_EQ(noon.GetDayOfYear(), r.yearDay);
        const DT::Tm tm = noon.GetTm();
        EXPECT_EQ(tm.year, r.year);
        EXPECT_EQ(tm.mon, r.month - 1);
        EXPECT_EQ(tm.mday, r.day);
        EXPECT_EQ(tm.hour, 12);
        EXPECT_EQ(DT(noon.GetJDN()).GetValue(), noon.GetValue());
    }
}

TEST_F(DateTimeCalendar, LeapYearsAndMonthLengthsAgreeWithPython)
{
    for (const SYearRow& r : Table().years) {
        SCOPED_TRACE(r.year);
        EXPECT_EQ(DT::IsLeapYear(r.year), r.leap);
        EXPECT_EQ(DT::GetNumberOfDays(r.year), r.leap ? 366 : 365);
        for (int m = 0; m < 12; ++m)
            EXPECT_EQ(DT::GetNumberOfDays(DT::Month(m), r.year), r.lengths[m]);
    }
}

// Adding months keeps the day unless the new month is shorter: then its
// last day (calendar.monthrange).
TEST_F(DateTimeCalendar, MonthSpansClampToMonthEndLikePython)
{
    const std::vector<SYearRow>& years = Table().years;
    for (size_t y = 0; y + 1 < years.size(); ++y) {
        const SYearRow& r = years[y];
        for (int day : {28, 29, 30, 31}) {
            for (int months : {1, 2, 5, 11, 12, 13}) {
                if (day > r.lengths[0])
                    continue;
                const int target = months % 12;
                const SYearRow& ty = years[y + size_t(months / 12)];
                const int expected = std::min(day, ty.lengths[target]);
                DT dt(uint16_t(day), DT::Jan, r.year, 10, 30);
                dt.Add(CLxDateSpan::Months(months));
                SCOPED_TRACE(testing::Message() << r.year << " day " << day << " + " << months);
                EXPECT_EQ(dt.GetDay(), expected);
                EXPECT_EQ(dt.GetMonth(), target);
                EXPECT_EQ(dt.GetYear(), ty.year);
                EXPECT_EQ(dt.GetHour(), 10);
            }
        }
        // Backwards: 31 December minus k months.
        DT dec(31, DT::Dec, r.year);
        dec.Subtract(CLxDateSpan::Months(10));
        EXPECT_EQ(dec.GetDay(), std::min(31, r.lengths[1]));
        EXPECT_EQ(dec.GetMonth(), DT::Feb);
    }
    EXPECT_TRUE(reports().empty());
}

TEST_F(DateTimeCalendar, KnownDayNumbers)
{
    EXPECT_EQ(DT::DateToJDN(1, DT::Jan, 2000), 2451544);
    EXPECT_EQ(DT::DateToJDN(1, DT::Jan, 1970), 2440587);
    // The first day with a day number.
    EXPECT_EQ(DT::DateToJDN(24, DT::Nov, -4713), -1);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(DT::DateToJDN(23, DT::Nov, -4713), 0);
    EXPECT_EQ(reports(), std::vector<std::string>{"date out of range - can't convert to JDN"});

    uint16_t day = 0;
    DT::Month month = DT::Inv_Month;
    int year = 0;
    ASSERT_TRUE(DT::JDNToDate(-1, day, month, year));
    EXPECT_EQ(year, -4713);
    EXPECT_EQ(month, DT::Nov);
    EXPECT_EQ(day, 24);
    EXPECT_FALSE(DT::JDNToDate(-2, day, month, year));
    EXPECT_FALSE(DT::JDNToDate(INT64_MAX, day, month, year));
}

TEST_F(DateTimeCalendar, TheFirstDayOf2000)
{
    const DT dt = AtUtc(2000, 1, 1);
    EXPECT_EQ(dt.GetJulianDayNumber(), 2451544.5);
    EXPECT_EQ(dt.GetMJD(), 51544.0);
    EXPECT_EQ(dt.GetRataDie(), 730119.0);
    EXPECT_EQ(AtUtc(1, 1, 1).GetRataDie(), 0.0);
    EXPECT_EQ(dt.GetWeekDay(DT::UTC), DT::Sat);
    EXPECT_EQ(AtUtc(2000, 1, 1, 18).GetJDN(), 2451545.25);
}

TEST_F(DateTimeCalendar, LeapYearRules)
{
    struct {
        int year;
        bool gregorian, julian;
    } const cases[] = {{1900, false, true}, {2000, true, true},   {2004, true, true},
                       {2100, false, true}, {2001, false, false}, {0, true, true},
                       {-4, true, true},    {-100, false, true},  {-1, false, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(DT::IsLeapYear(c.year, DT::Gregorian), c.gregorian) << c.year;
        EXPECT_EQ(DT::IsLeapYear(c.year, DT::Julian), c.julian) << c.year;
    }
    EXPECT_TRUE(reports().empty());
    EXPECT_FALSE(DT::IsLeapYear(2000, DT::Calendar(5)));
    EXPECT_EQ(reports(), std::vector<std::string>{"unknown calendar"});
    EXPECT_EQ(DT::IsLeapYear(DT::Inv_Year), DT::IsLeapYear(DT::GetCurrentYear()));
}

TEST_F(DateTimeCalendar, CenturiesAndYearsBeforeChrist)
{
    EXPECT_EQ(DT::GetCentury(1999), 19);
    EXPECT_EQ(DT::GetCentury(2000), 20);
    EXPECT_EQ(DT::GetCentury(0), -1);
    EXPECT_EQ(DT::GetCentury(-150), -2);
    EXPECT_EQ(DT::ConvertYearToBC(0), -1);
    EXPECT_EQ(DT::ConvertYearToBC(-43), -44);
    EXPECT_EQ(DT::ConvertYearToBC(1), 1);
}

TEST_F(DateTimeCalendar, NumberOfDaysRefusesBadMonthAndCalendar)
{
    EXPECT_EQ(DT::GetNumberOfDays(DT::Inv_Month, 2000), 0);
    EXPECT_EQ(reports(), std::vector<std::string>{"invalid month"});
    EXPECT_EQ(DT::GetNumberOfDays(DT::Feb, 2000, DT::Julian), 0);
    EXPECT_EQ(reports(), std::vector<std::string>{"unsupported calendar"});
    EXPECT_EQ(DT::GetCurrentYear(DT::Julian), DT::Inv_Year);
    EXPECT_EQ(DT::GetCurrentMonth(DT::Julian), DT::Inv_Month);
    EXPECT_EQ(reports().size(), 2u);
}

TEST_F(DateTimeCalendar, MonthAndWeekDaySteppingWraps)
{
    DT::Month m = DT::Dec;
    lxNextMonth(m);
    EXPECT_EQ(m, DT::Jan);
    lxPrevMonth(m);
    EXPECT_EQ(m, DT::Dec);
    DT::WeekDay wd = DT::Sun;
    lxPrevWDay(wd);
    EXPECT_EQ(wd, DT::Sat);
    lxNextWDay(wd);
    EXPECT_EQ(wd, DT::Sun);
    EXPECT_TRUE(reports().empty());

    m = DT::Inv_Month;
    lxNextMonth(m);
    EXPECT_EQ(m, DT::Inv_Month);
    wd = DT::Inv_WeekDay;
    lxPrevWDay(wd);
    EXPECT_EQ(wd, DT::Inv_WeekDay);
    EXPECT_EQ(reports(), (std::vector<std::string>{"invalid month", "invalid week day"}));
}

TEST_F(DateTimeCalendar, TmValidity)
{
    DT::Tm tm;
    EXPECT_FALSE(tm.IsValid());
    EXPECT_EQ(tm.mon, DT::Inv_Month);
    EXPECT_EQ(tm.wday, DT::Inv_WeekDay);
    tm.year = 2004;
    tm.mon = DT::Feb;
    tm.mday = 29;
    EXPECT_TRUE(tm.IsValid());
    EXPECT_EQ(tm.GetWeekDay(), DT::Sun);
    tm.mday = 0; // no month has a day 0
    EXPECT_FALSE(tm.IsValid());
    tm.mday = 30;
    EXPECT_FALSE(tm.IsValid());
    tm.mday = 1;
    tm.sec = 61;
    EXPECT_TRUE(tm.IsValid());
    tm.sec = 62;
    EXPECT_FALSE(tm.IsValid());
}

} // namespace
