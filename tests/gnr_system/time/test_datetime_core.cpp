// CLxDateTime values: setting, reading in zones, local conversions against
// the runtime, comparison, arithmetic and the variant form.
#include <climits>
#include <cmath>

#include "date_test_support.h"
#include "gnr_system/variant/LxVariant.h"

namespace
{
using DT = CLxDateTime;

constexpr char kPrague[] = "Europe/Prague";
constexpr char kLondon[] = "Europe/London";
constexpr char kAdelaide[] = "Australia/Adelaide";

using DateTimeCore = DateTest;
using DateTimeCorePrague = ZonedDateTest<kPrague>;
using DateTimeCoreLondon = ZonedDateTest<kLondon>;
using DateTimeCoreAdelaide = ZonedDateTest<kAdelaide>;

TEST_F(DateTimeCore, DefaultIsInvalidAndMinusOneIsTheInvalidValue)
{
    EXPECT_FALSE(DT().IsValid());
    EXPECT_FALSE(g_DefaultDateTime.IsValid());
    EXPECT_FALSE(DT::FromValue(-1).IsValid());
    // One millisecond earlier is a real instant.
    const DT before = DT::FromValue(-2);
    ASSERT_TRUE(before.IsValid());
    const DT::Tm tm = before.GetTm(DT::UTC);
    EXPECT_EQ(tm.year, 1969);
    EXPECT_EQ(tm.mday, 31);
    EXPECT_EQ(tm.hour, 23);
    EXPECT_EQ(tm.sec, 59);
    EXPECT_EQ(tm.msec, 998);
    EXPECT_TRUE(reports().empty());

    EXPECT_EQ(DT().GetValue(), -1);
    EXPECT_EQ(DT().GetTm().mon, DT::Inv_Month);
    EXPECT_EQ(reports(), (std::vector<std::string>{"invalid CLxDateTime", "invalid CLxDateTime"}));
}

TEST_F(DateTimeCore, SettingFromSecondsStructAndDayNumber)
{
    EXPECT_EQ(DT(86400L).GetValue(), 86400000);
    struct tm t = {};
    t.tm_year = 105;
    t.tm_mon = 1;
    t.tm_mday = 1;
    t.tm_hour = 9;
    t.tm_isdst = -1;
    EXPECT_EQ(DT(t).GetValue(), UtcMs(2005, 2, 1, 9));
    EXPECT_EQ(DT(2451544.5).GetValue(), UtcMs(2000, 1, 1));
    EXPECT_EQ(DT(2451544.75).GetValue(), UtcMs(2000, 1, 1, 6));
    EXPECT_EQ(DT(uint16_t(1), DT::Feb, 2005, 10, 20, 30, 400).GetValue(),
              UtcMs(2005, 2, 1, 10, 20, 30, 400));
    EXPECT_EQ(DT(uint16_t(15), DT::Oct, 1582, 12).GetValue(), UtcMs(1582, 10, 15, 12));
    EXPECT_TRUE(reports().empty());

    // A day number that no 64-bit value holds is refused.
    DT dt = AtUtc(2000, 1, 1);
    dt.Set(1e300);
    dt.Set(std::nan(""));
    EXPECT_EQ(dt.GetValue(), UtcMs(2000, 1, 1));
    EXPECT_EQ(reports(), (std::vector<std::string>{"date out of range", "date out of range"}));
}

TEST_F(DateTimeCore, SevenPartSetRefusesBadComponents)
{
    struct {
        uint16_t day;
        DT::Month month;
        int year;
        uint16_t hour, minute, second, ms;
        const char* message;
    } const cases[] = {
        {1, DT::Jan, 2000, 24, 0, 0, 0, "Invalid time in CLxDateTime::Set()"},
        {1, DT::Jan, 2000, 0, 60, 0, 0, "Invalid time in CLxDateTime::Set()"},
        {1, DT::Jan, 2000, 0, 0, 62, 0, "Invalid time in CLxDateTime::Set()"},
        {1, DT::Jan, 2000, 0, 0, 0, 1000, "Invalid time in CLxDateTime::Set()"},
        {0, DT::Jan, 2000, 0, 0, 0, 0, "Invalid date in CLxDateTime::Set()"},
        {29, DT::Feb, 2001, 0, 0, 0, 0, "Invalid date in CLxDateTime::Set()"},
        {31, DT::Apr, 1500, 0, 0, 0, 0, "Invalid date in CLxDateTime::Set()"},
        {1, DT::Month(13), 2000, 0, 0, 0, 0, "Invalid date in CLxDateTime::Set()"},
        {1, DT::Jan, INT_MAX, 0, 0, 0, 0, "date out of range"},
    };
    for (const auto& c : cases) {
        DT dt = AtUtc(2010, 5, 5);
        dt.Set(c.day, c.month, c.year, c.hour, c.minute, c.second, c.ms);
        EXPECT_EQ(dt.GetValue(), UtcMs(2010, 5, 5)) << c.message;
        EXPECT_EQ(reports(), std::vector<std::string>{c.message});
    }
    // The first day with a day number is fine.
    EXPECT_TRUE(DT(uint16_t(24), DT::Nov, -4713).IsValid());
    EXPECT_TRUE(reports().empty());
}

TEST_F(DateTimeCore, DatesBeforeTheFirstDayNumberTakeDayNumberZero)
{
    // 25 November -4713 has day number 0; earlier dates are reported and
    // converted with it.
    const DT dayZero(uint16_t(25), DT::Nov, -4713, 6, 30);
    ASSERT_TRUE(dayZero.IsValid());
    EXPECT_TRUE(reports().empty());
    for (int year : {-4713, -5000, -100000}) {
        const DT early(uint16_t(23), DT::Nov, year, 6, 30);
        EXPECT_EQ(early.GetValue(), dayZero.GetValue()) << year;
        EXPECT_EQ(reports(), std::vector<std::string>{"date out of range - can't convert to JDN"});
    }
}

TEST_F(DateTimeCore, InvalidYearAndMonthMeanTheCurrentOnes)
{
    const DT dt(uint16_t(1), DT::Inv_Month, DT::Inv_Year);
    EXPECT_EQ(dt.GetYear(), DT::GetCurrentYear());
    EXPECT_EQ(dt.GetMonth(), DT::GetCurrentMonth());
    EXPECT_EQ(dt.GetDay(), 1);
}

// Outside 1970-2037 a local reading is standard time, never daylight saving.
TEST_F(DateTimeCorePrague, OtherYearsAreLocalStandardTime)
{
    EXPECT_EQ(DT(uint16_t(15), DT::Jul, 1582, 12).GetValue(), UtcMs(1582, 7, 15, 11));
    EXPECT_EQ(DT(uint16_t(15), DT::Jul, 2050, 12).GetValue(), UtcMs(2050, 7, 15, 11));
    // Inside the range the runtime applies summer time.
    EXPECT_EQ(DT(uint16_t(15), DT::Jul, 2005, 12).GetValue(), UtcMs(2005, 7, 15, 10));
    const DT::Tm tm = AtUtc(2050, 7, 15, 11).GetTm();
    EXPECT_EQ(tm.hour, 12);
    EXPECT_EQ(tm.tzOffset, 3600);
}

// Summer time in the last days of the standard range: reading and setting
// take the same road, so a reading sets the same instant again.
TEST_F(DateTimeCoreAdelaide, ReadingsRoundTripAtTheEndOfTheRange)
{
    const DT dt = AtUtc(2038, 1, 18, 12);
    const DT::Tm tm = dt.GetTm();
    EXPECT_EQ(tm.hour, 22); // +10:30
    EXPECT_EQ(tm.min, 30);
    EXPECT_EQ(DT(tm).GetValue(), dt.GetValue());
    // Past the range: standard time, +9:30.
    const DT later = AtUtc(2038, 1, 20, 12);
    EXPECT_EQ(later.GetHour(), 21);
    EXPECT_EQ(DT(later.GetTm()).GetValue(), later.GetValue());
}

TEST_F(DateTimeCore, ComponentSetters)
{
    DT dt(uint16_t(29), DT::Feb, 2004, 10, 20, 30, 400);
    dt.SetYear(2008);
    EXPECT_EQ(dt.GetValue(), UtcMs(2008, 2, 29, 10, 20, 30, 400));
    dt.SetMonth(DT::Mar).SetDay(31).SetHour(23).SetMinute(59).SetSecond(58).SetMillisecond(7);
    EXPECT_EQ(dt.GetValue(), UtcMs(2008, 3, 31, 23, 59, 58, 7));
    EXPECT_TRUE(reports().empty());

    dt.SetMonth(DT::Apr); // 31 April
    EXPECT_EQ(dt.GetMonth(), DT::Mar);
    EXPECT_EQ(reports(), std::vector<std::string>{"Invalid date in CLxDateTime::Set()"});

    DT invalid;
    invalid.SetHour(3).SetMillisecond(5);
    EXPECT_FALSE(invalid.IsValid());
    EXPECT_EQ(reports(), (std::vector<std::string>{"invalid CLxDateTime", "invalid CLxDateTime"}));
}

// Before 1970 the millisecond replaces that of the same (earlier) second.
TEST_F(DateTimeCore, MillisecondBefore1970KeepsTheSecond)
{
    DT dt = AtUtc(1969, 12, 31, 23, 59, 58, 500);
    dt.SetMillisecond(20);
    EXPECT_EQ(dt.GetValue(), UtcMs(1969, 12, 31, 23, 59, 58, 20));
    EXPECT_EQ(dt.GetMillisecond(), 20);
    EXPECT_EQ(dt.GetSecond(), 58);
}

TEST_F(DateTimeCore, TicksAndStandardRange)
{
    EXPECT_EQ(DT::FromValue(0).GetTicks(), 0);
    EXPECT_EQ(DT::FromValue(0x7FFFFFFEll * 1000 + 999).GetTicks(), 0x7FFFFFFE);
    EXPECT_TRUE(DT::FromValue(0x7FFFFFFEll * 1000 + 999).IsInStdRange());
    EXPECT_EQ(DT::FromValue(0x7FFFFFFFll * 1000).GetTicks(), -1);
    EXPECT_FALSE(DT::FromValue(0x7FFFFFFFll * 1000).IsInStdRange());
    EXPECT_EQ(DT::FromValue(-500).GetTicks(), -1);
    EXPECT_FALSE(DT::FromValue(-500).IsInStdRange());
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(DT().GetTicks(), -1);
    EXPECT_EQ(reports(), std::vector<std::string>{"invalid CLxDateTime"});
}

TEST_F(DateTimeCore, TimeZonesByName)
{
    EXPECT_EQ(DT::TimeZone(DT::GMT_12).GetOffset(), -43200);
    EXPECT_EQ(DT::TimeZone(DT::GMT0).GetOffset(), 0);
    EXPECT_EQ(DT::TimeZone(DT::GMT12).GetOffset(), 43200);
    EXPECT_EQ(DT::TimeZone(DT::A_CST).GetOffset(), 34200);
    EXPECT_TRUE(DT::TimeZone(DT::Local).IsLocal());
    EXPECT_FALSE(DT::TimeZone(DT::UTC).IsLocal());
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(DT::TimeZone(DT::TZ(99)).GetOffset(), 0);
    EXPECT_EQ(reports(), std::vector<std::string>{"unknown time zone"});
}

TEST_F(DateTimeCore, ReadingsInFixedZones)
{
    const DT dt = AtUtc(2005, 2, 1, 22, 45, 10, 123);
    DT::Tm tm = dt.GetTm(DT::A_CST);
    EXPECT_EQ(tm.mday, 2);
    EXPECT_EQ(tm.hour, 8);
    EXPECT_EQ(tm.min, 15);
    EXPECT_EQ(tm.msec, 123);
    EXPECT_EQ(tm.tzOffset, 34200);
    EXPECT_EQ(tm.GetWeekDay(), DT::Wed);
    // A reading before 1970 in the zone takes the library's own road.
    tm = AtUtc(1970, 1, 1, 1).GetTm(DT::GMT_5);
    EXPECT_EQ(tm.year, 1969);
    EXPECT_EQ(tm.mday, 31);
    EXPECT_EQ(tm.hour, 20);
    EXPECT_EQ(tm.yday, 365);
    // Far beyond the runtime's years.
    tm = AtUtc(3000, 6, 30, 12).GetTm(DT::GMT1);
    EXPECT_EQ(tm.year, 3000);
    EXPECT_EQ(tm.hour, 13);
    EXPECT_EQ(tm.yday, 181);
    EXPECT_TRUE(reports().empty());
}

TEST_F(DateTimeCore, ExtremeValuesNeverOverflow)
{
    EXPECT_GT(DT::FromValue(INT64_MAX).GetTm(DT::UTC).year, 292000000);
    EXPECT_EQ(DT::FromValue(INT64_MAX).GetTm(DT::GMT12).mon, DT::Inv_Month);
    EXPECT_EQ(DT::FromValue(INT64_MIN).GetTm(DT::UTC).mon, DT::Inv_Month);
    EXPECT_EQ(reports(), (std::vector<std::string>{"JDN out of range", "JDN out of range"}));

    DT dt = DT::FromValue(INT64_MAX - 10);
    dt += CLxTimeSpan::Second();
    EXPECT_EQ(dt.GetValue(), INT64_MAX - 10);
    EXPECT_EQ(reports(), std::vector<std::string>{"date out of range"});
    EXPECT_EQ((DT::FromValue(INT64_MAX) - DT::FromValue(INT64_MIN)).GetValue(), INT64_MAX);
    EXPECT_FALSE(DT::FromValue(INT64_MAX).IsEqualUpTo(DT::FromValue(INT64_MIN),
                                                      CLxTimeSpan::Milliseconds(INT64_MAX)));
}

// GetTm(Local) inside the standard range is the runtime's localtime.
class DateTimeLocalConversion : public DateTest, public testing::WithParamInterface<const char*>
{
  protected:
    DateTimeLocalConversion() : DateTest(GetParam()) {}
};

TEST_P(DateTimeLocalConversion, AgreesWithLocaltimeForSampledInstants)
{
    uint64_t state = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < 2000; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const time_t t = time_t((state >> 33) % 0x7FFFFFFFull);
        struct tm ref = {};
        ASSERT_NE(localtime_r(&t, &ref), nullptr);
        const DT dt = DT::FromValue(int64_t(t) * 1000 + 250);
        const DT::Tm tm = dt.GetTm();
        SCOPED_TRACE(testing::Message() << "t=" << t);
        EXPECT_EQ(tm.year, ref.tm_year + 1900);
        EXPECT_EQ(tm.mon, ref.tm_mon);
        EXPECT_EQ(tm.mday, ref.tm_mday);
        EXPECT_EQ(tm.hour, ref.tm_hour);
        EXPECT_EQ(tm.min, ref.tm_min);
        EXPECT_EQ(tm.sec, ref.tm_sec);
        EXPECT_EQ(tm.msec, 250);
        EXPECT_EQ(tm.GetWeekDay(), ref.tm_wday);
        EXPECT_EQ(dt.GetDayOfYear(), ref.tm_yday + 1);
        EXPECT_EQ(dt.IsDST(), ref.tm_isdst > 0 ? 1 : 0);
        // Setting the reading again gives the instant back, but in the hour
        // that a clock change repeats.
        const DT again(tm);
        if (again.GetValue() != dt.GetValue()) {
            EXPECT_EQ(std::llabs(again.GetValue() - dt.GetValue()), 3600000);
            EXPECT_NE(again.IsDST(), dt.IsDST());
        }
    }
    EXPECT_TRUE(reports().empty());
}

