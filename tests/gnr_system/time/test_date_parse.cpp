// Parsing: by directives, RFC 822 (against Python, data/rfc822_samples.txt
// made by make_rfc822_table.py), free-form dates and times, the locale's
// formats, and hostile text.
#include <cstring>

#include "date_test_support.h"
#include "gnr_system/intl/intl_test_support.h"
#include "gnr_system/time/LxDateTimeInternal.h"

namespace
{
using DT = CLxDateTime;

using DateTimeParse = DateTest;

// Today (UTC, the fixture's zone) at that time.
int64_t TodayAt(int hour, int minute = 0, int second = 0)
{
    const time_t now = time(nullptr);
    struct tm t = {};
    gmtime_r(&now, &t);
    return UtcMs(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, hour, minute, second);
}

int CurrentYear()
{
    const time_t now = time(nullptr);
    struct tm t = {};
    gmtime_r(&now, &t);
    return t.tm_year + 1900;
}

// Parses with a parser member; the value, or -1 when the parser refused,
// and how much of the text it read.
struct SParsed {
    int64_t value;
    int length;
};

template <class Parse> SParsed Run(const char16_t* text, Parse parse)
{
    DT dt = DT::FromValue(777);
    const char16_t* end = parse(dt, text);
    if (!end)
        return {dt.GetValue() == 777 ? -1 : -2, -1};
    return {dt.GetValue(), int(end - text)};
}

SParsed ByFormat(const char16_t* text, const char16_t* format, const DT& dateDef = DT())
{
    return Run(text, [&](DT& dt, const char16_t* t) { return dt.ParseFormat(t, format, dateDef); });
}

TEST_F(DateTimeParse, ParseFormatReadsEveryDirective)
{
    struct {
        const char16_t* text;
        const char16_t* format;
        int64_t value;
        int length;
    } const cases[] = {
        {u"2005-02-01 10:20:30", u"%Y-%m-%d %H:%M:%S", UtcMs(2005, 2, 1, 10, 20, 30), 19},
        {u"1   Feb 2005", u"%d %b %Y", UtcMs(2005, 2, 1), 12},
        {u"1Feb2005", u"%d %b %Y", UtcMs(2005, 2, 1), 8},
        {u"Tuesday, FEBRUARY 01, 2005!", u"%A, %B %d, %Y", UtcMs(2005, 2, 1), 26},
        {u"tue 1 feb 2005", u"%a %d %b %Y", UtcMs(2005, 2, 1), 14},
        {u"060 2004", u"%j %Y", UtcMs(2004, 2, 29), 8},
        {u"10:30 PM", u"%I:%M %p", TodayAt(22, 30), 8},
        {u"12:15 am", u"%I:%M %p", TodayAt(0, 15), 8},
        {u"12:15 PM", u"%I:%M %p", TodayAt(12, 15), 8},
        {u"PM 3", u"%p %I", TodayAt(15), 4},
        {u"Tue Feb 01 10:20:30 2005", u"%c", UtcMs(2005, 2, 1, 10, 20, 30), 24},
        {u"02/01/05 10:20:30", u"%c", UtcMs(2005, 2, 1, 10, 20, 30), 17},
        {u"10:20:30 02/01/05", u"%c", UtcMs(2005, 2, 1, 10, 20, 30), 17},
        {u"10:20", u"%R", TodayAt(10, 20), 5},
        {u"10:20:30", u"%T", TodayAt(10, 20, 30), 8},
        {u"10:20:30 pm", u"%r", TodayAt(22, 20, 30), 11},
        {u"10:20:30 pm", u"%X", TodayAt(10, 20, 30), 8},
        {u"01:02:03 pm", u"%r", TodayAt(13, 2, 3), 11},
        {u"20050201x", u"%4Y%2m%2d", UtcMs(2005, 2, 1), 8},
    };
    for (const auto& c : cases) {
        const SParsed r = ByFormat(c.text, c.format);
        EXPECT_EQ(r.value, c.value) << U8(c.text) << " / " << U8(c.format);
        EXPECT_EQ(r.length, c.length) << U8(c.text) << " / " << U8(c.format);
    }
    // A weekday is read and checked, but the date does not follow it.
    const SParsed percent = ByFormat(u"5% 3", u"%d%% %w");
    EXPECT_EQ(percent.length, 4);
    EXPECT_EQ(DT::FromValue(percent.value).GetDay(), 5);
    EXPECT_EQ(ByFormat(u"5% 7", u"%d%% %w").value, -1);
    EXPECT_TRUE(reports().empty());
}

// Two-digit years: 0-30 are 2000-2030, 31-99 1931-1999.
TEST_F(DateTimeParse, TwoDigitYears)
{
    const DT def = AtUtc(2010, 6, 15, 1, 2, 3, 4);
    struct {
        const char16_t* text;
        int year;
    } const cases[] = {{u"00", 2000}, {u"30", 2030}, {u"31", 1931}, {u"99", 1999}};
    for (const auto& c : cases)
        EXPECT_EQ(ByFormat(c.text, u"%y", def).value, UtcMs(c.year, 6, 15, 1, 2, 3, 4))
            << U8(c.text);
    EXPECT_EQ(ByFormat(u"100", u"%y", def).value, -1);
}

// What the format does not give comes from the default date, or from today
// at midnight.
TEST_F(DateTimeParse, FieldsNotGivenComeFromTheDefault)
{
    EXPECT_EQ(ByFormat(u"10:20", u"%H:%M", AtUtc(2001, 3, 4, 5, 6, 7, 8)).value,
              UtcMs(2001, 3, 4, 10, 20, 7, 8));
    EXPECT_EQ(ByFormat(u"17", u"%d", AtUtc(2001, 2, 4, 5)).value, UtcMs(2001, 2, 17, 5));
    EXPECT_EQ(ByFormat(u"10:20", u"%H:%M").value, TodayAt(10, 20));
}

TEST_F(DateTimeParse, DateDirectiveFollowsTheCountry)
{
    DT::SetCountry(DT::Country_USA);
    EXPECT_EQ(ByFormat(u"07/08/09", u"%x").value, UtcMs(2009, 7, 8));
    DT::SetCountry(DT::Country_Germany);
    EXPECT_EQ(ByFormat(u"07/08/09", u"%x").value, UtcMs(2009, 8, 7));
    DT::SetCountry(DT::Country_Russia);
    EXPECT_EQ(ByFormat(u"07/08/09", u"%x").value, UtcMs(2009, 8, 7));
    // When the first order cannot be a date the other one is tried.
    EXPECT_EQ(ByFormat(u"07/28/09", u"%x").value, UtcMs(2009, 7, 28));
}

TEST_F(DateTimeParse, ParseFormatRefusals)
{
    struct {
        const char16_t* text;
        const char16_t* format;
        const char* report; // "" for none
    } const cases[] = {
        {u"2005/02/01", u"%Y-%m-%d", ""},
        {u"32", u"%d", ""},
        {u"0", u"%d", ""},
        {u"24", u"%H", ""},
        {u"13", u"%I", ""},
        {u"60", u"%M", ""},
        {u"62", u"%S", ""},
        {u"7", u"%w", ""},
        {u"367", u"%j", ""},
        {u"x", u"%d", ""},
        {u"", u"%Y", ""},
        {u"1", u"%q", ""},
        {u"Tux", u"%a", ""},
        {u"Tuesday", u"%a", ""},
        {u"Feb", u"%B", ""},
        {u"XM", u"%p", ""},
        {u"AMX", u"%p", ""},
        {u"99999999999", u"%Y", ""},
        {u"31/02/2005", u"%d/%m/%Y", "bad month day in CLxDateTime::ParseFormat"},
        {u"366 2005", u"%j %Y", "bad year day in CLxDateTime::ParseFormat"},
        {u"12", u"%d%", "unexpected format end"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ByFormat(c.text, c.format).value, -1) << U8(c.text) << " / " << U8(c.format);
        const std::vector<std::string> expected =
            *c.report ? std::vector<std::string>{c.report} : std::vector<std::string>{};
        EXPECT_EQ(reports(), expected) << U8(c.text);
    }
    DT dt;
    EXPECT_EQ(dt.ParseFormat(nullptr, u"%d"), nullptr);
    EXPECT_EQ(dt.ParseFormat(u"1", nullptr), nullptr);
    EXPECT_EQ(reports(), (std::vector<std::string>{"NULL pointer in CLxDateTime::ParseFormat()",
                                                   "NULL pointer in CLxDateTime::ParseFormat()"}));
}

// Each sample as Python's email.utils reads it.
TEST_F(DateTimeParse, Rfc822AgreesWithPython)
{
    const std::vector<std::string> lines = DataLines("rfc822_samples.txt");
    ASSERT_GT(lines.size(), 60u);
    for (const std::string& line : lines) {
        const size_t tab = line.find('\t');
        const std::string expected = line.substr(0, tab);
        const std::string text = line.substr(tab + 1);
        const std::u16string wide = U16(text.c_str());
        DT dt = DT::FromValue(777);
        const char16_t* end = dt.ParseRfc822Date(wide.c_str());
        if (expected == "refused") {
            EXPECT_EQ(end, nullptr) << text;
            EXPECT_EQ(dt.GetValue(), 777) << text;
        } else {
            EXPECT_EQ(end, wide.c_str() + wide.size()) << text;
            EXPECT_EQ(dt.GetValue(), std::stoll(expected)) << text;
        }
    }
    forget();
}

TEST_F(DateTimeParse, Rfc822Details)
{
    DT dt;
    const char16_t* text = u"Tue, 1 Feb 2005 10:00 +0100 and more";
    EXPECT_EQ(dt.ParseRfc822Date(text), text + 27);
    EXPECT_EQ(dt.GetValue(), UtcMs(2005, 2, 1, 9));
    // RFC 2822's reading of two-digit years.
    struct {
        const char16_t* text;
        int year;
    } const years[] = {{u"1 Feb 49 10:00 GMT", 2049},
                       {u"1 Feb 50 10:00 GMT", 1950},
                       {u"1 Feb 05 10:00 GMT", 2005},
                       {u"1 Feb 0005 10:00 GMT", 5}};
    for (const auto& y : years) {
        ASSERT_NE(dt.ParseRfc822Date(y.text), nullptr) << U8(y.text);
        EXPECT_EQ(dt.GetYear(DT::UTC), y.year) << U8(y.text);
    }
    // The zone fixes the instant, whatever the local zone.
    {
        ScopedTimeZone prague("Europe/Prague");
        ASSERT_NE(dt.ParseRfc822Date(u"Fri, 1 Jul 2005 10:00:00 -0400"), nullptr);
        EXPECT_EQ(dt.GetValue(), UtcMs(2005, 7, 1, 14));
        ASSERT_NE(dt.ParseRfc822Date(u"1 Jul 1960 10:00 EDT"), nullptr);
        EXPECT_EQ(dt.GetValue(), UtcMs(1960, 7, 1, 14));
    }
    EXPECT_TRUE(reports().empty());

    EXPECT_EQ(dt.ParseRfc822Date(u"1 Feb 2005 10:00 J"), nullptr);
    EXPECT_TRUE(caught("Invalid military timezone J"));
    EXPECT_EQ(dt.ParseRfc822Date(u"1 Feb 2005 10:00 CET"), nullptr);
    EXPECT_TRUE(caught("Unknown RFC 822 timezone CET"));
    forget();

    const char16_t* const refused[] = {
        u"Tue,1 Feb 2005 10:00 GMT",
        u"1 feb 2005 10:00 GMT",
        u"1 Feb 205 10:00 GMT",
        u"1 Feb 20055 10:00 GMT",
        u"1 Feb 2005 10:00",
        u"1 Feb 2005 1:00 GMT",
        u"1 Feb 2005 10:00:5 GMT",
        u"1 Feb 2005 10:00 +01",
        u"1 Feb 2005 10:00 +0160",
        u"123 Feb 2005 10:00 GMT",
        u"1  Feb 2005 10:00 GMT",
        u"1 Feb 2005 10-00 GMT",
        u"1 Feb 2005 10:60 GMT",
        u"0 Feb 2005 10:00 GMT",
        u"",
        u",",
        u"Tue, ",
    };
    for (const char16_t* r : refused)
        EXPECT_EQ(dt.ParseRfc822Date(r), nullptr) << U8(r);
    forget();
    EXPECT_EQ(dt.ParseRfc822Date(nullptr), nullptr);
    EXPECT_EQ(reports(), std::vector<std::string>{"NULL pointer in CLxDateTime::Parse"});
}

SParsed Time(const char16_t* text)
{
    return Run(text, [](DT& dt, const char16_t* t) { return dt.ParseTime(t); });
}

SParsed Date(const char16_t* text)
{
    return Run(text, [](DT& dt, const char16_t* t) { return dt.ParseDate(t); });
}

TEST_F(DateTimeParse, ParseTime)
{
    struct {
        const char16_t* text;
        int64_t value;
        int length;
    } const cases[] = {
        {u"NOON and later", TodayAt(12), 4},
        {u"midnight", TodayAt(0), 8},
        {u"10:30 PM", TodayAt(22, 30), 8},
        {u"10:30:15 pm!", TodayAt(22, 30, 15), 11},
        {u"10:30:15", TodayAt(10, 30, 15), 8},
        {u"7 pm", TodayAt(19), 4},
        {u"23", TodayAt(23), 2},
        {u"10:30", TodayAt(10, 30), 5},
        {u"9:05 am", TodayAt(9, 5), 7},
    };
    for (const auto& c : cases) {
        const SParsed r = Time(c.text);
        EXPECT_EQ(r.value, c.value) << U8(c.text);
        EXPECT_EQ(r.length, c.length) << U8(c.text);
    }
    EXPECT_EQ(Time(u"teatime").value, -1);
    EXPECT_EQ(Time(u"").value, -1);
    EXPECT_EQ(Time(u"25:00").value, -1);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(DT().ParseTime(nullptr), nullptr);
    EXPECT_EQ(reports(), std::vector<std::string>{"NULL pointer in CLxDateTime::Parse"});
}

TEST_F(DateTimeParse, ParseDate)
{
    const int year = CurrentYear();
    const DT today(TodayAt(0) / 1000);
    struct {
        const char16_t* text;
        int64_t value;
        int length;
    } const cases[] = {
        {u"  Today", TodayAt(0), 7},
        {u"yesterday", TodayAt(0) - 86400000, 9},
        {u"tomorrow's", TodayAt(0) + 86400000, 8},
        {u"1 Feb 2005", UtcMs(2005, 2, 1), 10},
        {u"Tue, 1 Feb 2005 and more", UtcMs(2005, 2, 1), 15},
        {u"February 1, 2005", UtcMs(2005, 2, 1), 16},
        {u"2005-02-01", UtcMs(2005, 2, 1), 10},
        {u"01/02/2005", UtcMs(2005, 1, 2), 10},
        {u"13/02/2005", UtcMs(2005, 2, 13), 10},
        {u"1.2.", UtcMs(year, 1, 2), 3},
        {u"sixteenth of March", UtcMs(year, today.GetMonth() + 1, 16), 9},
        {u"fifth March 1850", UtcMs(1850, 3, 5), 16},
        {u"29 Feb 2004", UtcMs(2004, 2, 29), 11},
    };
    for (const auto& c : cases) {
        const SParsed r = Date(c.text);
        EXPECT_EQ(r.value, c.value) << U8(c.text);
        EXPECT_EQ(r.length, c.length) << U8(c.text);
    }
    EXPECT_TRUE(reports().empty());

    // A weekday alone is this week's.
    const SParsed friday = Date(u"Friday");
    ASSERT_GE(friday.value, 0);
    const DT f = DT::FromValue(friday.value);
    EXPECT_EQ(f.GetWeekDay(), DT::Fri);
    EXPECT_EQ(f.GetHour(), 0);
    EXPECT_LT(std::llabs(friday.value - TodayAt(0)), 7 * 86400000ll);

    // No day: no date.
    for (const char16_t* text : {u"Feb 2005", u"2005", u"Friday 2005", u"March", u"", u"  ",
                                 u"29 Feb 2005", u"Feb 31", u"whenever", u"13 2005"})
        EXPECT_EQ(Date(text).value, -1) << U8(text);
    EXPECT_TRUE(reports().empty());

    // A weekday that does not fit the date is reported; the date stays.
    EXPECT_EQ(Date(u"Monday 1 Feb 2005").value, UtcMs(2005, 2, 1));
    EXPECT_EQ(reports(), std::vector<std::string>{"ParseDate: inconsistent day/weekday."});
    EXPECT_EQ(DT().ParseDate(nullptr), nullptr);
    EXPECT_EQ(reports(), std::vector<std::string>{"NULL pointer in CLxDateTime::Parse"});
}

// The words of the day come from the translation catalogs.
TEST_F(DateTimeParse, TranslatedWords)
{
    intl_test::CatalogShape shape;
    shape.name = "qvx\\gnr_system\\time";
    shape.entries = {
        {"noon", "poledne", {}}, {"today", "dnes", {}}, {"tomorrow", "z\xc3\xadtra", {}}};
    const intl_test::Bytes bytes = intl_test::buildCatalog(shape);
    ASSERT_TRUE(CLxLocale::AddCatalog(bytes.data(), bytes.size(), nullptr, 1029));
    const int language = CLxLocale::SetLangID(1029);
    EXPECT_EQ(Time(u"Poledne").value, TodayAt(12));
    EXPECT_EQ(Time(u"noon").value, -1);
    EXPECT_EQ(Date(u"DNES").value, TodayAt(0));
    EXPECT_EQ(Date(u"Z\u00cdTRA").value, TodayAt(0) + 86400000);
    // Untranslated words stay English.
    EXPECT_EQ(Time(u"midnight").value, TodayAt(0));
    CLxLocale::SetLangID(language);
    CLxLocale::RemoveCatalog("qvx\\gnr_system\\time");
    EXPECT_EQ(Time(u"noon").value, TodayAt(12));
    forget();
}

SParsed LocaleDate(const char16_t* text)
{
    return Run(text, [](DT& dt, const char16_t* t) { return dt.ParseLocaleDate(t); });
}
SParsed LocaleTime(const char16_t* text)
{
    return Run(text, [](DT& dt, const char16_t* t) { return dt.ParseLocaleTime(t); });
}
SParsed LocaleDateTime(const char16_t* text)
{
    return Run(text, [](DT& dt, const char16_t* t) { return dt.ParseDateTime(t); });
}

TEST_F(DateTimeParse, LocaleParsers)
{
    EXPECT_EQ(LocaleDate(u"02/01/2005").value, UtcMs(2005, 2, 1));
    EXPECT_EQ(LocaleDate(u"2005-02-01").value, -1);
    EXPECT_EQ(LocaleTime(u"10:20:30").value, TodayAt(10, 20, 30));
    EXPECT_EQ(LocaleTime(u"10:20").value, TodayAt(10, 20));
    EXPECT_EQ(LocaleTime(u"10").value, -1);
    // The time of a date and time belongs to that date.
    EXPECT_EQ(LocaleDateTime(u"02/01/2005 10:20:30").value, UtcMs(2005, 2, 1, 10, 20, 30));
    EXPECT_EQ(LocaleDateTime(u"02/01/2005\t 10:20").value, UtcMs(2005, 2, 1, 10, 20));
    const SParsed dateOnly = LocaleDateTime(u"02/01/2005 later");
    EXPECT_EQ(dateOnly.value, UtcMs(2005, 2, 1));
    EXPECT_EQ(dateOnly.length, 10);
    EXPECT_EQ(LocaleDateTime(u"10:20:30").value, TodayAt(10, 20, 30));
    EXPECT_EQ(LocaleDateTime(u"later").value, -1);
    {
        lx_time::SetLocaleFormatsOverride("%d.%m.%Y", "%r", "%I:%M:%S %p");
        EXPECT_EQ(LocaleDateTime(u"01.02.2005 10:20:30 PM").value, UtcMs(2005, 2, 1, 22, 20, 30));
        EXPECT_EQ(LocaleTime(u"10:20 pm").value, TodayAt(22, 20));
        lx_time::SetLocaleFormatsOverride(nullptr, nullptr, nullptr);
    }
    {
        // A locale whose date format the helpers cannot read.
        lx_time::SetLocaleFormatsOverride("%d %B", "%H", "");
        EXPECT_EQ(LocaleDate(u"01 February").value, -1);
        lx_time::SetLocaleFormatsOverride(nullptr, nullptr, nullptr);
    }
    EXPECT_TRUE(reports().empty());
    DT dt;
    EXPECT_EQ(dt.ParseLocaleDate(nullptr), nullptr);
    EXPECT_EQ(dt.ParseLocaleTime(nullptr), nullptr);
    EXPECT_EQ(dt.ParseDateTime(nullptr), nullptr);
    EXPECT_EQ(reports().size(), 3u);
}

// Random and damaged date texts: every parser answers with null or a
// position inside the text, never more.
TEST_F(DateTimeParse, FuzzedTextsNeverCrash)
{
    const char16_t* const seeds[] = {u"Tue, 1 Feb 2005 10:00:30 +0100",
                                     u"02/01/2005 10:20:30 PM",
                                     u"Friday 13 March 1850",
                                     u"2005-02-01",
                                     u"sixteenth of May",
                                     u"12:15 am",
                                     u"060 2004",
                                     u"noon"};
    const char16_t alphabet[] = u"0123456789 ,./-:+%APMapmJanFebMarTueSunZGMT\t\u00e4\u20ac";
    const char16_t* const formats[] = {
        u"%c", u"%x %X", u"%Y-%m-%d %H:%M:%S", u"%j %y %p", u"%A, %B %d", u"%5d%3m%Y", u"%I%p"};
    const size_t alphabetSize = sizeof alphabet / sizeof alphabet[0] - 1;
    uint64_t state = 0xC0FFEE;
    auto next = [&state](uint64_t n) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return (state >> 33) % n;
    };
    for (int i = 0; i < 3000; ++i) {
        std::u16string text;
        if (i % 2 == 0) {
            const size_t length = next(40);
            for (size_t k = 0; k < length; ++k)
                text += alphabet[next(alphabetSize)];
        } else {
            text = seeds[next(8)];
            // Cut, then change a few characters.
            text.resize(next(text.size() + 1));
            for (int k = 0; k < 3 && !text.empty(); ++k)
                text[next(text.size())] = alphabet[next(alphabetSize)];
        }
        const char16_t* begin = text.c_str();
        const char16_t* end = begin + text.size();
        auto inside = [&](const char16_t* p) { return !p || (p >= begin && p <= end); };
        DT dt;
        EXPECT_TRUE(inside(dt.ParseRfc822Date(begin))) << U8(begin);
        EXPECT_TRUE(inside(dt.ParseDate(begin))) << U8(begin);
        EXPECT_TRUE(inside(dt.ParseTime(begin))) << U8(begin);
        EXPECT_TRUE(inside(dt.ParseDateTime(begin))) << U8(begin);
        EXPECT_TRUE(inside(dt.ParseFormat(begin, formats[next(7)]))) << U8(begin);
        // The text as a format, too.
        const DT any = DT::FromValue(int64_t(next(1ull << 40)) * 1000 - (1ll << 39) * 1000);
        any.Format(begin);
        any.Format(begin, DT::GMT_3);
        if (i % 100 == 0)
            forget();
    }
    forget();
}

} // namespace
