// Format on both roads against strftime, names, the locale's date and time
// forms (with the locale played through the override) and the automation
// date. The process runs in the C locale.
#include "date_test_support.h"
#include "gnr_system/time/LxDateLocale.h"
#include "gnr_system/time/LxDateTimeInternal.h"

namespace
{
using DT = CLxDateTime;

constexpr char kPrague[] = "Europe/Prague";
using DateTimeFormat = DateTest;
using DateTimeFormatPrague = ZonedDateTest<kPrague>;

std::string Strftime(const char* format, const struct tm& t)
{
    char buffer[512];
    const size_t n = strftime(buffer, sizeof buffer, format, &t);
    return std::string(buffer, n);
}

// Plays a locale's date and time formats for the life of the object.
class ScopedLocaleFormats
{
  public:
    ScopedLocaleFormats(const char* date, const char* time, const char* ampm = "%I:%M:%S %p")
    {
        lx_time::SetLocaleFormatsOverride(date, time, ampm);
    }
    ~ScopedLocaleFormats() { lx_time::SetLocaleFormatsOverride(nullptr, nullptr, nullptr); }
};

// Every directive, alone and together with text around it.
const char* const kDirectives[] = {"%a",
                                   "%A",
                                   "%b",
                                   "%B",
                                   "%c",
                                   "%d",
                                   "%H",
                                   "%I",
                                   "%j",
                                   "%m",
                                   "%M",
                                   "%p",
                                   "%S",
                                   "%U",
                                   "%w",
                                   "%W",
                                   "%x",
                                   "%X",
                                   "%y",
                                   "%Y",
                                   "%Z",
                                   "%%",
                                   "%e %k %D %F %T %s %G %V"};

// Inside the standard range and without %l, Format is the runtime's
// strftime of the local or shifted reading.
TEST_F(DateTimeFormatPrague, RuntimeRoadAgreesWithStrftime)
{
    uint64_t state = 12345;
    for (int i = 0; i < 300; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const time_t t = time_t((state >> 33) % 0x7FFFFFFFull);
        const DT dt = DT::FromValue(int64_t(t) * 1000 + 999);
        struct tm local = {}, shifted = {};
        localtime_r(&t, &local);
        const time_t west = t - 5 * 3600;
        if (west >= 0)
            gmtime_r(&west, &shifted);
        for (const char* directive : kDirectives) {
            const std::string format = std::string("<") + directive + ">";
            const std::u16string wide = U16(format.c_str());
            SCOPED_TRACE(testing::Message() << "t=" << t << " " << format);
            EXPECT_EQ(Text(dt.Format(wide.c_str())), Strftime(format.c_str(), local));
            if (west >= 0) {
                EXPECT_EQ(Text(dt.Format(wide.c_str(), DT::GMT_5)),
                          Strftime(format.c_str(), shifted));
            }
        }
    }
    EXPECT_TRUE(reports().empty());
}

// The library's own road writes what strftime writes for the directives
// whose meaning they share, for any year.
TEST_F(DateTimeFormat, OwnRoadAgreesWithStrftimeOutsideTheRange)
{
    const char* const shared[] = {"%a", "%A", "%b", "%B", "%c", "%d", "%H", "%I", "%j", "%m",
                                  "%M", "%p", "%S", "%w", "%x", "%X", "%y", "%Y", "%%"};
    for (int year : {1066, 1582, 1850, 1969, 2038, 2100, 9999}) {
        for (int month : {1, 6, 12}) {
            const int64_t whole = UtcMs(year, month, 28, month == 6 ? 15 : 0, 7, 9);
            const DT dt = DT::FromValue(whole + 42);
            if (dt.IsInStdRange())
                continue;
            const time_t seconds = time_t(whole / 1000);
            struct tm ref = {};
            gmtime_r(&seconds, &ref);
            for (const char* directive : shared) {
                const std::string format = std::string("[") + directive + "]";
                EXPECT_EQ(Text(dt.Format(U16(format.c_str()).c_str(), DT::UTC)),
                          Strftime(format.c_str(), ref))
                    << year << "-" << month << " " << format;
            }
        }
    }
    EXPECT_TRUE(reports().empty());
}

TEST_F(DateTimeFormat, MillisecondsTakeTheOwnRoad)
{
    const DT dt = AtUtc(2005, 2, 1, 9, 8, 7, 65);
    EXPECT_EQ(Text(dt.Format(u"%Y-%m-%d %H:%M:%S.%l")), "2005-02-01 09:08:07.065");
    EXPECT_EQ(Text(dt.Format(u"%l %j %U %W", DT::GMT12)), "065 032 05 05");
    EXPECT_EQ(Text(dt.FormatISODate()), "2005-02-01");
    EXPECT_EQ(Text(dt.FormatISOTime(DT::A_CST)), "18:38:07");
    EXPECT_EQ(Text(dt.FormatDate()), "02/01/05");
    EXPECT_EQ(Text(dt.FormatTime()), "09:08:07");
}

TEST_F(DateTimeFormat, Year1850)
{
    const DT dt = AtUtc(1850, 1, 15, 12);
    EXPECT_EQ(Text(dt.Format(u"%x")), "01/15/50");
    EXPECT_EQ(Text(dt.Format(u"%c")), "Tue Jan 15 12:00:00 1850");
    EXPECT_EQ(Text(dt.Format(u"%A %d %B %Y")), "Tuesday 15 January 1850");
}

// A run of flags and digits after '%' is the printf pattern of the number.
TEST_F(DateTimeFormat, NumberPatterns)
{
    const DT dt = AtUtc(1850, 1, 5, 7);
    struct {
        const char16_t* format;
        const char* text;
    } const cases[] = {
        {u"%5Y", " 1850"}, {u"%-5d|", "5    |"}, {u"%+Y", "+1850"},        {u"%03H", "007"},
        {u"%1d", "5"},     {u"% 3m", "  1"},     {u"%010l", "0000000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Text(dt.Format(c.format)), c.text) << U8(c.format);
    EXPECT_TRUE(reports().empty());
}

TEST_F(DateTimeFormat, BadFormatsAreReported)
{
    const DT dt = AtUtc(1850, 1, 5, 7);
    EXPECT_EQ(Text(dt.Format(u"a%qb")), "aqb");
    EXPECT_EQ(reports(), std::vector<std::string>{"unknown format specificator"});
    EXPECT_EQ(Text(dt.Format(u"%d%")), "05");
    EXPECT_EQ(Text(dt.Format(u"%d%-5")), "05");
    EXPECT_EQ(reports().size(), 2u);
    EXPECT_EQ(Text(dt.Format(nullptr)), "");
    EXPECT_EQ(reports(), std::vector<std::string>{"NULL format in CLxDateTime::Format"});
    EXPECT_EQ(Text(DT().Format(u"%Y")), "");
    EXPECT_EQ(reports(), std::vector<std::string>{"invalid CLxDateTime"});
    // A run longer than any pattern is cut, never overflows.
    EXPECT_FALSE(Text(dt.Format(u"%99999999999999999999999Y")).empty());
    forget();
}

TEST_F(DateTimeFormat, Names)
{
    EXPECT_EQ(Text(DT::GetMonthName(DT::Jan)), "January");
    EXPECT_EQ(Text(DT::GetMonthName(DT::Sep, DT::Name_Abbr)), "Sep");
    EXPECT_EQ(Text(DT::GetWeekDayName(DT::Sun)), "Sunday");
    EXPECT_EQ(Text(DT::GetWeekDayName(DT::Sat, DT::Name_Abbr)), "Sat");
    CLxStringW am, pm;
    DT::GetAmPmStrings(&am, &pm);
    EXPECT_EQ(Text(am), "AM");
    EXPECT_EQ(Text(pm), "PM");
    DT::GetAmPmStrings(nullptr, nullptr);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(Text(DT::GetMonthName(DT::Inv_Month)), "");
    EXPECT_EQ(Text(DT::GetWeekDayName(DT::WeekDay(-1))), "");
    EXPECT_EQ(reports(), (std::vector<std::string>{"invalid month", "invalid weekday"}));
}

TEST_F(DateTimeFormat, FormatDateTime)
{
    EXPECT_EQ(Text(AtUtc(2005, 2, 1).FormatDateTime()), "02/01/05");
    EXPECT_EQ(Text(AtUtc(2005, 2, 1, 10, 20, 30).FormatDateTime()), "02/01/05  10:20:30");
    EXPECT_EQ(Text(AtUtc(9999, 1, 1, 10, 20, 30).FormatDateTime()), "10:20:30");
    EXPECT_EQ(Text(AtUtc(2005, 2, 1, 10).FormatDateTime(DT::GMT_12)), "01/31/05  22:00:00");
    {
        ScopedLocaleFormats german("%d.%m.%Y", "%T");
        EXPECT_EQ(Text(AtUtc(2005, 2, 1, 10, 20, 30).FormatDateTime()), "01.02.2005  10:20:30");
    }
    // A year that the locale's reading cannot hold goes through Format.
    EXPECT_EQ(Text(AtUtc(-44, 3, 15, 12).FormatDateTime()), "03/15/-044  12:00:00");
    EXPECT_TRUE(reports().empty());
}

// What the helpers make of the locale's date and time formats.
TEST_F(DateTimeFormat, LocaleHelpers)
{
    struct {
        const char* date;
        const char* time;
        const char* dateFormat;
        const char* timeFormat;
        const char* user;
        const char* datePicture;
        const char* timePicture;
    } const cases[] = {
        {"%m/%d/%y", "%H:%M:%S", "%m/%d/%Y", "%H:%M:%S", "MM/DD/YYYY HH:MM:SS", "MM/dd/yy",
         "HH:mm:ss"},
        {"%m/%d/%Y", "%r", "%m/%d/%Y", "%I:%M:%S %p", "MM/DD/YYYY hh:MM:SS pm", "MM/dd/yyyy",
         "hh:mm:ss tt"},
        {"%d.%m.%Y", "%T", "%d.%m.%Y", "%H:%M:%S", "DD.MM.YYYY HH:MM:SS", "dd.MM.yyyy", "HH:mm:ss"},
        {"%F", "%p %I:%M:%S", "%Y-%m-%d", "%p %I:%M:%S", "YYYY-MM-DD pm hh:MM:SS", "yyyy-MM-dd",
         "tt hh:mm:ss"},
        {"%e. %B %Y", "%k.%M", "%d. %m. %Y", "%H.%M.%S", "DD. MM. YYYY HH.MM.SS", "d. MMMM yyyy",
         "H.mm"},
        {"%d%%%m%%%y", "%H:%M", "%d%%%m%%%Y", "%H:%M:%S", "DD%MM%YYYY HH:MM:SS", "dd%MM%yy",
         "HH:mm"},
        {"%Ey/%Om/%Od", "%OH:%OM", "%Y/%m/%d", "%H:%M:%S", "YYYY/MM/DD HH:MM:SS", "yy/MM/dd",
         "HH:mm"},
    };
    for (const auto& c : cases) {
        ScopedLocaleFormats locale(c.date, c.time);
        SCOPED_TRACE(testing::Message() << c.date << " " << c.time);
        char16_t date[64], time[64], user[64];
        ASSERT_EQ(LX_GetLocaleDateTimeFormat(date, 64, time, 64), 0);
        EXPECT_EQ(U8(date), c.dateFormat);
        EXPECT_EQ(U8(time), c.timeFormat);
        ASSERT_EQ(LX_GetLocaleUserDateTimeFormat(user, 64), 0);
        EXPECT_EQ(U8(user), c.user);
        ASSERT_EQ(LX_GetLocaleShortDateTimeFormat(date, 64, time, 64), 0);
        EXPECT_EQ(U8(date), c.datePicture);
        EXPECT_EQ(U8(time), c.timePicture);
    }
}

TEST_F(DateTimeFormat, LocaleHelpersRefuseWhatTheyCannotRead)
{
    char16_t date[64] = u"x", time[64] = u"x", small[4] = u"x";
    {
        ScopedLocaleFormats noYear("%d %B", "");
        EXPECT_EQ(LX_GetLocaleDateTimeFormat(date, 64, time, 64), -9);
        EXPECT_EQ(date[0], 0);
        EXPECT_EQ(time[0], 0);
        EXPECT_EQ(LX_GetLocaleUserDateTimeFormat(date, 64), -9);
    }
    {
        ScopedLocaleFormats dayYearMonth("%d/%Y/%m", "%H:%M:%S");
        EXPECT_EQ(LX_GetLocaleDateTimeFormat(date, 64, nullptr, 0), -9);
        EXPECT_EQ(LX_GetLocaleDateTimeFormat(nullptr, 0, time, 64), 0);
    }
    EXPECT_EQ(LX_GetLocaleDateTimeFormat(small, 4, nullptr, 0), -9);
    EXPECT_EQ(small[0], 0);
    EXPECT_EQ(LX_GetLocaleDateTimeFormat(date, 0, nullptr, 0), -4);
    EXPECT_EQ(LX_GetLocaleShortDateTimeFormat(nullptr, 0, time, -1), -4);
    EXPECT_EQ(LX_GetLocaleUserDateTimeFormat(small, 4), -9);
    EXPECT_EQ(LX_GetLocaleDateTimeFormat(nullptr, 0, nullptr, 0), 0);
}

TEST_F(DateTimeFormat, FormatLocaleDateTime)
{
    char16_t date[64], time[64], small[4];
    const SLxSystemTime st = {2005, 2, 0, 1, 10, 20, 30, 0};
    ASSERT_EQ(LX_FormatLocaleDateTime(&st, date, 64, time, 64), 0);
    EXPECT_EQ(U8(date), "02/01/05");
    EXPECT_EQ(U8(time), "10:20:30");
    EXPECT_EQ(LX_FormatLocaleDateTime(&st, small, 4, nullptr, 0), -9);
    EXPECT_EQ(LX_FormatLocaleDateTime(nullptr, date, 64, time, 64), -9);
    EXPECT_EQ(date[0], 0);
    const SLxSystemTime bad[] = {{2005, 2, 0, 29, 0, 0, 0, 0},
                                 {2005, 13, 0, 1, 0, 0, 0, 0},
                                 {2005, 1, 0, 1, 24, 0, 0, 0},
                                 {0, 1, 0, 1, 0, 0, 0, 0}};
    for (const SLxSystemTime& b : bad)
        EXPECT_EQ(LX_FormatLocaleDateTime(&b, date, 64, time, 64), -9);
}

TEST_F(DateTimeFormat, AutomationDates)
{
    struct {
        int y, m, d, h, min;
        double ole;
    } const cases[] = {
        {1899, 12, 30, 0, 0, 0.0}, {2000, 1, 1, 0, 0, 36526.0},    {1899, 12, 29, 6, 0, -1.25},
        {1900, 1, 1, 12, 0, 2.5},  {1800, 1, 1, 18, 0, -36522.75},
    };
    for (const auto& c : cases) {
        struct tm t = {};
        t.tm_year = c.y - 1900;
        t.tm_mon = c.m - 1;
        t.tm_mday = c.d;
        t.tm_hour = c.h;
        t.tm_min = c.min;
        double ole = 1e9;
        ASSERT_EQ(LX_TmToVariantTime(&t, &ole), 0) << c.y;
        EXPECT_DOUBLE_EQ(ole, c.ole) << c.y;
    }
    struct tm t = {};
    t.tm_year = 105;
    t.tm_mday = 1;
    double ole = 0;
    EXPECT_EQ(LX_TmToVariantTime(nullptr, &ole), -4);
    EXPECT_EQ(LX_TmToVariantTime(&t, nullptr), -4);
    t.tm_mon = 12;
    EXPECT_EQ(LX_TmToVariantTime(&t, &ole), -9);
    t.tm_mon = 1;
    t.tm_mday = 29;
    EXPECT_EQ(LX_TmToVariantTime(&t, &ole), -9);
    t.tm_mday = 1;
    t.tm_year = 99 - 1900;
    EXPECT_EQ(LX_TmToVariantTime(&t, &ole), -9);
}

// The reading is local time: summer time in Prague is two hours east.
TEST_F(DateTimeFormatPrague, AutomationDateOfALocalReading)
{
    struct tm t = {};
    t.tm_year = 105;
    t.tm_mon = 6;
    t.tm_mday = 1;
    t.tm_hour = 12;
    t.tm_isdst = 0; // not read
    double ole = 0;
    ASSERT_EQ(LX_TmToVariantTime(&t, &ole), 0);
    EXPECT_DOUBLE_EQ(ole, 38534.0 + 10.0 / 24.0);
}

} // namespace