TEST_P(DateTimeLocalConversion, OutsideTheRangeLocalIsStandardTime)
{
    for (int year : {1600, 1900, 1969, 2038, 2100, 2500}) {
        for (int month : {1, 7}) {
            const DT dt = AtUtc(year, month, 15, 12, 30);
            if (dt.IsInStdRange())
                continue;
            const time_t shifted = time_t(dt.GetValue() / 1000 - timezone);
            struct tm ref = {};
            gmtime_r(&shifted, &ref);
            const DT::Tm tm = dt.GetTm();
            EXPECT_EQ(tm.mday, ref.tm_mday) << year;
            EXPECT_EQ(tm.hour, ref.tm_hour) << year;
            EXPECT_EQ(tm.min, ref.tm_min) << year;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(DateTimeZones, DateTimeLocalConversion,
                         testing::Values("UTC", "Europe/Prague", "America/New_York",
                                         "Australia/Adelaide", "Asia/Kolkata"));

// Asking for UTC gives UTC also where the local standard offset is 0.
TEST_F(DateTimeCoreLondon, UtcIsNotTheLocalZone)
{
    const DT summer = AtUtc(2005, 7, 1, 12);
    EXPECT_EQ(summer.GetHour(DT::UTC), 12);
    EXPECT_EQ(summer.GetHour(), 13);
    EXPECT_EQ(summer.GetJDN(), 2453553.0);
}

TEST_F(DateTimeCore, FillTmStruct)
{
    struct tm t = {};
    AtUtc(2004, 12, 31, 23, 5, 6).FillTmStruct(&t);
    EXPECT_EQ(t.tm_year, 104);
    EXPECT_EQ(t.tm_mon, 11);
    EXPECT_EQ(t.tm_mday, 31);
    EXPECT_EQ(t.tm_hour, 23);
    EXPECT_EQ(t.tm_yday, 365);
    EXPECT_EQ(t.tm_wday, 5);
    EXPECT_EQ(t.tm_isdst, -1);
    AtUtc(2004, 1, 1).FillTmStruct(nullptr);
    EXPECT_EQ(reports().size(), 1u);
}

TEST_F(DateTimeCore, NowAndToday)
{
    const time_t before = time(nullptr);
    const DT now = DT::Now(), unow = DT::UNow();
    const time_t after = time(nullptr);
    EXPECT_GE(now.GetValue(), int64_t(before) * 1000);
    EXPECT_LE(now.GetValue(), int64_t(after) * 1000);
    // time() may follow a coarser clock than UNow's; a second either way.
    EXPECT_GE(unow.GetValue(), int64_t(before - 1) * 1000);
    EXPECT_LT(unow.GetValue(), int64_t(after + 2) * 1000);
    DT today = DT::Today();
    EXPECT_EQ(today.GetHour() + today.GetMinute() + today.GetSecond(), 0);
    EXPECT_TRUE(today.IsSameDate(now) || today.IsSameDate(DT::Now()));
    DT noon = today;
    noon.Set(12, 0, 0, 0);
    EXPECT_EQ((noon - today).GetValue(), 12 * 3600000);
    noon.ResetTime();
    EXPECT_EQ(noon.GetValue(), today.GetValue());
}

TEST_F(DateTimeCore, ComparisonsNeedValidDates)
{
    const DT a = AtUtc(2005, 1, 1), b = AtUtc(2005, 1, 2), c = AtUtc(2005, 1, 3);
    EXPECT_TRUE(a.IsEarlierThan(b));
    EXPECT_TRUE(c.IsLaterThan(b));
    EXPECT_TRUE(b.IsStrictlyBetween(a, c));
    EXPECT_FALSE(a.IsStrictlyBetween(a, c));
    EXPECT_TRUE(a.IsBetween(a, c));
    EXPECT_TRUE(c.IsBetween(a, c));
    EXPECT_TRUE(b.IsEqualUpTo(a, CLxTimeSpan::Days(1)));
    EXPECT_FALSE(b.IsEqualUpTo(a, CLxTimeSpan::Hours(23)));
    EXPECT_TRUE(b.IsEqualUpTo(c, CLxTimeSpan::Days(-1)));
    EXPECT_TRUE(reports().empty());

    EXPECT_FALSE(a.IsEqualTo(DT()));
    EXPECT_FALSE(DT().IsEarlierThan(a));
    EXPECT_FALSE(DT().IsLaterThan(DT()));
    EXPECT_EQ(reports().size(), 3u);
}

// Less than a day apart, whatever the calendar days.
TEST_F(DateTimeCore, SameDateMeansLessThanADayApart)
{
    EXPECT_TRUE(AtUtc(2005, 3, 1, 23).IsSameDate(AtUtc(2005, 3, 2, 1)));
    EXPECT_TRUE(AtUtc(2005, 3, 2, 1).IsSameDate(AtUtc(2005, 3, 1, 23)));
    EXPECT_TRUE(AtUtc(2005, 3, 2, 0).IsSameDate(AtUtc(2005, 3, 2, 23, 59, 59, 999)));
    EXPECT_FALSE(AtUtc(2005, 3, 2, 0).IsSameDate(AtUtc(2005, 3, 3, 0)));
    EXPECT_FALSE(AtUtc(2005, 3, 3, 0).IsSameDate(AtUtc(2005, 3, 2, 0)));
    EXPECT_TRUE(AtUtc(2005, 3, 2, 7, 8, 9, 10).IsSameTime(AtUtc(1999, 1, 1, 7, 8, 9, 10)));
    EXPECT_FALSE(AtUtc(2005, 3, 2, 7, 8, 9, 10).IsSameTime(AtUtc(1999, 1, 1, 7, 8, 9, 11)));
}

TEST_F(DateTimeCore, TimeSpanArithmetic)
{
    DT dt = AtUtc(2005, 2, 28, 23);
    dt += CLxTimeSpan::Hours(2);
    EXPECT_EQ(dt.GetValue(), UtcMs(2005, 3, 1, 1));
    dt -= CLxTimeSpan::Days(365);
    EXPECT_EQ(dt.GetValue(), UtcMs(2004, 3, 1, 1));
    EXPECT_EQ((AtUtc(2005, 1, 1) - AtUtc(2004, 1, 1)).GetDays(), 366);
    EXPECT_TRUE(reports().empty());

    DT invalid;
    invalid += CLxTimeSpan::Hours(1);
    EXPECT_FALSE(invalid.IsValid());
    EXPECT_TRUE((invalid - dt).IsNull());
    EXPECT_EQ(reports().size(), 2u);
}

TEST_F(DateTimeCore, DateSpanArithmetic)
{
    struct {
        int y, m, d;
        CLxDateSpan span;
        int ey, em, ed;
    } const cases[] = {
        {2004, 1, 31, CLxDateSpan::Month(), 2004, 2, 29},
        {2005, 1, 31, CLxDateSpan::Month(), 2005, 2, 28},
        {2004, 2, 29, CLxDateSpan::Year(), 2005, 2, 28},
        {2004, 12, 31, CLxDateSpan::Day(), 2005, 1, 1},
        {2004, 3, 1, CLxDateSpan::Days(-1), 2004, 2, 29},
        {2004, 1, 15, CLxDateSpan(1, 13, 2, 3), 2006, 3, 4},
        {2004, 3, 31, CLxDateSpan::Months(-1), 2004, 2, 29},
        {1850, 1, 31, CLxDateSpan::Months(1), 1850, 2, 28},
    };
    for (const auto& c : cases) {
        DT dt(uint16_t(c.d), DT::Month(c.m - 1), c.y, 8, 15);
        dt += c.span;
        EXPECT_EQ(dt.GetValue(), UtcMs(c.ey, c.em, c.ed, 8, 15)) << c.y << "-" << c.m << "-" << c.d;
    }
    DT dt(uint16_t(10), DT::Mar, 2005);
    dt -= CLxDateSpan::Weeks(2);
    EXPECT_EQ(dt.GetValue(), UtcMs(2005, 2, 24));
    EXPECT_TRUE(reports().empty());
}

// Across a clock change a day of the calendar is 23 or 25 hours.
TEST_F(DateTimeCorePrague, DateSpanKeepsTheLocalTimeOfDay)
{
    DT dt(uint16_t(27), DT::Mar, 2021, 12);
    const DT before = dt;
    dt += CLxDateSpan::Day();
    EXPECT_EQ(dt.GetHour(), 12);
    EXPECT_EQ((dt - before).GetHours(), 23);
    // 02:30 does not exist on 28 March 2021.
    DT gap(uint16_t(27), DT::Mar, 2021, 2, 30);
    gap += CLxDateSpan::Day();
    EXPECT_EQ(reports(), std::vector<std::string>{"Add(CLxTimeSpan) shouldn't modify time"});
}

TEST_F(DateTimeCore, VariantForm)
{
    const CLxVariantRunType runType("RLxDateTime");
    const CLxVariant& sample = CLxVariant::GetRunTypeSample(runType);
    ASSERT_EQ(sample.GetCount(), 1);
    EXPECT_EQ(U8(sample[0].GetName().GetString()), "time");
    EXPECT_EQ(std::string(sample[0].GetRunType().GetName().GetString()), "lx_int64");
    EXPECT_EQ(sample[0].GetLx_int64(), 0);

    CLxVariant v(42, u"when");
    ASSERT_EQ(AtUtc(2005, 2, 1, 9).SaveToVariant(v), 0);
    EXPECT_EQ(v.GetRunType(), runType);
    EXPECT_EQ(U8(v.GetName().GetString()), "when");
    EXPECT_FALSE(v.IsEnabledTypeChange());
    DT back;
    ASSERT_EQ(back.LoadFromVariant(v), 0);
    EXPECT_EQ(back.GetValue(), UtcMs(2005, 2, 1, 9));
    // The invalid date travels too.
    ASSERT_EQ(DT().SaveToVariant(v), 0);
    ASSERT_EQ(back.LoadFromVariant(v), 0);
    EXPECT_FALSE(back.IsValid());

    back = AtUtc(2001, 1, 1);
    EXPECT_EQ(back.LoadFromVariant(CLxVariant(int64_t(5), u"time")), -4);
    EXPECT_EQ(back.GetValue(), UtcMs(2001, 1, 1));
}

} // namespace
