// Daylight-saving rules against tzdata (data/dst_prague_1996_2037.txt, made
// by make_dst_table.py from zdump), the country choice and zone moves.
#include <sstream>

#include "date_test_support.h"

namespace
{
using DT = CLxDateTime;

constexpr char kPrague[] = "Europe/Prague";
constexpr char kNewYork[] = "America/New_York";
using DateTimeDstPrague = ZonedDateTest<kPrague>;
using DateTimeDstNewYork = ZonedDateTest<kNewYork>;
using DateTimeDst = DateTest;

struct STransition {
    int year;
    int64_t begin, end; // seconds
};

std::vector<STransition> PragueTransitions()
{
    std::vector<STransition> rows;
    for (const std::string& line : DataLines("dst_prague_1996_2037.txt")) {
        std::istringstream in(line);
        STransition t{};
        in >> t.year >> t.begin >> t.end;
        rows.push_back(t);
    }
    return rows;
}

TEST_F(DateTimeDstPrague, WestEuropeanRuleAgreesWithTzdata)
{
    const std::vector<STransition> rows = PragueTransitions();
    ASSERT_EQ(rows.size(), 42u);
    for (const STransition& t : rows) {
        SCOPED_TRACE(t.year);
        EXPECT_EQ(DT::GetBeginDST(t.year, DT::Country_EEC).GetValue(), t.begin * 1000);
        EXPECT_EQ(DT::GetEndDST(t.year, DT::Country_EEC).GetValue(), t.end * 1000);
        // The zone's own country gives the same.
        EXPECT_EQ(DT::GetBeginDST(t.year).GetValue(), t.begin * 1000);
        EXPECT_EQ(DT::GetEndDST(t.year).GetValue(), t.end * 1000);
        // And the runtime agrees on both sides of each switch.
        EXPECT_EQ(DT::FromValue(t.begin * 1000 - 1).IsDST(), 0);
        EXPECT_EQ(DT::FromValue(t.begin * 1000).IsDST(), 1);
        EXPECT_EQ(DT::FromValue(t.end * 1000 - 1).IsDST(), 1);
        EXPECT_EQ(DT::FromValue(t.end * 1000).IsDST(), 0);
    }
    EXPECT_TRUE(reports().empty());
}

// The switch is the same instant wherever the rule is asked for.
TEST_F(DateTimeDstNewYork, WestEuropeanRuleDoesNotDependOnTheLocalZone)
{
    for (const STransition& t : PragueTransitions()) {
        EXPECT_EQ(DT::GetBeginDST(t.year, DT::Country_UK).GetValue(), t.begin * 1000);
        EXPECT_EQ(DT::GetEndDST(t.year, DT::Country_Russia).GetValue(), t.end * 1000);
    }
}

// Beyond the runtime's range the rule decides, the end being the first
// instant of standard time.
TEST_F(DateTimeDstPrague, RulesDecideOutsideTheStandardRange)
{
    const DT begin = DT::GetBeginDST(2050), end = DT::GetEndDST(2050);
    EXPECT_EQ(begin.GetValue(), UtcMs(2050, 3, 27, 1));
    EXPECT_EQ(end.GetValue(), UtcMs(2050, 10, 30, 1));
    EXPECT_EQ((begin - CLxTimeSpan::Millisecond()).IsDST(), 0);
    EXPECT_EQ(begin.IsDST(), 1);
    EXPECT_EQ(AtUtc(2050, 7, 1).IsDST(), 1);
    EXPECT_EQ((end - CLxTimeSpan::Millisecond()).IsDST(), 1);
    EXPECT_EQ(end.IsDST(), 0);
    // Before 1951 the group has no rule.
    EXPECT_EQ(AtUtc(1940, 7, 1).IsDST(), -1);
    EXPECT_FALSE(DT::GetBeginDST(1940).IsValid());
    EXPECT_TRUE(reports().empty());
}

TEST_F(DateTimeDst, CountryFromTheZoneName)
{
    struct {
        const char* zone;
        DT::Country country;
    } const cases[] = {{"Europe/Prague", DT::Country_EEC},
                       {"Europe/Lisbon", DT::Country_UK},
                       {"Europe/Moscow", DT::Country_Russia},
                       {"America/New_York", DT::Country_USA},
                       {"UTC", DT::Country_USA}};
    for (const auto& c : cases) {
        ScopedTimeZone zone(c.zone);
        EXPECT_EQ(DT::GetCountry(), c.country) << c.zone;
        EXPECT_EQ(DT::IsWestEuropeanCountry(), c.country >= 2 && c.country <= 5) << c.zone;
    }
    ScopedTimeZone zone("Europe/Prague");
    DT::SetCountry(DT::Country_USA);
    EXPECT_EQ(DT::GetCountry(), DT::Country_USA);
    EXPECT_FALSE(DT::IsWestEuropeanCountry());
    EXPECT_TRUE(DT::IsWestEuropeanCountry(DT::Country_Germany));
}

TEST_F(DateTimeDst, ApplicableYears)
{
    struct {
        int year;
        DT::Country country;
        bool applicable;
    } const cases[] = {
        {1918, DT::Country_USA, true},    {1920, DT::Country_USA, false},
        {1943, DT::Country_UK, true},     {1965, DT::Country_UK, false},
        {1966, DT::Country_USA, true},    {1950, DT::Country_EEC, false},
        {1951, DT::Country_Russia, true}, {1918, DT::Country_France, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DT::IsDSTApplicable(c.year, c.country), c.applicable) << c.year;
}

// The American rule as it stood before 2007: 02:00 local on the first Sunday
// of April (the last one before 1986) to 02:00 on the last Sunday of October.
TEST_F(DateTimeDstNewYork, AmericanRule)
{
    EXPECT_EQ(DT::GetCountry(), DT::Country_USA);
    EXPECT_EQ(DT::GetBeginDST(2005).GetValue(), UtcMs(2005, 4, 3, 7));
    EXPECT_EQ(DT::GetEndDST(2005).GetValue(), UtcMs(2005, 10, 30, 6));
    EXPECT_EQ(DT::GetBeginDST(1980).GetValue(), UtcMs(1980, 4, 27, 7));
    // War-time and energy-crisis years.
    EXPECT_EQ(DT::GetBeginDST(1974).GetValue(), UtcMs(1974, 1, 6, 5));
    EXPECT_EQ(DT::GetBeginDST(1942).GetValue(), UtcMs(1942, 2, 2, 5));
    EXPECT_EQ(DT::GetEndDST(1945).GetValue(), UtcMs(1945, 9, 30, 5));
    EXPECT_FALSE(DT::GetBeginDST(1930).IsValid());
    EXPECT_TRUE(reports().empty());
}

TEST_F(DateTimeDst, OtherCountriesUseFixedDays)
{
    EXPECT_EQ(DT::GetBeginDST(2005, DT::Country_Unknown).GetValue(), UtcMs(2005, 3, 30));
    EXPECT_EQ(DT::GetEndDST(2005, DT::Country_Unknown).GetValue(), UtcMs(2005, 10, 26));
}

TEST_F(DateTimeDst, OnlyTheDefaultCountryIsServed)
{
    EXPECT_EQ(AtUtc(2005, 7, 1).IsDST(DT::Country_EEC), -1);
    EXPECT_EQ(reports(), std::vector<std::string>{"country support not implemented"});
}

// MakeTimezone takes the local reading as a reading in another zone.
TEST_F(DateTimeDstPrague, MakeTimezone)
{
    DT winter(uint16_t(1), DT::Feb, 2005, 10);
    winter.MakeTimezone(DT::GMT1);
    EXPECT_EQ(winter.GetValue(), UtcMs(2005, 2, 1, 9));

    const DT summer(uint16_t(1), DT::Jul, 2005, 10);
    EXPECT_EQ(summer.ToTimezone(DT::GMT1).GetValue(), UtcMs(2005, 7, 1, 9));
    EXPECT_EQ(summer.ToGMT().GetValue(), UtcMs(2005, 7, 1, 10));
    EXPECT_EQ(summer.ToGMT(true).GetValue(), UtcMs(2005, 7, 1, 9));
    EXPECT_EQ(summer.ToTimezone(DT::TimeZone(-5 * 3600)).GetValue(), UtcMs(2005, 7, 1, 15));

    // Outside the standard range local readings have no summer time, so
    // there is none to take off.
    const DT old(uint16_t(1), DT::Jul, 1965, 10);
    EXPECT_EQ(old.ToGMT().GetValue(), UtcMs(1965, 7, 1, 10));
    EXPECT_TRUE(reports().empty());

    DT invalid;
    invalid.MakeGMT();
    EXPECT_FALSE(invalid.IsValid());
    EXPECT_EQ(reports(), std::vector<std::string>{"invalid CLxDateTime"});
}

} // namespace
